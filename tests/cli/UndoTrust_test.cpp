// "qvconvert undo" against journals a hostile or careless hand has made or changed: it acts only on the
// running user's own journals, only inside the run's folders, only on files that hold what the journal
// says, and never touches a file outside the run.
#include "common/Checksum.h"
#include "common/FileIO.h"

#include "QvconvertRunner.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <pwd.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using Folder = std::map<std::string, std::string>;
using TJson = nlohmann::json;

const Folder kTree = {
    { "Alpha.pas", "unit Alpha;\r\nuses Forms;\r\n" },
    { "Beta.pas", "unit Beta;\r\nuses Forms;\r\n" },
};
const Folder kConverted = {
    { "Alpha.pas", "unit Alpha;\r\nuses QForms;\r\n" },
    { "Alpha.~pas", "unit Alpha;\r\nuses Forms;\r\n" },
    { "Beta.pas", "unit Beta;\r\nuses QForms;\r\n" },
    { "Beta.~pas", "unit Beta;\r\nuses Forms;\r\n" },
};
const Folder kOutside = { { "victim.pas", "the victim's own text\r\n" } };

class UndoTrust : public TTempFolderTest
{
protected:
    void SetUp() override
    {
        TTempFolderTest::SetUp();
        for (const char *folder : { "tree", "outside", "run" })
            std::filesystem::create_directories(m_dir / folder);
        ::setenv("XDG_STATE_HOME", Path("state").c_str(), 1);
        qvc::WriteFileReplacing(Path("pairs.dat"), "Forms=QForms\r\n");
        Lay("tree", kTree);
        Lay("outside", kOutside);
    }
    void Lay(const std::string &folder, const Folder &files)
    {
        for (const auto &[name, bytes] : files)
            qvc::WriteFileReplacing(Path(folder + "/" + name), bytes);
    }
    Folder Files(const std::string &folder) const
    {
        Folder out;
        for (const auto &entry : std::filesystem::directory_iterator(m_dir / folder))
            if (!entry.is_symlink() && entry.is_regular_file())
                out[entry.path().filename().string()] = qvc::ReadFileBytes(entry.path().string());
        return out;
    }
    TQvconvertRun Qvconvert(const std::vector<std::string> &args) { return RunQvconvert(args, Path("run")); }
    std::string Runs() const { return Path("state/qvConvertFiles/runs"); }
    // Converts the tree with backups and returns the run's journal.
    std::string ConvertTree()
    {
        const TQvconvertRun run = Qvconvert({ "convert", "--repository", Path("pairs.dat"), "--backup",
            Path("tree/Alpha.pas"), Path("tree/Beta.pas") });
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        EXPECT_EQ(Files("tree"), kConverted);
        std::string journal;
        for (const auto &entry : std::filesystem::directory_iterator(Runs()))
            journal = entry.path().string();
        return journal;
    }
    static std::vector<std::string> Lines(const std::string &journal)
    {
        std::vector<std::string> lines;
        std::ifstream in(journal);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    static void Rewrite(const std::string &journal, const std::vector<std::string> &lines, bool lastEnded = true)
    {
        std::string bytes;
        for (std::size_t k = 0; k < lines.size(); ++k)
            bytes += lines[k] + (k + 1 < lines.size() || lastEnded ? "\n" : "");
        std::ofstream(journal, std::ios::binary | std::ios::trunc) << bytes;
    }
    // A journal line that says the run wrote `file` anew with the bytes it holds now.
    static std::string MadeUpWrite(const std::string &file, int row)
    {
        const qvc::TContentSum sum = qvc::SumOf(qvc::ReadFileBytes(file));
        return TJson {
            { "row", row }, { "step", "write" }, { "file", file }, { "before", nullptr },
            { "after", { { "size", sum.Size }, { "xxh3", qvc::HashText(sum.Hash) } } }
        }.dump();
    }
};

struct TCraftedCase
{
    const char *Name;
    // Changes the journal (or what is around it); returns false when the case cannot be made here.
    std::function<bool(UndoTrust &test, const std::string &journal)> Craft;
    int ExitCode;
    const char *Says; ///< a part of standard error
    Folder TreeAfter;
};

bool EveryLine(UndoTrust &, const std::string &)
{
    return true;
}

class CraftedJournal : public UndoTrust, public ::testing::WithParamInterface<TCraftedCase>
{
public:
    // Helpers the crafting functions use (they are not members of the fixture's derived class).
    static std::vector<std::string> LinesOf(const std::string &journal) { return Lines(journal); }
    static void RewriteWith(const std::string &journal, const std::vector<std::string> &lines, bool lastEnded = true)
    {
        Rewrite(journal, lines, lastEnded);
    }
    static std::string WriteStepFor(const std::string &file, int row) { return MadeUpWrite(file, row); }
    std::string At(const std::string &name) const { return Path(name); }
    std::string RunsFolder() const { return Runs(); }
};

// Inserts `line` before the journal's end line.
void InsertBeforeEnd(const std::string &journal, const std::string &line)
{
    auto lines = CraftedJournal::LinesOf(journal);
    lines.insert(lines.end() - 1, line);
    CraftedJournal::RewriteWith(journal, lines);
}

// The journal's line of the write step of `row`.
std::size_t WriteLineOf(const std::vector<std::string> &lines, int row)
{
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const TJson line = TJson::parse(lines[k]);
        if (line.value("step", "") == "write" && line.value("row", -1) == row)
            return k;
    }
    ADD_FAILURE() << "no write step of row " << row;
    return 0;
}

