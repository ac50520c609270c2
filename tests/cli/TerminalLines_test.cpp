// qvconvert's lines for a terminal: names with control bytes or bytes that are not UTF-8 are escaped in the
// tab-separated lines and the failure lines (never in --json or the report), and a repository file that the read
// form takes silently is named in a warning line on standard error while the run goes on as before.
#include "QvconvertRunner.h"
#include "TempFolder.h"

#include "common/Cp1252.h"
#include "common/FileIO.h"
#include "common/Utf8.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

class TerminalLines : public TTempFolderTest
{
protected:
    void SetUp() override
    {
        TTempFolderTest::SetUp();
        ::setenv("LC_ALL", "C", 1);
    }
    std::string Put(const std::string &name, const std::string &bytes) const
    {
        qvc::WriteFileReplacing(Path(name), bytes);
        return Path(name);
    }
    TQvconvertRun Run(const std::vector<std::string> &args) const { return RunQvconvert(args, m_dir.string()); }
};

struct TNameCase
{
    const char *Raw;
    const char *Shown;
};

// One of each kind of byte that is escaped, and two plain names that must come out as they went in.
const TNameCase kNames[] = {
    { "a\nb.pas", "a\\nb.pas" },
    { "tab\there.pas", "tab\\there.pas" },
    { "\xE9t\xE9.pas", "\\351t\\351.pas" }, // Windows-1252, not UTF-8
    { "back\\slash\x1B.pas", "back\\\\slash\\033.pas" },
    { "\xC3\x81rea nova.pas", "\xC3\x81rea nova.pas" },
    { "Unit1.pas", "Unit1.pas" },
};

TEST_F(TerminalLines, NamesAreEscapedInThePlainLinesOnly)
{
    const std::string pairs = Put("pairs.dat", "Forms=QForms\r\n");
    std::vector<std::string> args
        = { "convert", "--simulate", "--no-journal", "--repository", pairs, "--report", Path("report.txt") };
    for (const TNameCase &name : kNames)
        args.push_back(Put(name.Raw, "uses Forms;\r\n"));

    const auto plain = Run(args);
    EXPECT_EQ(plain.ExitCode, 0) << plain.Err;
    EXPECT_EQ(plain.Err, "");
    const auto lines = Split(plain.Out, '\n');
    ASSERT_EQ(lines.size(), std::size(kNames) + 1) << "one line per file, then the end: " << plain.Out;
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        const auto cells = Split(lines[i], '\t');
        ASSERT_EQ(cells.size(), 5u) << lines[i];
        EXPECT_EQ(cells[1], "1") << lines[i];
        EXPECT_EQ(cells[4], Path(kNames[i].Shown));
    }
    // The report keeps the names' own bytes, as the window's report does.
    const std::string report = qvc::ReadFileBytes(Path("report.txt"));
    EXPECT_NE(report.find("tab\there.pas"), std::string::npos) << report;
    EXPECT_EQ(report.find("tab\\there.pas"), std::string::npos) << report;

    args.emplace_back("--json");
    const auto json = Run(args);
    EXPECT_EQ(json.ExitCode, 0) << json.Err;
    const auto records = nlohmann::json::parse(json.Out);
    ASSERT_EQ(records.size(), std::size(kNames));
    for (std::size_t i = 0; i < std::size(kNames); ++i)
        EXPECT_EQ(records[i]["file"],
            qvc::IsValidUtf8(kNames[i].Raw) ? Path(kNames[i].Raw) : qvc::Cp1252ToUtf8(Path(kNames[i].Raw)));
}

TEST_F(TerminalLines, FailureLinesEscapeTheNamesTheyGive)
{
    const std::string pairs = Put("pairs.dat", "Forms=QForms\r\n");
    // A file that cannot be read fails its row: the failure line names it twice, the row once.
    const auto missing = Run({ "convert", "--no-journal", "--repository", pairs, Path("gone\n.pas") });
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err,
        "qvconvert: " + Path("gone\\n.pas") + ": Cannot open file \"" + Path("gone\\n.pas")
            + "\". No such file or directory\n");
    EXPECT_EQ(Split(missing.Out, '\t').back(), Path("gone\\n.pas") + "\n");

    // A write failure names the file inside its message...
    const std::string readOnly = Put("ro\x01.pas", "uses Forms;\r\n");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const auto denied = Run({ "convert", "--no-journal", "--repository", pairs, readOnly });
    EXPECT_EQ(denied.ExitCode, 2);
    EXPECT_EQ(denied.Err, "qvconvert: Cannot create file \"" + Path("ro\\001.pas") + "\". Permission denied\n");

    // ...or in front of a message that names none.
    const std::string backedUp = Put("bk\t.pas", "uses Forms;\r\n");
    std::filesystem::create_directories(Path("bk\t.~pas"));
    const auto backup = Run({ "convert", "--no-journal", "--backup", "--repository", pairs, backedUp });
    EXPECT_EQ(backup.ExitCode, 2);
    EXPECT_EQ(backup.Err, "qvconvert: " + Path("bk\\t.pas") + ": Unable to backup file. Is a directory\n");

    const auto form = Run({ "form-to-text", Path("x\xFF.dfm") });
    EXPECT_EQ(form.ExitCode, 1);
    EXPECT_EQ(form.Err,
        "qvconvert: " + Path("x\\377.dfm") + ": Cannot open file \"" + Path("x\\377.dfm")
            + "\". No such file or directory\n");
}

