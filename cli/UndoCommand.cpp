// "qvconvert undo [JOURNAL]": takes a conversion run back from its journal (the last run by default).
#include "cli/Commands.h"
#include "cli/ErrorText.h"
#include "cli/RunFiles.h"

#include "common/Errors.h"
#include "common/EscapedName.h"
#include "common/FolderLocks.h"
#include "engine/journal/RunJournal.h"
#include "engine/journal/UndoRun.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace qvc {
namespace {

// Ends the command when `files` is not empty, with `message` and the files one per line.
void RefuseForFiles(const std::string &journal, const std::vector<std::string> &files, const std::string &message)
{
    if (files.empty())
        return;
    std::string text = message;
    for (const auto &file : files)
        text += "\n  " + EscapedName(file);
    ReportFailure(journal, text);
    EndCommand(kExitFailure);
}

struct TUndoArguments
{
    std::string Journal;
    bool Force = false;
};

void PrintLine(const std::string &line)
{
    const std::string out = line + "\n";
    if (!WriteStandardOutput(out))
        throw TError("Cannot write to standard output.");
}

void PrintActions(const TUndoPlan &plan, const TUndoOutcome &outcome)
{
    for (const auto &[file, kept] : outcome.Kept) {
        std::string line = "kept\t";
        line += EscapedName(file);
        line += '\t';
        line += EscapedName(kept);
        PrintLine(line);
    }
    for (const auto &action : plan.Actions) {
        switch (action.Kind) {
        case TUndoAction::TKind::Restore:
            PrintLine("restored\t" + EscapedName(action.Path));
            break;
        case TUndoAction::TKind::Remove:
            PrintLine("removed\t" + EscapedName(action.Path));
            break;
        case TUndoAction::TKind::RenameBack:
            PrintLine("renamed\t" + EscapedName(action.From) + "\t" + EscapedName(action.Path));
            break;
        case TUndoAction::TKind::DropBackup:
            PrintLine("dropped backup\t" + EscapedName(action.Path));
            break;
        case TUndoAction::TKind::MoveOlderBack:
            PrintLine("moved back\t" + EscapedName(action.From) + "\t" + EscapedName(action.Path));
            break;
        }
    }
}

// The files a journal that ends before its run did cannot account for; true when there were any.
bool ReportUnaccounted(const std::string &journal, const TUndoPlan &plan)
{
    if (plan.Unaccounted.empty() && !plan.EndsBeforeRun)
        return false;
    std::string text = "the journal ends before the run did (a full disk or a kill); ";
    if (plan.Unaccounted.empty())
        text += "what the run did after its last line cannot be told, not even which files it had";
    else
        text += "the run may have changed these files after it, and they were left as they are:";
    for (const auto &file : plan.Unaccounted)
        text += "\n  " + EscapedName(file);
    ReportFailure(journal, text);
    return true;
}

// Runs `step`, ending the command with one line for a failure: exit 2 when the journal cannot be used
// or a folder stays held by another process (nothing was touched), exit 1 otherwise.
template <class TStep> auto Guarded(const std::string &subject, TStep &&step)
{
    try {
        return step();
    } catch (const TJournalRefused &error) {
        ReportFailure(subject, ErrorText(error));
        EndCommand(kExitUsage);
    } catch (const TFolderBusy &error) {
        ReportFailure(subject, ErrorText(error));
        EndCommand(kExitUsage);
    } catch (const TError &error) {
        ReportFailure(subject, ErrorText(error));
        EndCommand(kExitFailure);
    }
}

void RunUndo(const TUndoArguments &arguments)
{
    const std::string folder = JournalFolder();
    bool unaccounted = false;
    // An undo a kill interrupted is completed first: until then the tree holds neither text everywhere.
    std::vector<std::string> completed;
    for (const auto &pending : PendingUndos(folder)) {
        const TCompletedUndo done = Guarded(pending, [&] { return CompletePendingUndo(pending); });
        RefuseForFiles(pending, done.Plan.NotKept,
            "an interrupted undo cannot be completed: the run kept no backup of these files; nothing more was "
            "restored:");
        RefuseForFiles(pending, done.Plan.Changed,
            "an interrupted undo cannot be completed: these files were changed since; nothing more was restored:");
        PrintActions(done.Plan, done.Outcome);
        PrintLine("completed the interrupted undo of " + EscapedName(pending));
        unaccounted = ReportUnaccounted(pending, done.Plan) || unaccounted;
        completed.push_back(pending);
    }
    std::string path = arguments.Journal;
    if (path.empty() && !completed.empty()) {
        if (unaccounted)
            EndCommand(kExitFailure);
        return;
    }
    if (path.empty()) {
        path = NewestJournal(folder);
        if (path.empty()) {
            ReportFailure("undo", ErrorText(TMessage("no run journal found in %s", { PathArg(folder) })));
            EndCommand(kExitFailure);
        }
    }
    if (std::find(completed.begin(), completed.end(), path) != completed.end())
        return;
    const TJournal journal = Guarded(path, [&] { return ReadJournal(path); });
    if (journal.Undone) {
        ReportFailure(path, "this run was already undone");
        EndCommand(kExitFailure);
    }
    // The run's folders stay held from before the files are looked at until the last one is back.
    TFolderLocks locks;
    Guarded(path, [&] { locks.Acquire(journal.Folders); });
    const TUndoPlan plan = Guarded(path, [&] { return PlanUndo(journal, arguments.Force); });
    RefuseForFiles(
        path, plan.NotKept, "the run kept no backup of these files, so it cannot be undone; nothing was restored:");
    RefuseForFiles(path, plan.Changed,
        "these files were changed since the run; nothing was restored (--force restores them anyway, keeping "
        "each one under a numbered backup name):");
    const TUndoOutcome outcome = Guarded(path, [&] { return CommitUndo(journal, plan, arguments.Force); });
    PrintActions(plan, outcome);
    PrintLine("undone: " + std::to_string(plan.FileCount()) + " file(s) of " + EscapedName(path));
    if (ReportUnaccounted(path, plan) || unaccounted)
        EndCommand(kExitFailure);
}

} // namespace

