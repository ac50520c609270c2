// "qvconvert convert" as a black box: output lines, JSON, exit codes and the final error line, and the
// files it writes, compared with the engine's own pass over the same files.
#include "common/Cp1252.h"
#include "common/FileIO.h"
#include "common/TextLines.h"
#include "engine/pass/SubstitutionPass.h"

#include "GeneratedTree.h"
#include "QvconvertRunner.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TRun
{
    int ExitCode = -1;
    std::string Out;
    std::string Err;
    std::string Summary;
};

std::vector<std::string> SplitAt(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

class ConvertCommand : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qvc-convert-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        ::setenv("LC_ALL", "C", 1);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    std::string Path(const std::string &name) const { return (m_dir / name).string(); }
    std::string Write(const std::string &name, const std::string &bytes) const
    {
        std::string path = Path(name);
        fs::create_directories(fs::path(path).parent_path());
        qvc::WriteFileReplacing(path, bytes);
        return path;
    }
    std::string Read(const std::string &name) const { return qvc::ReadFileBytes(Path(name)); }

    TRun Run(const std::vector<std::string> &args) const
    {
        const TQvconvertRun run = RunQvconvert(args, m_dir.string());
        return TRun { run.ExitCode, run.Out, run.Err, run.Summary };
    }

    static std::string LastLine(const std::string &text)
    {
        auto lines = SplitAt(text, '\n');
        while (!lines.empty() && lines.back().empty())
            lines.pop_back();
        return lines.empty() ? "" : lines.back();
    }

    fs::path m_dir;
};

TEST_F(ConvertCommand, ConvertsATreeLikeTheEngine)
{
    const std::string dat = kExampleRepository;
    if (!CanGenerateTrees())
        GTEST_SKIP() << "skipped: python3, which runs the tree generator, is missing";
    ASSERT_EQ(GenerateTree(Path("tree"), 20, 3), 0);
    std::vector<std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(Path("tree")))
        if (entry.is_regular_file() && entry.path().extension() == ".pas")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    ASSERT_GT(files.size(), 5u);

    // What the engine makes of each file, before qvconvert touches them.
    auto lines = qvc::SplitLines(qvc::ReadFileBytes(dat));
    lines.erase(lines.begin());
    qvc::TSubstitutionPass pass(lines);
    std::vector<std::string> expected;
    std::vector<int> counts;
    for (const auto &file : files) {
        auto text = qvc::SplitLines(qvc::ReadFileBytes(file));
        std::string newName;
        qvc::TConversionResult results;
        counts.push_back(pass.ApplyAll(text, file, newName, results));
        expected.push_back(counts.back() > 0 ? qvc::JoinLinesCrLf(text) : qvc::ReadFileBytes(file));
    }

    std::vector<std::string> args = { "convert", "--repository", dat };
    args.insert(args.end(), files.begin(), files.end());
    const TRun run = Run(args);
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, ""); // no progress bar when standard error is no terminal
    const auto outLines = SplitAt(run.Out, '\n');
    ASSERT_EQ(outLines.size(), files.size() + 1);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto cells = SplitAt(outLines[i], '\t');
        ASSERT_EQ(cells.size(), 5u) << outLines[i];
        EXPECT_EQ(cells[0], std::to_string(i));
        EXPECT_EQ(cells[1], std::to_string(counts[i]));
        EXPECT_EQ(cells[2], "100%");
        EXPECT_EQ(cells[3].size(), 8u);
        EXPECT_EQ(cells[4], files[i]);
        EXPECT_EQ(qvc::ReadFileBytes(files[i]), expected[i]) << files[i];
    }
}