TEST_P(CraftedJournal, UndoDoesWhatTheJournalProvesAndNothingOutsideTheRun)
{
    const std::string journal = ConvertTree();
    ASSERT_FALSE(journal.empty());
    if (!GetParam().Craft(*this, journal))
        GTEST_SKIP() << "this case needs root, to give the journal another owner";
    const TQvconvertRun undo = Qvconvert({ "undo", journal });
    EXPECT_EQ(undo.ExitCode, GetParam().ExitCode) << undo.Err << undo.Out;
    EXPECT_NE(undo.Err.find(GetParam().Says), std::string::npos) << undo.Err;
    EXPECT_EQ(Files("tree"), GetParam().TreeAfter);
    EXPECT_EQ(Files("outside"), kOutside);
}

const TCraftedCase kCraftedCases[] = {
    { "GroupWritableJournal",
        [](UndoTrust &, const std::string &journal) { return ::chmod(journal.c_str(), 0620) == 0; }, 2,
        "may be written by other users", kConverted },
    { "WorldWritableFolder",
        [](UndoTrust &, const std::string &journal) { return ::chmod(qvc::FolderOf(journal).c_str(), 01777) == 0; }, 2,
        "is not yours alone to write", kConverted },
    { "ForeignOwner",
        [](UndoTrust &, const std::string &journal) {
            const passwd *nobody = ::getpwnam("nobody");
            return ::geteuid() == 0 && nobody != nullptr
                && ::chown(journal.c_str(), nobody->pw_uid, nobody->pw_gid) == 0;
        },
        2, "belongs to another user", kConverted },
    { "JournalIsALink",
        [](UndoTrust &, const std::string &journal) {
            std::filesystem::rename(journal, journal + ".real");
            std::filesystem::create_symlink(journal + ".real", journal);
            return true;
        },
        2, "is a symbolic link", kConverted },
    { "AbsolutePathOutside",
        [](UndoTrust &test, const std::string &journal) {
            InsertBeforeEnd(
                journal, CraftedJournal::WriteStepFor(static_cast<CraftedJournal &>(test).At("outside/victim.pas"), 1));
            return true;
        },
        2, "outside the run's folders", kConverted },
    { "DotDotPath",
        [](UndoTrust &test, const std::string &journal) {
            // Relative paths are taken from the folder the run was started in, said to be the tree.
            auto &crafted = static_cast<CraftedJournal &>(test);
            auto step = TJson::parse(CraftedJournal::WriteStepFor(crafted.At("outside/victim.pas"), 1));
            step["file"] = "../outside/victim.pas";
            InsertBeforeEnd(journal, step.dump());
            auto lines = CraftedJournal::LinesOf(journal);
            TJson header = TJson::parse(lines[0]);
            header["folder"] = crafted.At("tree");
            lines[0] = header.dump();
            CraftedJournal::RewriteWith(journal, lines);
            return true;
        },
        2, "outside the run's folders", kConverted },
    { "SymlinkedFolder",
        [](UndoTrust &test, const std::string &journal) {
            auto &crafted = static_cast<CraftedJournal &>(test);
            std::filesystem::create_directory_symlink(crafted.At("outside"), crafted.At("tree/sub"));
            auto step = TJson::parse(CraftedJournal::WriteStepFor(crafted.At("outside/victim.pas"), 1));
            step["file"] = crafted.At("tree/sub/victim.pas");
            InsertBeforeEnd(journal, step.dump());
            return true;
        },
        2, "outside the run's folders", kConverted },
    { "BackupOutside",
        [](UndoTrust &test, const std::string &journal) {
            auto &crafted = static_cast<CraftedJournal &>(test);
            auto lines = CraftedJournal::LinesOf(journal);
            for (auto &text : lines) {
                TJson line = TJson::parse(text);
                if (line.value("step", "") == "backup" && line.value("row", -1) == 0) {
                    line["backup"] = crafted.At("outside/victim.pas");
                    text = line.dump();
                }
            }
            CraftedJournal::RewriteWith(journal, lines);
            return true;
        },
        2, "outside the run's folders", kConverted },
    { "WrongChecksum",
        [](UndoTrust &, const std::string &journal) {
            // The old text recorded for Beta.pas is not what its backup holds.
            auto lines = CraftedJournal::LinesOf(journal);
            TJson line = TJson::parse(lines[WriteLineOf(lines, 1)]);
            line["before"]["xxh3"] = "0123456789abcdef";
            lines[WriteLineOf(lines, 1)] = line.dump();
            CraftedJournal::RewriteWith(journal, lines);
            return true;
        },
        1, "kept no backup", kConverted },
    { "Truncated",
        [](UndoTrust &, const std::string &journal) {
            // The journal's file system filled while Beta.pas was journaled: its lines and the end are cut.
            auto lines = CraftedJournal::LinesOf(journal);
            lines.resize(WriteLineOf(lines, 0) + 2);
            lines.back().resize(lines.back().size() / 2);
            CraftedJournal::RewriteWith(journal, lines, false);
            return true;
        },
        1, "the journal ends before the run did",
        Folder { { "Alpha.pas", kTree.at("Alpha.pas") }, { "Beta.pas", kConverted.at("Beta.pas") },
            { "Beta.~pas", kConverted.at("Beta.~pas") } } },
    { "Empty",
        [](UndoTrust &, const std::string &journal) {
            std::filesystem::resize_file(journal, 0);
            return true;
        },
        2, "journal empty or damaged", kConverted },
    { "Damaged",
        [](UndoTrust &, const std::string &journal) {
            auto lines = CraftedJournal::LinesOf(journal);
            lines.insert(lines.begin() + 3, "{\"row\":0,\"step\":");
            CraftedJournal::RewriteWith(journal, lines);
            return true;
        },
        2, "journal empty or damaged", kConverted },
    { "DuplicateSteps",
        [](UndoTrust &, const std::string &journal) {
            auto lines = CraftedJournal::LinesOf(journal);
            const std::vector<std::string> copy = lines;
            lines.insert(lines.end() - 1, copy.begin() + 2, copy.end() - 1);
            CraftedJournal::RewriteWith(journal, lines);
            return true;
        },
        0, "", kTree },
    { "Genuine", EveryLine, 0, "", kTree },
};

