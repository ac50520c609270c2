// A run that writes its files on writer threads while the pass goes on gives what a run writing one file after
// the other gives: the same files, results, cells and journal steps per file; a failed call or a kill at any step
// of a file's writing leaves the rows before it converted, that row and every later one untouched, and an undo
// that takes back everything.
#include "EngineFixture.h"
#include "EnvScope.h"
#include "FakeConversionView.h"
#include "GeneratedTree.h"
#include "SystemFaults.h"

#include "common/TextLines.h"
#include "engine/journal/RunJournal.h"
#include "engine/journal/UndoRun.h"
#include "engine/write/BackupStep.h"
#include "engine/write/WriteAhead.h"

#include <algorithm>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, std::string>; // path relative to the tree -> bytes

// What a run gave, apart from the times it measured.
struct TRunOutcome
{
    std::string Error; // the message of the failure that ended the run, empty when none
    std::vector<std::string> Cells; // per row: image, updates, status, selected
    std::vector<int> Images; // every state image set, in order
    std::vector<std::string> Reports; // per file converted: what its report says
    std::map<std::string, std::vector<std::string>> Steps; // per file: its journal steps in order
    std::vector<std::string> Journal; // every journal step in order
    Tree Files;
    bool operator==(const TRunOutcome &) const = default;
};

std::string Describe(const qvc::TPassReport &report)
{
    return std::to_string(report.Count) + "|" + std::to_string(report.Percent) + "|" + report.WrittenName + "|"
        + report.BackupName + "|" + report.FailureReason.Flat() + "|" + report.Plan.WrittenName + "|"
        + std::to_string(report.Missed.size());
}

std::string Describe(const qvc::TJournalStep &step)
{
    static const char *const kinds[] = { "read", "backup", "write", "remove", "rename" };
    return std::string(kinds[static_cast<int>(step.Kind)]) + " " + std::to_string(step.Row) + " " + step.Other + " "
        + step.Older + " " + (step.Before ? std::to_string(step.Before->Hash) : "-") + " "
        + (step.After ? std::to_string(step.After->Hash) : "-");
}

class ParallelWritesTest : public TEngineFolderTest
{
protected:
    void SetUp() override
    {
        TEngineFolderTest::SetUp();
        m_state = Path("state");
        m_tree = Path("tree");
        m_pristine = Path("pristine");
        fs::create_directories(m_state);
        fs::permissions(m_state, fs::perms::owner_all);
    }
    void TearDown() override
    {
        qvc::SetFaultHook({});
        TEngineFolderTest::TearDown();
    }

