// qvconvert as a black box: "form-to-text", --help and --version, exit codes and the error line.
#include "common/FileIO.h"

#include "QvconvertRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

struct TRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

class FormToText : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qvc-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }

    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    std::string Write(const std::string &name, const std::string &bytes)
    {
        std::string path = (m_dir / name).string();
        qvc::WriteFileReplacing(path, bytes);
        return path;
    }

    // Runs qvconvert with `args`, standard output and error going to files of the temporary folder.
    TRun Run(const std::vector<std::string> &args)
    {
        const TQvconvertRun run = RunQvconvert(args, m_dir.string());
        return TRun { run.ExitCode, run.Out, run.Err };
    }

    fs::path m_dir;
};

std::string Le(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string WithHeader(const std::string &stream)
{
    return "\xFF\x0A\x00TFORM1\x00"s + Le(0x1030, 2) + Le(static_cast<std::uint32_t>(stream.size()), 4) + stream;
}

const std::string kStream = "TPF0\x06TForm1\x05"
                            "Form1\x07"
                            "Caption\x06\x03"
                            "a'b\x04Left\x03\x2C\x01\x00\x00"s;
const std::string kText = "object Form1: TForm1\r\n  Caption = 'a'#39'b'\r\n  Left = 300\r\nend\r\n";

TEST_F(FormToText, BinaryFormGivesItsText)
{
    const TRun run = Run({ "form-to-text", Write("Unit1.dfm", WithHeader(kStream)) });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kText);
    EXPECT_EQ(run.err, "");
}

TEST_F(FormToText, TextFormsAreWrittenUnchanged)
{
    const std::string texts[] = { kText, "inherited Form2: TForm2\nend", "inline F: TFrame\rend\r",
        "OBJECT X: TX\r\nEND\r\n", "\xEF\xBB\xBFobject Form1: TForm1\r\nend\r\n", "i" };
    for (const std::string &text : texts) {
        const TRun run = Run({ "form-to-text", Write("Unit1.xfm", text) });
        EXPECT_EQ(run.exitCode, 0) << text;
        EXPECT_EQ(run.out, text);
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(FormToText, RealBinaryFormGivesItsTextTwin)
{
    const fs::path sample
        = fs::path(QVC_SHARED_DIR) / "corpus/forms/binary/graphics32/Examples/General/Pan & Zoom/UnitMain.dfm";
    if (!fs::is_regular_file(sample))
        GTEST_SKIP() << "skipped: the real form corpus " << QVC_SHARED_DIR "/corpus/forms is absent";
    const std::string path = Write("Pan & Zoom.dfm", qvc::ReadFileBytes(sample.string()));
    const TRun run = Run({ "form-to-text", path });
    EXPECT_EQ(run.exitCode, 0);
    const fs::path twin
        = fs::path(QVC_SHARED_DIR) / "corpus/forms/text/graphics32/Examples/General/Pan & Zoom/UnitMain.dfm";
    EXPECT_EQ(run.out, qvc::ReadFileBytes(twin.string()));
}

struct TFailureCase
{
    const char *name;
    std::string bytes; // empty name: no file at all
    const char *reason;
};

TEST_F(FormToText, FailuresGiveOneLineAndExitOne)
{
    const TFailureCase cases[] = {
        { "missing.dfm", {}, "Cannot open file" },
        { "empty.dfm", "", "Not a form file" },
        { "other.dfm", "\x00\x01TPF0"s, "Not a form file" },
        { "header.dfm", "\xFF\x0B\x00X\x00"s + Le(0, 6) + kStream, "resource header" },
        { "cut-header.dfm", "\xFF\x0A\x00TFORM1"s, "resource header" },
        { "signature.dfm", WithHeader("TPF1" + kStream.substr(4)), "TPF0" },
        { "type.dfm", WithHeader(kStream.substr(0, 25) + "\x15"), "unknown value type 21" },
        { "cut.dfm", WithHeader(kStream.substr(0, kStream.size() - 1)), "ends early" },
    };
    for (const TFailureCase &failure : cases) {
        const std::string path = std::string(failure.name) == "missing.dfm" ? (m_dir / failure.name).string()
                                                                            : Write(failure.name, failure.bytes);
        const TRun run = Run({ "form-to-text", path });
        EXPECT_EQ(run.exitCode, 1) << failure.name;
        EXPECT_EQ(run.out, "") << failure.name;
        const std::string head = "qvconvert: " + path + ": ";
        EXPECT_EQ(run.err.compare(0, head.size(), head), 0) << run.err;
        EXPECT_NE(run.err.find(failure.reason), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line: " << run.err;
    }
}

TEST_F(FormToText, FolderIsAFailure)
{
    const TRun run = Run({ "form-to-text", m_dir.string() });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("qvconvert: " + m_dir.string() + ": ", 0), 0u) << run.err;
}

TEST_F(FormToText, VersionAndHelp)
{
    const TRun version = Run({ "--version" });
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "qvconvert " QVC_VERSION "\n"); // the project's version, as the package has it

    const TRun help = Run({ "--help" });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("form-to-text"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");

    const TRun commandHelp = Run({ "form-to-text", "--help" });
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_NE(commandHelp.out.find("FILE"), std::string::npos) << commandHelp.out;
}

TEST_F(FormToText, EveryHelpHasUsageExamplesAndExitStatuses)
{
    const std::vector<std::string> commandLines[]
        = { { "--help" }, { "convert", "--help" }, { "form-to-text", "--help" }, { "form-to-text", "-h" } };
    for (const std::vector<std::string> &args : commandLines) {
        const TRun run = Run(args);
        const std::string what = testing::PrintToString(args) + "\n" + run.out;
        EXPECT_EQ(run.exitCode, 0) << what;
        EXPECT_EQ(run.err, "") << what;
        // A one-line summary first, then the usage, the examples (each a qvconvert command) and the exit statuses.
        const std::size_t usage = run.out.find("Usage: qvconvert");
        const std::size_t examples = run.out.find("\nExamples:\n");
        const std::size_t statuses = run.out.find("\nExit status:\n");
        ASSERT_NE(usage, std::string::npos) << what;
        EXPECT_GT(run.out.find('\n'), 0u) << what;
        EXPECT_LT(usage, examples) << what;
        EXPECT_LT(examples, statuses) << what;
        EXPECT_NE(run.out.find("  qvconvert ", examples), std::string::npos) << what;
        ASSERT_NE(statuses, std::string::npos) << what;
        for (const char *status : { "\n  0  ", "\n  1  ", "\n  2  " })
            EXPECT_NE(run.out.find(status, statuses), std::string::npos) << status << " in " << what;
    }
}

TEST_F(FormToText, UsageErrorsExitTwo)
{
    const std::vector<std::string> commandLines[] = { {}, { "no-such-command" }, { "form-to-text" },
        { "form-to-text", "a.dfm", "b.dfm" }, { "--no-such-option" } };
    for (const std::vector<std::string> &args : commandLines) {
        const TRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("qvconvert: ", 0), 0u) << run.err;
    }
}

} // namespace
