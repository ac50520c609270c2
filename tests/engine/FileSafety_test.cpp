// What converting a file does to the files around it: backups under every rename choice, files that may
// not be written, links, special files, files changed meanwhile, large files, and what a failed call or
// a kill at any step of the writing leaves behind.
#include "EngineFixture.h"
#include "FakeConversionView.h"
#include "LiteralPass.h"
#include "SystemFaults.h"

#include "common/TextLines.h"
#include "engine/BinaryFormToText.h"
#include "engine/ConversionRun.h"
#include "engine/SubstitutionPass.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sys/stat.h>

namespace {

using Lines = std::vector<std::string>;
using Folder = std::map<std::string, std::string>; // name (relative) -> bytes

class FileSafetyTest : public TEngineFolderTest
{
protected:
    void TearDown() override
    {
        qvc::SetFaultHook({});
        TEngineFolderTest::TearDown();
    }
    // Every regular file under the folder, hidden ones included.
    Folder Contents() const
    {
        Folder out;
        for (const auto &entry : std::filesystem::recursive_directory_iterator(m_dir))
            if (entry.is_regular_file() && !entry.is_symlink())
                out[std::filesystem::relative(entry.path(), m_dir).string()]
                    = qvc::ReadFileBytes(entry.path().string());
        return out;
    }
    int Convert(const std::string &name, const Lines &pairs, qvc::TPassOptions options)
    {
        m_view.Rows.assign(1, TFakeRow {});
        m_results.Clear();
        qvc::TSubstitutionPass pass(pairs);
        return pass.ConvertFile(0, Path(name), options, m_results, m_view, m_report);
    }