TEST_F(ConvertCommand, JsonCarriesEveryFieldAndDecodesWindows1252)
{
    Write("r.dat", "<|ChangeFileName=0|>\r\nCaf\xE9=Th\xE9\r\nclBtnFace=clButton\r\nAlpha=Beta=Gamma\r\n");
    const std::string pas = Write("src/Unit1.pas", "x := Caf\xE9;\r\ny := Alpha;\r\n");
    const std::string dfm = Write("src/Form1.dfm", "object F\r\n  Color = clBtnFace\r\nend\r\n");
    const std::string none = Write("src/Other.pas", "nothing here\r\n");
    const TRun run = Run({ "convert", "--repository", Path("r.dat"), "--json", "--backup", pas, dfm, none });
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto json = nlohmann::json::parse(run.Out);
    ASSERT_EQ(json.size(), 3u);
    EXPECT_EQ(json[0]["number"], 0);
    EXPECT_EQ(json[0]["file"], pas);
    EXPECT_EQ(json[0]["count"], 2);
    EXPECT_EQ(json[0]["status"], "100%");
    EXPECT_TRUE(json[0]["seconds"].is_number());
    EXPECT_EQ(json[0]["written"], pas);
    EXPECT_EQ(json[0]["backup"], Path("src/Unit1.~pas"));
    ASSERT_EQ(json[0]["entries"].size(), 2u);
    EXPECT_EQ(json[0]["entries"][0]["find"], "Caf\xC3\xA9");
    EXPECT_EQ(json[0]["entries"][0]["replace"], "Th\xC3\xA9");
    EXPECT_EQ(json[0]["entries"][0]["occurrences"], 1);
    EXPECT_EQ(json[0]["entries"][1]["find"], "Alpha");
    EXPECT_EQ(json[0]["entries"][1]["replace"], "Beta=Gamma");
    // Encoded back, the texts give the file's bytes.
    EXPECT_EQ(qvc::Utf8ToCp1252(json[0]["entries"][0]["replace"].get<std::string>()), "Th\xE9");
    EXPECT_EQ(Read("src/Unit1.pas"), "x := Th\xE9;\r\ny := Beta=Gamma;\r\n");
    // The marker says Delphi to Kylix: the form goes to ".xfm", nothing existed there to back up.
    EXPECT_EQ(json[1]["written"], Path("src/Form1.xfm"));
    EXPECT_TRUE(json[1]["backup"].is_null());
    EXPECT_EQ(json[2]["count"], 0);
    EXPECT_TRUE(json[2]["written"].is_null());
    EXPECT_EQ(json[2]["entries"], nlohmann::json::array());
}

TEST_F(ConvertCommand, RenameOptionOverridesTheMarker)
{
    Write("r.dat", "<|ChangeFileName=0|>\r\nclBtnFace=clButton\r\n");
    const std::string form = "object F\r\n  Color = clBtnFace\r\nend\r\n";
    struct TCase
    {
        std::vector<std::string> Option;
        const char *File;
        const char *Written;
    };
    const TCase cases[] = {
        { {}, "a.dfm", "a.xfm" },
        { { "--rename", "none" }, "b.dfm", "b.dfm" },
        { { "--rename", "kylix-to-delphi" }, "c.xfm", "c.dfm" },
        { { "--rename", "delphi-to-kylix" }, "d.dfm", "d.xfm" },
    };
    for (const auto &c : cases) {
        Write(c.File, form);
        std::vector<std::string> args = { "convert", "--repository", Path("r.dat") };
        args.insert(args.end(), c.Option.begin(), c.Option.end());
        args.push_back(Path(c.File));
        const TRun run = Run(args);
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        EXPECT_EQ(Read(c.Written), "object F\r\n  Color = clButton\r\nend\r\n") << c.File;
    }
}

TEST_F(ConvertCommand, FailedFileExitsOne)
{
    Write("r.dat", "Forms=QForms\r\n");
    const std::string good = Write("good.pas", "uses Forms;\r\n");
    const TRun run = Run({ "convert", "--repository", Path("r.dat"), Path("missing.pas"), good });
    EXPECT_EQ(run.ExitCode, 1);
    const auto lines = SplitAt(run.Out, '\n');
    ASSERT_EQ(lines.size(), 3u) << run.Out;
    EXPECT_EQ(SplitAt(lines[0], '\t')[1], "-1");
    EXPECT_EQ(SplitAt(lines[0], '\t')[2], "-");
    EXPECT_EQ(SplitAt(lines[1], '\t')[1], "1");
    EXPECT_EQ(Read("good.pas"), "uses QForms;\r\n");
    EXPECT_NE(run.Err.find(Path("missing.pas")), std::string::npos) << run.Err;
}

TEST_F(ConvertCommand, WriteFailureEndsTheRunWithItsMessage)
{
    Write("r.dat", "Forms=QForms\r\n");
    const std::string first = Write("a.pas", "uses Forms;\r\n");
    const std::string second = Write("b.pas", "uses Forms;\r\n");
    const std::string third = Write("c.pas", "uses Forms;\r\n");
    Write("b.~pas/in-the-way", "a folder where the backup should go");
    for (const bool json : { false, true }) {
        std::vector<std::string> args = { "convert", "--repository", Path("r.dat"), "--backup", first, second, third };
        if (json)
            args.emplace_back("--json");
        const TRun run = Run(args);
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_EQ(run.Err, "qvconvert: " + second + ": Unable to backup file. Is a directory\n");
        if (json) {
            const auto parsed = nlohmann::json::parse(run.Out);
            ASSERT_EQ(parsed.size(), 1u);
            EXPECT_EQ(parsed[0]["file"], first);
            EXPECT_EQ(parsed[0]["count"], 0); // already converted by the first round
        } else {
            EXPECT_EQ(SplitAt(run.Out, '\n').size(), 2u) << run.Out;
        }
        EXPECT_EQ(Read("b.pas"), "uses Forms;\r\n");
        EXPECT_EQ(Read("c.pas"), "uses Forms;\r\n");
    }
    EXPECT_EQ(Read("a.pas"), "uses QForms;\r\n");
}