    // The pristine tree: a generated project, a unit renamed by its own name with its form, and files whose
    // names rows share (a link to another row's file, a second name of a file).
    void MakePristine(int units)
    {
        ASSERT_EQ(GenerateTree(m_pristine, units, 7, "--dat '" + kExampleRepository + "'"), 0);
        const auto write = [&](const std::string &name, const std::string &bytes) {
            qvc::WriteFileReplacing(m_pristine + "/" + name, bytes);
        };
        write("Alpha.pas", "unit Alpha;\r\ninterface\r\nuses Forms, Alpha;\r\nend.\r\n");
        write("Alpha.dfm", "object Alpha: TForm\r\n  Caption = 'Alpha'\r\nend\r\n");
        write("Shared.pas", "unit Shared;\r\nuses Forms, Graphics;\r\nend.\r\n");
        fs::create_symlink("Shared.pas", m_pristine + "/LinkToShared.pas");
        fs::create_hard_link(m_pristine + "/Shared.pas", m_pristine + "/SecondName.pas");
        write("Unit1.~pas", "uses Forms; // an older backup\r\n");
        m_pairs = qvc::SplitLines(qvc::ReadFileBytes(kExampleRepository));
        m_pairs.erase(m_pairs.begin()); // the rename marker
        m_pairs.emplace_back("Alpha=NewAlpha");
    }
    void LayTree()
    {
        fs::remove_all(m_tree);
        fs::copy(m_pristine, m_tree, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        // The second name stays a second name of the same file.
        fs::remove(m_tree + "/SecondName.pas");
        fs::create_hard_link(m_tree + "/Shared.pas", m_tree + "/SecondName.pas");
        for (const auto &entry : fs::directory_iterator(m_state))
            fs::remove_all(entry.path());
    }
    Tree ReadTree() const
    {
        Tree files;
        for (const auto &entry : fs::recursive_directory_iterator(m_tree))
            if (entry.is_regular_file() && !entry.is_symlink())
                files[fs::relative(entry.path(), m_tree).string()] = qvc::ReadFileBytes(entry.path().string());
        return files;
    }
    // The rows of a run: every file of the tree but backups, in name order, a file that is missing, and
    // one file listed twice.
    std::vector<std::string> RowFiles() const
    {
        std::vector<std::string> rows;
        for (const auto &entry : fs::recursive_directory_iterator(m_pristine))
            if (!entry.is_directory() && entry.path().filename().string().find('~') == std::string::npos)
                rows.push_back(m_tree + "/" + fs::relative(entry.path(), m_pristine).string());
        std::sort(rows.begin(), rows.end());
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(rows.size() / 2), m_tree + "/Missing.pas");
        rows.push_back(m_tree + "/Alpha.pas");
        return rows;
    }
    TFakeConversionView MakeView(bool backup) const
    {
        TFakeConversionView view;
        for (const std::string &file : RowFiles())
            view.Rows.push_back(TFakeRow { file, view.Rows.size() });
        view.Backup = backup;
        return view;
    }
    TRunOutcome Outcome(const TFakeConversionView &view, std::string error) const
    {
        TRunOutcome outcome;
        outcome.Error = std::move(error);
        for (const TFakeRow &row : view.Rows)
            outcome.Cells.push_back(std::to_string(row.Image) + " " + row.Updates + " " + row.Status + " "
                + (row.Selected ? "selected" : "-"));
        outcome.Images = view.ImageHistory;
        for (const auto &[row, report] : view.Reports)
            outcome.Reports.push_back(std::to_string(row) + ": " + Describe(report));
        const std::string journal = qvc::NewestJournal(m_state);
        if (!journal.empty())
            for (const qvc::TJournalStep &step : qvc::ReadJournal(journal).Steps) {
                outcome.Steps[step.Path].push_back(Describe(step));
                outcome.Journal.push_back(step.Path + " " + Describe(step));
            }
        outcome.Files = ReadTree();
        return outcome;
    }
    // A run of every row with `writers` writer threads.
    TRunOutcome Run(const char *writers, bool backup, int renameMode)
    {
        const TEnvScope env("QVC_WRITERS", writers);
        TFakeConversionView view = MakeView(backup);
        qvc::TResultStore store;
        for (std::size_t i = 0; i < view.Rows.size(); ++i)
            store.Append();
        qvc::TRunJournal journal(m_state);
        std::string error;
        try {
            RunOverRows(view, m_pairs, qvc::TRenameMode(renameMode), store, &journal);
        } catch (const qvc::TError &failure) {
            error = failure.what();
        }
        return Outcome(view, error);
    }
    // The same rows converted one after the other through ConvertFile, each written before the next is read.
    TRunOutcome RunInTurn(bool backup, int renameMode)
    {
        TFakeConversionView view = MakeView(backup);
        qvc::TRunJournal journal(m_state);
        std::vector<std::string> files;
        for (const TFakeRow &row : view.Rows)
            files.push_back(row.FileName);
        journal.BeginRun(files, qvc::RunFoldersOf(files));
        std::vector<std::string> lines = m_pairs;
        if (qvc::TRenameMode(renameMode) == qvc::TRenameMode::DelphiToLazarus)
            lines.emplace_back(qvc::kLazarusResourcePair);
        qvc::TSubstitutionPass pass(lines);
        pass.SetJournal(&journal);
        const int rows = static_cast<int>(view.Rows.size());
        for (int row = 0; row < rows; ++row)
            view.RowReset(row);
        view.RowsReset();
        for (int row = 0; row < rows; ++row) {
            qvc::TFileOutcome outcome;
            outcome.Row = row;
            outcome.Number = view.Rows[static_cast<std::size_t>(row)].Number;
            view.RowStarted(row);
            pass.ConvertFile(row, view.Rows[static_cast<std::size_t>(row)].FileName,
                { qvc::TRenameMode(renameMode), backup, false }, outcome.Result, view, outcome.Report);
            view.RowOutcome(outcome);
        }
        pass.SyncChangedFolders();
        journal.End();
        return Outcome(view, {});
    }
    // The rows' files whose text a run changes under their own names, in row order, with their new texts.
    std::vector<std::pair<std::string, std::string>> ChangedInPlace(const Tree &after) const
    {
        const Tree before = ReadPristine();
        std::vector<std::pair<std::string, std::string>> changed;
        for (const std::string &file : RowFiles()) {
            const std::string name = fs::relative(file, m_tree).string();
            if (before.contains(name) && after.contains(name) && before.at(name) != after.at(name)
                && !fs::is_symlink(m_pristine + "/" + name))
                changed.emplace_back(name, after.at(name));
        }
        return changed;
    }
    Tree ReadPristine() const
    {
        Tree files;
        for (const auto &entry : fs::recursive_directory_iterator(m_pristine))
            if (entry.is_regular_file() && !entry.is_symlink())
                files[fs::relative(entry.path(), m_pristine).string()] = qvc::ReadFileBytes(entry.path().string());
        return files;
    }
    // Each changed file holds its old or its new text, and no row is new after a row that is still old: the row
    // from which on the files are old (the size when every one is new).
    std::size_t CheckRowOrder(
        const std::vector<std::pair<std::string, std::string>> &changed, const Tree &now, const std::string &what) const
    {
        const Tree before = ReadPristine();
        std::size_t firstOld = changed.size();
        for (std::size_t k = 0; k < changed.size(); ++k) {
            const auto &[name, text] = changed[k];
            const bool isNew = now.contains(name) && now.at(name) == text;
            const bool isOld = now.contains(name) && now.at(name) == before.at(name);
            EXPECT_TRUE(isNew || isOld) << what << ": " << name << " holds neither its old nor its new text";
            if (isOld && firstOld == changed.size())
                firstOld = k;
            EXPECT_FALSE(isNew && firstOld < k) << what << ": " << name << " is new after an old row";
        }
        return firstOld;
    }
    // Takes back the newest run: afterwards the tree holds exactly what it held before the run.
    void UndoAndCompare(const std::string &what)
    {
        // The hidden files a killed run left are the next run's sweep to remove, folder by folder.
        qvc::SweepStaleTemporaries(m_tree);
        for (const auto &entry : fs::recursive_directory_iterator(m_tree))
            if (entry.is_directory())
                qvc::SweepStaleTemporaries(entry.path().string());
        const std::string journal = qvc::NewestJournal(m_state);
        if (!journal.empty()) {
            const qvc::TUndoPlan plan = qvc::PlanUndo(qvc::ReadJournal(journal), false);
            ASSERT_TRUE(plan.Possible()) << what;
            qvc::ExecuteUndo(plan);
        }
        const Tree now = ReadTree();
        const Tree before = ReadPristine();
        for (const auto &[name, bytes] : now)
            EXPECT_TRUE(before.contains(name) && before.at(name) == bytes)
                << what << ": after the undo " << name << (before.contains(name) ? " differs" : " is left");
        for (const auto &[name, bytes] : before)
            EXPECT_TRUE(now.contains(name)) << what << ": after the undo " << name << " is missing";
    }

