#pragma once
// Taking a run back from its journal: every file gets back the bytes it held before the run (from the
// backups the run made), what the run created is removed, renamed companions get their names back and
// older backups move back to their names. All or nothing: everything is checked first, and when a step
// fails midway, what the undo did so far is taken back.
#include "engine/RunJournal.h"

#include <string>
#include <vector>

namespace qvc {

/// One step of an undo.
struct TUndoAction
{
    enum class TKind {
        Restore, ///< Path gets back the bytes of its backup From (replaced through the safe path)
        LinkBack, ///< Path, removed by the run, comes back as a link to its backup From
        Remove, ///< Path, made by the run, goes
        RenameBack, ///< From, a renamed companion, gets its old name Path back
        DropBackup, ///< Path, a backup the run made, goes
        MoveOlderBack, ///< From, an older backup the run moved, gets its name Path back
    };
    TKind Kind = TKind::Restore;
    std::string Path;
    std::string From;
};

/// What an undo will do, or why it cannot.
struct TUndoPlan
{
    std::vector<TUndoAction> Actions; ///< in the order they are taken
    std::vector<std::string> Changed; ///< files changed since the run (the undo stops unless forced)
    std::vector<std::string> NotKept; ///< files whose earlier bytes the run kept no backup of
    /// The files the undo gives back their earlier state (backups not counted).
    std::size_t FileCount() const;
    /// Whether the undo may go ahead.
    bool Possible() const { return Changed.empty() && NotKept.empty(); }
};

/// Decides the undo of `journal` from the files as they are now. A step the journal names that never
/// happened (the run ended by a failure or a kill before it) is recognised by what the files hold.
/// With `force`, files changed since the run are taken back all the same. Throws TError when a file
/// cannot be read.
TUndoPlan PlanUndo(const TJournal &journal, bool force);

/// Takes the actions of `plan`; when one fails, takes back the ones done and throws its TError.
void ExecuteUndo(const TUndoPlan &plan);

} // namespace qvc
