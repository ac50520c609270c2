#include "common/Backups.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/SystemCalls.h"
#include "common/TextFormat.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

namespace qvc {

namespace {

// The number N of a name `prefix` + ".~N~", 0 when the name is not of that form.
unsigned long NumberAfter(std::string_view name, std::string_view prefix)
{
    if (name.size() < prefix.size() + 4 || name.substr(0, prefix.size()) != prefix)
        return 0;
    name.remove_prefix(prefix.size());
    if (name.substr(0, 2) != ".~" || name.back() != '~')
        return 0;
    name = name.substr(2, name.size() - 3);
    if (name.empty() || name.size() > 9)
        return 0;
    unsigned long value = 0;
    for (const char c : name) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    return value;
}

bool NumberedSuffix(std::string_view name)
{
    if (name.size() < 4 || name.back() != '~')
        return false;
    const auto mark = name.rfind(".~", name.size() - 2);
    return mark != std::string_view::npos && mark > 0 && NumberAfter(name, name.substr(0, mark)) > 0;
}

[[noreturn]] void ThrowBackupFailure(const std::string &backupName, int reason)
{
    throw TError(kCannotCreateFile, { PathArg(backupName), ReasonArg(reason) });
}

bool LinkUnsupported(int reason)
{
    // EOPNOTSUPP and ENOTSUP are one number on Linux and two on other systems.
    return reason == EXDEV || reason == EPERM || reason == EMLINK || reason == EOPNOTSUPP
        || reason == ENOTSUP; // NOLINT(misc-redundant-expression)
}

} // namespace

std::string NextNumberedBackupNameAmong(const std::string &backupName, const std::vector<std::string> &names)
{
    const std::string_view name = NamePart(backupName);
    unsigned long highest = 0;
    for (const auto &entry : names)
        highest = std::max(highest, NumberAfter(entry, name));
    return backupName + ".~" + std::to_string(highest + 1) + "~";
}

std::string NextNumberedBackupName(const std::string &backupName)
{
    const std::string_view name = NamePart(backupName);
    unsigned long highest = 0;
    if (DIR *dir = ::opendir(FolderOf(backupName).c_str())) {
        while (const dirent *entry = ::readdir(dir))
            highest = std::max(highest, NumberAfter(entry->d_name, name));
        ::closedir(dir);
    }
    return backupName + ".~" + std::to_string(highest + 1) + "~";
}

bool IsBackupName(const std::string &name)
{
    const auto dot = name.find('.');
    return (dot != std::string::npos && dot + 1 < name.size() && name[dot + 1] == '~') || NumberedSuffix(name);
}

TBackup::TBackup(TBackup &&other) noexcept
    : m_name(std::exchange(other.m_name, {}))
    , m_olderMovedTo(std::exchange(other.m_olderMovedTo, {}))
    , m_device(other.m_device)
    , m_inode(other.m_inode)
{
}

TBackup &TBackup::operator=(TBackup &&other) noexcept
{
    m_name = std::exchange(other.m_name, {});
    m_olderMovedTo = std::exchange(other.m_olderMovedTo, {});
    m_device = other.m_device;
    m_inode = other.m_inode;
    return *this;
}

TBackup TBackup::Make(
    const std::string &file, const std::string &backupName, const std::string &olderName, TChangedFolders *changed)
{
    const std::string source = ResolveLinks(file);
    TBackup backup;
    struct stat st
    {
    };
    if (::lstat(backupName.c_str(), &st) == 0) {
        // Only a file is an older backup; a folder of that name is the user's and stays where it is.
        if (S_ISDIR(st.st_mode))
            ThrowBackupFailure(backupName, EISDIR);
        // Another run may take the same number meanwhile: the next one is tried then.
        bool moved = false;
        if (!olderName.empty()) {
            if (RenameNoReplace(backupName, olderName)) {
                backup.m_olderMovedTo = olderName;
                moved = true;
            } else if (errno != EEXIST) {
                ThrowBackupFailure(backupName, errno);
            }
        }
        for (int attempt = 0; attempt < 16 && !moved; ++attempt) {
            std::string older = NextNumberedBackupName(backupName);
            if (RenameNoReplace(backupName, older)) {
                backup.m_olderMovedTo = std::move(older);
                moved = true;
            } else if (errno != EEXIST) {
                ThrowBackupFailure(backupName, errno);
            }
        }
        if (!moved)
            ThrowBackupFailure(backupName, EEXIST);
    } else if (errno != ENOENT) {
        ThrowBackupFailure(backupName, errno);
    }
    backup.m_name = backupName;
    try {
        if (sys::Link(AT_FDCWD, source.c_str(), AT_FDCWD, backupName.c_str(), 0) != 0) {
            const int reason = errno;
            if (!LinkUnsupported(reason))
                ThrowBackupFailure(backupName, reason);
            CopyFileNoReplace(source, backupName);
        }
        if (::lstat(backupName.c_str(), &st) != 0)
            ThrowBackupFailure(backupName, errno);
    } catch (...) {
        // Nothing of ours stands under the backup name; the older backup goes back to it.
        backup.m_name.clear();
        if (!backup.m_olderMovedTo.empty())
            (void)RenameNoReplace(backup.m_olderMovedTo, backupName);
        backup.m_olderMovedTo.clear();
        throw;
    }
    backup.m_device = st.st_dev;
    backup.m_inode = st.st_ino;
    if (changed != nullptr)
        changed->Add(FolderOf(backupName));
    return backup;
}

void TBackup::Undo() noexcept
{
    if (m_name.empty())
        return;
    struct stat st
    {
    };
    if (::lstat(m_name.c_str(), &st) == 0 && st.st_dev == m_device && st.st_ino == m_inode)
        (void)sys::Unlink(m_name.c_str());
    if (!m_olderMovedTo.empty())
        (void)RenameNoReplace(m_olderMovedTo, m_name);
    m_name.clear();
    m_olderMovedTo.clear();
}

} // namespace qvc