    std::string m_state;
    std::string m_tree;
    std::string m_pristine;
    std::vector<std::string> m_pairs;
};

struct TModeCase
{
    const char *name;
    bool backup;
    int renameMode;
};

const TModeCase kModes[] = {
    { "DelphiToKylixWithBackups", true, 0 },
    { "DelphiToKylixWithoutBackups", false, 0 },
    { "KylixToDelphi", true, 1 },
    { "NoRenameWithBackups", true, 2 },
    { "DelphiToLazarus", true, 3 },
};

TEST_F(ParallelWritesTest, PooledRunGivesWhatARunOfOneFileAfterTheOtherGives)
{
    if (!CanGenerateTrees())
        GTEST_SKIP() << "skipped: python3, which runs the tree generator, is missing";
    MakePristine(60);
    for (const TModeCase &mode : kModes) {
        LayTree();
        const TRunOutcome inTurn = RunInTurn(mode.backup, mode.renameMode);
        ASSERT_TRUE(inTurn.Error.empty()) << mode.name;
        ASSERT_GT(ChangedInPlace(inTurn.Files).size(), 2 * qvc::TWriteAhead::kBatchRows) << mode.name;
        for (const char *writers : { "1", "4" }) {
            LayTree();
            const TRunOutcome pooled = Run(writers, mode.backup, mode.renameMode);
            EXPECT_EQ(pooled.Error, "") << mode.name << ", " << writers << " writers";
            EXPECT_EQ(pooled.Files, inTurn.Files) << mode.name << ", " << writers << " writers";
            EXPECT_EQ(pooled.Cells, inTurn.Cells) << mode.name << ", " << writers << " writers";
            EXPECT_EQ(pooled.Images, inTurn.Images) << mode.name << ", " << writers << " writers";
            EXPECT_EQ(pooled.Reports, inTurn.Reports) << mode.name << ", " << writers << " writers";
            EXPECT_EQ(pooled.Steps, inTurn.Steps) << mode.name << ", " << writers << " writers";
            EXPECT_EQ(pooled.Journal, inTurn.Journal) << mode.name << ", " << writers << " writers";
            for (const auto &[name, bytes] : pooled.Files)
                EXPECT_EQ(name.find(".qvConvertFiles-"), std::string::npos) << mode.name << ": " << name << " left";
        }
    }
}