    TFakeConversionView m_view;
    qvc::TConversionResult m_results;
    qvc::TPassReport m_report;
};

const std::string kForm = "object Alpha: TForm\r\n  Caption = 'Alpha'\r\nend\r\n";
const std::string kNewForm = "object NewAlpha: TForm\r\n  Caption = 'NewAlpha'\r\nend\r\n";

struct TWriteCase
{
    const char *name;
    Folder before;
    std::string file;
    int renameMode;
    Folder after; // with backup on
};

const TWriteCase kWriteCases[] = {
    { "ReplacedUnitKeepsEveryOlderBackup",
        { { "Unit1.pas", "uses Forms;\r\n" }, { "Unit1.~pas", "run 1" }, { "Unit1.~pas.~1~", "run 0" } }, "Unit1.pas",
        2,
        { { "Unit1.pas", "uses QForms;\r\n" }, { "Unit1.~pas", "uses Forms;\r\n" }, { "Unit1.~pas.~2~", "run 1" },
            { "Unit1.~pas.~1~", "run 0" } } },
    { "FormUnderItsNewExtensionBacksUpTheFormItReplaces",
        { { "Unit1.dfm", "object F\r\n  C = Forms\r\nend\r\n" }, { "Unit1.xfm", "porter's own" } }, "Unit1.dfm", 0,
        { { "Unit1.dfm", "object F\r\n  C = Forms\r\nend\r\n" }, { "Unit1.xfm", "object F\r\n  C = QForms\r\nend\r\n" },
            { "Unit1.~xfm", "porter's own" } } },
    { "KylixFormWithoutADelphiTwinNeedsNoBackup", { { "Unit1.xfm", "object F\r\n  C = Forms\r\nend\r\n" } },
        "Unit1.xfm", 1,
        { { "Unit1.xfm", "object F\r\n  C = Forms\r\nend\r\n" },
            { "Unit1.dfm", "object F\r\n  C = QForms\r\nend\r\n" } } },
    { "RenamedFormIsBackedUpBeforeItIsRemoved", { { "Alpha.dfm", kForm } }, "Alpha.dfm", 0,
        { { "NewAlpha.xfm", kNewForm }, { "Alpha.~dfm", kForm } } },
    { "RenamedUnitBacksUpAnExistingNewNameAndRenamesOnlyCompanions",
        { { "Alpha.pas", "unit Alpha;\r\n" }, { "NewAlpha.pas", "someone else's unit" }, { "Alpha.dfm", kForm },
            { "Alpha.~pas.~1~", "ancient" }, { "Alpha.~dfm", "old form backup" } },
        "Alpha.pas", 2,
        { { "NewAlpha.pas", "unit NewAlpha;\r\n" }, { "NewAlpha.~pas", "someone else's unit" },
            { "Alpha.~pas", "unit Alpha;\r\n" }, { "NewAlpha.dfm", kForm }, { "Alpha.~pas.~1~", "ancient" },
            { "Alpha.~dfm", "old form backup" } } },
};

const Lines kPairs { "Forms=QForms", "Alpha=NewAlpha" };

TEST_F(FileSafetyTest, BackupsHoldEveryReplacedOrRemovedFileUnderEachRenameChoice)
{
    for (const TWriteCase &c : kWriteCases) {
        Lay(c.before);
        EXPECT_GT(Convert(c.file, kPairs, { c.renameMode, true, false }), 0) << c.name;
        EXPECT_EQ(Contents(), c.after) << c.name;
        // The same run with backup off: the same files, the backups as they were before.
        Lay(c.before);
        Convert(c.file, kPairs, { c.renameMode, false, false });
        Folder expected;
        for (const auto &[name, bytes] : c.after)
            if (name.find('~') == std::string::npos)
                expected[name] = bytes;
        for (const auto &[name, bytes] : c.before)
            if (name.find('~') != std::string::npos)
                expected[name] = bytes;
        EXPECT_EQ(Contents(), expected) << c.name << " without backup";
    }
}

// After a failed call at any step: the run ended with nothing changed, or the file was written in full.
TEST_F(FileSafetyTest, AFailedCallAtAnyStepEndsTheRunWithNothingChangedOrCompletesIt)
{
    for (const TWriteCase &c : kWriteCases) {
        Lay(c.before);
        int calls = 0;
        {
            const TFaultScope count;
            Convert(c.file, kPairs, { c.renameMode, true, false });
            calls = count.Calls();
        }
        for (int failAt = 1; failAt <= calls; ++failAt) {
            Lay(c.before);
            bool ended = false;
            {
                const TFaultScope fault(failAt, ENOSPC);
                try {
                    Convert(c.file, kPairs, { c.renameMode, true, false });
                } catch (const qvc::TError &error) {
                    ended = true;
                    EXPECT_TRUE(std::string(error.what()) == "Unable to backup file."
                        || std::string(error.what()).rfind("Cannot create file \"", 0) == 0)
                        << error.what();
                }
            }
            const Folder now = Contents();
            if (ended) {
                EXPECT_EQ(now, c.before) << c.name << ", failed call " << failAt;
                continue;
            }
            // Only a companion rename or the removal of the old name may have failed, which loses nothing.
            for (const auto &[name, bytes] : c.after) {
                if (now.count(name) != 0) {
                    EXPECT_EQ(now.at(name), bytes) << c.name << ", failed call " << failAt << ": " << name;
                }
            }
            for (const auto &[name, bytes] : now)
                EXPECT_TRUE(c.after.count(name) != 0 || c.before.count(name) != 0)
                    << c.name << ", failed call " << failAt << ": " << name;
        }
    }
}

// After a kill at any step: every file holds its old or its new text under its own name, and the only
// other files are hidden temporaries, which the next run's sweep removes.
TEST_F(FileSafetyTest, AKillAtAnyStepLeavesEveryFileWithItsOldOrNewText)
{
    for (const TWriteCase &c : kWriteCases) {
        bool killed = true;
        for (int killAt = 1; killed; ++killAt) {
            Lay(c.before);
            killed = RunKilledAt(killAt, [&] { Convert(c.file, kPairs, { c.renameMode, true, false }); });
            const Folder now = Contents();
            for (const auto &[name, bytes] : now) {
                if (name.rfind(".qvConvertFiles-", 0) == 0)
                    continue;
                const bool old = c.before.count(name) != 0 && c.before.at(name) == bytes;
                const bool updated = c.after.count(name) != 0 && c.after.at(name) == bytes;
                EXPECT_TRUE(old || updated) << c.name << ", kill " << killAt << ": " << name << " holds " << bytes;
            }
            // No text is lost: each old text still stands somewhere, or its name holds its new text.
            for (const auto &[name, bytes] : c.before) {
                bool found = now.count(name) != 0 && c.after.count(name) != 0 && now.at(name) == c.after.at(name);
                for (const auto &[other, otherBytes] : now)
                    found = found || otherBytes == bytes;
                EXPECT_TRUE(found) << c.name << ", kill " << killAt << ": the text of " << name << " is lost";
            }
            qvc::SweepStaleTemporaries(m_dir.string());
            for (const auto &[name, bytes] : Contents())
                EXPECT_NE(name.rfind(".qvConvertFiles-", 0), 0u) << c.name << ", kill " << killAt;
            ASSERT_LT(killAt, 80) << c.name;
        }
    }
}

// Runs of several rows, whose rewrites in place wait in batches for one sync of the disk: two folders, forms
// and units written under new names between rewrites, a file met a second time while its writing waits.
struct TRunCase
{
    const char *name;
    Folder before;
    std::vector<std::string> rows;
    int renameMode;
    bool backup;
};

const TRunCase kRunCases[] = {
    { "RewritesInPlaceInTwoFolders",
        { { "a/U1.pas", "uses Forms;\r\n" }, { "a/U1.~pas", "older backup" }, { "a/Same.pas", "nothing\r\n" },
            { "b/U2.pas", "uses Forms, Graphics;\r\n" }, { "a/U3.pas", "x := Forms;\r\n" } },
        { "a/U1.pas", "a/Same.pas", "b/U2.pas", "a/U3.pas" }, 2, true },
    { "FormsAndUnitsUnderNewNamesBetweenRewrites",
        { { "U1.pas", "uses Forms;\r\n" }, { "F1.dfm", "object F\r\n  C = Forms\r\nend\r\n" },
            { "U2.pas", "uses Forms;\r\n" }, { "Alpha.pas", "unit Alpha;\r\n" }, { "Alpha.dfm", kForm },
            { "U3.pas", "uses Forms;\r\n" } },
        { "U1.pas", "F1.dfm", "U2.pas", "Alpha.pas", "U3.pas" }, 0, true },
    { "AFileMetAgainWhileItsWritingWaits", { { "U1.pas", "uses Forms;\r\n" }, { "U2.pas", "uses Forms;\r\n" } },
        { "U1.pas", "U2.pas", "U1.pas" }, 2, false },
    // F2.xfm is made for a form no pair changes; the run then reads it while its writing still waits.
    { "FormsWrittenOverOrBesideAndReadWhileTheirWritingWaits",
        { { "F1.dfm", "object F\r\n  C = Forms\r\nend\r\n" }, { "F1.xfm", "porter's own" },
            { "F2.dfm", "object G\r\nend\r\n" }, { "U1.pas", "uses Forms;\r\n" } },
        { "F1.dfm", "F2.dfm", "U1.pas", "F2.xfm", "F1.xfm" }, 0, true },
};

class RunSafetyTest : public FileSafetyTest
{
protected:
    // The case run as one run; the view keeps its rows and reports.
    void RunRows(const TRunCase &c)
    {
        m_view = TFakeConversionView();
        m_view.Backup = c.backup;
        qvc::TResultStore store;
        for (const std::string &row : c.rows)
            m_view.Rows.push_back(TFakeRow { Path(row), std::to_string(store.Append()) });
        qvc::RunConversion(m_view, kPairs, c.renameMode, store, { ".", ":" });
    }
    // The case converted one file after the other by a pass that writes each file before the next is read:
    // what the run must leave, and each row's report.
    Folder RowByRow(const TRunCase &c, std::vector<qvc::TPassReport> &reports)
    {
        Lay(c.before);
        TFakeConversionView view;
        view.Rows.assign(c.rows.size(), TFakeRow {});
        qvc::TSubstitutionPass pass(kPairs);
        reports.assign(c.rows.size(), {});
        for (std::size_t row = 0; row < c.rows.size(); ++row) {
            qvc::TConversionResult results;
            pass.ConvertFile(static_cast<int>(row), Path(c.rows[row]), { c.renameMode, c.backup, false }, results, view,
                reports[row]);
        }
        return Contents();
    }
    // Checks that every name holds its text from before or after the run, and that the rows whose file was
    // written are the first ones: once a row's file holds its old text, every later row's does. Returns
    // for each row written by the run whether its file holds the new text.
    std::map<std::size_t, bool> CheckOldOrNewInRowOrder(
        const TRunCase &c, const Folder &after, const std::vector<qvc::TPassReport> &reports, const std::string &when)
    {
        const Folder now = Contents();
        for (const auto &[name, bytes] : now) {
            if (name.find(".qvConvertFiles-") != std::string::npos)
                continue;
            const bool old = c.before.count(name) != 0 && c.before.at(name) == bytes;
            const bool updated = after.count(name) != 0 && after.at(name) == bytes;
            EXPECT_TRUE(old || updated) << c.name << ", " << when << ": " << name << " holds " << bytes;
        }
        std::map<std::size_t, bool> written;
        bool sawOld = false;
        for (std::size_t row = 0; row < reports.size(); ++row) {
            const std::string name = reports[row].WrittenName.empty()
                ? std::string()
                : std::filesystem::relative(reports[row].WrittenName, m_dir).string();
            if (name.empty() || (c.before.count(name) != 0 && c.before.at(name) == after.at(name)))
                continue;
            const bool isNew = now.count(name) != 0 && now.at(name) == after.at(name);
            EXPECT_FALSE(isNew && sawOld)
                << c.name << ", " << when << ": row " << row << " written after an earlier one was not";
            sawOld = sawOld || !isNew;
            written[row] = isNew;
        }
        return written;
    }
};

TEST_F(RunSafetyTest, ARunWritesWhatWritingEachFileBeforeReadingTheNextWrites)
{
    for (const TRunCase &c : kRunCases) {
        std::vector<qvc::TPassReport> expected;
        const Folder after = RowByRow(c, expected);
        Lay(c.before);
        RunRows(c);
        EXPECT_EQ(Contents(), after) << c.name;
        for (std::size_t row = 0; row < c.rows.size(); ++row) {
            const qvc::TPassReport &report = m_view.Reports.at(static_cast<int>(row));
            EXPECT_EQ(report.Count, expected[row].Count) << c.name << ", row " << row;
            EXPECT_EQ(report.WrittenName, expected[row].WrittenName) << c.name << ", row " << row;
            EXPECT_EQ(report.BackupName, expected[row].BackupName) << c.name << ", row " << row;
            EXPECT_EQ(report.Plan.Backups.size(), expected[row].Plan.Backups.size()) << c.name << ", row " << row;
            EXPECT_EQ(m_view.Rows[row].Updates, std::to_string(expected[row].Count)) << c.name << ", row " << row;
        }
    }
}

// Every name a run gives to new bytes is given after those bytes were synced (no file made since the last
// sync of a file or a file system), an old unit name is removed only after the folder of its new name is
// synced, and each folder whose names changed is synced once after the last change.
TEST_F(RunSafetyTest, NoNameIsGivenToBytesNotYetOnTheDiskAndEachChangedFolderIsSyncedOnceAtTheEnd)
{
    for (const TRunCase &c : kRunCases) {
        Lay(c.before);
        std::vector<TSeenCall> seen;
        {
            const TFaultScope record;
            RunRows(c);
            seen = record.Seen();
        }
        int notSynced = 0;
        std::size_t dataSyncs = 0;
        bool renamedSinceFolderSync = false;
        std::set<std::string> changed;
        std::size_t lastChange = 0;
        for (std::size_t k = 0; k < seen.size(); ++k) {
            const TSeenCall &call = seen[k];
            switch (call.Call) {
            case qvc::TSysCall::Create:
                ++notSynced;
                break;
            case qvc::TSysCall::Sync:
                if (call.Path.empty()) {
                    notSynced = 0;
                    ++dataSyncs;
                } else {
                    renamedSinceFolderSync = false;
                }
                break;
            case qvc::TSysCall::Unlink:
                if (std::string(qvc::NamePart(call.Path)).rfind(".qvConvertFiles-", 0) != 0) {
                    EXPECT_FALSE(renamedSinceFolderSync) << c.name << ": " << call.Path << " removed first";
                }
                changed.insert(qvc::FolderOf(call.Path));
                lastChange = k;
                break;
            case qvc::TSysCall::Rename:
                EXPECT_EQ(notSynced, 0) << c.name << ": " << call.Path << " named before its bytes were synced";
                renamedSinceFolderSync = true;
                [[fallthrough]];
            case qvc::TSysCall::Link:
                changed.insert(qvc::FolderOf(call.Path));
                lastChange = k;
                break;
            default:
                break;
            }
        }
        std::vector<std::string> atTheEnd;
        for (std::size_t k = lastChange + 1; k < seen.size(); ++k)
            if (seen[k].Call == qvc::TSysCall::Sync && !seen[k].Path.empty())
                atTheEnd.push_back(seen[k].Path);
        EXPECT_EQ(std::set<std::string>(atTheEnd.begin(), atTheEnd.end()), changed) << c.name;
        EXPECT_EQ(atTheEnd.size(), changed.size()) << c.name << ": each folder once";
        if (&c == &kRunCases[0]) {
            EXPECT_EQ(dataSyncs, 1u) << "three files rewritten in place share one sync";
        }
    }
}

// A failed call at any step of a run: the run ends at one row (the rows before it written and shown, the
// failing row and those after it untouched and shown as not reached) or completes; a folder that cannot be
// synced ends a run whose files are all written, naming the folder.
TEST_F(RunSafetyTest, AFailedCallAtAnyStepEndsTheRunAtOneRowOrCompletesIt)
{
    for (const TRunCase &c : kRunCases) {
        std::vector<qvc::TPassReport> reports;
        const Folder after = RowByRow(c, reports);
        Lay(c.before);
        int calls = 0;
        {
            const TFaultScope count;
            RunRows(c);
            calls = count.Calls();
        }
        for (int failAt = 1; failAt <= calls; ++failAt) {
            const std::string when = "failed call " + std::to_string(failAt);
            Lay(c.before);
            std::string failure;
            {
                const TFaultScope fault(failAt, EIO);
                try {
                    RunRows(c);
                } catch (const qvc::TError &error) {
                    failure = error.what();
                }
            }
            const std::map<std::size_t, bool> written = CheckOldOrNewInRowOrder(c, after, reports, when);
            for (const auto &[name, bytes] : Contents())
                EXPECT_EQ(name.find(".qvConvertFiles-"), std::string::npos) << c.name << ", " << when << ": " << name;
            // A run that completes may have kept a companion's name or the old name of a renamed unit, which
            // loses nothing; every row's file is written.
            const bool folderFailed = failure.rfind("Cannot save the changes in folder \"", 0) == 0;
            if (failure.empty() || folderFailed) {
                for (const auto &[row, isNew] : written)
                    EXPECT_TRUE(isNew) << c.name << ", " << when << ", row " << row << ": " << failure;
                if (folderFailed) {
                    EXPECT_NE(failure.find("\" to disk. Input/output error"), std::string::npos) << failure;
                    EXPECT_EQ(m_view.Calls, (Lines { "begin", "busy", "message on", "end" })) << c.name << ", " << when;
                }
                continue;
            }
            EXPECT_TRUE(failure == "Unable to backup file." || failure.rfind("Cannot create file \"", 0) == 0)
                << c.name << ", " << when << ": " << failure;
            // The row shown as failing is the first one not done; its file and every later one hold their
            // old text, and the rows after it show what a row the run did not reach shows.
            std::size_t failing = 0;
            while (failing < c.rows.size() && m_view.Rows[failing].Updates != "-")
                ++failing;
            ASSERT_LT(failing, c.rows.size()) << c.name << ", " << when;
            // A form no pair changed, failing as it is made under its new extension, shows its count 0.
            EXPECT_EQ(
                m_view.Rows[failing].Image, reports[failing].Count > 0 ? qvc::kImageChanged : qvc::kImageUnchanged)
                << c.name << ", " << when;
            for (std::size_t row = failing + 1; row < c.rows.size(); ++row) {
                EXPECT_EQ(m_view.Rows[row].Updates, "-") << c.name << ", " << when << ", row " << row;
                EXPECT_EQ(m_view.Rows[row].Status, "-") << c.name << ", " << when << ", row " << row;
                EXPECT_EQ(m_view.Rows[row].Image, qvc::kImageUnchanged) << c.name << ", " << when << ", row " << row;
            }
            for (const auto &[row, isNew] : written)
                EXPECT_EQ(isNew, row < failing) << c.name << ", " << when << ", row " << row;
        }
    }
}

// A kill at any step of a run: every name holds its old or new text, the rows written first, and the
// hidden files left are removed by the next run's sweep.
TEST_F(RunSafetyTest, AKillAtAnyStepLeavesEveryFileOldOrNewInRowOrder)
{
    for (const TRunCase &c : kRunCases) {
        std::vector<qvc::TPassReport> reports;
        const Folder after = RowByRow(c, reports);
        bool killed = true;
        for (int killAt = 1; killed; ++killAt) {
            Lay(c.before);
            killed = RunKilledAt(killAt, [&] { RunRows(c); });
            const std::string when = "kill " + std::to_string(killAt);
            const std::map<std::size_t, bool> written = CheckOldOrNewInRowOrder(c, after, reports, when);
            if (!killed) {
                EXPECT_EQ(Contents(), after) << c.name;
            }
            for (const std::string &folder : { std::string(), std::string("a"), std::string("b") })
                qvc::SweepStaleTemporaries(Path(folder));
            for (const auto &[name, bytes] : Contents())
                EXPECT_EQ(name.find(".qvConvertFiles-"), std::string::npos) << c.name << ", " << when << ": " << name;
            ASSERT_LT(killAt, 200) << c.name;
        }
    }
}

TEST_F(RunSafetyTest, AFolderThatCannotBeSyncedEndsARunThatWentWellNamingIt)
{
    const TRunCase &c = kRunCases[0];
    Lay(c.before);
    std::vector<std::string> synced;
    qvc::SetFaultHook([&](qvc::TSysCall call, std::string_view path) {
        if (call != qvc::TSysCall::Sync || path.empty())
            return 0;
        synced.emplace_back(path);
        return path == Path("b") ? EIO : 0;
    });
    try {
        RunRows(c);
        ADD_FAILURE() << "the run went on as if its files were on the disk";
    } catch (const qvc::TError &error) {
        EXPECT_EQ(std::string(error.what()),
            "Cannot save the changes in folder \"" + Path("b") + "\" to disk. Input/output error");
    }
    qvc::SetFaultHook({});
    EXPECT_EQ(std::set<std::string>(synced.begin(), synced.end()), (std::set<std::string> { Path("a"), Path("b") }))
        << "the other folder is synced too";
    // Every row was converted and is shown so; the ending is that of a failed write.
    EXPECT_EQ(m_view.Calls, (Lines { "begin", "busy", "message on", "end" }));
    for (std::size_t row = 0; row < c.rows.size(); ++row)
        EXPECT_NE(m_view.Rows[row].Updates, "-") << row;
    EXPECT_EQ(Read("b/U2.pas"), "uses QForms, Graphics;\r\n");
}

TEST_F(FileSafetyTest, FilesThatMayNotBeWrittenEndTheRunNamingThemWithNothingChanged)
{
    const struct
    {
        const char *name;
        Folder before;
        std::string file;
        int renameMode;
        std::string readOnly;
    } cases[] = {
        { "TheFileRead", { { "Unit1.pas", "uses Forms;\r\n" } }, "Unit1.pas", 2, "Unit1.pas" },
        { "AnExistingTarget", { { "Unit1.dfm", "object F\r\n  C = Forms\r\nend\r\n" }, { "Unit1.xfm", "mine" } },
            "Unit1.dfm", 0, "Unit1.xfm" },
        { "AnExistingNewName", { { "Alpha.pas", "unit Alpha;\r\n" }, { "NewAlpha.pas", "mine" } }, "Alpha.pas", 2,
            "NewAlpha.pas" },
        { "AFileToRemove", { { "Alpha.pas", "unit Alpha;\r\n" } }, "Alpha.pas", 2, "Alpha.pas" },
    };
    for (const auto &c : cases) {
        Lay(c.before);
        ASSERT_EQ(::chmod(Path(c.readOnly).c_str(), 0444), 0);
        try {
            Convert(c.file, kPairs, { c.renameMode, true, false });
            ADD_FAILURE() << c.name << ": written";
        } catch (const qvc::TError &error) {
            EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + Path(c.readOnly) + "\". Permission denied")
                << c.name;
        }
        EXPECT_EQ(Contents(), c.before) << c.name;
    }
}