INSTANTIATE_TEST_SUITE_P(, CraftedJournal, ::testing::ValuesIn(kCraftedCases),
    [](const ::testing::TestParamInfo<TCraftedCase> &info) { return std::string(info.param.Name); });

TEST_F(UndoTrust, AJournalWithOnlyAMadeUpWriteRemovesNoFileThatDiffers)
{
    const std::string journal = ConvertTree();
    // The made-up step says the run created Alpha.pas with other bytes than it holds: not removed.
    auto lines = Lines(journal);
    TJson step = TJson::parse(MadeUpWrite(Path("tree/Alpha.pas"), 0));
    step["after"]["xxh3"] = "0123456789abcdef";
    lines.insert(lines.end() - 1, step.dump());
    Rewrite(journal, lines);
    const TQvconvertRun undo = Qvconvert({ "undo", journal });
    EXPECT_EQ(undo.ExitCode, 1) << undo.Err;
    EXPECT_NE(undo.Err.find("changed since the run"), std::string::npos) << undo.Err;
    EXPECT_EQ(Files("tree"), kConverted);
}

TEST_F(UndoTrust, TheLastRunIsTheNewestByItsRecordedTimeNotByItsName)
{
    std::filesystem::create_directories(m_dir / "other");
    Lay("other", { { "Gamma.pas", "uses Forms;\r\n" } });
    ASSERT_EQ(
        Qvconvert({ "convert", "--repository", Path("pairs.dat"), "--backup", Path("other/Gamma.pas") }).ExitCode, 0);
    std::string older;
    for (const auto &entry : std::filesystem::directory_iterator(Runs()))
        older = entry.path().string();
    // The first run's journal planted under a name that sorts last.
    std::filesystem::rename(older, Runs() + "/99991231T235959.999999999Z-1.jsonl");
    ConvertTree();
    const TQvconvertRun undo = Qvconvert({ "undo" });
    EXPECT_EQ(undo.ExitCode, 0) << undo.Err;
    EXPECT_EQ(Files("tree"), kTree);
    EXPECT_EQ(Files("other"), (Folder { { "Gamma.pas", "uses QForms;\r\n" }, { "Gamma.~pas", "uses Forms;\r\n" } }));
}

