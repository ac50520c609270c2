#pragma once
// What the three parts of the file steps share (reading, safe replacement, temporary files): a descriptor
// closed on every path, the errors with the system's reason, a file's stamp from its status, the running user,
// and the temporary names a replacement makes and the sweep that removes those killed processes left.
#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/TextFormat.h"

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace qvc::fileio {

class TFd
{
public:
    explicit TFd(int fd = -1)
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

[[noreturn]] inline void ThrowWithReason(std::string_view format, const std::string &path, int errorNumber)
{
    throw TError(format, { PathArg(path), ReasonArg(errorNumber) });
}

[[noreturn]] inline void ThrowWithText(std::string_view format, const std::string &path, std::string_view reason)
{
    throw TError(format, { PathArg(path), TextArg(std::string(reason)) });
}

inline TFileStamp StampFromStat(const struct stat &st)
{
    TFileStamp stamp;
    stamp.Exists = true;
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = st.st_size;
    stamp.Modified = st.st_mtim;
    return stamp;
}

inline uid_t EffectiveUser()
{
    return ::geteuid();
}

/// A new hidden name in `folder` for a file a replacement makes, unique for this process.
std::string NextTempName(const std::string &folder);

/// Sweeps `folder` of the temporary files killed processes left: once per `series` (a run), every time
/// without one.
void SweepOnce(const std::string &folder, TChangedFolders *series);

} // namespace qvc::fileio
