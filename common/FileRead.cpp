// Reading whole files, and what a name leads to.
#include "common/FileIO.h"
#include "common/FileIOShared.h"

#include "common/SystemCalls.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qvc {

using fileio::StampFromStat;
using fileio::TFd;
using fileio::ThrowWithReason;
using fileio::ThrowWithText;

bool TFileStamp::operator==(const TFileStamp &other) const
{
    if (Exists != other.Exists)
        return false;
    return !Exists
        || (Device == other.Device && Inode == other.Inode && Size == other.Size
            && Modified.tv_sec == other.Modified.tv_sec && Modified.tv_nsec == other.Modified.tv_nsec);
}

TFileStamp StampOf(const std::string &path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return StampFromStat(st);
}

std::size_t ReadFileInto(const std::string &path, std::string &buffer, TFileStamp *stamp)
{
    // Never blocks on a pipe or becomes a terminal's controlling process: anything but a regular file is
    // refused once opened. A file read only to be converted need not be marked as accessed (only its
    // owner may ask that; anyone else reads it plainly).
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    int opened = ::open(path.c_str(), kFlags | O_NOATIME);
    if (opened < 0 && errno == EPERM)
        opened = ::open(path.c_str(), kFlags);
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
    if (!S_ISREG(st.st_mode))
        ThrowWithText(kCannotOpenFile, path, kNotRegularFile);
    if (stamp != nullptr)
        *stamp = StampFromStat(st);
    // Read straight into place until the file has given the length it had when opened (some file systems
    // return less than asked before that); one that grows meanwhile is read to its end, the buffer
    // growing as the bytes come. The buffer only ever grows, so that reading one file after the other
    // fills no memory in advance.
    const std::size_t known = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0));
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

std::string ResolveLinks(const std::string &path)
{
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char *resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        ThrowWithReason(kCannotCreateFile, path, errno);
    std::string out(resolved);
    std::free(resolved);
    return out;
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

} // namespace qvc
