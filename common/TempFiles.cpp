// The hidden temporary files of the file steps: their names, which say which process made them, and the
// sweep that removes those a killed process left.
#include "common/FileIO.h"
#include "common/FileIOShared.h"

#include "common/SystemCalls.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qvc {

namespace {

using fileio::EffectiveUser;
using fileio::TFd;

// The start time of a process in clock ticks since boot (field 22 of /proc/PID/stat), 0 when the
// process does not exist. Together with the process number it names one process for good.
unsigned long long ProcessStartTime(long pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        return 0;
    char buffer[1024];
    const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer - 1);
    if (got <= 0)
        return 0;
    buffer[got] = '\0';
    // The command name in parentheses may hold blanks and parentheses itself: fields follow the last ")".
    const char *field = std::strrchr(buffer, ')');
    if (field == nullptr)
        return 0;
    ++field;
    for (int k = 3; k <= 22; ++k) {
        while (*field == ' ')
            ++field;
        if (k == 22)
            return std::strtoull(field, nullptr, 10);
        while (*field != ' ' && *field != '\0')
            ++field;
    }
    return 0;
}

unsigned long long OwnStartTime()
{
    // Looked up again in a forked child, which is another process. Writer threads name files at once: the
    // start time is stored before the process number that says it is current.
    static std::atomic<pid_t> pid { 0 };
    static std::atomic<unsigned long long> start { 0 };
    const pid_t own = ::getpid();
    if (pid.load() != own) {
        start.store(ProcessStartTime(own));
        pid.store(own);
    }
    return start.load();
}

constexpr std::string_view kTempPrefix = ".qvConvertFiles-";
constexpr std::string_view kTempSuffix = ".tmp";
// Files an undo holds aside until it is complete: ".qvc-undo-PID-START-N~"; earlier versions left
// ".qvc-undo-PID-N~".
constexpr std::string_view kUndoHoldPrefix = ".qvc-undo-";
constexpr std::string_view kUndoHoldSuffix = "~";
// Hidden files of earlier versions of the program, which kept replaced files' inodes for reuse.
constexpr std::string_view kOldSparePrefix = ".qvtmp";

// A new hidden name in `folder` that names this process for good: PREFIX + "PID-START-N" + SUFFIX.
std::string ProcessOwnName(const std::string &folder, std::string_view prefix, std::string_view suffix)
{
    // Several threads may name new files at once.
    static std::atomic<unsigned long> counter { 0 };
    std::string name = folder;
    if (name.back() != '/')
        name += '/';
    name += prefix;
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(OwnStartTime());
    name += '-';
    name += std::to_string(counter++);
    name += suffix;
    return name;
}

bool ParseNumber(std::string_view &text, unsigned long long &value)
{
    std::size_t k = 0;
    value = 0;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9' && k < 20)
        value = value * 10 + static_cast<unsigned long long>(text[k++] - '0');
    text.remove_prefix(k);
    return k > 0;
}

// The process number and start time in what follows the prefix of a name ProcessOwnName made:
// "PID-START-N" + `suffix`.
bool ParseProcessOwnName(
    std::string_view rest, std::string_view suffix, unsigned long long &pid, unsigned long long &start)
{
    unsigned long long counter = 0;
    if (!ParseNumber(rest, pid) || rest.empty() || rest[0] != '-')
        return false;
    rest.remove_prefix(1);
    if (!ParseNumber(rest, start) || rest.empty() || rest[0] != '-')
        return false;
    rest.remove_prefix(1);
    return ParseNumber(rest, counter) && rest == suffix && pid != 0 && pid <= INT_MAX;
}

// True when the hidden temporary `name` was left by a process of this program that has ended.
bool LeftByEndedProcess(std::string_view name)
{
    unsigned long long pid = 0;
    unsigned long long start = 0;
    if (name.substr(0, kTempPrefix.size()) == kTempPrefix)
        return ParseProcessOwnName(name.substr(kTempPrefix.size()), kTempSuffix, pid, start)
            && ProcessStartTime(static_cast<long>(pid)) != start;
    if (name.substr(0, kUndoHoldPrefix.size()) == kUndoHoldPrefix) {
        name.remove_prefix(kUndoHoldPrefix.size());
        if (ParseProcessOwnName(name, kUndoHoldSuffix, pid, start))
            return ProcessStartTime(static_cast<long>(pid)) != start;
        // An earlier version's name: process number and counter only.
        unsigned long long counter = 0;
        if (!ParseNumber(name, pid) || name.empty() || name[0] != '-')
            return false;
        name.remove_prefix(1);
        if (!ParseNumber(name, counter) || name != kUndoHoldSuffix || pid == 0 || pid > INT_MAX)
            return false;
        return static_cast<pid_t>(pid) != ::getpid() && ProcessStartTime(static_cast<long>(pid)) == 0;
    }
    if (name.substr(0, kOldSparePrefix.size()) == kOldSparePrefix) {
        name.remove_prefix(kOldSparePrefix.size());
        unsigned long long counter = 0;
        if (!ParseNumber(name, pid) || name.empty() || name[0] != '-')
            return false;
        name.remove_prefix(1);
        if (!ParseNumber(name, counter) || !name.empty() || pid == 0 || pid > INT_MAX)
            return false;
        // This version never makes such names, so one of its own process number is stale as well.
        return static_cast<pid_t>(pid) == ::getpid() || ProcessStartTime(static_cast<long>(pid)) == 0;
    }
    return false;
}

} // namespace

namespace fileio {

std::string NextTempName(const std::string &folder)
{
    return ProcessOwnName(folder, kTempPrefix, kTempSuffix);
}

// A series of writes (a run) sweeps each of its folders once; a file written on its own sweeps its folder.
void SweepOnce(const std::string &folder, TChangedFolders *series)
{
    if (series == nullptr || series->FirstSweepOf(folder))
        SweepStaleTemporaries(folder);
}

} // namespace fileio

void SweepStaleTemporaries(const std::string &folder)
{
    DIR *dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() < 2 || name[0] != '.' || name[1] != 'q' || !LeftByEndedProcess(name))
            continue;
        struct stat st
        {
        };
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
            || st.st_uid != EffectiveUser())
            continue;
        const std::string path = (folder.back() == '/' ? folder : folder + "/") + entry->d_name;
        (void)sys::Unlink(path.c_str());
    }
    ::closedir(dir);
}

unsigned long long OwnProcessStartTime()
{
    return OwnStartTime();
}

bool ProcessHasEnded(long pid, unsigned long long start)
{
    return pid <= 0 || ProcessStartTime(pid) != start;
}

std::string UndoHoldName(const std::string &folder)
{
    return ProcessOwnName(folder, kUndoHoldPrefix, kUndoHoldSuffix);
}

} // namespace qvc