TEST_F(UndoTrust, ForceKeepsALinkThatTookAConvertedFilesPlaceAndLeavesItsTargetAlone)
{
    ConvertTree();
    // Alpha.pas, as converted, became a link to the victim's file.
    std::filesystem::remove(Path("tree/Alpha.pas"));
    std::filesystem::create_symlink(Path("outside/victim.pas"), Path("tree/Alpha.pas"));
    const TQvconvertRun refused = Qvconvert({ "undo" });
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_NE(refused.Err.find(Path("tree/Alpha.pas")), std::string::npos) << refused.Err;
    const TQvconvertRun forced = Qvconvert({ "undo", "--force" });
    EXPECT_EQ(forced.ExitCode, 0) << forced.Err;
    EXPECT_EQ(Files("outside"), kOutside);
    EXPECT_EQ(Files("tree"), kTree);
    EXPECT_FALSE(std::filesystem::is_symlink(Path("tree/Alpha.pas")));
    // The link itself is kept under the numbered backup name, and listed.
    EXPECT_TRUE(std::filesystem::is_symlink(Path("tree/Alpha.~pas.~1~")));
    EXPECT_NE(
        forced.Out.find("kept\t" + Path("tree/Alpha.pas") + "\t" + Path("tree/Alpha.~pas.~1~")), std::string::npos)
        << forced.Out;
}

TEST_F(UndoTrust, ARunThroughALinkIsUndoneInTheLinksTargetAsTheRunWroteIt)
{
    // The unit in the tree is a link to a file in another folder of the user's: the run wrote the target.
    Lay("outside", { { "Shared.pas", "uses Forms;\r\n" } });
    std::filesystem::create_symlink(Path("outside/Shared.pas"), Path("tree/Shared.pas"));
    const TQvconvertRun run
        = Qvconvert({ "convert", "--repository", Path("pairs.dat"), "--backup", Path("tree/Shared.pas") });
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    ASSERT_EQ(qvc::ReadFileBytes(Path("outside/Shared.pas")), "uses QForms;\r\n");
    const TQvconvertRun undo = Qvconvert({ "undo" });
    EXPECT_EQ(undo.ExitCode, 0) << undo.Err;
    EXPECT_TRUE(std::filesystem::is_symlink(Path("tree/Shared.pas")));
    EXPECT_EQ(qvc::ReadFileBytes(Path("outside/Shared.pas")), "uses Forms;\r\n");
}

TEST_F(UndoTrust, ForceKeepsAFormTheRunCreatedAndTheUserEdited)
{
    Lay("tree", { { "Unit1.dfm", "object F\r\n  C = Forms\r\nend\r\n" } });
    ASSERT_EQ(Qvconvert({ "convert", "--repository", Path("pairs.dat"), "--rename", "delphi-to-kylix",
                            Path("tree/Unit1.dfm") })
                  .ExitCode,
        0);
    ASSERT_TRUE(std::filesystem::exists(Path("tree/Unit1.xfm")));
    qvc::WriteFileReplacing(Path("tree/Unit1.xfm"), "the porter's edit\r\n");
    EXPECT_EQ(Qvconvert({ "undo" }).ExitCode, 1);
    EXPECT_EQ(qvc::ReadFileBytes(Path("tree/Unit1.xfm")), "the porter's edit\r\n");
    const TQvconvertRun forced = Qvconvert({ "undo", "--force" });
    EXPECT_EQ(forced.ExitCode, 0) << forced.Err;
    EXPECT_FALSE(std::filesystem::exists(Path("tree/Unit1.xfm")));
    EXPECT_EQ(qvc::ReadFileBytes(Path("tree/Unit1.~xfm.~1~")), "the porter's edit\r\n");
    EXPECT_NE(forced.Out.find("kept\t" + Path("tree/Unit1.xfm")), std::string::npos) << forced.Out;
}

