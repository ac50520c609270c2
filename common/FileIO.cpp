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
#include <vector>

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

} // namespace

std::size_t ReadFileInto(const std::string &path, std::string &buffer)
{
    // A file read only to be converted need not be marked as accessed, which would cost the file system
    // a journalled inode update per file; only its owner may ask that, anyone else reads it plainly.
    int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOATIME);
    if (opened < 0 && errno == EPERM)
        opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    TFd fd(opened);
    if (fd.Get() < 0)
        ThrowWithReason(kCannotOpenFile, path, errno);
    struct stat st
    {
    };
    if (::fstat(fd.Get(), &st) != 0)
        ThrowWithReason(kCannotOpenFile, path, errno);
    if (S_ISDIR(st.st_mode))
        ThrowWithReason(kCannotOpenFile, path, EISDIR);
    // A regular file is read straight into place until it has given the length it had when opened (some
    // file systems return less than asked before that); one that gives more (it grows meanwhile) or has
    // no length given, or anything else (a pipe, a device), is read to its end, the buffer growing as
    // the bytes come. The buffer only ever grows, so that reading one file after the other fills no
    // memory in advance.
    const std::size_t known = S_ISREG(st.st_mode) ? static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) : 0;
    const std::size_t wanted = known > 0 ? known + 1 : 65536;
    if (buffer.size() < wanted)
        buffer.resize(wanted);
    std::size_t done = 0;
    for (;;) {
        if (done == buffer.size())
            buffer.resize(buffer.size() + std::max<std::size_t>(65536, buffer.size() / 2));
        const ssize_t got = ::read(fd.Get(), buffer.data() + done, buffer.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ThrowWithReason(kCannotOpenFile, path, errno);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
        if (known > 0 && done == known)
            break;
    }
    return done;
}

std::string ReadFileBytes(const std::string &path)
{
    std::string bytes;
    bytes.resize(ReadFileInto(path, bytes));
    return bytes;
}

namespace {

// While a TSpareFileScope is alive, the inodes that replacements displace are kept under hidden names
// and reused for later replacements: the new text is written into a kept inode, which is then swapped
// with the file it replaces in one atomic exchange of names. A run over a tree so writes into existing
// inodes and blocks instead of making the file system allocate a new inode per file and free the old
// one's blocks (on a mount with online discard, every free waits for the device). A spare is
// overwritten from its start and cut to length afterwards, not emptied first: emptying a file frees
// all its blocks and makes ext4 force the new contents to disk when the file is closed. Of the few
// spares kept, one is chosen whose blocks the new contents fill without any to spare, so that cutting
// it to length frees none.
struct TSpareFile
{
    std::string Path;
    off_t Size = 0;
    gid_t Group = 0;
};

constexpr std::size_t kMostSpares = 16;

int g_spareScopes = 0;
std::vector<TSpareFile> g_spares;

std::string FolderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

void DropSpares()
{
    for (const TSpareFile &spare : g_spares)
        ::unlink(spare.Path.c_str());
    g_spares.clear();
}

uid_t EffectiveUser()
{
    static const uid_t user = ::geteuid();
    return user;
}

off_t BlocksOf(off_t size)
{
    return (size + 4095) / 4096;
}

// Opens a kept spare for rewriting with `size` bytes in place of `target`, or returns -1 when a new file
// serves better; sets `temp`, `oldSize` and `oldMode`. Only spares of the target's group serve, so that
// a replaced file keeps its group. Takes a spare with as many blocks as the new text needs (the longest
// not longer than it, which needs no cutting, else the shortest), else the longest with fewer blocks,
// so that no block is ever freed; asks for a new file while fewer than kMostSpares are kept; else
// takes the shortest. A spare that cannot serve is removed.
int OpenSpare(std::size_t size, const struct stat &target, std::string &temp, off_t &oldSize, mode_t &oldMode)
{
    const auto length = static_cast<off_t>(size);
    const off_t blocks = BlocksOf(length);
    const std::size_t none = g_spares.size();
    std::size_t sameCovered = none;
    std::size_t sameLonger = none;
    std::size_t fewer = none;
    std::size_t shortest = none;
    for (std::size_t k = 0; k < g_spares.size(); ++k) {
        if (g_spares[k].Group != target.st_gid)
            continue;
        const off_t spare = g_spares[k].Size;
        const off_t spareBlocks = BlocksOf(spare);
        if (spareBlocks == blocks && spare <= length && (sameCovered == none || spare > g_spares[sameCovered].Size))
            sameCovered = k;
        if (spareBlocks == blocks && spare > length && (sameLonger == none || spare < g_spares[sameLonger].Size))
            sameLonger = k;
        if (spareBlocks < blocks && (fewer == none || spare > g_spares[fewer].Size))
            fewer = k;
        if (shortest == none || spare < g_spares[shortest].Size)
            shortest = k;
    }
    std::size_t best = sameCovered != none ? sameCovered : sameLonger != none ? sameLonger : fewer;
    if (best == none) {
        if (g_spares.size() < kMostSpares || shortest == none)
            return -1;
        best = shortest;
    }
    temp = std::move(g_spares[best].Path);
    g_spares.erase(g_spares.begin() + static_cast<std::ptrdiff_t>(best));
    TFd fd(::open(temp.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st
    {
    };
    // Only a plain file of ours with no other name, on the same file system: overwriting it must not
    // change any other file, and the exchange cannot cross file systems.
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1
        || st.st_uid != EffectiveUser() || st.st_dev != target.st_dev || st.st_gid != target.st_gid) {
        ::unlink(temp.c_str());
        return -1;
    }
    oldSize = st.st_size;
    oldMode = st.st_mode & 07777;
    return fd.Release();
}

// Creates a new hidden file beside `path` with `mode` (the umask left out) and returns it open.
int CreateBeside(const std::string &path, mode_t mode, std::string &temp)
{
    static std::atomic<unsigned> counter { 0 };
    const std::string folder = FolderOf(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder + "/.qvtmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            (void)::fchmod(fd, mode);
            return fd;
        }
        if (errno != EEXIST)
            ThrowWithReason(kCannotCreateFile, path, errno);
    }
    ThrowWithReason(kCannotCreateFile, path, EEXIST);
}

// Writes `bytes` into the open file `fdValue` (named `temp`, `oldSize` bytes long before), cuts it to
// their length and closes it. On failure the file is removed and TError tells why `path` was not written.
void FillAndClose(int fdValue, const std::string &temp, off_t oldSize, std::string_view bytes, const std::string &path)
{
    TFd fd(fdValue);
    const auto fail = [&](int reason) {
        ::close(fd.Release());
        ::unlink(temp.c_str());
        ThrowWithReason(kCannotCreateFile, path, reason);
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(put);
    }
    if (oldSize > static_cast<off_t>(bytes.size()) && ::ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) != 0)
        fail(errno);
    if (::close(fd.Release()) != 0) {
        const int reason = errno;
        ::unlink(temp.c_str());
        ThrowWithReason(kCannotCreateFile, path, reason);
    }
}

