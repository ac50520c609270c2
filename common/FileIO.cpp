#include "common/FileIO.h"

#include "common/Errors.h"
#include "common/TextFormat.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvc {

namespace {

class TFd
{
public:
    explicit TFd(int fd)
        : m_fd(fd)
    {
    }
    ~TFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    int Get() const { return m_fd; }
    int Release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

[[noreturn]] void ThrowWithReason(std::string_view format, const std::string &path, int errorNumber)
{
    throw TError(FormatTemplate(format, { path, SystemReason(errorNumber) }));
}


TFileIdentity IdentityOf(const struct stat &st)
{
    TFileIdentity identity;
    identity.Device = static_cast<unsigned long long>(st.st_dev);
    identity.Inode = static_cast<unsigned long long>(st.st_ino);
    identity.Size = static_cast<long long>(st.st_size);
    identity.ModifiedSeconds = static_cast<long long>(st.st_mtim.tv_sec);
    identity.ModifiedNanoseconds = static_cast<long long>(st.st_mtim.tv_nsec);
    identity.ChangedSeconds = static_cast<long long>(st.st_ctim.tv_sec);
    identity.ChangedNanoseconds = static_cast<long long>(st.st_ctim.tv_nsec);
    return identity;
}

} // namespace

void ReadFileBytes(const std::string &path, std::string &bytes, TFileIdentity &identity)
{
    bytes.clear();
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        ThrowWithReason(kCannotOpenFile, path, errno);
    struct stat st
    {
    };
    if (::fstat(fd.Get(), &st) != 0)
        ThrowWithReason(kCannotOpenFile, path, errno);
    if (S_ISDIR(st.st_mode))
        ThrowWithReason(kCannotOpenFile, path, EISDIR);
    identity = IdentityOf(st);
    // A regular file is read straight into place; anything else (a pipe, a growing file) in chunks.
    std::size_t done = 0;
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    for (;;) {
        if (bytes.size() - done < 4096)
            bytes.resize(bytes.size() + std::max<std::size_t>(65536, bytes.size() / 2));
        const ssize_t got = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int reason = errno;
            bytes.clear();
            ThrowWithReason(kCannotOpenFile, path, reason);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
}

std::string ReadFileBytes(const std::string &path)
{
    std::string bytes;
    TFileIdentity identity;
    ReadFileBytes(path, bytes, identity);
    return bytes;
}

bool CurrentFileIdentity(const std::string &path, TFileIdentity &identity)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return false;
    identity = IdentityOf(st);
    return true;
}

namespace {

// While a TSpareFileScope is alive, the inode that a replacement displaces is kept under a hidden name in
// its folder and reused for the next replacement in the same folder: a run over a tree then writes into
// existing inodes and blocks instead of making the file system allocate a new inode per file and free
// the old one's blocks. The spare is overwritten from its start and cut to the new length afterwards,
// not truncated to nothing first: emptying a file frees all its blocks (a discard on some mounts) and
// makes ext4 force the new contents to disk when the file is closed.
struct TSpareFile
{
    std::string Folder;
    std::string Path;
};

int g_spareScopes = 0;
TSpareFile g_spare;

std::string FolderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

void DropSpare()
{
    if (!g_spare.Path.empty())
        ::unlink(g_spare.Path.c_str());
    g_spare = {};
}

// Opens the kept spare of `folder` for rewriting, or -1, and sets `oldSize` to its length. A spare that
// cannot serve is removed.
int OpenSpare(const std::string &folder, std::string &temp, off_t &oldSize)
{
    if (g_spare.Path.empty())
        return -1;
    if (g_spare.Folder != folder) {
        DropSpare();
        return -1;
    }
    struct stat st
    {
    };
    int fd = -1;
    // Only a plain file of ours with no other name: truncating it must not change any other file.
    if (::lstat(g_spare.Path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid())
        fd = ::open(g_spare.Path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        DropSpare();
        return -1;
    }
    temp = g_spare.Path;
    oldSize = st.st_size;
    g_spare = {};
    return fd;
}

} // namespace

TSpareFileScope::TSpareFileScope()
{
    ++g_spareScopes;
}

TSpareFileScope::~TSpareFileScope()
{
    if (--g_spareScopes == 0)
        DropSpare();
}

void WriteFileReplacing(const std::string &path, std::string_view bytes)
{
    static std::atomic<unsigned> counter { 0 };
    mode_t mode = 0666;
    bool exists = false;
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            ThrowWithReason(kCannotCreateFile, path, EISDIR);
        mode = st.st_mode & 07777;
        exists = true;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const std::string folder = FolderOf(path);
    std::string temp;
    off_t oldSize = 0;
    int fdValue = g_spareScopes > 0 ? OpenSpare(folder, temp, oldSize) : -1;
    for (int attempt = 0; attempt < 100 && fdValue < 0; ++attempt) {
        temp = folder + "/.qvtmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        fdValue = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fdValue < 0 && errno != EEXIST)
            ThrowWithReason(kCannotCreateFile, path, errno);
    }
    if (fdValue < 0)
        ThrowWithReason(kCannotCreateFile, path, EEXIST);
    TFd fd(fdValue);
    (void)::fchmod(fd.Get(), mode);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            const int reason = errno;
            ::unlink(temp.c_str());
            ThrowWithReason(kCannotCreateFile, path, reason);
        }
        done += static_cast<std::size_t>(put);
    }
    if (oldSize > static_cast<off_t>(bytes.size()) && ::ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) != 0) {
        const int reason = errno;
        ::unlink(temp.c_str());
        ThrowWithReason(kCannotCreateFile, path, reason);
    }
    if (::close(fd.Release()) != 0) {
        const int reason = errno;
        ::unlink(temp.c_str());
        ThrowWithReason(kCannotCreateFile, path, reason);
    }
    // Within a scope, a displaced plain file of ours with no other name is swapped out and kept as the
    // next spare; otherwise the new file is renamed over the old one.
    struct stat link
    {
    };
    if (g_spareScopes > 0 && exists && ::lstat(path.c_str(), &link) == 0 && S_ISREG(link.st_mode) && link.st_nlink == 1
        && link.st_uid == ::geteuid()
        && ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
        g_spare = { folder, temp };
        return;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int reason = errno;
        ::unlink(temp.c_str());
        ThrowWithReason(kCannotCreateFile, path, reason);
    }
}

bool RenameNoReplace(const std::string &from, const std::string &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without RENAME_NOREPLACE: a hard link fails when the target exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    if (::unlink(from.c_str()) != 0) {
        const int reason = errno;
        ::unlink(to.c_str());
        errno = reason;
        return false;
    }
    return true;
}

bool PathExists(const std::string &path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0;
}

bool FileExists(const std::string &path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string &path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string &path)
{
    return ::unlink(path.c_str()) == 0;
}

} // namespace qvc