TEST_F(UndoTrust, TwoRunsAtOnceOnOneTreeTakeTurnsAndAreBothUndone)
{
    Folder many;
    for (int k = 0; k < 60; ++k)
        many["Unit" + std::to_string(k) + ".pas"] = "uses Forms, Graphics;\r\n";
    qvc::WriteFileReplacing(Path("graphics.dat"), "Graphics=QGraphics\r\n");
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        std::filesystem::remove_all(m_dir / "tree");
        std::filesystem::create_directories(m_dir / "tree");
        Lay("tree", many);
        const pid_t first = StartQvconvert({ "convert", "--repository", Path("pairs.dat"), "--backup", Path("tree") },
            Path("run/first.out"), Path("run/first.err"));
        const pid_t second
            = StartQvconvert({ "convert", "--repository", Path("graphics.dat"), "--backup", Path("tree") },
                Path("run/second.out"), Path("run/second.err"));
        ASSERT_GT(first, 0);
        ASSERT_GT(second, 0);
        EXPECT_EQ(WaitForQvconvert(first), 0) << qvc::ReadFileBytes(Path("run/first.err"));
        EXPECT_EQ(WaitForQvconvert(second), 0) << qvc::ReadFileBytes(Path("run/second.err"));
        for (const auto &[name, bytes] : Files("tree")) {
            if (name.find('~') == std::string::npos) {
                EXPECT_EQ(bytes, "uses QForms, QGraphics;\r\n") << name;
            }
        }
        // Each run journaled what it did, so undoing the last run and then the other gives every file its
        // first text back.
        const TQvconvertRun last = Qvconvert({ "undo" });
        EXPECT_EQ(last.ExitCode, 0) << last.Err;
        for (const auto &entry : std::filesystem::directory_iterator(Runs())) {
            const std::string journal = entry.path().string();
            if (last.Out.find(journal) == std::string::npos) {
                const TQvconvertRun other = Qvconvert({ "undo", journal });
                EXPECT_EQ(other.ExitCode, 0) << other.Err;
            }
        }
        std::filesystem::remove_all(Runs());
        EXPECT_EQ(Files("tree"), many);
        if (HasFailure())
            break;
    }
}

TEST_F(UndoTrust, AJournalWhoseFileSystemFillsIsReportedAndItsUndoNamesWhatItCannotAccountFor)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to mount a small file system for the journal";
    const std::string state = Path("state");
    std::filesystem::create_directories(state);
    if (::mount("tmpfs", state.c_str(), "tmpfs", 0, "size=16k,mode=0700") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct TUnmount // NOLINT(cppcoreguidelines-special-member-functions): a brace-initialised guard, not copied
    {
        std::string Folder;
        ~TUnmount() { ::umount2(Folder.c_str(), MNT_DETACH); }
    } unmount { state };
    Folder many;
    for (int k = 0; k < 100; ++k)
        many["Unit" + std::to_string(k) + ".pas"] = "uses Forms;\r\n";
    Lay("tree", many);
    const TQvconvertRun run = Qvconvert({ "convert", "--repository", Path("pairs.dat"), "--backup", Path("tree") });
    EXPECT_EQ(run.ExitCode, 1) << run.Err;
    const std::string lastLine = run.Err.substr(run.Err.rfind('\n', run.Err.size() - 2) + 1);
    EXPECT_NE(lastLine.find("could not be completed"), std::string::npos) << run.Err;
    const Folder converted = Files("tree");

    // While the file system is still full the undo cannot journal itself: it starts nothing.
    const TQvconvertRun full = Qvconvert({ "undo" });
    EXPECT_NE(full.ExitCode, 0);
    EXPECT_EQ(Files("tree"), converted);

    ASSERT_EQ(::mount("tmpfs", state.c_str(), "tmpfs", MS_REMOUNT, "size=1m,mode=0700"), 0);
    const TQvconvertRun undo = Qvconvert({ "undo" });
    EXPECT_EQ(undo.ExitCode, 1) << undo.Err;
    EXPECT_NE(undo.Err.find("the journal ends before the run did"), std::string::npos) << undo.Err;
    // What the journal proves is back; every other file is as the run left it, with its backup, and named.
    std::size_t restored = 0;
    std::size_t named = 0;
    for (const auto &[name, bytes] : many) {
        const Folder after = Files("tree");
        if (after.at(name) == bytes) {
            ++restored;
            EXPECT_EQ(after.count(name.substr(0, name.size() - 3) + "~pas"), 0u) << name;
        } else {
            EXPECT_EQ(after.at(name), "uses QForms;\r\n") << name;
            EXPECT_NE(undo.Err.find(Path("tree/" + name)), std::string::npos) << name;
            ++named;
        }
    }
    EXPECT_GT(restored, 0u);
    EXPECT_GT(named, 0u);
}

