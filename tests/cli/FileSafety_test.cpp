// qvconvert on files it must not read or write: special files, files without write permission, a
// backup that cannot be made, a file-size limit. One line on standard error says which file and why.
#include "QvconvertRunner.h"
#include "TempFolder.h"

#include "common/FileIO.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class SafeConvertCommand : public TTempFolderTest
{
protected:
    void SetUp() override
    {
        TTempFolderTest::SetUp();
        ::setenv("LC_ALL", "C", 1);
        Put("pairs.dat", "Forms=QForms\r\n");
    }
    std::string Put(const std::string &name, const std::string &bytes) const
    {
        qvc::WriteFileReplacing(Path(name), bytes);
        return Path(name);
    }
    TQvconvertRun Run(const std::vector<std::string> &args) const { return RunQvconvert(args, m_dir.string()); }
    static std::size_t LineCount(const std::string &text) { return std::count(text.begin(), text.end(), '\n'); }
};

TEST_F(SafeConvertCommand, SpecialFilesAreRefusedWithoutBeingRead)
{
    ASSERT_EQ(::mkfifo(Path("pipe.pas").c_str(), 0600), 0);
    Put("unit.pas", "uses Forms;\r\n");

    const auto converted = Run(
        { "convert", "--json", "--repository", Path("pairs.dat"), Path("pipe.pas"), "/dev/zero", Path("unit.pas") });
    EXPECT_EQ(converted.ExitCode, 1) << converted.Err;
    const auto records = nlohmann::json::parse(converted.Out);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["count"], -1);
    EXPECT_EQ(records[0]["error"], "Cannot open file \"" + Path("pipe.pas") + "\". Not a regular file.");
    EXPECT_EQ(records[1]["count"], -1);
    EXPECT_EQ(records[2]["count"], 1);
    EXPECT_FALSE(records[2].contains("error"));

    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>> {
             { "convert", "--repository", Path("pipe.pas"), Path("unit.pas") },
             { "convert", "--repository", "/dev/zero", Path("unit.pas") },
             { "convert", "--repository", Path("pairs.dat"), "--files-from", Path("pipe.pas") },
         }) {
        const auto run = Run(args);
        EXPECT_EQ(run.ExitCode, 2) << args[2];
        EXPECT_EQ(LineCount(run.Err), 1u) << run.Err;
        EXPECT_NE(run.Err.find("Not a regular file."), std::string::npos) << run.Err;
    }
    const auto form = Run({ "form-to-text", Path("pipe.pas") });
    EXPECT_NE(form.ExitCode, 0);
    EXPECT_NE(form.Err.find("Not a regular file."), std::string::npos) << form.Err;
}

TEST_F(SafeConvertCommand, AFailedBackupEndsTheRunWithOneLineNamingTheFileAndTheReason)
{
    Put("a.pas", "uses Forms;\r\n");
    Put("b.pas", "uses Forms;\r\n");
    std::filesystem::create_directories(m_dir / "b.~pas");
    const auto run = Run({ "convert", "--backup", "--repository", Path("pairs.dat"), Path("a.pas"), Path("b.pas") });
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_EQ(run.Err, "qvconvert: " + Path("b.pas") + ": Unable to backup file. Is a directory\n");
    EXPECT_EQ(qvc::ReadFileBytes(Path("a.pas")), "uses QForms;\r\n");
    EXPECT_EQ(qvc::ReadFileBytes(Path("b.pas")), "uses Forms;\r\n");
}

TEST_F(SafeConvertCommand, AReadOnlyFileEndsTheRunUnchanged)
{
    const std::string unit = Put("unit.pas", "uses Forms;\r\n");
    ASSERT_EQ(::chmod(unit.c_str(), 0444), 0);
    const auto run = Run({ "convert", "--repository", Path("pairs.dat"), unit });
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_EQ(run.Err, "qvconvert: Cannot create file \"" + unit + "\". Permission denied\n");
    EXPECT_EQ(qvc::ReadFileBytes(unit), "uses Forms;\r\n");
}

// The run writes row by row: the rows before a write failure stay converted, the run ends at the failing row, the
// later rows are not touched, and undo takes the converted ones back.
TEST_F(SafeConvertCommand, AReadOnlyFourthOfFiveFilesEndsTheRunAfterTheThreeBefore)
{
    std::vector<std::string> units;
    for (const char *name : { "u1.pas", "u2.pas", "u3.pas", "u4.pas", "u5.pas" })
        units.push_back(Put(name, "uses Forms;\r\n"));
    ASSERT_EQ(::chmod(units[3].c_str(), 0444), 0);
    // The journal goes to this test's folder; no assertion below ends the test before the old value is back.
    const char *oldState = std::getenv("XDG_STATE_HOME");
    const bool hadState = oldState != nullptr;
    const std::string savedState = hadState ? oldState : "";
    ::setenv("XDG_STATE_HOME", Path("state").c_str(), 1);
    std::vector<std::string> args = { "convert", "--backup", "--repository", Path("pairs.dat") };
    args.insert(args.end(), units.begin(), units.end());
    const auto run = Run(args);
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_EQ(run.Err, "qvconvert: Cannot create file \"" + units[3] + "\". Permission denied\n");
    EXPECT_EQ(LineCount(run.Out), 3u) << run.Out;
    for (std::size_t i = 0; i < units.size(); ++i)
        EXPECT_EQ(qvc::ReadFileBytes(units[i]), i < 3 ? "uses QForms;\r\n" : "uses Forms;\r\n") << units[i];
    EXPECT_FALSE(std::filesystem::exists(Path("u4.~pas")));
    EXPECT_FALSE(std::filesystem::exists(Path("u5.~pas")));

    const auto undo = Run({ "undo" });
    EXPECT_EQ(undo.ExitCode, 0) << undo.Err;
    for (const std::string &unit : units)
        EXPECT_EQ(qvc::ReadFileBytes(unit), "uses Forms;\r\n") << unit;
    if (hadState)
        ::setenv("XDG_STATE_HOME", savedState.c_str(), 1);
    else
        ::unsetenv("XDG_STATE_HOME");
}

TEST_F(SafeConvertCommand, AFileSizeLimitIsAnOrdinaryWriteFailure)
{
    std::string big;
    while (big.size() < 200000)
        big += "uses Forms;\r\n";
    const std::string unit = Put("big.pas", big);
    const pid_t child = ::fork();
    if (child == 0) {
        // The limit lets the file be read but not written again, one byte longer.
        const rlimit limit { big.size(), big.size() };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto run = Run({ "convert", "--repository", Path("pairs.dat"), unit });
        ::_exit(run.ExitCode == 2 && run.Err.find("File too large") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended by a signal or without its message";
    EXPECT_EQ(qvc::ReadFileBytes(unit), big);
    std::size_t names = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(m_dir))
        ++names;
    EXPECT_EQ(names, 4u) << "pairs.dat, big.pas, stdout and stderr: no cut temporary file";
}

} // namespace
