// The optimised pass against a plain, literal implementation of the substitution rules: the same lines,
// counts, result entries and new names, over a generated source tree and over random adversarial text.
#include "EngineFixture.h"
#include "FakeConversionView.h"
#include "GeneratedTree.h"
#include "LiteralPass.h"

#include "common/AsciiCase.h"
#include "common/TextLines.h"
#include "engine/pass/SubstitutionPass.h"

#include <cstdlib>
#include <random>
#include <tuple>

namespace qvc {
// Readable failures: the misses as "line:column find (reason)".
inline void PrintTo(const TMissedOccurrence &miss, std::ostream *out)
{
    *out << miss.Line << ':' << miss.Column << ' ' << miss.Find << " (" << MissReasonText(miss.Reason) << ')';
}
} // namespace qvc

namespace {

using Lines = std::vector<std::string>;

int ExpectSameAsLiteral(const Lines &pairs, const Lines &input, const std::string &targetName,
    qvc::TSubstitutionPass &pass, const std::string &what)
{
    TLiteralState literal { input, targetName, "", {} };
    const int literalCount = LiteralApplyAll(literal, pairs);
    Lines lines = input;
    std::string newName;
    qvc::TConversionResult results;
    const int count = pass.ApplyAll(lines, targetName, newName, results);
    EXPECT_EQ(count, literalCount) << what;
    EXPECT_EQ(lines, literal.Text) << what;
    EXPECT_EQ(results, literal.Results) << what;
    EXPECT_EQ(newName, literal.NewName) << what;
    EXPECT_EQ(pass.MissedOccurrences(), LiteralMissed(literal)) << what;
    return literalCount;
}

// ---------------------------------------------------------------------------------------------------

class PassDifferentialTest : public TEngineFolderTest
{
};

TEST_F(PassDifferentialTest, GeneratedTreeGivesIdenticalFiles)
{
    const std::string dat = kExampleRepository;
    if (!CanGenerateTrees())
        GTEST_SKIP() << "skipped: python3, which runs the tree generator, is missing";
    ASSERT_EQ(GenerateTree(Path("tree"), 200, 11, "--dat '" + dat + "'"), 0);

    Lines pairs = qvc::SplitLines(qvc::ReadFileBytes(dat));
    pairs.erase(pairs.begin()); // the RenameMode marker
    // Pairs that stress the matcher on real text: overlapping finds, "_" endings, empty and blank
    // replaces, replaces holding their find, duplicated finds in another letter case.
    for (const char *extra :
        { "Form=Frm", "TForm=TQForm", "Button=", "Btn_=b_", "Self=Self.Self", "FORMS=xforms", "begin=begin ",
            "end=", "  =x", " Caption= Text", "Caption_=C", "Helper=Help{er}", "Width=", "on=off", "e=" })
        pairs.push_back(extra);
    qvc::TSubstitutionPass pass(pairs);
    int files = 0;
    long long replacements = 0;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(Path("tree"))) {
        if (!entry.is_regular_file())
            continue;
        const std::string path = entry.path().string();
        const Lines input = qvc::SplitLines(qvc::ReadFileBytes(path));
        TLiteralState literal { input, path, "", {} };
        replacements += LiteralApplyAll(literal, pairs);
        ExpectSameAsLiteral(pairs, input, path, pass, path);
        ++files;
    }
    EXPECT_GT(files, 200);
    EXPECT_GT(replacements, 1000);

    // Whole files through ConvertFile, written to disk, compared with the literal text.
    TFakeConversionView view;
    view.Rows.assign(1, TFakeRow {});
    qvc::TPassReport report;
    int compared = 0;
    std::size_t missed = 0;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(Path("tree"))) {
        const std::string path = entry.path().string();
        if (!entry.is_regular_file() || path.size() < 4 || path.compare(path.size() - 4, 4, ".pas") != 0)
            continue;
        TLiteralState literal { qvc::SplitLines(qvc::ReadFileBytes(path)), path, "", {} };
        const int literalCount = LiteralApplyAll(literal, pairs);
        qvc::TConversionResult results;
        const int count = pass.ConvertFile(0, path, { qvc::TRenameMode(2), false, false }, results, view, report);
        ASSERT_EQ(count, literalCount) << path;
        ASSERT_EQ(report.Missed, LiteralMissed(literal)) << path;
        missed += report.Missed.size();
        if (count > 0 && literal.NewName.empty()) {
            ASSERT_EQ(qvc::ReadFileBytes(path), qvc::JoinLinesCrLf(literal.Text)) << path;
        }
        if (++compared == 100)
            break;
    }
    EXPECT_GT(missed, 0u) << "the tree should exercise the misses";
}

