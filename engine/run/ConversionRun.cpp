#include "engine/run/ConversionRun.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/FolderLocks.h"
#include "engine/run/ResultStore.h"
#include "engine/write/TargetNames.h"

#include "engine/journal/RunJournal.h"
#include "engine/journal/UndoRun.h"
#include "engine/write/WriteAhead.h"

#include <algorithm>

namespace qvc {

void StoreOutcome(TResultStore &store, TFileOutcome &outcome)
{
    if (outcome.Count() > 0)
        store.Replace(outcome.Number, outcome.Result);
    TRowDetails details;
    details.Missed = std::move(outcome.Report.Missed);
    details.ChangedLines = std::move(outcome.Report.ChangedLines);
    details.ChangedLineTotal = outcome.Report.ChangedLineTotal;
    store.ReplaceDetails(outcome.Number, std::move(details));
}

void RunConversion(const TRunRequest &request, TRunObserver &observer, TRunJournal *journal)
{
    std::vector<std::string> files;
    files.reserve(request.Files.size());
    for (const TRunFile &file : request.Files)
        files.push_back(file.Name);
    // A tree an undo was interrupted in holds neither its old nor its new text everywhere.
    if (journal != nullptr)
        CheckNoPendingUndo(journal->Folder());
    // A real run holds its folders against other runs and undos from before its first write to its end; a
    // simulated run does not look for them.
    std::vector<std::string> folders;
    TFolderLocks locks;
    if (!request.Simulate) {
        folders = RunFoldersOf(files);
        locks.Acquire(folders);
    }
    // A run for Lazarus points its units at the forms it writes as ".lfm".
    std::vector<std::string> lines = request.RepositoryLines;
    if (request.RenameMode == TRenameMode::DelphiToLazarus)
        lines.emplace_back(kLazarusResourcePair);
    // The pass and what it keeps across files (the folders it changed and swept among them) belong to this run.
    TSubstitutionPass pass(lines);
    pass.SetJournal(journal);
    pass.ExpectReads(files);
    if (journal != nullptr)
        journal->BeginRun(std::move(files), folders, std::string(ScopeName(request.Scope)));
    TPassOptions options;
    options.RenameMode = request.RenameMode;
    options.Scope = request.Scope;
    options.Backup = request.Backup;
    options.Simulate = request.Simulate;
    options.KeepTexts = request.KeepTexts;
    options.KeepChangedLines = request.KeepChangedLines;
    const int rows = static_cast<int>(request.Files.size());
    observer.RunBegan();
    try {
        observer.WorkStarted();
        for (int row = 0; row < rows; ++row)
            observer.RowReset(row);
        observer.RowsReset();
        {
            // Files written by writer threads while the pass goes on; a run for Lazarus reads the units beside
            // its forms and programs, which earlier rows write, so it writes each file in turn.
            TWriteAhead ahead(
                pass, observer, request.Files, WriterCount(), request.RenameMode != TRenameMode::DelphiToLazarus);
            for (int row = 0; row < rows; ++row) {
                if (observer.StopMayBeWanted())
                    ahead.Flush();
                if (observer.StopWanted())
                    break;
                ahead.Convert(row, options);
            }
            ahead.Flush();
        }
        // Not done until the names the run changed are on the disk: a failed sync ends the run as a
        // failed write does.
        pass.SyncChangedFolders();
        observer.WorkCompleted();
    } catch (...) {
        // What the rows before the failure did stays, and reaches the disk too; the failure that ended the
        // run is the one reported, a failed sync of their folders would only repeat that the run failed.
        try {
            pass.SyncChangedFolders();
        } catch (const TError &) {
        }
        if (journal != nullptr)
            journal->End();
        observer.RunEnded();
        throw;
    }
    if (journal != nullptr)
        journal->End();
    observer.RunEnded();
}

} // namespace qvc
