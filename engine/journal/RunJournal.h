#pragma once
// The journal of a conversion run: one JSON line for every step the run takes on a file (read, backed
// up, written, removed, renamed), written and synced before the step happens, so that an undo can take
// back a run that ended normally, by a failure or by a kill. Paths are kept as the file system's bytes.
//
// Version 2 starts with the run's start time, its folders (the resolved folder of every file it reads or
// writes) and, on the second line, its files in row order; an "end" line closes a run that ended by
// itself. Version-1 journals (no folders, no end) are still read: their folders are those of the files
// they read, their time is the one in their name.
#include "common/Checksum.h"
#include "common/Errors.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvc {

// Why a journal is not used, or not written (Windows-1252 templates; "%s" is the journal or its folder).
inline constexpr std::string_view kDamagedJournal = "journal empty or damaged (line %s)";
inline constexpr std::string_view kEmptyJournal = "journal empty or damaged";
inline constexpr std::string_view kJournalFolderShared
    = "journal not used: its folder \"%s\" is not yours alone to write";
inline constexpr std::string_view kJournalIsLink = "journal not used: \"%s\" is a symbolic link";
inline constexpr std::string_view kJournalNotRegular = "journal not used: \"%s\" is not a regular file";
inline constexpr std::string_view kJournalOtherOwner = "journal not used: \"%s\" belongs to another user";
inline constexpr std::string_view kJournalWritableByOthers = "journal not used: \"%s\" may be written by other users";
inline constexpr std::string_view kJournalOutsideFolders
    = "journal not used: it names \"%s\", outside the run's folders";
inline constexpr std::string_view kNoJournalFolder
    = "No folder for the run journal (neither XDG_STATE_HOME nor HOME is set).";

enum class TStepKind { Read, Backup, Write, Remove, Rename };

/// One step of a run on one file, as journaled before it is taken.
struct TJournalStep
{
    TStepKind Kind = TStepKind::Read;
    int Row = -1; ///< the row of the run, from 0
    std::string Path; ///< the file read, backed up, written, removed, or renamed away
    std::string Other; ///< Backup: the backup's name; Rename: the new name
    std::string Older; ///< Backup: where an older backup of that name moves, empty when none exists
    std::string LinkTarget; ///< Write: the file written when Path was a symbolic link, else empty
    /// Read, Backup, Remove, Rename: what the file held; Write: what the file held before (nothing when
    /// there was no file of that name).
    std::optional<TContentSum> Before;
    std::optional<TContentSum> After; ///< Write: the text written
};

/// A journal as read back.
struct TJournal
{
    std::string FileName;
    int Version = 2;
    std::string StartTime; ///< UTC, "YYYYMMDDTHHMMSS.nnnnnnnnnZ": ordered as text
    std::vector<std::string> Folders; ///< the run's folders, resolved, sorted
    std::vector<std::string> Files; ///< the run's files in row order (empty for version 1)
    std::string Scope = "all"; ///< where the run's pairs applied
    std::vector<TJournalStep> Steps;
    bool Ended = false; ///< the run journaled its own end (version 1: taken as true)
    bool Cut = false; ///< the last line was cut short (a kill or a full disk while it was written)
    bool Undone = false; ///< an undo has already taken the run back
};

/// A journal that must not be used at all: not the running user's own, empty or damaged.
class TJournalRefused : public TError
{
public:
    using TError::TError;
};

/// The journal of one run, written to a new file in `folder` on the first step that changes a file (so
/// a run that changes nothing leaves no journal; the files read before it are written then). The file is
/// made 0600, its folder 0700. Lines go to the system as they are recorded; Sync() makes them durable, and
/// the run calls it once before the steps of each batch. A journal that cannot be written never stops the
/// run: Failure() tells why, and the steps after it are not journaled.
class TRunJournal
{
public:
    explicit TRunJournal(std::string folder);
    ~TRunJournal();
    TRunJournal(const TRunJournal &) = delete;
    TRunJournal &operator=(const TRunJournal &) = delete;