TEST_F(FileSafetyTest, SymbolicLinksStayLinksAndTheirTargetsAreConverted)
{
    Lay({ { "real/Unit1.pas", "uses Forms;\r\n" }, { "real/Alpha.pas", "unit Alpha;\r\n" } });
    std::filesystem::create_symlink("real/Unit1.pas", m_dir / "Unit1.pas");
    EXPECT_EQ(Convert("Unit1.pas", kPairs, { 2, true, false }), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "Unit1.pas"));
    EXPECT_EQ(Read("real/Unit1.pas"), "uses QForms;\r\n");
    EXPECT_FALSE(std::filesystem::is_symlink(m_dir / "Unit1.~pas"));
    EXPECT_EQ(Read("Unit1.~pas"), "uses Forms;\r\n") << "the backup holds the old bytes, not a moved link";

    // A unit renamed through its link: a regular file under the new name, the link gone, its target kept.
    std::filesystem::create_symlink("real/Alpha.pas", m_dir / "Alpha.pas");
    EXPECT_EQ(Convert("Alpha.pas", kPairs, { 2, false, false }), 1);
    EXPECT_FALSE(std::filesystem::is_symlink(m_dir / "NewAlpha.pas"));
    EXPECT_EQ(Read("NewAlpha.pas"), "unit NewAlpha;\r\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(m_dir / "Alpha.pas")));
    EXPECT_EQ(Read("real/Alpha.pas"), "unit Alpha;\r\n");
}

