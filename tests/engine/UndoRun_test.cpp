// The plan of a simulated run against what the real run then does, and taking runs back from their
// journals: after every rename choice, over older backups, after a failed write or a kill, and refusals.
#include "EngineFixture.h"
#include "FakeConversionView.h"
#include "SystemFaults.h"

#include "engine/journal/RunJournal.h"
#include "engine/journal/UndoRun.h"
#include "engine/run/ConversionRun.h"
#include "engine/write/RunOverlay.h"

#include "common/FolderLocks.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <set>
#include <sys/stat.h>

namespace {

using Folder = std::map<std::string, std::string>; // name (relative) -> bytes

const std::vector<std::string> kPairs = { "Forms=QForms", "Alpha=NewAlpha", "Beta=Gamma", "Graphics=QGraphics" };

class UndoRunTest : public TEngineFolderTest
{
protected:
    void SetUp() override
    {
        TEngineFolderTest::SetUp();
        m_state = m_dir.string() + "-state";
        std::filesystem::remove_all(m_state);
    }
    void TearDown() override
    {
        qvc::SetFaultHook({});
        std::filesystem::remove_all(m_state);
        TEngineFolderTest::TearDown();
    }
    // Every file of the folder; hidden temporary files a kill leaves are a later run's to sweep.
    Folder Contents(bool hidden = false) const
    {
        Folder out;
        for (const auto &entry : std::filesystem::directory_iterator(m_dir)) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && (hidden || name[0] != '.'))
                out[name] = qvc::ReadFileBytes(entry.path().string());
        }
        return out;
    }
    // Runs every file of the folder (in name order) as one run; returns the view with its reports.
    TFakeConversionView Run(int renameMode, bool backup, bool simulate, qvc::TRunJournal *journal,
        const std::vector<std::string> &pairs = kPairs)
    {
        TFakeConversionView view;
        for (const auto &[name, bytes] : Contents())
            if (name.find('~') == std::string::npos)
                view.Rows.push_back(TFakeRow { Path(name), view.Rows.size() });
        view.Backup = backup;
        view.Simulate = simulate;
        qvc::TResultStore store;
        for (std::size_t i = 0; i < view.Rows.size(); ++i)
            store.Append();
        RunOverRows(view, pairs, qvc::TRenameMode(renameMode), store, journal);
        return view;
    }
    qvc::TUndoPlan UndoLast(bool force = false)
    {
        const std::string journal = qvc::NewestJournal(m_state);
        EXPECT_FALSE(journal.empty());
        qvc::TUndoPlan plan = qvc::PlanUndo(qvc::ReadJournal(journal), force);
        if (plan.Possible())
            qvc::ExecuteUndo(plan);
        return plan;
    }
    std::string m_state;
};

// A tree where forms of both extensions collide, a unit is renamed onto an existing one and companions follow.
const Folder kTree = {
    { "Alpha.pas", "unit Alpha;\r\nuses Forms;\r\n" },
    { "Alpha.dfm", "object Alpha: TForm\r\nend\r\n" },
    { "Alpha.res", "resource" },
    { "Beta.pas", "unit Beta;\r\nuses Graphics;\r\n" },
    { "Beta.dfm", "object Beta: TForm\r\n  Font = Graphics\r\nend\r\n" },
    { "Gamma.pas", "unit Gamma; // the porter's\r\n" },
    { "Unit1.dfm", "object F\r\n  C = Forms\r\nend\r\n" },
    { "Unit1.xfm", "object F\r\n  C = porter's Forms\r\nend\r\n" },
    { "Unit2.xfm", "object G\r\n  C = Graphics\r\nend\r\n" },
    { "Unit2.dfm", "object G\r\n  C = Delphi's\r\nend\r\n" },
    { "Unit3.pas", "uses Forms, Graphics;" },
    { "Unit3.~pas", "older backup" },
};

struct TModeCase
{
    const char *name;
    int renameMode;
    bool backup;
};

class PlanTest : public UndoRunTest, public ::testing::WithParamInterface<TModeCase>
{
};