TEST_F(ConvertCommand, PlainOutputEndsWithTheRunsFiguresOnStandardError)
{
    Write("r.dat", "Forms=QForms\r\n");
    const std::string changed = Write("a.pas", "uses Forms, Forms;\r\n");
    const std::string plain = Write("b.pas", "begin\r\nend.\r\n");
    const std::string missing = Path("missing.pas");
    const std::regex seconds(R"(, \d+\.\d s)");
    const auto figures
        = [&seconds](const std::string &summary) { return std::regex_replace(summary, seconds, ", T s"); };
    struct TCase
    {
        std::vector<std::string> Extra;
        std::string Summary; // the seconds as "T"
    };
    const TCase cases[] = {
        { { "--simulate" }, "3 files (simulated): 1 changed, 1 failed, 1 missed, T s" },
        { {}, "3 files: 1 changed, 1 failed, 1 missed, T s" },
        { { "--json" }, "" },
        { { "--diff", "--simulate" }, "" },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Extra.empty() ? "plain" : c.Extra.front());
        Write("a.pas", "uses Forms, Forms;\r\n");
        std::vector<std::string> args = { "convert", "--repository", Path("r.dat"), changed, plain, missing };
        args.insert(args.end(), c.Extra.begin(), c.Extra.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_EQ(figures(run.Summary), c.Summary) << run.Err;
        // Standard output keeps one line per file.
        if (c.Extra.empty()) {
            EXPECT_EQ(SplitAt(run.Out, '\n').size(), 4u) << run.Out;
        }
    }
    // A run ended by a failed write counts the file it could not write; the failure's line still comes last.
    Write("a.pas", "uses Forms;\r\n");
    Write("a.~pas/in-the-way", "a folder where the backup should go");
    const TRun failed = Run({ "convert", "--repository", Path("r.dat"), "--backup", plain, changed });
    EXPECT_EQ(failed.ExitCode, 2);
    EXPECT_EQ(figures(failed.Summary), "2 files: 0 changed, 1 failed, 0 missed, T s");
    EXPECT_EQ(failed.Err, "qvconvert: " + changed + ": Unable to backup file. Is a directory\n");
}

TEST_F(ConvertCommand, SimulateAndFilesFrom)
{
    Write("r.dat", "Forms=QForms\r\n");
    const std::string a = Write("a.pas", "uses Forms;\r\n");
    const std::string b = Write("b.pas", "uses Forms;\r\n");
    Write("list.txt", a + "\n\n" + b + "\n");
    const TRun run = Run({ "convert", "--repository", Path("r.dat"), "--simulate", "--files-from", Path("list.txt") });
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    const auto lines = SplitAt(run.Out, '\n');
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(SplitAt(lines[1], '\t')[1], "1");
    EXPECT_EQ(SplitAt(lines[1], '\t')[4], b);
    EXPECT_EQ(Read("a.pas"), "uses Forms;\r\n");
    EXPECT_EQ(Read("b.pas"), "uses Forms;\r\n");
}

TEST_F(ConvertCommand, WrongArgumentsExitTwo)
{
    Write("r.dat", "Forms=QForms\r\n");
    const std::string a = Write("a.pas", "uses Forms;\r\n");
    const std::vector<std::string> commandLines[] = {
        { "convert", a },
        { "convert", "--repository", Path("r.dat") },
        { "convert", "--repository", Path("r.dat"), "--rename", "sideways", a },
        { "convert", "--repository", Path("missing.dat"), a },
        { "convert", "--repository", Path("r.dat"), "--files-from", Path("missing.txt") },
    };
    for (const auto &args : commandLines) {
        const TRun run = Run(args);
        EXPECT_EQ(run.ExitCode, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.Err.rfind("qvconvert: ", 0), 0u) << run.Err;
        EXPECT_EQ(LastLine(run.Err).rfind("qvconvert: ", 0), 0u) << run.Err;
        EXPECT_EQ(Read("a.pas"), "uses Forms;\r\n");
    }
    const TRun missing = Run({ "convert", "--repository", Path("missing.dat"), a });
    EXPECT_EQ(LastLine(missing.Err),
        "qvconvert: Cannot open file \"" + Path("missing.dat") + "\". No such file or directory");
}

} // namespace