TEST_F(UndoTrust, AnInterruptedUndoStopsConvertUntilTheNextUndoCompletesIt)
{
    const std::string journal = ConvertTree();
    // What a kill leaves: the undo journal of a process that has ended, one file already back.
    std::ofstream(journal + ".undo") << "{\"force\":false,\"pid\":2147483646,\"start\":1,\"undo\":1}\n";
    ::chmod((journal + ".undo").c_str(), 0600);
    std::filesystem::rename(Path("tree/Alpha.~pas"), Path("tree/Alpha.pas"));
    const TQvconvertRun refused = Qvconvert({ "convert", "--repository", Path("pairs.dat"), Path("tree") });
    EXPECT_EQ(refused.ExitCode, 2);
    EXPECT_NE(refused.Err.find("qvconvert undo"), std::string::npos) << refused.Err;
    EXPECT_EQ(refused.Err.find('\n'), refused.Err.size() - 1) << "one line: " << refused.Err;
    const TQvconvertRun completed = Qvconvert({ "undo" });
    EXPECT_EQ(completed.ExitCode, 0) << completed.Err;
    EXPECT_NE(completed.Out.find("completed the interrupted undo"), std::string::npos) << completed.Out;
    EXPECT_EQ(Files("tree"), kTree);
    EXPECT_FALSE(std::filesystem::exists(journal + ".undo"));
    EXPECT_EQ(Qvconvert({ "convert", "--repository", Path("pairs.dat"), "--simulate", Path("tree") }).ExitCode, 0);
}

TEST_F(UndoTrust, ARunWithoutAJournalSaysSoOnItsLastLineAndDoesNotEndAsASuccess)
{
    // A file where the journals' folder should be: the run converts its files all the same.
    qvc::WriteFileReplacing(Path("state"), "not a folder");
    const TQvconvertRun run = Qvconvert({ "convert", "--repository", Path("pairs.dat"), "--backup", Path("tree") });
    EXPECT_EQ(run.ExitCode, 1) << run.Err;
    EXPECT_EQ(Files("tree"), kConverted);
    ASSERT_FALSE(run.Err.empty());
    const std::string lastLine = run.Err.substr(run.Err.rfind('\n', run.Err.size() - 2) + 1);
    EXPECT_NE(lastLine.find("cannot be undone"), std::string::npos) << run.Err;
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 2) << "one line per file: " << run.Out;
}

TEST_F(UndoTrust, TheLastRunsJournalThatMayNotBeUsedIsRefusedNotPassedOver)
{
    std::filesystem::create_directories(m_dir / "other");
    Lay("other", { { "Gamma.pas", "uses Forms;\r\n" } });
    ASSERT_EQ(
        Qvconvert({ "convert", "--repository", Path("pairs.dat"), "--backup", Path("other/Gamma.pas") }).ExitCode, 0);
    const std::string first = std::filesystem::directory_iterator(Runs())->path().string();
    ConvertTree();
    for (const auto &entry : std::filesystem::directory_iterator(Runs())) {
        if (entry.path().string() != first) {
            ASSERT_EQ(::chmod(entry.path().c_str(), 0620), 0);
        }
    }
    const TQvconvertRun undo = Qvconvert({ "undo" });
    EXPECT_EQ(undo.ExitCode, 2) << undo.Err;
    EXPECT_NE(undo.Err.find("may be written by other users"), std::string::npos) << undo.Err;
    EXPECT_EQ(Files("tree"), kConverted);
    EXPECT_EQ(qvc::ReadFileBytes(Path("other/Gamma.pas")), "uses QForms;\r\n");
}

} // namespace