TEST_P(PlanTest, SimulatedPlanIsWhatTheRealRunDoes)
{
    Lay(kTree);
    const TFakeConversionView simulated = Run(GetParam().renameMode, GetParam().backup, true, nullptr);
    ASSERT_EQ(Contents(true), kTree);
    const TFakeConversionView real = Run(GetParam().renameMode, GetParam().backup, false, nullptr);
    // The names the plans say exist after the run, from the names before it.
    std::set<std::string> expected;
    for (const auto &[name, bytes] : kTree)
        expected.insert(Path(name));
    bool overwrites = false;
    for (const auto &[row, report] : simulated.Reports) {
        const qvc::TPassReport &done = real.Reports.at(row);
        SCOPED_TRACE(simulated.Rows[std::size_t(row)].FileName);
        EXPECT_EQ(report.Count, done.Count);
        EXPECT_EQ(report.Plan.WrittenName, done.Plan.WrittenName);
        EXPECT_EQ(report.Plan.WrittenName, done.WrittenName);
        EXPECT_EQ(report.Plan.BackupName(), done.BackupName);
        EXPECT_EQ(report.Plan.Renamed, done.Plan.Renamed);
        EXPECT_EQ(report.Plan.Overwrites, done.Plan.Overwrites);
        overwrites = overwrites || !report.Plan.Overwrites.empty();
        for (const auto &backup : report.Plan.Backups) {
            if (!backup.OlderMovedTo.empty())
                expected.insert(backup.OlderMovedTo);
            expected.insert(backup.Name);
        }
        if (!report.Plan.WrittenName.empty())
            expected.insert(report.Plan.WrittenName);
        if (!report.Plan.RemovedName.empty())
            expected.erase(report.Plan.RemovedName);
        for (const auto &[from, to] : report.Plan.Renamed) {
            expected.erase(from);
            expected.insert(to);
        }
    }
    EXPECT_TRUE(overwrites || GetParam().renameMode == 2);
    std::set<std::string> present;
    for (const auto &[name, bytes] : Contents())
        present.insert(Path(name));
    EXPECT_EQ(present, expected);
}

const TModeCase kModeCases[] = {
    { "DelphiToKylixWithBackup", 0, true },
    { "DelphiToKylixWithoutBackup", 0, false },
    { "KylixToDelphiWithBackup", 1, true },
    { "NoRenameWithBackup", 2, true },
};
INSTANTIATE_TEST_SUITE_P(, PlanTest, ::testing::ValuesIn(kModeCases), [](const auto &info) { return info.param.name; });

TEST_F(UndoRunTest, ARowRenamedAwayByAnEarlierRowFailsInTheSimulationAsInTheRun)
{
    Lay({ { "Alpha.pas", "unit Alpha;\r\n" }, { "Alpha.xfm", "object Alpha: TForm\r\nend\r\n" } });
    const TFakeConversionView simulated = Run(2, false, true, nullptr);
    const TFakeConversionView real = Run(2, false, false, nullptr);
    ASSERT_EQ(real.Reports.at(1).Count, -1); // Alpha.xfm became NewAlpha.xfm with the unit
    EXPECT_EQ(simulated.Reports.at(1).Count, -1);
    EXPECT_EQ(simulated.Reports.at(0).Plan.Renamed, real.Reports.at(0).Plan.Renamed);
}

TEST_F(UndoRunTest, ASimulatedRowReadsAnEarlierRowsTextPutAsideAsOneKeptInMemory)
{
    // A.dfm goes out as A.xfm, which the next row then reads as the simulation left it. The pairs change
    // the form and put its word back, so the later row changes it again.
    const Folder folder = { { "A.dfm", "object A\r\n  C = Forms\r\nend\r\n" },
        { "A.xfm", "object A\r\n  C = porter's Forms\r\nend\r\n" } };
    Lay(folder);
    const std::vector<std::string> pairs = { "Forms=X", "X=Forms" };
    const char *saved = std::getenv("TMPDIR");
    const std::string savedTmp = saved != nullptr ? saved : "";
    // The texts put aside from the first byte on, in the temporary file, or in memory where none can be made.
    for (const char *tmp : { saved, "/nonexistent-qvc-tmp" }) {
        if (tmp != nullptr)
            ::setenv("TMPDIR", tmp, 1);
        qvc::TSubstitutionPass inMemory(pairs);
        qvc::TSubstitutionPass putAside(pairs, 0);
        TFakeConversionView view;
        view.Rows.assign(1, TFakeRow {});
        qvc::TPassOptions options;
        options.RenameMode = qvc::TRenameMode::DelphiToKylix;
        options.Simulate = true;
        options.KeepTexts = true;
        for (const char *name : { "A.dfm", "A.xfm" }) {
            SCOPED_TRACE(std::string(name) + (tmp != nullptr ? std::string(" with TMPDIR=") + tmp : ""));
            qvc::TPassReport kept;
            qvc::TPassReport aside;
            qvc::TConversionResult keptResults;
            qvc::TConversionResult asideResults;
            const int count = inMemory.ConvertFile(0, Path(name), options, keptResults, view, kept);
            ASSERT_EQ(putAside.ConvertFile(0, Path(name), options, asideResults, view, aside), count);
            EXPECT_EQ(count, 2);
            EXPECT_EQ(aside.ReadBytes, kept.ReadBytes);
            EXPECT_EQ(aside.ConvertedText, kept.ConvertedText);
            EXPECT_EQ(aside.Plan.WrittenName, Path("A.xfm"));
            EXPECT_EQ(aside.Plan.Overwrites, kept.Plan.Overwrites);
            // The second row reads the first row's text, not the file on disk.
            if (std::string(name) == "A.xfm") {
                EXPECT_EQ(aside.ReadBytes, "object A\r\n  C = Forms\r\nend\r\n");
            }
        }
    }
    if (saved != nullptr)
        ::setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_EQ(Contents(true), folder);
}

