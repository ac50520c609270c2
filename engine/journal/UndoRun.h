#pragma once
// Taking a run back from its journal: every file gets back the bytes it held before the run (the backup
// the run made is renamed into place), what the run created is removed, renamed companions get their
// names back and older backups move back to their names. Only paths inside the run's folders are
// touched, only files that hold what the journal says are removed or restored, and whatever a forced
// undo replaces or removes that differs from what the run wrote is first kept under a numbered backup
// name. All or nothing: everything is checked first; a step that fails midway is taken back; an undo
// ended by a kill is completed by the next one, from the undo journal it leaves beside the run's.
#include "engine/journal/RunJournal.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvc {

/// Why a run cannot start while an undo waits to be completed (Windows-1252 template, "%s" the run journal).
inline constexpr std::string_view kUndoPending
    = "an undo of the run journal \"%s\" was interrupted; run \"qvconvert undo\" to complete it before "
      "converting again";

/// One step of an undo.
struct TUndoAction
{
    enum class TKind {
        Restore, ///< Path gets back the bytes of its backup From, which is renamed into place
        Remove, ///< Path, made by the run, goes
        RenameBack, ///< From, a renamed companion, gets its old name Path back
        DropBackup, ///< Path, a backup the run made, goes
        MoveOlderBack, ///< From, an older backup the run moved, gets its name Path back
    };
    TKind Kind = TKind::Restore;
    std::string Path;
    std::string From;
    /// Restore, Remove: what stands at Path is not what the run wrote (only a forced undo goes on); it is
    /// kept under the next numbered backup name of Path before it is replaced or removed.
    bool Keep = false;
};

/// What an undo will do, or why it cannot.
struct TUndoPlan
{
    std::vector<TUndoAction> Actions; ///< in the order they are taken
    std::vector<std::string> Changed; ///< files changed since the run (the undo stops unless forced)
    std::vector<std::string> NotKept; ///< files whose earlier bytes the run kept no backup of
    /// Files the run may have changed after its journal ended (a full disk, a kill): the undo cannot
    /// tell what they held, so it leaves them (and their backups) as they are.
    std::vector<std::string> Unaccounted;
    /// The journal ends before the run did (no end line): what it does not name cannot be told.
    bool EndsBeforeRun = false;
    std::vector<std::string> Folders; ///< the run's folders, which the undo locks
    /// The files the undo gives back their earlier state (backups not counted), each once, in the order of
    /// the actions.
    std::vector<std::string> Files() const;
    /// How many Files() there are.
    std::size_t FileCount() const;
    /// Whether the undo may go ahead.
    bool Possible() const { return Changed.empty() && NotKept.empty(); }
};

/// What an undo did beyond its plan.
struct TUndoOutcome
{
    /// Files a forced undo replaced or removed, each kept under a numbered backup name: (file, backup).
    std::vector<std::pair<std::string, std::string>> Kept;
};

/// Decides the undo of `journal` from the files as they are now. A step the journal names that never
/// happened (the run ended by a failure or a kill before it) is recognised by what the files hold.
/// With `force`, files changed since the run are taken back all the same (and kept, see TUndoAction).
/// Throws TJournalRefused when a step names a path outside the run's folders (after resolving ".." and
/// symbolic links in its folder), so that nothing is touched; TError when a file cannot be looked at.
TUndoPlan PlanUndo(const TJournal &journal, bool force);

/// Takes the actions of `plan`; when one fails, takes back the ones done and throws its TError.
TUndoOutcome ExecuteUndo(const TUndoPlan &plan);

/// The undo journal of the run journal `journalPath`, which an undo keeps while it works.
std::string UndoJournalOf(const std::string &journalPath);

/// Takes a run back for good: journals the undo beside the run's journal (synced before the first step),
/// reserves room for the undone mark, executes `plan`, marks the run undone and removes the undo journal
/// and its hidden files. The caller holds the locks of `plan.Folders` from before planning. Throws TError
/// as ExecuteUndo does (the undo taken back, its journal removed).
TUndoOutcome CommitUndo(const TJournal &journal, const TUndoPlan &plan, bool force);

/// The run journals in `folder` whose undo was interrupted (its undo journal is there and the process
/// that wrote it has ended), oldest first.
std::vector<std::string> PendingUndos(const std::string &folder);

/// Throws TError naming "qvconvert undo" when an interrupted undo in `folder` must be completed first.
void CheckNoPendingUndo(const std::string &folder);

/// What completing an interrupted undo came to.
struct TCompletedUndo
{
    TUndoPlan Plan; ///< planned again from the files as they are now
    TUndoOutcome Outcome;
    bool Done = false; ///< false when Plan is not Possible(): the undo stays pending
};

/// Completes the interrupted undo of the run journal `journalPath`: locks the run's folders, plans again
/// from the files as they are (with the force the undo was started with), finishes it, marks the run
/// undone and removes the undo journal and the hidden files it left. Throws TError or TJournalRefused.
TCompletedUndo CompletePendingUndo(const std::string &journalPath);

} // namespace qvc