TEST(PassDifferential, RandomAdversarialLinesGiveIdenticalResults)
{
    // Small alphabets make finds overlap, repeat, touch each other and sit inside longer words.
    const std::vector<std::string> tokens = { "a", "A", "b", "B", "ab", "Ab", "aB", "abc", "ABC", "_", "__", "a_", "A_",
        "b_", " ", "  ", ".", ",", "=", "{", "}", "1", "9", "\xE9", "\xC9", "\x80", "\xFF", std::string(1, '\0'), "\t",
        "x", "X", "xa", "ax", "bab" };
    const std::vector<std::string> findParts
        = { "a", "A", "b", "ab", "AB", "abc", "a_", "_", "b_", " a", "a ", "x", "\xE9", "\xC9", "ba", "bab", "1", " " };
    std::mt19937 random(20261210);
    const auto pick = [&](const std::vector<std::string> &from) { return from[random() % from.size()]; };
    for (int round = 0; round < 3000; ++round) {
        Lines pairs;
        const int pairCount = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < pairCount; ++i) {
            std::string find;
            const int findParts1 = static_cast<int>(random() % 3);
            for (int k = 0; k <= findParts1; ++k)
                find += pick(findParts);
            std::string replace;
            switch (random() % 6) {
            case 0: // empty: deletes occurrence after occurrence
                break;
            case 1: // holds its own find text
                replace = find + pick(tokens);
                break;
            case 2: // the find text in another letter case
                replace = qvc::AsciiUpper(find);
                break;
            default: {
                const int replaceParts = static_cast<int>(random() % 3);
                for (int k = 0; k <= replaceParts; ++k)
                    replace += pick(tokens);
            }
            }
            if (random() % 20 == 0)
                pairs.push_back(replace); // a line without "="
            else
                pairs.push_back(std::string(find).append("=").append(replace));
        }
        Lines input;
        const int lineCount = static_cast<int>(random() % 6);
        for (int i = 0; i < lineCount; ++i) {
            std::string line;
            const int lineTokens = static_cast<int>(random() % 12);
            for (int k = 0; k < lineTokens; ++k)
                line += pick(tokens);
            input.push_back(line);
        }
        // Sometimes the file's own name is one of the find texts.
        std::string target = "/t/unit.pas";
        const std::string firstFind = pairs[0].substr(0, pairs[0].find('='));
        if (random() % 3 == 0 && firstFind.find('/') == std::string::npos && !firstFind.empty())
            target = "/t/" + firstFind + ".pas";
        qvc::TSubstitutionPass pass(pairs);
        ExpectSameAsLiteral(pairs, input, target, pass, "round " + std::to_string(round));
        // The same pass object again: nothing of one file may leak into the next.
        ExpectSameAsLiteral(pairs, input, target, pass, "again, round " + std::to_string(round));
    }
}

TEST_F(PassDifferentialTest, WholeFilesWithAnyLineEndsGiveIdenticalFiles)
{
    // Files read and converted as a whole (found in one scan of the file, cut into pieces at line breaks)
    // against the literal algorithm on the file's lines: CR LF, lone CR and lone LF mixed, lines long
    // and short, find texts that hold line breaks or sit at the very end of the file.
    const std::vector<std::string> tokens
        = { "Form", "form", "TForm", "Forms", "_", "a", "ab", "AB", " ", ".", ";", "\xE9", std::string(1, '\0'),
              "Unit1", "uses", "x", "Forms_", "\r\n", "\r\n", "\n", "\r", "\r\n\r\n", "abab", "bab" };
    const std::vector<std::string> findParts
        = { "Form", "forms", "a", "ab", "b", "_", "Unit1", "uses", "x", "\r", "\n", " ", "bab" };
    std::mt19937 random(1210);
    const auto pick = [&](const std::vector<std::string> &from) { return from[random() % from.size()]; };
    TFakeConversionView view;
    view.Rows.assign(1, TFakeRow {});
    qvc::TPassReport report;
    int changedFiles = 0;
    int filesWithMisses = 0;
    for (int round = 0; round < 1500; ++round) {
        Lines pairs;
        const int pairCount = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < pairCount; ++i) {
            std::string find = pick(findParts);
            if (random() % 2 == 0)
                find += pick(findParts);
            std::string replace;
            const int replaceParts = static_cast<int>(random() % 3);
            for (int k = 0; k < replaceParts; ++k)
                replace += pick(tokens);
            if (replace.find_first_of("\r\n") != std::string::npos)
                replace.clear(); // a replace text comes from one line of the list
            pairs.push_back(std::string(find).append("=").append(replace));
        }
        std::string text;
        const int tokenCount = static_cast<int>(random() % 400);
        for (int k = 0; k < tokenCount; ++k)
            text += pick(tokens);
        const std::string path = Write("u" + std::to_string(round % 7) + ".pas", text);
        TLiteralState literal { qvc::SplitLines(text), path, "", {} };
        const int literalCount = LiteralApplyAll(literal, pairs);
        qvc::TSubstitutionPass pass(pairs);
        qvc::TConversionResult results;
        const int count = pass.ConvertFile(0, path, { qvc::TRenameMode(2), false, false }, results, view, report);
        ASSERT_EQ(count, literalCount) << "round " << round;
        ASSERT_EQ(results, literal.Results) << "round " << round;
        // Lines counted in the file's text, whatever its line ends.
        ASSERT_EQ(report.Missed, LiteralMissed(literal)) << "round " << round;
        filesWithMisses += report.Missed.empty() ? 0 : 1;
        if (count == 0) {
            ASSERT_EQ(qvc::ReadFileBytes(path), text) << "round " << round;
            continue;
        }
        ++changedFiles;
        const std::string written = literal.NewName.empty() ? path : literal.NewName;
        ASSERT_EQ(report.WrittenName, written) << "round " << round;
        ASSERT_EQ(qvc::ReadFileBytes(written), qvc::JoinLinesCrLf(literal.Text)) << "round " << round;
        if (written != path)
            std::filesystem::remove(written);
    }
    EXPECT_GT(changedFiles, 300);
    EXPECT_GT(filesWithMisses, 100);
}