// Within a scope: writes into a spare (or a new file beside `path`) and exchanges it with the regular
// file `path`, keeping the displaced inode as a spare. False when the exchange could not be made;
// nothing is left behind then and `path` is untouched.
bool ReplaceThroughSpare(const std::string &path, std::string_view bytes, mode_t mode, const struct stat &target)
{
    std::string temp;
    off_t oldSize = 0;
    mode_t oldMode = 0;
    int fd = OpenSpare(bytes.size(), target, temp, oldSize, oldMode);
    if (fd >= 0) {
        // A spare keeps the mode of the file it was.
        if (oldMode != mode)
            (void)::fchmod(fd, mode);
    } else {
        fd = CreateBeside(path, mode, temp);
    }
    FillAndClose(fd, temp, oldSize, bytes, path);
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    g_spares.push_back({ std::move(temp), target.st_size, target.st_gid });
    if (g_spares.size() > kMostSpares) {
        ::unlink(g_spares.front().Path.c_str());
        g_spares.erase(g_spares.begin());
    }
    return true;
}

} // namespace

TSpareFileScope::TSpareFileScope()
{
    ++g_spareScopes;
}

TSpareFileScope::~TSpareFileScope()
{
    if (--g_spareScopes == 0)
        DropSpares();
}

void WriteFileReplacing(const std::string &path, std::string_view bytes)
{
    mode_t mode = 0666;
    struct stat link
    {
    };
    struct stat st
    {
    };
    const bool named = ::lstat(path.c_str(), &link) == 0;
    if (named && (!S_ISLNK(link.st_mode) || ::stat(path.c_str(), &st) == 0)) {
        if (!S_ISLNK(link.st_mode))
            st = link;
        if (S_ISDIR(st.st_mode))
            ThrowWithReason(kCannotCreateFile, path, EISDIR);
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // A plain file of ours with no other name may be swapped for a spare; its inode is checked again
    // before it is ever written into.
    if (g_spareScopes > 0 && named && S_ISREG(link.st_mode) && link.st_nlink == 1 && link.st_uid == EffectiveUser()
        && ReplaceThroughSpare(path, bytes, mode, link))
        return;
    std::string temp;
    FillAndClose(CreateBeside(path, mode, temp), temp, 0, bytes, path);
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