// What one simulated row produced, its texts copied out of the pass's buffers.
struct TSimulatedRow
{
    int Count = 0;
    std::string Failure;
    std::string WrittenName;
    std::vector<std::string> Backups;
    std::string RemovedName;
    std::vector<std::pair<std::string, std::string>> Renamed;
    std::vector<std::string> Overwrites;
    std::vector<qvc::TMissedOccurrence> Missed;
    std::string ReadBytes;
    std::string ConvertedText;
    bool operator==(const TSimulatedRow &) const = default;
};

std::vector<TSimulatedRow> SimulateRows(
    const std::vector<std::string> &files, const TModeCase &mode, bool announceReads, std::size_t overlayMemory)
{
    qvc::TSubstitutionPass pass(kPairs, overlayMemory);
    if (announceReads)
        pass.ExpectReads(files);
    TFakeConversionView view;
    view.Rows.assign(files.size(), TFakeRow {});
    qvc::TPassOptions options;
    options.RenameMode = qvc::TRenameMode(mode.renameMode);
    options.Backup = mode.backup;
    options.Simulate = true;
    options.KeepTexts = true;
    std::vector<TSimulatedRow> rows;
    for (std::size_t row = 0; row < files.size(); ++row) {
        qvc::TPassReport report;
        qvc::TConversionResult results;
        TSimulatedRow done;
        done.Count = pass.ConvertFile(static_cast<int>(row), files[row], options, results, view, report);
        done.Failure = report.FailureReason.Flat();
        done.WrittenName = report.Plan.WrittenName;
        for (const auto &backup : report.Plan.Backups)
            done.Backups.push_back(backup.Name + " <- " + backup.File + " -> " + backup.OlderMovedTo);
        done.RemovedName = report.Plan.RemovedName;
        done.Renamed = report.Plan.Renamed;
        done.Overwrites = report.Plan.Overwrites;
        done.Missed = report.Missed;
        done.ReadBytes = std::string(report.ReadBytes);
        done.ConvertedText = std::string(report.ConvertedText);
        rows.push_back(std::move(done));
    }
    return rows;
}

TEST_P(PlanTest, ASimulationThatKeepsOnlyTheTextsLaterRowsReadGivesEveryRowTheSameResult)
{
    // Forms written under the other extension and read again, units renamed onto others with their
    // companions, backups listed as rows: rows read what earlier rows would have written, in every order.
    Folder tree = kTree;
    tree["NewAlpha.pas"] = "unit NewAlpha; // Forms\r\n";
    tree["NewAlpha.~dfm"] = "object Old\r\n  C = Forms\r\nend\r\n";
    tree["Alpha.dfm"] = "object F: TForm\r\n  C = Forms\r\nend\r\n"; // written under its own name, then renamed
    Lay(tree);
    std::vector<std::string> names;
    for (const auto &[name, bytes] : tree)
        names.push_back(Path(name));
    // The renamed units' new names and the backups' names as rows too, some of them only made by the run.
    for (const char *name : { "NewAlpha.xfm", "NewAlpha.dfm", "Gamma.dfm", "Unit1.~xfm", "Alpha.~pas" })
        names.push_back(Path(name));
    std::vector<std::vector<std::string>> orders = { names, names, names, names };
    std::reverse(orders[1].begin(), orders[1].end());
    std::rotate(orders[2].begin(), orders[2].begin() + 5, orders[2].end());
    // The files of the tree backwards (a form's text written over by a later row, with its backup), then the rest.
    std::reverse(orders[3].begin(), orders[3].begin() + static_cast<std::ptrdiff_t>(tree.size()));
    orders.push_back(orders[0]);
    orders.back().insert(orders.back().end(), names.begin(), names.end()); // every file twice
    // No backup among the rows: a text moves to another name only with a unit's companions.
    orders.emplace_back();
    std::copy_if(names.begin(), names.end(), std::back_inserter(orders.back()),
        [](const std::string &name) { return name.find('~') == std::string::npos; });
    bool readAnEarlierRowsText = false;
    for (std::size_t o = 0; o < orders.size(); ++o) {
        SCOPED_TRACE("order " + std::to_string(o));
        const std::vector<TSimulatedRow> everyText = SimulateRows(orders[o], GetParam(), false, qvc::kOverlayMemory);
        for (const std::size_t memory : { qvc::kOverlayMemory, std::size_t(0) }) {
            const std::vector<TSimulatedRow> laterReads = SimulateRows(orders[o], GetParam(), true, memory);
            ASSERT_EQ(laterReads.size(), everyText.size());
            for (std::size_t row = 0; row < everyText.size(); ++row) {
                SCOPED_TRACE(orders[o][row]);
                EXPECT_EQ(laterReads[row], everyText[row]);
                const std::string name = orders[o][row].substr(m_dir.string().size() + 1);
                readAnEarlierRowsText = readAnEarlierRowsText
                    || (everyText[row].Count >= 0 && tree.contains(name) && everyText[row].ReadBytes != tree.at(name));
            }
        }
    }
    EXPECT_TRUE(readAnEarlierRowsText);
    EXPECT_EQ(Contents(true), tree);
}