TEST_F(PassDifferentialTest, ListTooLargeForTheNarrowTableGivesIdenticalFiles)
{
    // Enough find text that the automaton's transitions no longer fit 16 bits: the scan reads the
    // wide table instead, and must find the same lines.
    Lines pairs;
    for (int i = 0; i < 900; ++i)
        pairs.push_back("Word" + std::to_string(i) + "Zq_" + std::to_string(i % 7) + "=W" + std::to_string(i));
    pairs.push_back("Alpha=Beta");
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "x Word" + std::to_string(i % 1000) + "Zq_" + std::to_string(i % 7) + (i % 3 ? " alpha\r\n" : "\n");
    const std::string path = Write("u.pas", text);
    TLiteralState literal { qvc::SplitLines(text), path, "", {} };
    const int literalCount = LiteralApplyAll(literal, pairs);
    qvc::TSubstitutionPass pass(pairs);
    TFakeConversionView view;
    view.Rows.assign(1, TFakeRow {});
    qvc::TPassReport report;
    qvc::TConversionResult results;
    ASSERT_EQ(pass.ConvertFile(0, path, { qvc::TRenameMode(2), false, false }, results, view, report), literalCount);
    EXPECT_GT(literalCount, 1000);
    EXPECT_EQ(results, literal.Results);
    EXPECT_EQ(report.Missed, LiteralMissed(literal));
    EXPECT_EQ(qvc::ReadFileBytes(path), qvc::JoinLinesCrLf(literal.Text));
}

TEST(PassDifferential, LargeListWithoutAutomatonGivesIdenticalResults)
{
    // More find text than the matcher builds an automaton for: the pass falls back to every line.
    Lines pairs;
    for (int i = 0; i < 3000; ++i)
        pairs.push_back("Word" + std::to_string(i) + "x=W" + std::to_string(i));
    pairs.push_back("Alpha=Beta");
    const Lines input = { "Word12x Word7x alpha", "Word2999x_Alpha", "nothing" };
    qvc::TSubstitutionPass pass(pairs);
    ExpectSameAsLiteral(pairs, input, "/t/u.pas", pass, "large list");
}

// ---------------------------------------------------------------------------------------------------
// One long line holding a find text a thousand or ten thousand times: the shapes in which a pass that
// starts again from the line's start after each replacement, or searches the whole line again for each
// occurrence it notes, takes time in the square of the line's length.