    /// Names the run's files (row order), folders (resolved) and scope ("all", "code", "uses") before its
    /// first step.
    void BeginRun(std::vector<std::string> files, std::vector<std::string> folders, std::string scope = "all");
    /// Journals a step before it is taken.
    void Record(const TJournalStep &step);
    /// The backup `backupName` moved its older backup to `older` after all (another name than journaled).
    void RecordOlderMoved(int row, const std::string &backupName, const std::string &older);
    /// Makes every line recorded so far durable (fdatasync); a failure becomes the journal's Failure().
    void Sync();
    /// Journals that the run ended by itself (normally, stopped, or by a failure it reported).
    void End();
    /// The journal file, empty until the first step.
    const std::string &FileName() const { return m_fileName; }
    /// The folder of the journals.
    const std::string &Folder() const { return m_folder; }
    /// Why the journal could not be written, empty while it could.
    const TMessage &Failure() const { return m_failure; }

private:
    void Open();
    void WriteLine(const std::string &line);
    void Fail(int reason);

    std::string m_folder;
    std::string m_fileName;
    TMessage m_failure;
    std::string m_pending; // lines of files read before the first change
    std::vector<std::string> m_files;
    std::vector<std::string> m_folders;
    std::string m_startTime;
    std::string m_scope = "all";
    bool m_dirty = false;
    int m_fd = -1;
};

/// The folder that holds the journals: $XDG_STATE_HOME/qvConvertFiles/runs/ (XDG_STATE_HOME when it is
/// an absolute path, else $HOME/.local/state), or `executableDir`/qvConvertFiles-runs/ when
/// `besideExecutable` (for an installation that keeps its settings beside the executable). `environment`
/// returns a variable's value or null. Empty when no folder can be named.
std::string RunJournalFolder(const std::string &executableDir,
    const std::function<const char *(const char *)> &environment, bool besideExecutable = false);

/// The journal of the last run in `folder`: the newest by the start time recorded inside it (version 1:
/// in its name); empty when there is none. Whether the user may use it is for ReadJournal to say.
std::string NewestJournal(const std::string &folder);

/// A run journal as a choice of runs to undo lists it.
struct TJournalSummary
{
    std::string Path;
    std::string StartTime; ///< as TJournal::StartTime
    std::vector<std::string> Folders; ///< the run's folders, resolved, sorted
    std::size_t FileCount = 0; ///< the run's files (version 1: the files it read)
    bool Ended = false; ///< the run journaled its own end
    bool Cut = false; ///< the last line was cut short
    bool Undone = false; ///< an undo has already taken the run back
    /// Why the journal may not be used (ReadJournal's refusal), empty when it may.
    TMessage Refused;
    bool Damaged = false; ///< refused because it is empty or cannot be read as a journal
};

/// The `limit` newest run journals in `folder`, newest first in NewestJournal's order, each read as
/// ReadJournal reads it; one it refuses is listed with the reason (its time from its first line). Empty when
/// the folder holds none.
std::vector<TJournalSummary> RecentJournals(const std::string &folder, std::size_t limit);

/// Opens `path` for reading (or appending with `forAppend`) only when it is a regular file (not a link)
/// owned by the running user and writable by no one else, in a folder the running user owns and no one
/// else may write. Returns the descriptor. Throws TJournalRefused naming the reason.
int OpenTrustedJournal(const std::string &path, bool forAppend = false);

/// Reads a journal the running user may use (OpenTrustedJournal). A line cut short at the end is left
/// out and marks the journal Cut. Throws TJournalRefused "journal empty or damaged" (with the line) for
/// an empty journal or one that cannot be read as a journal, or for the reasons OpenTrustedJournal gives.
TJournal ReadJournal(const std::string &path);

/// The journal in `bytes`, as ReadJournal reads it from the file `path` (relative paths are taken from the
/// run's folder, version-1 folders from the files read). Throws TJournalRefused "journal empty or damaged".
TJournal ParseJournal(std::string_view bytes, const std::string &path);

/// Appends the mark that the run was undone, as a line of its own, and syncs it. Throws TError on failure.
void MarkJournalUndone(const std::string &path);

/// Makes room for the undone mark before an undo starts, so that a full file system cannot keep the undo
/// from marking the journal (where the file system can reserve space; elsewhere nothing happens). Throws
/// TError (no space) when the disk is full and the mark would not fit in the journal's last block.
void ReserveJournalMark(const std::string &path);

/// The resolved run folders of `files`: the folder of each file, and of the file a link leads to, each
/// with its symbolic links and ".." resolved; sorted, each once. Folders that do not exist are left out.
std::vector<std::string> RunFoldersOf(const std::vector<std::string> &files);

} // namespace qvc