TEST(RunOverlayTest, KeepsATextOnlyWhileALaterRowMayReadIt)
{
    qvc::TRunOverlay overlay;
    EXPECT_TRUE(overlay.KeepsTextOf("d/A.pas")); // nothing announced: every text is kept
    overlay.ExpectReads({ "d/A.pas", "d/B.pas", "e/Unit1.pas", "f/X.~pas", "d/B.pas" });
    struct TCase
    {
        const char *path;
        bool kept;
    };
    const TCase beforeAnyRow[] = {
        { "d/A.pas", true }, // read by a later row
        { "d/C.pas", false },
        { "d/A.dfm", true }, // a companion a later row's unit may rename
        { "d/a.XFM", true }, // the same, letter case aside
        { "d/A.x.dfm", true },
        { "d/AB.dfm", false },
        { "e/Unit1.res", true },
        { "d/Unit1.res", false },
        { "f/Y.pas", true }, // a later row reads a backup name of its folder
        { "g/Y.pas", false },
    };
    for (const TCase &c : beforeAnyRow)
        EXPECT_EQ(overlay.KeepsTextOf(c.path), c.kept) << c.path;
    overlay.BeginRead("d/A.pas");
    overlay.BeginRead("d/B.pas");
    EXPECT_FALSE(overlay.KeepsTextOf("d/A.pas"));
    EXPECT_FALSE(overlay.KeepsTextOf("d/A.dfm"));
    EXPECT_TRUE(overlay.KeepsTextOf("d/B.pas")); // listed twice
    overlay.BeginRead("e/Unit1.pas");
    overlay.BeginRead("f/X.~pas");
    EXPECT_FALSE(overlay.KeepsTextOf("f/Y.pas"));
    overlay.BeginRead("z/not-a-row.pas"); // counts for nothing
    EXPECT_TRUE(overlay.KeepsTextOf("d/B.pas"));
    overlay.BeginRead("d/B.pas");
    EXPECT_FALSE(overlay.KeepsTextOf("d/B.pas"));

    // A text not kept is never read as another: a run that reads a file it did not announce fails there.
    overlay.Created("d/C.pas", "text");
    std::string buffer;
    EXPECT_THROW(overlay.ReadInto("d/C.pas", buffer, nullptr), qvc::TError);
    EXPECT_TRUE(overlay.Present("d/C.pas"));
    EXPECT_EQ(overlay.Stamp("d/C.pas").Size, 4);
}

class UndoModeTest : public UndoRunTest, public ::testing::WithParamInterface<TModeCase>
{
};

TEST_P(UndoModeTest, UndoGivesEveryFileItsBytesBack)
{
    Lay(kTree);
    qvc::TRunJournal journal(m_state);
    Run(GetParam().renameMode, true, false, &journal);
    ASSERT_NE(Contents(), kTree);
    const qvc::TUndoPlan plan = UndoLast();
    EXPECT_TRUE(plan.Possible());
    EXPECT_EQ(Contents(true), kTree);
}

INSTANTIATE_TEST_SUITE_P(, UndoModeTest, ::testing::Values(kModeCases[0], kModeCases[2], kModeCases[3]),
    [](const auto &info) { return info.param.name; });

