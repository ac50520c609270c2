#pragma once
// Whole-file reading (FileRead.cpp), the one way the program replaces a file and its other steps on a user's
// file (SafeReplace.cpp), and the hidden temporary files those steps make and sweep (TempFiles.cpp). Paths are
// 8-bit byte strings as the file system holds them.
#include "common/Errors.h"
#include "common/PathNames.h"

#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_set>
#include <vector>

namespace qvc {

inline constexpr std::string_view kCannotOpenFile = "Cannot open file \"%s\". %s";
inline constexpr std::string_view kCannotCreateFile = "Cannot create file \"%s\". %s";
/// The reason given when a file to be replaced is no longer the file that was read.
inline constexpr std::string_view kChangedMeanwhile = "The file was changed by another program since it was read.";
/// The reason given when a name that must be read does not name a regular file.
inline constexpr std::string_view kNotRegularFile = "Not a regular file.";

/// Which file a name led to and what it held when looked at: a replacement that expects a stamp goes
/// ahead only while the file still has it. `Exists` false stands for "no file of that name".
struct TFileStamp
{
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified {};

    bool operator==(const TFileStamp &other) const;
};

/// The stamp of what `path` leads to now (links followed); a missing file gives Exists false.
TFileStamp StampOf(const std::string &path);

/// Thrown by WriteFileReplacing when the file is no longer the one expected: it was not replaced.
class TChangedMeanwhile : public TError
{
public:
    using TError::TError;
};

/// The reason-carrying message of a folder whose changed names could not be made to reach the disk.
inline constexpr std::string_view kCannotSyncFolder = "Cannot save the changes in folder \"%s\" to disk. %s";

/// The folders in which a series of file steps (a run) made, replaced, renamed or removed names, so that each
/// is synced once when the series ends instead of once per step, and the folders the series already swept of
/// the temporary files that killed processes left (each is swept once per series). Belongs to the series,
/// never to the process or a thread: two runs, or a run and anything else, never share what it knows.
class TChangedFolders
{
public:
    /// Notes that a name in `folder` was made, replaced, renamed or removed.
    void Add(const std::string &folder);
    /// Syncs every folder noted since the last call, each once, in the order they were first noted, and
    /// forgets them. Throws TError "Cannot save the changes in folder "%s" to disk. %s" for the first folder
    /// whose sync failed, after trying every other one.
    void SyncAll();
    /// True when no folder waits for its sync.
    bool Empty() const { return m_order.empty(); }
    /// True the first time it is asked for `folder` (which is then to be swept), false after that. A sync
    /// forgets nothing of it. Safe to call from several threads at once (the writers of one run).
    bool FirstSweepOf(const std::string &folder)
    {
        const std::lock_guard<std::mutex> lock(m_sweptLock);
        return m_swept.insert(folder).second;
    }

private:
    std::vector<std::string> m_order;
    std::unordered_set<std::string> m_known;
    std::mutex m_sweptLock;
    std::unordered_set<std::string> m_swept;
};

/// Reads a whole regular file as bytes. Anything else (a folder, a pipe, a device) is refused without
/// being read. Throws TError "Cannot open file "%s". %s" with the system's reason.
std::string ReadFileBytes(const std::string &path);

/// ReadFileBytes into the first bytes of `buffer`, which grows when the file needs more room and never
/// shrinks, so that one buffer serves file after file. Returns the number of bytes read; `stamp`, when
/// given, receives the file's stamp as it was read.
std::size_t ReadFileInto(const std::string &path, std::string &buffer, TFileStamp *stamp = nullptr);

/// Replaces (or creates) the file `path` with `bytes`. The bytes go into a new file in the same folder
/// (unnamed where the file system allows), which takes the old file's mode, owner, group, ACLs and
/// extended attributes and reaches the disk before it gets a hidden name and is renamed over `path`: at
/// every moment, a power loss included, `path` holds its old or its new text. A symbolic link stays a
/// link: the file it leads to is replaced. When `expected` is given the file must still have that stamp (or
/// still be absent), else TChangedMeanwhile. A file the user may not change (see CheckMayChange) is refused
/// before anything is written. The rename reaches the disk with the next sync of the folder, which is
/// noted in `changed` when given. The folder is first swept of the temporary files killed processes left
/// (SweepStaleTemporaries): once per series of `changed`, every time without it. Throws TError "Cannot create
/// file "%s". %s" with the system's reason; the file then still holds its old text.
void WriteFileReplacing(const std::string &path, std::string_view bytes, const TFileStamp *expected = nullptr,
    TChangedFolders *changed = nullptr);

/// WriteFileReplacing in two halves, so that the new file can be made on one thread while another thread
/// decides when it takes the old one's place. Prepare needs no order with other files: it checks the file
/// (as WriteFileReplacing does), writes the new file beside it, gives it the old file's metadata and makes it
/// reach the disk under a hidden name. Commit takes the last look and renames it over the file. A
/// replacement prepared and never committed is removed when the object goes (or a later run's sweep removes
/// it after a kill).
class TFileReplacement
{
public:
    TFileReplacement();
    ~TFileReplacement();
    TFileReplacement(const TFileReplacement &) = delete;
    TFileReplacement &operator=(const TFileReplacement &) = delete;
    TFileReplacement(TFileReplacement &&) = delete;
    TFileReplacement &operator=(TFileReplacement &&) = delete;