std::string Repeat(const std::string &unit, int times)
{
    std::string out;
    out.reserve(unit.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        out += unit;
    return out;
}

struct TLongLineCase
{
    const char *Name;
    Lines Pairs;
    // The long line for `matches` occurrences of the first pair's find text.
    std::string (*Line)(int matches);
    // The replacements the pass must make on it: PerMatch per occurrence, plus Extra.
    int PerMatch;
    int Extra;
};

const TLongLineCase kLongLineCases[] = {
    { "KylixPairsOnOneUnitName", { "Forms=QForms", "Controls=QControls", "Dialogs=QDialogs", "Windows=Types" },
        [](int n) { return "uses " + Repeat("Forms, ", n) + "Dialogs;"; }, 0, 2 },
    { "KylixPairsOnSeveralUnitNames", { "Forms=QForms", "Controls=QControls", "Dialogs=QDialogs", "Windows=Types" },
        [](int n) { return Repeat("Forms, Dialogs, Windows, ", n); }, 0, 3 },
    { "EmptyReplaceDeletesEveryOccurrence", { "Forms=" }, [](int n) { return Repeat("Forms ", n); }, 1, 0 },
    { "EmptyReplaceStopsAtALongerWord", { "Forms=" },
        [](int n) { return Repeat("Forms ", n) + "MyForms, Forms, Forms"; }, 1, 0 },
    { "DeletionsJoinNewOccurrences", { "<>=" }, [](int n) { return "(" + Repeat("<", n) + Repeat(">", n) + ")"; }, 1,
        0 },
    { "DeletionsJoinUntilOneFails", { "<>=" }, [](int n) { return "Q" + Repeat("<", n) + Repeat(">", n) + "Q"; }, 1,
        -1 },
    // Each deletion takes two of the overlapping occurrences with it.
    { "EmptyReplaceOfOverlappingFinds", { "a.a=" }, [](int n) { return Repeat("a.", 2 * n) + "a"; }, 1, 0 },
    { "ReplaceOfOverlappingFinds", { "a.a=b" }, [](int n) { return Repeat("a.", n) + "a"; }, 0, 1 },
    { "ReplaceHoldsTheFind", { "Self=Self.Self" }, [](int n) { return Repeat("Self ", n); }, 0, 1 },
    { "LineHoldsTheReplaceText", { "Forms=Vcl.Forms" }, [](int n) { return "Vcl.Forms " + Repeat("Forms, ", n); }, 0,
        0 },
    { "FindEndingInUnderscoreRunsOn", { "Btn_=b_" }, [](int n) { return Repeat("Btn_Ok ", n); }, 0, 1 },
    { "EmptyReplaceOfFindEndingInUnderscore", { "Btn_=" }, [](int n) { return Repeat("Btn_", n) + "x"; }, 1, 0 },
    { "FirstInsideALongerWord", { "Forms=QForms" }, [](int n) { return "MyForms " + Repeat("Forms, ", n); }, 0, 0 },
    { "MatchesInsideLongerWords", { "Form=QForm" }, [](int n) { return Repeat("Form TForm Forms Form_ ", n); }, 0, 1 },
    { "LetterCaseMixed", { "Forms=QForms" }, [](int n) { return Repeat("fORMS,FoRmS;", n / 2); }, 0, 1 },
    { "LaterPairWithTheSameFind", { "Forms=QForms", "FORMS=" }, [](int n) { return Repeat("Forms, ", n); }, 0, 1 },
    { "EmptyReplacesOfTwoFinds", { "A=", "B=" }, [](int n) { return Repeat("A B ", n); }, 2, 0 },
    { "ReplaceIsTheNextPairsFind", { "Forms=QForms", "QForms=", "Forms=X" }, [](int n) { return Repeat("Forms ", n); },
        0, 3 },
};

class LongLineDifferential : public ::testing::TestWithParam<std::tuple<TLongLineCase, int>>
{
};

TEST_P(LongLineDifferential, PassAndMissesMatchTheLiteralAlgorithm)
{
    const auto &[shape, matches] = GetParam();
    const Lines input = { "unit Long;", shape.Line(matches), "end." };
    qvc::TSubstitutionPass pass(shape.Pairs);
    const int count = ExpectSameAsLiteral(shape.Pairs, input, "/t/Long.pas", pass, shape.Name);
    EXPECT_EQ(count, shape.PerMatch * matches + shape.Extra);

    // The same line read from a file's text, found in one scan of it.
    TLiteralState literal { input, "/t/Long.pas", "", {} };
    LiteralApplyAll(literal, shape.Pairs);
    const std::string text = qvc::JoinLinesCrLf(input);
    std::string newName;
    qvc::TConversionResult results;
    std::string output;
    ASSERT_EQ(pass.ConvertText(text, "/t/Long.pas", newName, results, output), count);
    if (count > 0) {
        EXPECT_EQ(output, qvc::JoinLinesCrLf(literal.Text));
    }
    EXPECT_EQ(results, literal.Results);
    EXPECT_EQ(pass.MissedOccurrences(), LiteralMissed(literal));
}

INSTANTIATE_TEST_SUITE_P(OneThousandAndTenThousandMatches, LongLineDifferential,
    ::testing::Combine(::testing::ValuesIn(kLongLineCases), ::testing::Values(1000, 10000)),
    [](const ::testing::TestParamInfo<std::tuple<TLongLineCase, int>> &info) {
        return std::string(std::get<0>(info.param).Name) + "_" + std::to_string(std::get<1>(info.param));
    });

} // namespace