TEST_F(UndoRunTest, UndoOfASecondRunOverNumberedBackupsGivesTheFirstRunsTreeBack)
{
    Lay(kTree);
    {
        qvc::TRunJournal journal(m_state);
        Run(0, true, false, &journal);
    }
    const Folder afterFirst = Contents(true);
    qvc::TRunJournal journal(m_state);
    // The second run meets the backups of the first: they move to numbered names.
    Run(1, true, false, &journal, { "QForms=XForms", "QGraphics=XGraphics" });
    ASSERT_TRUE(std::filesystem::exists(Path("Unit3.~pas.~2~")));
    UndoLast();
    EXPECT_EQ(Contents(true), afterFirst);
    qvc::MarkJournalUndone(qvc::NewestJournal(m_state));
    // The first run's journal is the older one.
    std::vector<std::string> journals;
    for (const auto &entry : std::filesystem::directory_iterator(m_state))
        journals.push_back(entry.path().string());
    std::sort(journals.begin(), journals.end());
    const qvc::TUndoPlan plan = qvc::PlanUndo(qvc::ReadJournal(journals.front()), false);
    ASSERT_TRUE(plan.Possible());
    qvc::ExecuteUndo(plan);
    EXPECT_EQ(Contents(true), kTree);
}

TEST_F(UndoRunTest, UndoAfterARunEndedByAFailedCallAtEveryStep)
{
    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE(failAt);
        Lay(kTree);
        std::filesystem::remove_all(m_state);
        qvc::TRunJournal journal(m_state);
        bool failed = false;
        {
            TFaultScope fault(failAt, EIO);
            try {
                Run(0, true, false, &journal);
            } catch (const qvc::TError &) {
                failed = true;
            }
        }
        UndoLast();
        EXPECT_EQ(Contents(true), kTree);
        if (!failed || HasFailure())
            break;
    }
}

TEST_F(UndoRunTest, UndoAfterARunEndedByAKillAtEveryStep)
{
    for (int killAt = 1;; ++killAt) {
        SCOPED_TRACE(killAt);
        Lay(kTree);
        std::filesystem::remove_all(m_state);
        const bool killed = RunKilledAt(killAt, [&] {
            qvc::TRunJournal journal(m_state);
            Run(0, true, false, &journal);
        });
        UndoLast();
        EXPECT_EQ(Contents(), kTree);
        if (!killed || HasFailure())
            break;
    }
}

TEST_F(UndoRunTest, AFileChangedSinceTheRunStopsTheUndoUnlessForced)
{
    Lay(kTree);
    qvc::TRunJournal journal(m_state);
    Run(2, true, false, &journal);
    Write("Unit3.pas", "the porter's later edit");
    const Folder before = Contents(true);
    const qvc::TUndoPlan refused = UndoLast();
    EXPECT_EQ(refused.Changed, std::vector<std::string> { Path("Unit3.pas") });
    EXPECT_EQ(Contents(true), before);
    // Forced, the undo keeps the later edit under the next numbered backup name before it restores the file.
    UndoLast(true);
    Folder expected = kTree;
    expected["Unit3.~pas.~2~"] = "the porter's later edit";
    EXPECT_EQ(Contents(true), expected);
}

TEST_F(UndoRunTest, ARunWithoutBackupsNamesTheFilesItCannotRestoreAndRestoresNothing)
{
    Lay(kTree);
    qvc::TRunJournal journal(m_state);
    Run(0, false, false, &journal);
    const Folder before = Contents(true);
    const qvc::TUndoPlan refused = UndoLast();
    EXPECT_FALSE(refused.NotKept.empty());
    EXPECT_NE(std::find(refused.NotKept.begin(), refused.NotKept.end(), Path("Unit3.pas")), refused.NotKept.end());
    EXPECT_EQ(Contents(true), before);
}

TEST_F(UndoRunTest, AFailedStepOfTheUndoTakesBackWhatTheUndoDid)
{
    Lay(kTree);
    qvc::TRunJournal journal(m_state);
    Run(0, true, false, &journal);
    const Folder before = Contents(true);
    const qvc::TUndoPlan plan = qvc::PlanUndo(qvc::ReadJournal(qvc::NewestJournal(m_state)), false);
    ASSERT_TRUE(plan.Possible());
    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE(failAt);
        Lay(before);
        bool failed = false;
        {
            TFaultScope fault(failAt, EIO);
            try {
                qvc::ExecuteUndo(plan);
            } catch (const qvc::TError &) {
                failed = true;
            }
        }
        if (!failed) {
            // A failed clean-up at the very end may leave a hidden file moved aside; every file is back.
            EXPECT_EQ(Contents(), kTree);
            break;
        }
        EXPECT_EQ(Contents(), before);
        if (HasFailure())
            break;
    }
}

// Empties the test's folder, hidden files included.
void ClearFolder(const std::filesystem::path &dir)
{
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        std::filesystem::remove_all(entry.path());
}