    /// The first half for `path` and `bytes`; `expected` as for WriteFileReplacing, and the folder swept once
    /// per `series` as WriteFileReplacing does with its `changed` (writer threads may share one series). Throws as
    /// WriteFileReplacing does; nothing is left behind then.
    void Prepare(const std::string &path, std::string_view bytes, const TFileStamp *expected = nullptr,
        TChangedFolders *series = nullptr);
    /// Whether the file to be replaced is unchanged, its metadata included (by its status-change time), since
    /// Prepare looked at it, so that the new file still carries its owner, group, mode and attributes.
    bool UnchangedSincePrepared() const;
    /// The second half: the file must still be as Prepare saw it (else TChangedMeanwhile, the new file
    /// removed); then the new file is renamed over it and its folder noted in `changed` when given. Throws
    /// TError "Cannot create file "%s". %s" when the rename fails; the file then still holds its old text.
    void Commit(TChangedFolders *changed = nullptr);
    /// Removes the prepared file, if any.
    void Discard();

private:
    struct TState;
    std::unique_ptr<TState> m_state;
};

/// WriteFileReplacing, then a sync of the folder, so that the new text stands under `path` for good when the
/// call returns (a file saved on its own: a repository, the settings, a report). Throws TError "Cannot
/// create file "%s". %s"; after a failed folder sync the file holds the new text, which a power loss may
/// still take back.
void WriteFileReplacingSynced(const std::string &path, std::string_view bytes);

/// Throws TError "Cannot create file "%s". %s" naming `path` unless the running user may replace or
/// remove the existing file (links followed) and keep its owner and group: its owner-write bit is set,
/// the user may write it (ACLs counted; for root only the bit counts), the user owns it and belongs to
/// its group (root excepted), and the user may write the folder it is in. A missing file passes when
/// its folder may be written.
void CheckMayChange(const std::string &path);

/// Makes a new file `to` holding the bytes of the regular file `from`, with its mode, owner, group, ACLs
/// and extended attributes, which reach the disk before the file gets its name; never replaces an existing
/// `to`. The new name reaches the disk with the next sync of the folder, which is noted in `changed` when
/// given. Throws TError with the system's reason; nothing is placed then.
void CopyFileNoReplace(const std::string &from, const std::string &to, TChangedFolders *changed = nullptr);

/// The path a symbolic link finally leads to (the path itself when it is not a link). Throws TError
/// "Cannot create file "%s". %s" for a dangling link or a loop.
std::string ResolveLinks(const std::string &path);

/// Removes, from `folder`, the hidden temporary files that an earlier process of this program left
/// when it was killed: only the running user's own, and only when that process has ended.
void SweepStaleTemporaries(const std::string &folder);

/// The start time of the running process in clock ticks since boot: with the process number it names
/// this process for good.
unsigned long long OwnProcessStartTime();

/// Whether the process `pid` that started at `start` (OwnProcessStartTime) has ended.
bool ProcessHasEnded(long pid, unsigned long long start);

/// A new hidden name in `folder` for a file an undo holds aside until it is complete. The sweep of
/// temporaries removes such files, as the run's own, once the undo's process has ended.
std::string UndoHoldName(const std::string &folder);

/// Renames a file without ever replacing an existing one. Returns false (errno set) on failure.
bool RenameNoReplace(const std::string &from, const std::string &to);

/// True when anything but a folder (a file, a pipe, a device, or a link to one) exists at path.
bool FileExists(const std::string &path);

/// True when a folder (or a link to one) exists at path.
bool DirectoryExists(const std::string &path);

/// Deletes a file; returns false when it could not be deleted.
bool DeleteFile(const std::string &path);

/// Makes an over-limit write an ordinary write failure (EFBIG) instead of a signal that ends the process.
void IgnoreFileSizeSignal();

} // namespace qvc
