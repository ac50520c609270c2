#pragma once
// The backups a writing makes before it replaces or removes a file: their names, their plan, and the
// backups made, taken back together when the writing does not happen.
#include "common/Backups.h"
#include "common/FileIO.h"
#include "engine/write/FileView.h"

#include <string>
#include <string_view>
#include <vector>

namespace qvc {

inline constexpr std::string_view kUnableToBackupFile = "Unable to backup file.";

/// `path` with "~" after the first "." of its file name (Unit1.pas gives Unit1.~pas); a name without
/// a "." gets the "~" in front of the name. Folders in the path are never changed.
std::string BackupNameFor(const std::string &path);

/// One backup a writing makes.
struct TPlannedBackup
{
    std::string File; ///< the file backed up
    std::string Name; ///< its backup
    std::string OlderMovedTo; ///< where an older backup of that name moves, empty when there is none
};

/// The backup of `file` as `view` shows its folder: an older backup of that name moves to the next
/// numbered name.
TPlannedBackup PlanBackup(const std::string &file, const TFileView &view);

/// The backups of one file's writing, taken back (last first) when it ends without Keep().
class TBackupStep
{
public:
    /// The folders of the backups made are noted in `changed`.
    explicit TBackupStep(TChangedFolders &changed)
        : m_changed(changed)
    {
    }
    TBackupStep(const TBackupStep &) = delete;
    TBackupStep &operator=(const TBackupStep &) = delete;
    ~TBackupStep();

    /// Backs `file` up under BackupNameFor(file), an older backup moving to `olderName`. Throws TError
    /// "Unable to backup file." (path: the file, with the system's reason).
    const TBackup &Make(const std::string &file, const std::string &olderName = {});
    /// The writing happened: the backups stay.
    void Keep() { m_kept = true; }

private:
    TChangedFolders &m_changed;
    std::vector<TBackup> m_made;
    bool m_kept = false;
};

} // namespace qvc
