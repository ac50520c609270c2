#pragma once
// The system calls through which the program writes, links, renames and removes files, with one seam in
// front of them: a test can make a chosen call fail (or end the process there, as a kill would) and so
// prove what every step leaves behind. Without a fault hook they are the plain system calls.
#include <cstddef>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace qvc {

/// The calls that the seam can make fail.
enum class TSysCall {
    Create, ///< opening a new file (or an unnamed one) for writing
    Write,
    Close,
    Truncate,
    Chmod,
    Chown,
    SetXattr,
    Link,
    Rename,
    Unlink,
    Sync, ///< making written data or a folder's names reach the disk (fdatasync, fsync, syncfs)
    Allocate, ///< reserving room on the disk for a file's later writes (fallocate)
};

/// A fault hook sees each call (with the path it concerns, empty for an open file its caller does not name) and
/// returns the errno value the call fails with, or 0 to let it run. It may also end the process.
using TFaultHook = std::function<int(TSysCall call, std::string_view path)>;

/// Installs a fault hook (tests only); an empty function removes it. Not while calls are being made: the hook
/// is read by every thread that writes files, and must itself be safe to call from several at once.
void SetFaultHook(TFaultHook hook);

/// While alive, names the file the calling thread's seam calls are made for (the file a new file is written
/// to replace), so that a fault hook can tell the calls of one file apart from those of another when several
/// threads write at once; CurrentCallFile() returns it.
class TCallFileScope
{
public:
    explicit TCallFileScope(std::string_view file);
    ~TCallFileScope();
    TCallFileScope(const TCallFileScope &) = delete;
    TCallFileScope &operator=(const TCallFileScope &) = delete;

private:
    std::string_view m_outer;
};

/// The file the calling thread's seam calls are made for (TCallFileScope), empty outside of one.
std::string_view CurrentCallFile();

namespace sys {

/// open(2) of a new file; `path` is the folder for O_TMPFILE. Returns the descriptor or -1 (errno set).
int OpenForWriting(const char *path, int flags, mode_t mode);
/// write(2) of all `size` bytes, retrying after EINTR and short writes; `path` names the file for the hook
/// where the caller knows it. False on failure (errno set).
bool WriteAll(int fd, const void *data, std::size_t size, std::string_view path = {});
/// close(2). False on failure (errno set); the descriptor is closed either way.
bool Close(int fd);
/// ftruncate(2).
int Truncate(int fd, off_t length);
/// fchmod(2).
int Chmod(int fd, mode_t mode);
/// fchown(2).
int Chown(int fd, uid_t user, gid_t group);
/// fsetxattr(2).
int SetXattr(int fd, const char *name, const void *value, std::size_t size);
/// linkat(2).
int Link(int fromDir, const char *from, int toDir, const char *to, int flags);
/// rename(2), or renameat2(2) with `flags`.
int Rename(const char *from, const char *to, unsigned flags = 0);
/// unlink(2).
int Unlink(const char *path);
/// fdatasync(2) of an open file: its bytes and what is needed to read them back reach the disk.
int SyncData(int fd);
/// fallocate(2) of the open file `path` (named for the hook): `length` bytes from `offset`, `mode` as fallocate's.
int Allocate(int fd, std::string_view path, int mode, off_t offset, off_t length);
/// fsync(2) of the folder `path` (opened for the call, links followed): its names as they are now reach the disk.
int SyncFolder(const char *path);
/// syncfs(2): everything written to the file system that holds `fd` reaches the disk; it fails when a write
/// to that file system failed since `fd` was opened.
int SyncFileSystem(int fd);

} // namespace sys
} // namespace qvc