TEST_F(UndoRunTest, AnUndoKilledAtEveryStepIsCompletedByTheNextOneWithNoHiddenFileLeft)
{
    for (int killAt = 1;; ++killAt) {
        SCOPED_TRACE(killAt);
        ClearFolder(m_dir);
        std::filesystem::remove_all(m_state);
        Lay(kTree);
        {
            qvc::TRunJournal journal(m_state);
            Run(0, true, false, &journal);
        }
        const std::string path = qvc::NewestJournal(m_state);
        const bool killed = RunKilledAt(killAt, [&] {
            const qvc::TJournal journal = qvc::ReadJournal(path);
            qvc::TFolderLocks locks;
            locks.Acquire(journal.Folders);
            qvc::CommitUndo(journal, qvc::PlanUndo(journal, false), false);
        });
        if (killed) {
            // Until the undo is completed, no run may start on the half-undone tree.
            EXPECT_EQ(qvc::PendingUndos(m_state), std::vector<std::string> { path });
            EXPECT_THROW(qvc::CheckNoPendingUndo(m_state), qvc::TError);
            const qvc::TCompletedUndo completed = qvc::CompletePendingUndo(path);
            EXPECT_TRUE(completed.Done);
        }
        EXPECT_TRUE(qvc::PendingUndos(m_state).empty());
        EXPECT_TRUE(qvc::ReadJournal(path).Undone);
        EXPECT_EQ(Contents(true), kTree);
        if (!killed || HasFailure())
            break;
    }
}

TEST_F(UndoRunTest, ARunWaitsForFoldersAnotherHoldsAndFailsBeforeChangingAnything)
{
    Lay(kTree);
    qvc::TFolderLocks held;
    held.Acquire(qvc::RunFoldersOf({ Path("Alpha.pas") }));
    qvc::TRunJournal journal(m_state);
    EXPECT_THROW(Run(0, true, false, &journal), qvc::TFolderBusy);
    EXPECT_EQ(Contents(true), kTree);
    EXPECT_TRUE(journal.FileName().empty());
    // A simulated run changes nothing and takes no lock.
    EXPECT_NO_THROW(Run(0, true, true, nullptr));
    held.Release();
    Run(0, true, false, &journal);
    EXPECT_NE(Contents(), kTree);
}

TEST_F(UndoRunTest, JournalReadBackTellsACutLineAndKeepsTheUndoneMarkOnALineOfItsOwn)
{
    Lay(kTree);
    {
        qvc::TRunJournal journal(m_state);
        Run(2, true, false, &journal);
    }
    const std::string path = qvc::NewestJournal(m_state);
    const qvc::TJournal whole = qvc::ReadJournal(path);
    EXPECT_TRUE(whole.Ended);
    EXPECT_FALSE(whole.Cut);
    EXPECT_FALSE(whole.Folders.empty());
    ASSERT_FALSE(whole.Steps.empty());
    // The end line and half of the line before it cut off, as a full disk leaves a journal.
    std::string bytes = qvc::ReadFileBytes(path);
    bytes.resize(bytes.rfind('\n', bytes.size() - 2));
    bytes.resize(bytes.size() - 10);
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    const qvc::TJournal cut = qvc::ReadJournal(path);
    EXPECT_TRUE(cut.Cut);
    EXPECT_FALSE(cut.Ended);
    EXPECT_EQ(cut.Steps.size(), whole.Steps.size() - 1);
    qvc::MarkJournalUndone(path);
    const qvc::TJournal marked = qvc::ReadJournal(path);
    EXPECT_TRUE(marked.Undone);
    EXPECT_EQ(marked.Steps.size(), cut.Steps.size());
}

// Writes `bytes` as a journal file of the running user's own (0600 unless `mode` says otherwise).
void WriteJournalFile(const std::string &path, const std::string &bytes, mode_t mode = 0600)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

