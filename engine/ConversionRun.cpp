#include "engine/ConversionRun.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/FolderLocks.h"
#include "engine/TargetNames.h"

#include "engine/RunJournal.h"
#include "engine/UndoRun.h"
#include "engine/WriteAhead.h"

#include <algorithm>

namespace qvc {

void StoreRowDetails(TResultStore &store, std::size_t slot, TPassReport &report)
{
    TRowDetails details;
    details.Missed = std::move(report.Missed);
    details.ChangedLines = std::move(report.ChangedLines);
    details.ChangedLineTotal = report.ChangedLineTotal;
    store.ReplaceDetails(slot, std::move(details));
}

void RunConversion(TConversionView &view, const std::vector<std::string> &repositoryLines, TRenameMode renameMode,
    TResultStore &store, TRunJournal *journal, TScope scope)
{
    // Each folder the run writes to is swept once of temporary files that killed runs left behind.
    ForgetSweptFolders();
    std::vector<std::string> files;
    files.reserve(static_cast<std::size_t>(std::max(view.RowCount(), 0)));
    for (int row = 0; row < view.RowCount(); ++row)
        files.push_back(view.RowFileName(row));
    // A tree an undo was interrupted in holds neither its old nor its new text everywhere.
    if (journal != nullptr)
        CheckNoPendingUndo(journal->Folder());
    // A real run holds its folders against other runs and undos from before its first write to its end.
    // A simulated run needs them only for its journal, or when a row is no longer simulated.
    std::vector<std::string> folders;
    bool foldersKnown = false;
    const auto runFolders = [&]() -> const std::vector<std::string> & {
        if (!foldersKnown)
            folders = RunFoldersOf(files);
        foldersKnown = true;
        return folders;
    };
    TFolderLocks locks;
    if (!view.SimulateChecked())
        locks.Acquire(runFolders());
    // A run for Lazarus points its units at the forms it writes as ".lfm".
    std::vector<std::string> lines = repositoryLines;
    if (renameMode == TRenameMode::DelphiToLazarus)
        lines.emplace_back(kLazarusResourcePair);
    TSubstitutionPass pass(lines);
    pass.SetJournal(journal);
    pass.ExpectReads(files);
    // The files go to the journal, unless a row that is not simulated may still need them for its folders.
    if (journal != nullptr && foldersKnown)
        journal->BeginRun(std::move(files), folders, std::string(ScopeName(scope)));
    else if (journal != nullptr)
        journal->BeginRun(files, {}, std::string(ScopeName(scope)));
    view.BeginRun();
    try {
        view.ShowReadyImage(false);
        view.ShowProgressMessage(true);
        view.SetProgress(0, -1, -1);
        for (int row = 0; row < view.RowCount(); ++row)
            view.ResetRow(row);
        view.ClearSelection();
        {
            // Files written by writer threads while the pass goes on; a run for Lazarus reads the units beside
            // its forms and programs, which earlier rows write, so it writes each file in turn.
            TWriteAhead ahead(pass, view, store, WriterCount(), renameMode != TRenameMode::DelphiToLazarus);
            for (int row = 0; row < view.RowCount(); ++row) {
                if (view.StopMayBeRequested())
                    ahead.Flush();
                if (view.StopRequested())
                    break;
                TPassOptions options;
                options.RenameMode = renameMode;
                options.Scope = scope;
                options.Backup = view.BackupChecked();
                options.Simulate = view.SimulateChecked();
                if (!options.Simulate && !locks.Held()) {
                    const bool known = foldersKnown;
                    locks.Acquire(runFolders());
                    // The journal, opened by the first step, names them too.
                    if (!known && journal != nullptr)
                        journal->SetFolders(folders);
                }
                options.KeepTexts = view.WantsTexts();
                options.KeepChangedLines = view.WantsChangedLines();
                ahead.Convert(row, options);
            }
            ahead.Flush();
        }
        // Not done until the names the run changed are on the disk: a failed sync ends the run as a
        // failed write does.
        pass.SyncChangedFolders();
        view.SetProgress(0, -1, -1);
        view.ShowProgressMessage(false);
        view.ShowReadyImage(true);
    } catch (...) {
        // What the rows before the failure did stays, and reaches the disk too; the failure that ended the
        // run is the one reported, a failed sync of their folders would only repeat that the run failed.
        try {
            pass.SyncChangedFolders();
        } catch (const TError &) {
        }
        if (journal != nullptr)
            journal->End();
        view.EndRun();
        throw;
    }
    if (journal != nullptr)
        journal->End();
    view.EndRun();
}

} // namespace qvc
