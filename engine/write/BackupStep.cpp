#include "engine/write/BackupStep.h"

#include "common/Errors.h"

namespace qvc {

std::string BackupNameFor(const std::string &path)
{
    const std::size_t nameStart = path.size() - NamePart(path).size();
    const std::size_t dot = path.find('.', nameStart);
    std::string out = path;
    if (dot == std::string::npos)
        out.insert(nameStart, 1, '~');
    else
        out.insert(dot + 1, 1, '~');
    return out;
}

TPlannedBackup PlanBackup(const std::string &file, const TFileView &view)
{
    TPlannedBackup backup { file, BackupNameFor(file), {} };
    if (view.Present(backup.Name))
        backup.OlderMovedTo = NextNumberedBackupNameAmong(backup.Name, view.Names(FolderWithSlash(backup.Name)));
    return backup;
}

TBackupStep::~TBackupStep()
{
    if (!m_kept)
        for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
            it->Undo();
}

const TBackup &TBackupStep::Make(const std::string &file, const std::string &olderName)
{
    try {
        m_made.push_back(TBackup::Make(file, BackupNameFor(file), olderName, &m_changed));
    } catch (const TError &error) {
        throw TError(TMessage(std::string(kUnableToBackupFile)), file, error.Reason());
    }
    return m_made.back();
}

} // namespace qvc