TEST_F(FileSafetyTest, SpecialFilesFailWithoutBeingRead)
{
    ASSERT_EQ(::mkfifo(Path("pipe.pas").c_str(), 0600), 0);
    for (const std::string &path : { Path("pipe.pas"), std::string("/dev/zero") }) {
        m_view.Rows.assign(1, TFakeRow {});
        qvc::TSubstitutionPass pass(kPairs);
        EXPECT_EQ(pass.ConvertFile(0, path, {}, m_results, m_view, m_report), -1) << path;
        EXPECT_EQ(m_report.FailureReason.Flat(), "Cannot open file \"" + path + "\". Not a regular file.");
        EXPECT_EQ(m_view.Rows[0].Image, qvc::kImageFailed);
    }
}

TEST_F(FileSafetyTest, AFileChangedWhileItIsConvertedKeepsTheOtherProgramsText)
{
    Lay({ { "Unit1.pas", "uses Forms;\r\n" } });
    m_view.OnEvents = [this](int) {
        std::ofstream(Path("Unit1.pas"), std::ios::binary | std::ios::app) << "// added by the editor\r\n";
        m_view.OnEvents = nullptr;
    };
    EXPECT_EQ(Convert("Unit1.pas", kPairs, { 2, true, false }), -1);
    EXPECT_EQ(m_view.Rows[0].Image, qvc::kImageFailed);
    EXPECT_EQ(m_report.FailureReason.Flat(),
        "Cannot create file \"" + Path("Unit1.pas") + "\". The file was changed by another program since it was read.");
    EXPECT_TRUE(m_results.Empty());
    EXPECT_EQ(Contents(), (Folder { { "Unit1.pas", "uses Forms;\r\n// added by the editor\r\n" } }));
}

