// "qvconvert undo [JOURNAL]": takes a conversion run back from its journal (the last run by default).
#include "cli/Commands.h"
#include "cli/ErrorText.h"
#include "cli/RunFiles.h"

#include "common/Errors.h"
#include "engine/RunJournal.h"
#include "engine/UndoRun.h"

#include <CLI/CLI.hpp>

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
        text += "\n  " + file;
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

void RunUndo(const TUndoArguments &arguments)
{
    std::string path = arguments.Journal;
    if (path.empty()) {
        path = NewestJournal(JournalFolder());
        if (path.empty()) {
            ReportFailure("undo", ErrorText(TMessage("no run journal found in %s", { PathArg(JournalFolder()) })));
            EndCommand(kExitFailure);
        }
    }
    try {
        const TJournal journal = ReadJournal(path);
        if (journal.Undone) {
            ReportFailure(path, "this run was already undone");
            EndCommand(kExitFailure);
        }
        const TUndoPlan plan = PlanUndo(journal, arguments.Force);
        RefuseForFiles(
            path, plan.NotKept, "the run kept no backup of these files, so it cannot be undone; nothing was restored:");
        RefuseForFiles(path, plan.Changed,
            "these files were changed since the run; nothing was restored (--force restores them anyway):");
        ExecuteUndo(plan);
        MarkJournalUndone(path);
        for (const auto &action : plan.Actions) {
            switch (action.Kind) {
            case TUndoAction::TKind::Restore:
            case TUndoAction::TKind::LinkBack:
                PrintLine("restored\t" + action.Path);
                break;
            case TUndoAction::TKind::Remove:
                PrintLine("removed\t" + action.Path);
                break;
            case TUndoAction::TKind::RenameBack:
                PrintLine("renamed\t" + action.From + "\t" + action.Path);
                break;
            case TUndoAction::TKind::DropBackup:
                PrintLine("dropped backup\t" + action.Path);
                break;
            case TUndoAction::TKind::MoveOlderBack:
                PrintLine("moved back\t" + action.From + "\t" + action.Path);
                break;
            }
        }
        PrintLine("undone: " + std::to_string(plan.FileCount()) + " file(s) of " + path);
    } catch (const TError &error) {
        ReportFailure(path, ErrorText(error));
        EndCommand(kExitFailure);
    }
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
    command->add_flag("--force", arguments->Force, "Restore files changed since the run as well");
    command->callback([arguments] { RunUndo(*arguments); });
}

} // namespace qvc
