// File names escaped for a terminal line: a table of names, then the same names against GNU ls on this machine.
#include "TempFolder.h"

#include "common/EscapedName.h"
#include "common/FileIO.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

struct TEscapeCase
{
    const char *name;
    std::string bytes;
    std::string shown;
};

class EscapedNameTest : public ::testing::TestWithParam<TEscapeCase>
{
};

TEST_P(EscapedNameTest, EscapesWhatATerminalWouldActOn)
{
    EXPECT_EQ(qvc::EscapedName(GetParam().bytes), GetParam().shown);
}

const TEscapeCase kCases[] = {
    { "PlainPathUnchanged", "/home/me/src/Unit1.pas", "/home/me/src/Unit1.pas" },
    { "BlanksAndPunctuationUnchanged", "a b#~'\"?*$;&()=!|<>[]{}`,:%^@+-", "a b#~'\"?*$;&()=!|<>[]{}`,:%^@+-" },
    { "PrintableUtf8Unchanged", "\xC3\x81rea de trabalho/\xE2\x82\xAC\xF0\x9F\x98\x80",
        "\xC3\x81rea de trabalho/\xE2\x82\xAC\xF0\x9F\x98\x80" },
    { "NoBreakSpaceUnchanged",
        "a\xC2\xA0"
        "b",
        "a\xC2\xA0"
        "b" },
    { "Empty", "", "" },
    { "LineFeed", "a\nb", "a\\nb" },
    { "Tab", "a\tb", "a\\tb" },
    { "CEscapeLetters", "\a\b\t\n\v\f\r", "\\a\\b\\t\\n\\v\\f\\r" },
    { "Backslash", "a\\b", "a\\\\b" },
    { "OtherControlBytesInOctal", "x\x01y\x1B[0m\x1F", "x\\001y\\033[0m\\037" },
    { "Delete", "x\x7Fy", "x\\177y" },
    { "Windows1252IsNotUtf8", "\xE9t\xE9.pas", "\\351t\\351.pas" },
    { "LoneContinuationByte", "a\x80", "a\\200" },
    { "CutSequenceAtTheEnd", "a\xE2\x82", "a\\342\\202" },
    { "CutSequenceBeforeAscii", "\xC3(x", "\\303(x" },
    { "Overlong", "\xC0\xAF", "\\300\\257" },
    { "Surrogate", "\xED\xA0\x80", "\\355\\240\\200" },
    { "AboveTheLastCodePoint", "\xF4\x90\x80\x80", "\\364\\220\\200\\200" },
    { "C1ControlEveryByte",
        "a\xC2\x85"
        "b",
        "a\\302\\205b" },
    { "LineSeparatorEveryByte",
        "a\xE2\x80\xA8"
        "b",
        "a\\342\\200\\250b" },
    { "PrintableAfterAnEscape", "\n\xC3\xA9", "\\n\xC3\xA9" },
};

INSTANTIATE_TEST_SUITE_P(
    Cases, EscapedNameTest, ::testing::ValuesIn(kCases), [](const auto &info) { return std::string(info.param.name); });

class EscapedNameLikeLs : public TTempFolderTest
{
};

// GNU ls with --quoting-style=escape in a UTF-8 locale, over files named by every case above that can be a file
// name (one path component, not empty). ls also escapes a blank, as "\ ", which separates its columns; a line of
// qvconvert is separated by tabs and keeps the blank as it is, so the ls side is compared with that one rule undone.
TEST_F(EscapedNameLikeLs, MatchesGnuLsOnThisMachine)
{
    if (std::system("LC_ALL=C.UTF-8 ls --quoting-style=escape / >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "skipped: no GNU ls with --quoting-style, or no C.UTF-8 locale";
    std::set<std::string> expected;
    for (const TEscapeCase &c : kCases) {
        if (c.bytes.empty() || c.bytes.find('/') != std::string::npos)
            continue;
        qvc::WriteFileReplacing(Path(c.bytes), "");
        expected.insert(qvc::EscapedName(c.bytes));
    }
    const std::string command = "LC_ALL=C.UTF-8 ls -1 --quoting-style=escape '" + m_dir.string() + "'";
    FILE *ls = ::popen(command.c_str(), "r");
    ASSERT_NE(ls, nullptr);
    std::string listing;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, ls)) > 0)
        listing.append(buffer, got);
    ASSERT_EQ(::pclose(ls), 0);

    std::set<std::string> shown;
    std::size_t start = 0;
    for (std::size_t end = listing.find('\n'); end != std::string::npos; end = listing.find('\n', start)) {
        std::string line = listing.substr(start, end - start);
        for (std::size_t blank = line.find("\\ "); blank != std::string::npos; blank = line.find("\\ ", blank + 1))
            line.erase(blank, 1);
        shown.insert(line);
        start = end + 1;
    }
    EXPECT_EQ(shown, expected);
}

} // namespace
