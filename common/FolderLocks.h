#pragma once
// Advisory locks on the folders a run or an undo writes: flock(2) on each folder itself, so no lock file is
// left behind, taken in one sorted order so that two processes never wait on each other in a circle.
#include "common/Errors.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// Thrown when a folder stays locked by another process, or when the folders are too many to hold open.
/// Why a run or an undo could not hold its folders (Windows-1252 templates).
inline constexpr std::string_view kTooManyFolders
    = "the run writes to %s folders, more than this process may hold open at once (%s); nothing was changed";
inline constexpr std::string_view kFolderInUse
    = "the folder \"%s\" is in use by another conversion run or undo; nothing was changed";

class TFolderBusy : public TError
{
public:
    using TError::TError;
};

/// How long a run or an undo waits for the folders another one holds.
inline constexpr std::chrono::milliseconds kFolderLockWait { 5000 };

/// Exclusive locks on a set of folders, held until Release() or destruction.
class TFolderLocks
{
public:
    TFolderLocks() = default;
    ~TFolderLocks();
    TFolderLocks(const TFolderLocks &) = delete;
    TFolderLocks &operator=(const TFolderLocks &) = delete;

    /// Locks every folder of `folders` (paths; sorted and each taken once), waiting at most `wait` in all
    /// for folders another process holds. Raises the open-file limit to its hard limit when the folders
    /// need it. All or none: on failure the locks taken are released. Throws TFolderBusy naming the folder
    /// still held, or the number of folders the limit cannot hold; TError for a folder that cannot be opened.
    void Acquire(std::vector<std::string> folders, std::chrono::milliseconds wait = kFolderLockWait);
    /// Releases every lock held.
    void Release();
    /// Whether any lock is held.
    bool Held() const { return !m_fds.empty(); }

private:
    std::vector<int> m_fds;
};

} // namespace qvc
