#include "common/FolderLocks.h"

#include "common/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace qvc {

namespace {

// Descriptors kept free for the files the run opens while it holds its locks.
constexpr rlim_t kSpareDescriptors = 64;

void MakeRoomFor(std::size_t folders)
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    const rlim_t wanted = static_cast<rlim_t>(folders) + kSpareDescriptors;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        (void)::setrlimit(RLIMIT_NOFILE, &limit);
        (void)::getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted)
        throw TFolderBusy(
            kTooManyFolders, { TextArg(std::to_string(folders)), TextArg(std::to_string(limit.rlim_cur)) });
}

} // namespace

TFolderLocks::~TFolderLocks()
{
    Release();
}

void TFolderLocks::Release()
{
    for (const int fd : m_fds)
        ::close(fd); // closing the last descriptor of the open folder drops its lock
    m_fds.clear();
}

void TFolderLocks::Acquire(std::vector<std::string> folders, std::chrono::milliseconds wait)
{
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    MakeRoomFor(folders.size());
    const auto deadline = std::chrono::steady_clock::now() + wait;
    try {
        for (const auto &folder : folders) {
            const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0)
                throw TError(kCannotOpenFile, { PathArg(folder), ReasonArg(errno) });
            m_fds.push_back(fd);
            while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                if (errno == EINTR)
                    continue;
                if (errno != EWOULDBLOCK)
                    throw TError(kCannotOpenFile, { PathArg(folder), ReasonArg(errno) });
                if (std::chrono::steady_clock::now() >= deadline)
                    throw TFolderBusy(kFolderInUse, { PathArg(folder) });
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
    } catch (...) {
        Release();
        throw;
    }
}

} // namespace qvc