struct TWarningCase
{
    const char *Name;
    std::string Repository;
    std::vector<std::string> Warnings; // after "qvconvert: REPOSITORY: warning: "
    std::string SameRunAs; // a repository without findings whose run prints the same; empty: none has no pair
};

class RepositoryWarnings : public TerminalLines, public ::testing::WithParamInterface<TWarningCase>
{
protected:
    // The output with the measured time taken out of JSON records, where it has more digits than can repeat.
    static std::string WithoutSeconds(const std::string &out, bool json)
    {
        if (!json)
            return out;
        auto records = nlohmann::json::parse(out);
        for (auto &record : records)
            record.erase("seconds");
        return records.dump();
    }
};

TEST_P(RepositoryWarnings, AreLinesOnStandardErrorAndTheRunGoesOn)
{
    const TWarningCase &c = GetParam();
    const std::string unit = Put("Unit1.pas", "uses Forms;\r\n");
    // A repository name that itself needs escaping.
    const std::string repository = Put("pairs\n.dat", c.Repository);
    std::string warnings;
    for (const std::string &warning : c.Warnings)
        warnings += "qvconvert: " + Path("pairs\\n.dat") + ": warning: " + warning + "\n";

    for (const char *format : { "", "--json" }) {
        std::vector<std::string> args = { "convert", "--simulate", "--no-journal", "--repository", repository, unit };
        if (*format)
            args.emplace_back(format);
        const auto run = Run(args);
        EXPECT_EQ(run.Err, warnings);
        if (c.SameRunAs.empty()) {
            // Without a pair to run, the row gets no replacement and no progress, as without the warning.
            EXPECT_EQ(run.ExitCode, 0);
            if (*format) {
                const auto records = nlohmann::json::parse(run.Out);
                ASSERT_EQ(records.size(), 1u);
                EXPECT_EQ(records[0]["count"], 0);
                EXPECT_EQ(records[0]["status"], "-");
            } else {
                const auto cells = Split(run.Out, '\t');
                ASSERT_EQ(cells.size(), 5u) << run.Out;
                EXPECT_EQ(cells[1], "0");
                EXPECT_EQ(cells[2], "-");
            }
            continue;
        }
        args[4] = Put("reference.dat", c.SameRunAs);
        const auto same = Run(args);
        ASSERT_EQ(same.Err, "") << "the reference repository has no findings";
        EXPECT_EQ(run.ExitCode, same.ExitCode);
        EXPECT_EQ(WithoutSeconds(run.Out, *format), WithoutSeconds(same.Out, *format));
    }
    EXPECT_EQ(qvc::ReadFileBytes(unit), "uses Forms;\r\n");
}

const std::string kNoPair = "the repository file holds no pair (no line has a find text before \"=\")";

INSTANTIATE_TEST_SUITE_P(Cases, RepositoryWarnings,
    ::testing::Values(TWarningCase { "Empty", "", { "the repository file is empty: it holds no pair" }, "" },
        TWarningCase { "OnlyAMarker", "<|ChangeFileName=0|>\r\n", { kNoPair }, "" },
        TWarningCase {
            "BlankFindsAndLinesWithoutEquals", "=Forms\r\n \t=QForms\r\nForms\r\n", { kNoPair }, "None=At all\r\n" },
        TWarningCase { "MarkerSeven", "<|ChangeFileName=7|>\r\nForms=QForms\r\n",
            { "line 1: \"<|ChangeFileName=7|>\" is not a rename marker (0 to 3), so it is read as a pair" },
            "Forms=QForms\r\n" },
        TWarningCase { "TwoMarkersOutOfRange", "Forms=QForms\n<|changefilename=12|>\n<|ChangeFileName=-1|>\n",
            { "line 2: \"<|changefilename=12|>\" is not a rename marker (0 to 3), so it is read as a pair",
                "line 3: \"<|ChangeFileName=-1|>\" is not a rename marker (0 to 3), so it is read as a pair" },
            "Forms=QForms\r\n" },
        TWarningCase { "NoFindings", "<|ChangeFileName=1|>\r\nForms=QForms\r\n", {}, "Forms=QForms\r\n" }),
    [](const auto &info) { return std::string(info.param.Name); });

} // namespace