TEST_F(UndoRunTest, RecentJournalsAreListedNewestFirstByTheirStartTimeWithTheOnesThatMayNotBeUsed)
{
    Lay(kTree);
    const std::vector<std::vector<std::string>> pairs = { kPairs, { "QForms=XForms" }, { "XForms=YForms" } };
    std::vector<std::string> runs; // oldest first
    std::vector<std::size_t> rows;
    for (const auto &runPairs : pairs) {
        qvc::TRunJournal journal(m_state);
        const TFakeConversionView view = Run(2, true, false, &journal, runPairs);
        ASSERT_FALSE(journal.FileName().empty());
        runs.push_back(journal.FileName());
        rows.push_back(view.Rows.size());
    }
    qvc::MarkJournalUndone(runs[1]);
    // Named as if newest, started before every run: the time inside counts, not the name.
    const std::string header = R"({"journal":2,"pid":1,"start":"20000101T000000.000000000Z","folders":["/"]})";
    const std::string oldRun = m_state + "/99991231T235959.999999999Z-1.jsonl";
    WriteJournalFile(oldRun, header + "\n{\"files\":[]}\n{\"step\":\"end\"}\n");
    const std::string damaged = m_state + "/20000101T000000.000000000Z-2.jsonl";
    WriteJournalFile(damaged, header + "\n{\"files\":[]}\nnot json\n");
    std::string refusedHeader = header;
    refusedHeader.replace(refusedHeader.find("T000000"), 7, "T000001");
    const std::string refused = m_state + "/20000101T000001.000000000Z-3.jsonl";
    WriteJournalFile(refused, refusedHeader + "\n{\"files\":[]}\n{\"step\":\"end\"}\n", 0620);
    WriteJournalFile(m_state + "/20000101T000002.000000000Z-4.jsonl", "not a journal\n");

    const std::vector<qvc::TJournalSummary> all = qvc::RecentJournals(m_state, 20);
    std::vector<std::string> paths;
    paths.reserve(all.size());
    for (const auto &summary : all)
        paths.push_back(summary.Path);
    ASSERT_EQ(paths, (std::vector<std::string> { runs[2], runs[1], runs[0], refused, oldRun, damaged }));
    EXPECT_EQ(qvc::NewestJournal(m_state), runs[2]);
    const std::vector<std::string> folders = qvc::RunFoldersOf({ Path("Alpha.pas") });
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(all[i].Refused.Empty());
        EXPECT_EQ(all[i].Folders, folders);
        EXPECT_EQ(all[i].FileCount, rows[2 - i]);
        EXPECT_EQ(all[i].StartTime, qvc::ReadJournal(all[i].Path).StartTime);
        EXPECT_TRUE(all[i].Ended);
        EXPECT_EQ(all[i].Undone, i == 1);
    }
    EXPECT_GT(all[0].StartTime, all[1].StartTime);
    EXPECT_GT(all[1].StartTime, all[2].StartTime);
    EXPECT_FALSE(all[3].Refused.Empty());
    EXPECT_FALSE(all[3].Damaged);
    EXPECT_EQ(all[3].StartTime, "20000101T000001.000000000Z");
    // Of two with the same start time, the later name comes first.
    EXPECT_TRUE(all[4].Refused.Empty());
    EXPECT_EQ(all[4].FileCount, std::size_t(0));
    EXPECT_FALSE(all[5].Refused.Empty());
    EXPECT_TRUE(all[5].Damaged);
    const std::vector<qvc::TJournalSummary> two = qvc::RecentJournals(m_state, 2);
    ASSERT_EQ(two.size(), std::size_t(2));
    EXPECT_EQ(two[0].Path, runs[2]);
    EXPECT_EQ(two[1].Path, runs[1]);
    EXPECT_TRUE(qvc::RecentJournals(m_dir.string() + "/none", 20).empty());
}

TEST_F(UndoRunTest, AnOlderRunSeesTheFilesANewerRunChangedAsChangedAndIsUndoneOnlyWhenForced)
{
    Lay(kTree);
    std::string older;
    {
        qvc::TRunJournal journal(m_state);
        Run(2, true, false, &journal);
        older = journal.FileName();
    }
    qvc::TRunJournal newer(m_state);
    Run(2, false, false, &newer, { "QForms=XForms", "QGraphics=XGraphics" });
    std::vector<std::string> newerWrote;
    for (const auto &step : qvc::ReadJournal(newer.FileName()).Steps)
        if (step.Kind == qvc::TStepKind::Write)
            newerWrote.push_back(step.Path);
    ASSERT_FALSE(newerWrote.empty());
    const Folder afterNewer = Contents(true);

    const qvc::TJournal journal = qvc::ReadJournal(older);
    qvc::TFolderLocks locks;
    locks.Acquire(journal.Folders);
    qvc::TUndoPlan plan = qvc::PlanUndo(journal, false);
    std::vector<std::string> changed = plan.Changed;
    std::sort(changed.begin(), changed.end());
    std::sort(newerWrote.begin(), newerWrote.end());
    EXPECT_EQ(changed, newerWrote);
    EXPECT_FALSE(plan.Possible());
    EXPECT_EQ(Contents(true), afterNewer);
    // Forced: every file has its text from before the older run again, and what the newer run wrote is kept.
    plan = qvc::PlanUndo(journal, true);
    ASSERT_TRUE(plan.Possible());
    const qvc::TUndoOutcome outcome = qvc::CommitUndo(journal, plan, true);
    EXPECT_EQ(outcome.Kept.size(), newerWrote.size());
    Folder expected = kTree;
    for (const auto &[file, kept] : outcome.Kept) {
        const std::string name = std::filesystem::path(file).filename().string();
        EXPECT_EQ(Read(std::filesystem::path(kept).filename().string()), afterNewer.at(name));
        expected[std::filesystem::path(kept).filename().string()] = afterNewer.at(name);
    }
    EXPECT_EQ(Contents(true), expected);
    EXPECT_TRUE(qvc::ReadJournal(older).Undone);
}