std::string JournalFolder()
{
    return RunJournalFolder({}, [](const char *name) { return std::getenv(name); });
}

void AddUndoCommand(CLI::App &app)
{
    CLI::App *command = app.add_subcommand("undo",
        "Take a conversion run back from its journal: every file gets back the bytes it held before the run "
        "(from the run's backups), files the run made are removed, renamed files get their names back; "
        "all or nothing");
    auto arguments = std::make_shared<TUndoArguments>();
    command->add_option("JOURNAL", arguments->Journal, "The run's journal (default: the last run's)");
    command->add_flag("--force", arguments->Force,
        "Restore files changed since the run as well; each one is first kept under a numbered backup name "
        "(Unit1.~pas.~N~), listed as \"kept\"");
    command->footer("Only the running user's own journals are used (a regular file writable by no one else, in a "
                    "folder only its owner may write), and only paths inside the run's folders are touched. An "
                    "undo ended by a kill is completed by the next \"qvconvert undo\".\n"
                    "\n"
                    "Exit status:\n"
                    "  0  the run was taken back\n"
                    "  1  files changed since the run or without a backup (nothing restored), a step failed (what "
                    "was done\n"
                    "     was taken back), or the journal ends before its run did (what it proves was undone; "
                    "the files\n"
                    "     it cannot account for are listed)\n"
                    "  2  the journal is not the user's own, empty or damaged, names a path outside the run's "
                    "folders,\n"
                    "     or another run or undo held one of its folders for 5 s; nothing was touched");
    command->callback([arguments] { RunUndo(*arguments); });
}

} // namespace qvc