// The files whose writing the fault tests break: one in the first batch, one in a later batch.
std::vector<std::string> FaultedRows(const std::vector<std::pair<std::string, std::string>> &changed)
{
    return { changed[3].first, changed[changed.size() / 2 + 5].first };
}

TEST_F(ParallelWritesTest, AFailedCallAtAnyStepOfAFileEndsTheRunThereWithEarlierRowsConverted)
{
    if (!CanGenerateTrees())
        GTEST_SKIP() << "skipped: python3, which runs the tree generator, is missing";
    MakePristine(30);
    LayTree();
    const TRunOutcome inTurn = RunInTurn(true, 2);
    const auto changed = ChangedInPlace(inTurn.Files);
    ASSERT_GT(changed.size(), 2 * qvc::TWriteAhead::kBatchRows);
    for (const std::string &name : FaultedRows(changed)) {
        const std::size_t row = static_cast<std::size_t>(
            std::find_if(changed.begin(), changed.end(), [&](const auto &c) { return c.first == name; })
            - changed.begin());
        for (const std::string &subject : { m_tree + "/" + name, qvc::BackupNameFor(m_tree + "/" + name) }) {
            LayTree();
            int calls = 0;
            {
                TSubjectFaultScope count(subject, 0);
                Run("4", true, 2);
                calls = count.Calls();
            }
            ASSERT_GT(calls, 0) << subject;
            for (int failAt = 1; failAt <= calls; ++failAt) {
                const std::string what = subject + ", failed call " + std::to_string(failAt);
                LayTree();
                TRunOutcome pooled;
                {
                    const TSubjectFaultScope fault(subject, failAt);
                    pooled = Run("4", true, 2);
                }
                EXPECT_FALSE(pooled.Error.empty()) << what;
                const std::size_t firstOld = CheckRowOrder(changed, pooled.Files, what);
                EXPECT_EQ(firstOld, row) << what
                                         << ": the rows before the failing one converted, it and the later ones not";
                for (const auto &[file, bytes] : pooled.Files)
                    EXPECT_EQ(file.find(".qvConvertFiles-"), std::string::npos) << what << ": " << file << " left";
                // A single writer fails the same way.
                LayTree();
                TRunOutcome single;
                {
                    const TSubjectFaultScope fault(subject, failAt);
                    single = Run("1", true, 2);
                }
                EXPECT_EQ(pooled.Error, single.Error) << what;
                EXPECT_EQ(pooled.Files, single.Files) << what;
                EXPECT_EQ(pooled.Cells, single.Cells) << what;
                EXPECT_EQ(pooled.Reports, single.Reports) << what;
                EXPECT_EQ(pooled.Journal, single.Journal) << what;
                // The undo takes back every row written, and plans the same for both runs.
                UndoAndCompare(what);
            }
        }
    }
}

TEST_F(ParallelWritesTest, AKillAtAnyStepOfAFileLeavesRowsInOrderAndAnUndoRestoresEverything)
{
    if (!CanGenerateTrees())
        GTEST_SKIP() << "skipped: python3, which runs the tree generator, is missing";
    MakePristine(30);
    LayTree();
    const auto changed = ChangedInPlace(RunInTurn(true, 2).Files);
    ASSERT_GT(changed.size(), 2 * qvc::TWriteAhead::kBatchRows);
    for (const std::string &name : FaultedRows(changed)) {
        for (const std::string &subject : { m_tree + "/" + name, qvc::BackupNameFor(m_tree + "/" + name), m_tree }) {
            bool killed = true;
            int killAt = 1;
            for (; killed; ++killAt) {
                const std::string what = subject + ", kill " + std::to_string(killAt);
                LayTree();
                const pid_t child = ::fork();
                if (child == 0) {
                    const TSubjectFaultScope kill(subject, killAt, 0, true);
                    Run("4", true, 2);
                    ::_exit(0);
                }
                int status = 0;
                ::waitpid(child, &status, 0);
                killed = WIFEXITED(status) && WEXITSTATUS(status) == 77;
                ASSERT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << what;
                const Tree now = ReadTree();
                CheckRowOrder(changed, now, what);
                for (const auto &[file, bytes] : now) {
                    const std::string base = fs::path(file).filename().string();
                    if (base.rfind(".qvConvertFiles-", 0) == 0)
                        continue;
                    EXPECT_TRUE(base[0] != '.') << what << ": " << file;
                }
                UndoAndCompare(what);
                ASSERT_LT(killAt, 40) << what;
            }
            // A file's own writing makes its new file, writes, syncs, names and closes it and renames it over.
            if (subject != m_tree && subject.find('~') == std::string::npos) {
                EXPECT_GE(killAt, 6) << subject;
            }
        }
    }
}

} // namespace
