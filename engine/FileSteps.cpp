#include "engine/FileSteps.h"

#include "common/AsciiCase.h"
#include "common/Backups.h"
#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/TextFormat.h"
#include "engine/Separator.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qvc {

namespace {

std::string ChangeExtension(std::string_view path, std::string_view extension)
{
    std::string out(path.substr(0, path.size() - FileExtension(path).size()));
    out += extension;
    return out;
}

bool SameFile(const TFileStamp &a, const TFileStamp &b)
{
    return a.Exists && b.Exists && a.Device == b.Device && a.Inode == b.Inode;
}

[[noreturn]] void ThrowChanged(const std::string &path)
{
    throw TChangedMeanwhile(FormatTemplate(kCannotCreateFile, { path, kChangedMeanwhile }), path, {});
}

// A file to be removed: the file (or what its link leads to) as for a replacement, and the folder that
// holds the name itself.
void CheckMayRemove(const std::string &path)
{
    CheckMayChange(path);
    if (::faccessat(AT_FDCWD, FolderOf(path).c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        const int reason = errno;
        throw TError(FormatTemplate(kCannotCreateFile, { path, SystemReason(reason) }), path,
            std::error_code(reason, std::generic_category()));
    }
}

// The backups of one file's writing, taken back together when the writing does not happen.
class TBackups
{
public:
    ~TBackups()
    {
        if (!m_kept)
            for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
                it->Undo();
    }
    const std::string &Make(const std::string &file)
    {
        try {
            m_made.push_back(TBackup::Make(file, BackupNameFor(file)));
        } catch (const TError &error) {
            throw TError(std::string(kUnableToBackupFile), file, error.Reason());
        }
        return m_made.back().Name();
    }
    void Keep() { m_kept = true; }

private:
    std::vector<TBackup> m_made;
    bool m_kept = false;
};

} // namespace

std::string_view FileExtension(std::string_view path)
{
    const std::string_view name = NamePart(path);
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

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

std::string RenamedTarget(const std::string &fileName, int renameMode)
{
    const std::string_view extension = FileExtension(fileName);
    if (renameMode == 0 && extension == ".dfm")
        return ChangeExtension(fileName, ".xfm");
    if (renameMode == 1 && extension == ".xfm")
        return ChangeExtension(fileName, ".dfm");
    if (renameMode == kRenameDelphiToLazarus && extension == ".dfm")
        return ChangeExtension(fileName, ".lfm");
    return fileName;
}

void RenameCompanionFiles(const std::string &fileName, const std::string &newName)
{
    namespace fs = std::filesystem;
    const std::string_view ownName = NamePart(fileName);
    const std::string folder = fileName.substr(0, fileName.size() - ownName.size());
    const std::string base(ownName.substr(0, ownName.size() - FileExtension(ownName).size()));
    const std::string ownLower = AsciiLower(ownName);
    // Listed first and renamed afterwards, so a renamed file is never met again by the listing.
    std::vector<std::string> companions;
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), error);
    if (error)
        return;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error)
            break;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || name.size() <= base.size() + 1 || name.compare(0, base.size(), base) != 0
            || name[base.size()] != '.')
            continue;
        struct stat st
        {
        };
        if (::lstat((folder + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        // Like the read-only attribute: a file its owner may not write is left alone.
        if ((st.st_mode & S_IWUSR) == 0)
            continue;
        if (AsciiLower(name) == ownLower || IsBackupName(name))
            continue;
        companions.push_back(name);
    }
    for (const auto &name : companions)
        (void)RenameNoReplace(folder + name, ChangeExtension(newName, FileExtension(name)));
}

TWriteOutcome WriteConvertedFile(const TWriteRequest &request, std::string_view text)
{
    TWriteOutcome outcome;
    // The text comes from the file as it was read: once another program has changed it, nothing of
    // this conversion may be written.
    if (!(StampOf(request.FileName) == request.ReadStamp))
        ThrowChanged(request.FileName);
    TBackups backups;
    if (!IsBlankText(request.NewName)) {
        const TFileStamp newStamp = StampOf(request.NewName);
        const bool sameFile = SameFile(newStamp, request.ReadStamp);
        CheckMayChange(request.NewName);
        if (!sameFile)
            CheckMayRemove(request.FileName);
        if (request.Backup) {
            if (newStamp.Exists && !sameFile)
                outcome.BackupName = backups.Make(request.NewName);
            outcome.BackupName = backups.Make(request.FileName);
        }
        WriteFileReplacing(request.NewName, text, sameFile ? &request.ReadStamp : &newStamp);
        backups.Keep();
        outcome.WrittenName = request.NewName;
        // Removed only once the text stands under its new name, and only while it is still the file read.
        if (!sameFile && StampOf(request.FileName) == request.ReadStamp)
            (void)DeleteFile(request.FileName);
        RenameCompanionFiles(request.FileName, request.NewName);
        return outcome;
    }
    if (request.TargetName != request.FileName) {
        const TFileStamp targetStamp = StampOf(request.TargetName);
        CheckMayChange(request.TargetName);
        if (request.Backup && targetStamp.Exists)
            outcome.BackupName = backups.Make(request.TargetName);
        WriteFileReplacing(request.TargetName, text, &targetStamp);
        backups.Keep();
        outcome.WrittenName = request.TargetName;
        return outcome;
    }
    CheckMayChange(request.FileName);
    if (request.Backup)
        outcome.BackupName = backups.Make(request.FileName);
    WriteFileReplacing(request.FileName, text, &request.ReadStamp);
    backups.Keep();
    outcome.WrittenName = request.FileName;
    return outcome;
}

} // namespace qvc