// A binary form: the resource header, then a form whose Picture.Data holds `picture` bytes.
std::string BinaryForm(std::size_t picture)
{
    std::string stream = "TPF0";
    const auto shortString = [&](const std::string &text) {
        stream += static_cast<char>(text.size());
        stream += text;
    };
    shortString("TForm1");
    shortString("Form1");
    shortString("Caption");
    stream += '\x06';
    shortString("Forms demo");
    shortString("Picture.Data");
    stream += '\x0A';
    for (int k = 0; k < 4; ++k)
        stream += static_cast<char>((picture >> (8 * k)) & 0xFF);
    for (std::size_t k = 0; k < picture; ++k)
        stream += static_cast<char>((k * 131 + 7) & 0xFF);
    stream += '\0';
    stream += '\0';
    return std::string("\xFF\x0A\x00TFORM1\x00\x30\x10\x00\x00\x00\x00", 16) + stream;
}

// Under the sanitizers every byte costs tens of times more: the files stay three times above the 4 MiB
// the pass keeps between files, which is what the test is about.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif
constexpr std::size_t kLargeMiB = kSanitized ? 12 : 50; // a text file
constexpr std::size_t kPictureMiB = kSanitized ? 5 : 10; // a binary form's picture, twice that as text

TEST_F(FileSafetyTest, LargeFilesConvertLikeSmallOnesOneAfterTheOther)
{
    // A text file of 50 MB and a binary form of over 20 MB of text, far above every buffer the pass
    // keeps between files, each followed and preceded by a small file through the same pass.
    std::string big;
    const char *lines[] = { "uses Forms, Controls;\r\n", "x := Forms.A + Forms.B;\n", "{ nothing here }\r",
        "Form := TForm.Create(nil); // Forms\r\n" };
    for (std::size_t k = 0; big.size() < kLargeMiB * 1024 * 1024; ++k)
        big += lines[k % 4];
    Write("Big.pas", big);
    Write("Form.dfm", BinaryForm(kPictureMiB * 1024 * 1024));
    Write("Small.pas", "uses Forms;\r\n");
    const Lines pairs { "Forms=QForms", "Controls=QControls", "FF=Hex" };

    qvc::TSubstitutionPass pass(pairs);
    for (const char *name : { "Small.pas", "Big.pas", "Small.pas", "Form.dfm", "Small.pas" }) {
        const std::string before = Read(name);
        Lines input = qvc::SplitLines(before);
        if (std::string(name) == "Form.dfm") {
            std::string text;
            qvc::BinaryFormToText(qvc::SkipResourceHeader(before), text);
            ASSERT_GT(text.size(), 2 * kPictureMiB * 1024 * 1024);
            input = qvc::SplitLines(text);
        }
        TLiteralState literal { input, Path(name), "", {} };
        const int expected = LiteralApplyAll(literal, pairs);
        m_view.Rows.assign(1, TFakeRow {});
        m_results.Clear();
        EXPECT_EQ(pass.ConvertFile(0, Path(name), {}, m_results, m_view, m_report), expected) << name;
        EXPECT_TRUE(Read(name) == qvc::JoinLinesCrLf(literal.Text)) << name << " differs from the plain algorithm";
        Write("Small.pas", "uses Forms;\r\n");
    }
}

TEST_F(FileSafetyTest, ABinaryFormWhoseTextWouldGrowBeyondAllProportionFails)
{
    // A list nested deep, holding a million nil items: every byte would become a long indented line.
    std::string stream = "TPF0";
    for (const std::string text : { "TForm1", "Form1", "Items" }) {
        stream += static_cast<char>(text.size());
        stream += text;
    }
    stream.append(60, '\x01');
    stream.append(1000000, '\x0D');
    stream.append(60 + 2, '\0');
    Write("Huge.dfm", std::string("\xFF\x0A\x00X\x00\x30\x10\x00\x00\x00\x00", 11) + stream);
    EXPECT_EQ(Convert("Huge.dfm", kPairs, {}), -1);
    EXPECT_EQ(m_report.FailureReason.Flat().rfind("Invalid binary form", 0), 0u) << m_report.FailureReason.Flat();
}

} // namespace
