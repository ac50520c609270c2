#include "common/FileIO.h"

#include "common/SystemCalls.h"
#include "common/TextFormat.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace qvc {

namespace {

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

[[noreturn]] void ThrowWithReason(std::string_view format, const std::string &path, int errorNumber)
{
    throw TError(format, { PathArg(path), ReasonArg(errorNumber) });
}

[[noreturn]] void ThrowWithText(std::string_view format, const std::string &path, std::string_view reason)
{
    throw TError(format, { PathArg(path), TextArg(std::string(reason)) });
}

TFileStamp StampFromStat(const struct stat &st)
{
    TFileStamp stamp;
    stamp.Exists = true;
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = st.st_size;
    stamp.Modified = st.st_mtim;
    return stamp;
}

uid_t EffectiveUser()
{
    return ::geteuid();
}

bool InGroup(gid_t group)
{
    if (group == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

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

std::string NextTempName(const std::string &folder)
{
    return ProcessOwnName(folder, kTempPrefix, kTempSuffix);
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

// A series of writes (a run) sweeps each of its folders once; a file written on its own sweeps its folder.
void SweepOnce(const std::string &folder, TChangedFolders *series)
{
    if (series == nullptr || series->FirstSweepOf(folder))
        SweepStaleTemporaries(folder);
}

// The extended attributes of a file (ACLs among them), as names and values.
std::vector<std::pair<std::string, std::string>> ExtendedAttributes(const std::string &path)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::string names;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
        if (size <= 0)
            return out; // none, or a file system without them
        names.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::listxattr(path.c_str(), names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE)
            return out;
        names.clear();
    }
    for (std::size_t k = 0; k < names.size();) {
        const std::size_t end = names.find('\0', k);
        const std::string name = names.substr(k, end == std::string::npos ? std::string::npos : end - k);
        k = end == std::string::npos ? names.size() : end + 1;
        if (name.empty())
            continue;
        std::string value;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const ssize_t size = ::getxattr(path.c_str(), name.c_str(), nullptr, 0);
            if (size < 0)
                break;
            value.resize(static_cast<std::size_t>(size));
            const ssize_t got = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
            if (got >= 0) {
                value.resize(static_cast<std::size_t>(got));
                out.emplace_back(name, value);
                break;
            }
            if (errno != ERANGE)
                break;
        }
    }
    return out;
}

bool CanUseUnnamedFiles()
{
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

// A new file in a folder, written and given its metadata before it has a name (O_TMPFILE) or while it
// has only a hidden one; removed again unless it is committed under its final name.
class TNewFile
{
public:
    TNewFile(const std::string &folder, const std::string &forPath)
        : m_folder(folder)
        , m_forPath(forPath)
    {
        if (CanUseUnnamedFiles()) {
            const int fd = sys::OpenForWriting(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            if (fd >= 0) {
                m_fd = fd;
                return;
            }
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
                ThrowWithReason(kCannotCreateFile, m_forPath, errno);
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = NextTempName(folder);
            const int fd
                = sys::OpenForWriting(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd >= 0) {
                m_fd = fd;
                m_name = std::move(name);
                return;
            }
            if (errno != EEXIST)
                ThrowWithReason(kCannotCreateFile, m_forPath, errno);
        }
        ThrowWithReason(kCannotCreateFile, m_forPath, EEXIST);
    }
    ~TNewFile() { Discard(); }
    TNewFile(const TNewFile &) = delete;
    TNewFile &operator=(const TNewFile &) = delete;

    void Write(std::string_view bytes)
    {
        if (!sys::WriteAll(m_fd, bytes.data(), bytes.size()))
            Fail(errno);
    }

    // Owner, group, extended attributes (ACLs among them) and mode of `source` (stat of `sourcePath`),
    // or, for a file that is new, the mode a new file gets.
    void TakeMetadata(const struct stat *source, const std::string &sourcePath)
    {
        struct stat own
        {
        };
        if (::fstat(m_fd, &own) != 0)
            Fail(errno);
        if (source == nullptr) {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            if (sys::Chmod(m_fd, 0666 & ~mask) != 0)
                Fail(errno);
            return;
        }
        if ((own.st_uid != source->st_uid || own.st_gid != source->st_gid)
            && sys::Chown(m_fd, source->st_uid, source->st_gid) != 0)
            Fail(errno);
        for (const auto &[name, value] : ExtendedAttributes(sourcePath)) {
            if (sys::SetXattr(m_fd, name.c_str(), value.data(), value.size()) == 0)
                continue;
            // A security label is the system's to give (the folder's default applies); anything else
            // that cannot be kept stops the replacement.
            if (name.compare(0, 9, "security.") == 0)
                continue;
            Fail(errno);
        }
        // After the owner: changing the owner clears the set-user and set-group bits.
        if (sys::Chmod(m_fd, source->st_mode & 07777) != 0)
            Fail(errno);
    }

    // Makes the bytes and metadata reach the disk, gives the file its hidden name (if it has none yet)
    // and closes it. The data goes first: a name, once published, must never lead to bytes a power loss
    // could still take away.
    void Finish()
    {
        if (sys::SyncData(m_fd) != 0)
            Fail(errno);
        while (m_name.empty()) {
            std::string name = NextTempName(m_folder);
            const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
            if (sys::Link(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_name = std::move(name);
                break;
            }
            if (errno != EEXIST)
                Fail(errno);
        }
        const int fd = m_fd;
        m_fd = -1;
        if (!sys::Close(fd))
            Fail(errno);
    }

    // Puts the file in place of `target`, replacing it. `Finish` first.
    void ReplaceTarget(const std::string &target)
    {
        if (sys::Rename(m_name.c_str(), target.c_str()) != 0)
            Fail(errno);
        m_name.clear();
    }

    // Puts the file under `target`, which must not exist. `Finish` first.
    void PlaceAsNew(const std::string &target)
    {
        if (!RenameNoReplace(m_name, target))
            Fail(errno);
        m_name.clear();
    }

    void Discard()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        if (!m_name.empty()) {
            (void)sys::Unlink(m_name.c_str());
            m_name.clear();
        }
    }

    [[noreturn]] void Fail(int reason)
    {
        Discard();
        ThrowWithReason(kCannotCreateFile, m_forPath, reason);
    }

private:
    std::string m_folder;
    std::string m_forPath;
    int m_fd = -1;
    std::string m_name;
};

void CheckExisting(const std::string &shown, const std::string &resolved, const struct stat &st)
{
    if (S_ISDIR(st.st_mode))
        ThrowWithReason(kCannotCreateFile, shown, EISDIR);
    if (!S_ISREG(st.st_mode))
        ThrowWithText(kCannotCreateFile, shown, kNotRegularFile);
    if ((st.st_mode & S_IWUSR) == 0)
        ThrowWithReason(kCannotCreateFile, shown, EACCES);
    if (EffectiveUser() != 0) {
        if (::faccessat(AT_FDCWD, resolved.c_str(), W_OK, AT_EACCESS) != 0)
            ThrowWithReason(kCannotCreateFile, shown, errno);
        // Only the owner of a file (or root) can give a new file its owner and group.
        if (st.st_uid != EffectiveUser() || !InGroup(st.st_gid))
            ThrowWithReason(kCannotCreateFile, shown, EPERM);
    }
    if (::faccessat(AT_FDCWD, FolderOf(resolved).c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        ThrowWithReason(kCannotCreateFile, shown, errno);
}

} // namespace

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

void CheckMayChange(const std::string &path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            ThrowWithReason(kCannotCreateFile, path, errno);
        struct stat link
        {
        };
        if (::lstat(path.c_str(), &link) == 0)
            ThrowWithReason(kCannotCreateFile, path, ENOENT); // a dangling link
        if (::faccessat(AT_FDCWD, FolderOf(path).c_str(), W_OK | X_OK, AT_EACCESS) != 0)
            ThrowWithReason(kCannotCreateFile, path, errno);
        return;
    }
    CheckExisting(path, ResolveLinks(path), st);
}

void TChangedFolders::Add(const std::string &folder)
{
    if (m_known.insert(folder).second)
        m_order.push_back(folder);
}

void TChangedFolders::SyncAll()
{
    std::vector<std::string> folders;
    folders.swap(m_order);
    m_known.clear();
    std::string failed;
    int reason = 0;
    for (const std::string &folder : folders) {
        if (sys::SyncFolder(folder.c_str()) == 0 || !failed.empty())
            continue;
        failed = folder;
        reason = errno;
    }
    if (!failed.empty())
        ThrowWithReason(kCannotSyncFolder, failed, reason);
}

struct TFileReplacement::TState
{
    std::string Path;
    std::string Target; // what Path leads to
    std::string Folder;
    struct stat Old
    {
    };
    bool Exists = false;
    TFileStamp Seen;
    std::optional<TNewFile> File;
};

TFileReplacement::TFileReplacement() = default;

TFileReplacement::~TFileReplacement()
{
    Discard();
}

void TFileReplacement::Prepare(
    const std::string &path, std::string_view bytes, const TFileStamp *expected, TChangedFolders *series)
{
    const TCallFileScope callsFor(path);
    m_state = std::make_unique<TState>();
    TState &state = *m_state;
    state.Path = path;
    state.Target = path;
    struct stat link
    {
    };
    if (::lstat(path.c_str(), &link) == 0) {
        if (S_ISLNK(link.st_mode))
            state.Target = ResolveLinks(path);
        if (::stat(state.Target.c_str(), &state.Old) != 0)
            ThrowWithReason(kCannotCreateFile, path, errno);
        state.Exists = true;
        CheckExisting(path, state.Target, state.Old);
    } else if (errno != ENOENT) {
        ThrowWithReason(kCannotCreateFile, path, errno);
    }
    state.Seen = state.Exists ? StampFromStat(state.Old) : TFileStamp();
    if (expected != nullptr && !(state.Seen == *expected))
        throw TChangedMeanwhile(kCannotCreateFile, { PathArg(path), TextArg(std::string(kChangedMeanwhile)) });

    state.Folder = FolderOf(state.Target);
    SweepOnce(state.Folder, series);
    state.File.emplace(state.Folder, path);
    state.File->Write(bytes);
    state.File->TakeMetadata(state.Exists ? &state.Old : nullptr, state.Target);
    state.File->Finish();
}

bool TFileReplacement::UnchangedSincePrepared() const
{
    if (!m_state || !m_state->File)
        return false;
    const TState &state = *m_state;
    struct stat now
    {
    };
    if (::stat(state.Target.c_str(), &now) != 0)
        return !state.Exists && errno == ENOENT;
    return state.Exists && StampFromStat(now) == state.Seen && now.st_ctim.tv_sec == state.Old.st_ctim.tv_sec
        && now.st_ctim.tv_nsec == state.Old.st_ctim.tv_nsec;
}

void TFileReplacement::Commit(TChangedFolders *changed)
{
    TState &state = *m_state;
    const TCallFileScope callsFor(state.Path);
    // The last look before the rename: a file changed since it was read keeps the other program's text.
    if (!(StampOf(state.Target) == state.Seen)) {
        state.File->Discard();
        throw TChangedMeanwhile(kCannotCreateFile, { PathArg(state.Path), TextArg(std::string(kChangedMeanwhile)) });
    }
    state.File->ReplaceTarget(state.Target);
    if (changed != nullptr)
        changed->Add(state.Folder);
}

void TFileReplacement::Discard()
{
    if (m_state && m_state->File) {
        const TCallFileScope callsFor(m_state->Path);
        m_state->File->Discard();
    }
}

void WriteFileReplacing(
    const std::string &path, std::string_view bytes, const TFileStamp *expected, TChangedFolders *changed)
{
    TFileReplacement replacement;
    replacement.Prepare(path, bytes, expected, changed);
    replacement.Commit(changed);
}

void WriteFileReplacingSynced(const std::string &path, std::string_view bytes)
{
    TChangedFolders changed;
    WriteFileReplacing(path, bytes, nullptr, &changed);
    try {
        changed.SyncAll();
    } catch (const TError &error) {
        throw TError(kCannotCreateFile, { PathArg(path), ReasonArg(error.Reason()) });
    }
}

void CopyFileNoReplace(const std::string &from, const std::string &to, TChangedFolders *changed)
{
    std::string bytes;
    TFileStamp stamp;
    bytes.resize(ReadFileInto(from, bytes, &stamp));
    struct stat st
    {
    };
    if (::stat(from.c_str(), &st) != 0)
        ThrowWithReason(kCannotCreateFile, to, errno);
    TNewFile file(FolderOf(to), to);
    file.Write(bytes);
    file.TakeMetadata(&st, from);
    file.Finish();
    file.PlaceAsNew(to);
    if (changed != nullptr)
        changed->Add(FolderOf(to));
}

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

bool RenameNoReplace(const std::string &from, const std::string &to)
{
    if (sys::Rename(from.c_str(), to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without RENAME_NOREPLACE: a hard link fails when the target exists.
    if (sys::Link(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) != 0)
        return false;
    if (sys::Unlink(from.c_str()) != 0) {
        const int reason = errno;
        (void)sys::Unlink(to.c_str());
        errno = reason;
        return false;
    }
    return true;
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
    return sys::Unlink(path.c_str()) == 0;
}

void IgnoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace qvc