struct TFullDiskCase
{
    const char *name;
    bool edited; ///< a file is changed after the run, so the undo is forced and keeps it
    bool reservationFails; ///< the disk is already too full to reserve room for the mark
    bool journalEndsAtABlockEnd; ///< the mark needs a block of its own
    bool undone;
};

class FullDiskUndoTest : public UndoRunTest, public ::testing::WithParamInterface<TFullDiskCase>
{
};

// From the reservation on, the disk takes no new data: every call that would need new room fails with ENOSPC
// (a new file, a write, a truncation, an extended attribute, an allocation); only the mark's write into the room
// the journal holds goes through. Names (links, renames) and removals need no data block.
TEST_P(FullDiskUndoTest, RestoresNeedNoNewRoomAndTheMarkOnlyTheRoomReservedBeforeTheFirstStep)
{
    const TFullDiskCase &c = GetParam();
    Lay(kTree);
    {
        qvc::TRunJournal journal(m_state);
        Run(0, true, false, &journal);
    }
    const std::string path = qvc::NewestJournal(m_state);
    if (c.edited)
        Write("Unit3.pas", "the porter's later edit");
    if (c.journalEndsAtABlockEnd) {
        // Empty lines up to the end of the journal's last block, which are read past.
        const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
        std::ofstream(path, std::ios::binary | std::ios::app) << std::string((4096 - size % 4096) % 4096, '\n');
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::fsync(fd), 0);
        ::close(fd);
    }
    struct stat st
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    // The mark (at most 20 bytes) fits in the blocks the journal already has.
    const bool fitsInLastBlock = static_cast<long long>(st.st_blocks) * 512 >= st.st_size + 20;
    ASSERT_EQ(fitsInLastBlock, !c.journalEndsAtABlockEnd);
    const Folder before = Contents(true);

    const qvc::TJournal journal = qvc::ReadJournal(path);
    qvc::TFolderLocks locks;
    locks.Acquire(journal.Folders);
    const qvc::TUndoPlan plan = qvc::PlanUndo(journal, c.edited);
    ASSERT_TRUE(plan.Possible());
    bool full = false;
    bool reserved = false;
    bool markWritten = false;
    qvc::SetFaultHook([&](qvc::TSysCall call, std::string_view callPath) {
        if (call == qvc::TSysCall::Allocate && callPath == path && !full) {
            full = true;
            reserved = !c.reservationFails;
            return reserved ? 0 : ENOSPC;
        }
        if (!full)
            return 0;
        switch (call) {
        case qvc::TSysCall::Write:
            if (callPath == path && (reserved || fitsInLastBlock)) {
                markWritten = true;
                return 0;
            }
            return ENOSPC;
        case qvc::TSysCall::Create:
        case qvc::TSysCall::Truncate:
        case qvc::TSysCall::SetXattr:
        case qvc::TSysCall::Allocate:
            return ENOSPC;
        default:
            return 0;
        }
    });
    bool failed = false;
    try {
        qvc::CommitUndo(journal, plan, c.edited);
    } catch (const qvc::TError &) {
        failed = true;
    }
    qvc::SetFaultHook({});
    EXPECT_TRUE(full);
    EXPECT_EQ(failed, !c.undone);
    EXPECT_EQ(markWritten, c.undone);
    EXPECT_EQ(qvc::ReadJournal(path).Undone, c.undone);
    EXPECT_FALSE(std::filesystem::exists(qvc::UndoJournalOf(path)));
    EXPECT_TRUE(qvc::PendingUndos(m_state).empty());
    if (!c.undone) {
        // Refused before the first step: every file as the run left it.
        EXPECT_EQ(Contents(true), before);
        return;
    }
    Folder expected = kTree;
    if (c.edited)
        expected["Unit3.~pas.~2~"] = "the porter's later edit";
    EXPECT_EQ(Contents(true), expected);
}

const TFullDiskCase kFullDiskCases[] = {
    { "RoomReserved", false, false, false, true },
    { "RoomReservedForAMarkThatNeedsABlock", false, false, true, true },
    { "ForcedUndoKeepsTheChangedFileUnderANewName", true, false, false, true },
    { "NoRoomToReserveButTheMarkFitsInTheLastBlock", false, true, false, true },
    { "NoRoomForTheMarkRefusesBeforeTheFirstStep", false, true, true, false },
};
INSTANTIATE_TEST_SUITE_P(
    , FullDiskUndoTest, ::testing::ValuesIn(kFullDiskCases), [](const auto &info) { return info.param.name; });

} // namespace
