#include "filelist/SearchFiles.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace qvc {

namespace {

TEntryKind KindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return TEntryKind::Folder;
    if (S_ISREG(mode))
        return TEntryKind::File;
    return TEntryKind::Other;
}

TEntryKind KindOfEntry(DIR *dir, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_DIR:
        return TEntryKind::Folder;
    case DT_REG:
        return TEntryKind::File;
    case DT_LNK:
        break;
    case DT_UNKNOWN: {
        struct stat info
        {
        };
        if (fstatat(dirfd(dir), entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return TEntryKind::File; // vanished meanwhile: the run will report it as unreadable
        if (!S_ISLNK(info.st_mode))
            return KindOfMode(info.st_mode);
        break;
    }
    default:
        return TEntryKind::Other;
    }
    // A link: what it points to decides; a dangling link counts as a file, like any name that cannot be read.
    struct stat target
    {
    };
    if (fstatat(dirfd(dir), entry.d_name, &target, 0) != 0)
        return TEntryKind::File;
    const TEntryKind kind = KindOfMode(target.st_mode);
    return kind == TEntryKind::Folder ? TEntryKind::FolderLink : kind;
}

struct TDirCloser
{
    int *result;
    void operator()(DIR *dir) const
    {
        if (closedir(dir) != 0 && *result == 0)
            *result = errno;
    }
};

} // namespace

int ListFolderPosix(const std::string &prefix, const TFolderEntryHandler &onEntry)
{
    int result = 0;
    {
        std::unique_ptr<DIR, TDirCloser> dir(opendir(prefix.c_str()), TDirCloser { &result });
        if (!dir)
            return errno;
        for (;;) {
            errno = 0;
            const dirent *entry = readdir(dir.get());
            if (!entry) {
                result = errno;
                break;
            }
            onEntry(TFolderEntry { entry->d_name, KindOfEntry(dir.get(), *entry) });
        }
    }
    return result;
}

TSearchFiles::TSearchFiles()
    : m_lister(ListFolderPosix)
{
}

std::unique_ptr<TSearchFiles> TSearchFiles::BeginDetached()
{
    if (m_inProgress.exchange(true))
        return nullptr;
    m_failedFolder.clear();
    m_failedErrorNumber = 0;
    auto walker = std::make_unique<TSearchFiles>();
    walker->m_rootDirectory = m_rootDirectory;
    walker->m_fileParams = m_fileParams;
    walker->m_onFindFile = m_onFindFile;
    walker->m_onPendingEvent = m_onPendingEvent;
    walker->m_lister = m_lister;
    return walker;
}

void TSearchFiles::EndDetached(const TSearchFiles &walker)
{
    m_failedFolder = walker.m_failedFolder;
    m_failedErrorNumber = walker.m_failedErrorNumber;
    m_inProgress = false;
}

bool TSearchFiles::Search()
{
    if (m_inProgress.exchange(true))
        return false;
    struct TClearMark // NOLINT(cppcoreguidelines-special-member-functions): a brace-initialised guard, not copied
    {
        std::atomic<bool> &mark;
        ~TClearMark() { mark = false; }
    } clearMark { m_inProgress };
    m_failedFolder.clear();
    m_failedErrorNumber = 0;
    // A copy: the window may set another folder while this search goes on.
    const std::string root = m_rootDirectory;
    return SearchTree(root);
}

bool TSearchFiles::SearchTree(const std::string &root)
{
    // One entry per folder on the current path, holding the subfolders still to search, so the walk keeps
    // only those names and never recurses on the call stack.
    struct TLevel
    {
        std::string prefix;
        std::vector<std::string> subfolders;
        std::size_t next = 0;
    };
    std::vector<TLevel> path;

    const auto listFolder = [this, &path](const std::string &folder) {
        TLevel level;
        level.prefix = folder;
        if (level.prefix.empty() || level.prefix.back() != '/')
            level.prefix += '/';
        // An empty folder name would otherwise become "/" and search the whole file system.
        const int error = folder.empty() ? ENOENT : m_lister(level.prefix, [this, &level](const TFolderEntry &entry) {
            if (m_onPendingEvent)
                m_onPendingEvent();
            if (entry.Kind == TEntryKind::Folder) {
                if (!entry.Name.empty() && entry.Name.front() != '.')
                    level.subfolders.emplace_back(entry.Name);
            } else if (entry.Kind == TEntryKind::File && m_fileParams.Matches(entry.Name)) {
                std::string fullName = level.prefix;
                fullName += entry.Name;
                if (m_onFindFile)
                    m_onFindFile(fullName);
            }
        });
        if (error != 0) {
            m_failedFolder = folder;
            m_failedErrorNumber = error;
            return false;
        }
        path.push_back(std::move(level));
        return true;
    };

    if (!listFolder(root))
        return false;
    while (!path.empty()) {
        TLevel &top = path.back();
        if (top.next == top.subfolders.size()) {
            path.pop_back();
            continue;
        }
        const std::string folder = top.prefix + top.subfolders[top.next++];
        if (!listFolder(folder))
            return false;
    }
    return true;
}

TMessage TSearchFiles::FailureMessage() const
{
    if (m_failedErrorNumber == 0)
        return {};
    return TMessage(kCannotReadFolder, { PathArg(m_failedFolder), ReasonArg(m_failedErrorNumber) });
}

} // namespace qvc
