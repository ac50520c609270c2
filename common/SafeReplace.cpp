// The one way the program replaces a file (a new file beside it, renamed over it), and the other steps that
// make, copy, rename or remove a user's file.
#include "common/FileIO.h"
#include "common/FileIOShared.h"

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

using fileio::EffectiveUser;
using fileio::NextTempName;
using fileio::StampFromStat;
using fileio::SweepOnce;
using fileio::ThrowWithReason;
using fileio::ThrowWithText;

namespace {

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

bool DeleteFile(const std::string &path)
{
    return sys::Unlink(path.c_str()) == 0;
}

void IgnoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace qvc
