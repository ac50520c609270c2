#pragma once
// Backups of files a run is about to replace or remove: the old bytes stay under the file's backup
// name, and an older backup of that name moves to the next numbered name instead of being lost.
#include <string>
#include <sys/types.h>
#include <vector>

namespace qvc {

class TChangedFolders;

/// The numbered name an older backup moves to: `backupName` + ".~N~" with N one above the highest
/// number already present in its folder (1 when there is none), as GNU numbered backups are named.
std::string NextNumberedBackupName(const std::string &backupName);

/// The same among the file names `names` of its folder (as a plan sees the folder, not as it is).
std::string NextNumberedBackupNameAmong(const std::string &backupName, const std::vector<std::string> &names);

/// True when the file name `name` (no folder) is a backup: its extension begins with "~" (Unit1.~pas)
/// or it ends in a numbered backup suffix (Unit1.~pas.~2~).
bool IsBackupName(const std::string &name);

/// One backup made before a file is replaced or removed; Undo takes it back when the replacement does
/// not happen.
class TBackup
{
public:
    TBackup() = default;
    ~TBackup() = default;
    TBackup(TBackup &&other) noexcept;
    TBackup &operator=(TBackup &&other) noexcept;
    TBackup(const TBackup &) = delete;
    TBackup &operator=(const TBackup &) = delete;

    /// Makes `backupName` hold the bytes of `file` (the file a symbolic link leads to): a hard link to
    /// it where the file system allows, a copy with its metadata otherwise (its bytes on the disk before it
    /// is named); the file itself is never moved. An older file of the backup name first moves to
    /// `olderName` when given and still free, else to NextNumberedBackupName. Its names reach the disk with
    /// the next sync of the folder, which is noted in `changed` when given. Throws TError with the system's
    /// reason; nothing is left changed then.
    static TBackup Make(const std::string &file, const std::string &backupName, const std::string &olderName = {},
        TChangedFolders *changed = nullptr);

    /// Removes the backup made (if it is still the one made) and moves the older backup back to its
    /// name. Best effort: never throws.
    void Undo() noexcept;

    /// The backup's name, empty when none was made.
    const std::string &Name() const { return m_name; }
    /// Where the older backup of that name was moved, empty when there was none.
    const std::string &OlderMovedTo() const { return m_olderMovedTo; }

private:
    std::string m_name;
    std::string m_olderMovedTo;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace qvc
