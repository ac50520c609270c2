#include "common/SystemCalls.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace qvc {

namespace {

TFaultHook &Hook()
{
    static TFaultHook hook;
    return hook;
}

// True when the hook makes this call fail; errno is then set.
bool Injected(TSysCall call, std::string_view path)
{
    const TFaultHook &hook = Hook();
    if (!hook)
        return false;
    const int reason = hook(call, path);
    if (reason == 0)
        return false;
    errno = reason;
    return true;
}

std::string_view &CallFile()
{
    thread_local std::string_view file;
    return file;
}

} // namespace

void SetFaultHook(TFaultHook hook)
{
    Hook() = std::move(hook);
}

TCallFileScope::TCallFileScope(std::string_view file)
    : m_outer(CallFile())
{
    CallFile() = file;
}

TCallFileScope::~TCallFileScope()
{
    CallFile() = m_outer;
}

std::string_view CurrentCallFile()
{
    return CallFile();
}

namespace sys {

int OpenForWriting(const char *path, int flags, mode_t mode)
{
    if (Injected(TSysCall::Create, path))
        return -1;
    int fd = -1;
    do
        fd = ::open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool WriteAll(int fd, const void *data, std::size_t size, std::string_view path)
{
    const auto *bytes = static_cast<const char *>(data);
    std::size_t done = 0;
    while (done < size) {
        if (Injected(TSysCall::Write, path))
            return false;
        // At most 1 GiB per call: larger writes are cut short by the kernel anyway.
        const std::size_t chunk = std::min<std::size_t>(size - done, std::size_t(1) << 30);
        const ssize_t put = ::write(fd, bytes + done, chunk);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (put == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool Close(int fd)
{
    if (Injected(TSysCall::Close, {})) {
        const int reason = errno;
        ::close(fd);
        errno = reason;
        return false;
    }
    // Linux releases the descriptor even when close reports an error; it must not be closed again.
    return ::close(fd) == 0 || errno == EINTR;
}

int Truncate(int fd, off_t length)
{
    return Injected(TSysCall::Truncate, {}) ? -1 : ::ftruncate(fd, length);
}

int Chmod(int fd, mode_t mode)
{
    return Injected(TSysCall::Chmod, {}) ? -1 : ::fchmod(fd, mode);
}

int Chown(int fd, uid_t user, gid_t group)
{
    return Injected(TSysCall::Chown, {}) ? -1 : ::fchown(fd, user, group);
}

int SetXattr(int fd, const char *name, const void *value, std::size_t size)
{
    return Injected(TSysCall::SetXattr, name) ? -1 : ::fsetxattr(fd, name, value, size, 0);
}

int Link(int fromDir, const char *from, int toDir, const char *to, int flags)
{
    return Injected(TSysCall::Link, to) ? -1 : ::linkat(fromDir, from, toDir, to, flags);
}

int Rename(const char *from, const char *to, unsigned flags)
{
    if (Injected(TSysCall::Rename, to))
        return -1;
    return flags == 0 ? ::rename(from, to) : ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
}

int Unlink(const char *path)
{
    return Injected(TSysCall::Unlink, path) ? -1 : ::unlink(path);
}

int SyncData(int fd)
{
    if (Injected(TSysCall::Sync, {}))
        return -1;
    int result = -1;
    do
        result = ::fdatasync(fd);
    while (result != 0 && errno == EINTR);
    return result;
}

int Allocate(int fd, std::string_view path, int mode, off_t offset, off_t length)
{
    if (Injected(TSysCall::Allocate, path))
        return -1;
    int result = -1;
    do
        result = ::fallocate(fd, mode, offset, length);
    while (result != 0 && errno == EINTR);
    return result;
}

int SyncFolder(const char *path)
{
    if (Injected(TSysCall::Sync, path))
        return -1;
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int result = -1;
    do
        result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    const int reason = errno;
    ::close(fd);
    errno = reason;
    return result;
}

int SyncFileSystem(int fd)
{
    if (Injected(TSysCall::Sync, {}))
        return -1;
    int result = -1;
    do
        result = ::syncfs(fd);
    while (result != 0 && errno == EINTR);
    return result;
}

} // namespace sys
} // namespace qvc
