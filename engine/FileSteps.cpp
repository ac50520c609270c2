#include "engine/FileSteps.h"

#include "common/AsciiCase.h"
#include "common/Backups.h"
#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/TextFormat.h"
#include "engine/RunJournal.h"
#include "engine/Separator.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
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
    throw TChangedMeanwhile(kCannotCreateFile, { PathArg(path), TextArg(std::string(kChangedMeanwhile)) });
}

// A file to be removed: the file (or what its link leads to) as for a replacement, and the folder that
// holds the name itself.
void CheckMayRemove(const std::string &path)
{
    CheckMayChange(path);
    if (::faccessat(AT_FDCWD, FolderOf(path).c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        const int reason = errno;
        throw TError(kCannotCreateFile, { PathArg(path), ReasonArg(reason) });
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
    const TBackup &Make(const std::string &file, const std::string &olderName = {})
    {
        try {
            m_made.push_back(TBackup::Make(file, BackupNameFor(file), olderName));
        } catch (const TError &error) {
            throw TError(TMessage(std::string(kUnableToBackupFile)), file, error.Reason());
        }
        return m_made.back();
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

TFileStamp TFileView::Stamp(const std::string &path) const
{
    return StampOf(path);
}

bool TFileView::Present(const std::string &path) const
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0;
}

bool TFileView::WritableRegular(const std::string &path) const
{
    struct stat st
    {
    };
    // Like the read-only attribute: a file its owner may not write is left alone.
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) != 0;
}

std::vector<std::string> TFileView::Names(const std::string &folder) const
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
        while (const dirent *entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

namespace {

// A plan's own earlier steps laid over the view it is made from.
class TPlanLayer final : public TFileView
{
public:
    explicit TPlanLayer(const TFileView &base)
        : m_base(base)
    {
    }
    void Set(const std::string &path, bool present) { m_present[path] = present; }
    TFileStamp Stamp(const std::string &path) const override
    {
        const auto it = m_present.find(path);
        if (it == m_present.end())
            return m_base.Stamp(path);
        TFileStamp stamp;
        stamp.Exists = it->second;
        return stamp;
    }
    bool Present(const std::string &path) const override
    {
        const auto it = m_present.find(path);
        return it == m_present.end() ? m_base.Present(path) : it->second;
    }
    bool WritableRegular(const std::string &path) const override
    {
        const auto it = m_present.find(path);
        return it == m_present.end() ? m_base.WritableRegular(path) : it->second;
    }
    std::vector<std::string> Names(const std::string &folder) const override
    {
        std::vector<std::string> names = m_base.Names(folder);
        for (const auto &[path, present] : m_present) {
            if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0
                || path.find('/', folder.size()) != std::string::npos)
                continue;
            const std::string name = path.substr(folder.size());
            const auto it = std::find(names.begin(), names.end(), name);
            if (present && it == names.end())
                names.push_back(name);
            else if (!present && it != names.end())
                names.erase(it);
        }
        return names;
    }

private:
    const TFileView &m_base;
    std::map<std::string, bool> m_present;
};

std::string FolderWithSlash(const std::string &path)
{
    return path.substr(0, path.size() - NamePart(path).size());
}

TPlannedBackup PlanBackup(const std::string &file, const TFileView &view)
{
    TPlannedBackup backup { file, BackupNameFor(file), {} };
    if (view.Present(backup.Name))
        backup.OlderMovedTo = NextNumberedBackupNameAmong(backup.Name, view.Names(FolderWithSlash(backup.Name)));
    return backup;
}

} // namespace

std::vector<std::pair<std::string, std::string>> PlanCompanionFiles(
    const std::string &fileName, const std::string &newName, const TFileView &view)
{
    const std::string_view ownName = NamePart(fileName);
    const std::string folder = FolderWithSlash(fileName);
    const std::string base(ownName.substr(0, ownName.size() - FileExtension(ownName).size()));
    const std::string ownLower = AsciiLower(ownName);
    std::vector<std::string> companions;
    for (const std::string &name : view.Names(folder)) {
        if (name.empty() || name[0] == '.' || name.size() <= base.size() + 1 || name.compare(0, base.size(), base) != 0
            || name[base.size()] != '.')
            continue;
        if (!view.WritableRegular(folder + name) || AsciiLower(name) == ownLower || IsBackupName(name))
            continue;
        companions.push_back(name);
    }
    // Listed first and renamed afterwards, in the order of the names, each only while its new name is free.
    std::sort(companions.begin(), companions.end());
    TPlanLayer layer(view);
    std::vector<std::pair<std::string, std::string>> renamed;
    for (const auto &name : companions) {
        std::string to = ChangeExtension(newName, FileExtension(name));
        if (layer.Present(to))
            continue;
        layer.Set(folder + name, false);
        layer.Set(to, true);
        renamed.emplace_back(folder + name, std::move(to));
    }
    return renamed;
}

void RenameCompanionFiles(const std::string &fileName, const std::string &newName)
{
    for (const auto &[from, to] : PlanCompanionFiles(fileName, newName, TFileView()))
        (void)RenameNoReplace(from, to);
}

TWritePlan PlanConvertedFile(const TWriteRequest &request, const TFileView &view)
{
    TWritePlan plan;
    if (!IsBlankText(request.NewName)) {
        const TFileStamp newStamp = view.Stamp(request.NewName);
        const bool sameFile = SameFile(newStamp, request.ReadStamp);
        plan.WrittenName = request.NewName;
        plan.WrittenIsRead = sameFile;
        plan.WrittenStamp = sameFile ? request.ReadStamp : newStamp;
        if (newStamp.Exists && !sameFile)
            plan.Overwrites.push_back(request.NewName);
        if (request.Backup) {
            if (newStamp.Exists && !sameFile)
                plan.Backups.push_back(PlanBackup(request.NewName, view));
            TPlanLayer layer(view);
            for (const auto &backup : plan.Backups)
                layer.Set(backup.Name, true);
            plan.Backups.push_back(PlanBackup(request.FileName, layer));
        }
        TPlanLayer layer(view);
        for (const auto &backup : plan.Backups) {
            if (!backup.OlderMovedTo.empty())
                layer.Set(backup.OlderMovedTo, true);
            layer.Set(backup.Name, false); // a backup is never a companion
        }
        layer.Set(request.NewName, true);
        if (!sameFile) {
            plan.RemovedName = request.FileName;
            layer.Set(request.FileName, false);
        }
        plan.Renamed = PlanCompanionFiles(request.FileName, request.NewName, layer);
        return plan;
    }
    if (request.TargetName != request.FileName) {
        const TFileStamp targetStamp = view.Stamp(request.TargetName);
        plan.WrittenName = request.TargetName;
        plan.WrittenStamp = targetStamp;
        plan.WrittenIsRead = SameFile(targetStamp, request.ReadStamp);
        if (targetStamp.Exists && !plan.WrittenIsRead)
            plan.Overwrites.push_back(request.TargetName);
        if (request.Backup && targetStamp.Exists)
            plan.Backups.push_back(PlanBackup(request.TargetName, view));
        return plan;
    }
    plan.WrittenName = request.FileName;
    plan.WrittenStamp = request.ReadStamp;
    plan.WrittenIsRead = true;
    if (request.Backup)
        plan.Backups.push_back(PlanBackup(request.FileName, view));
    return plan;
}

TWriteOutcome ExecuteWritePlan(const TWriteRequest &request, const TWritePlan &plan, std::string_view text,
    TRunJournal *journal, int row, const TContentSum *readSum)
{
    TWriteOutcome outcome;
    // The text comes from the file as it was read: once another program has changed it, nothing of
    // this conversion may be written.
    if (!(StampOf(request.FileName) == request.ReadStamp))
        ThrowChanged(request.FileName);
    CheckMayChange(plan.WrittenName);
    if (!plan.RemovedName.empty())
        CheckMayRemove(plan.RemovedName);
    // What a file held before the run: the bytes read for the file read, else the file as it is now.
    const auto sumOf = [&](const std::string &path, bool isRead) -> std::optional<TContentSum> {
        if (isRead && readSum != nullptr)
            return *readSum;
        try {
            return SumOfFile(path);
        } catch (const TError &) {
            return std::nullopt;
        }
    };
    TBackups backups;
    for (const TPlannedBackup &planned : plan.Backups) {
        const bool isRead = planned.File == request.FileName;
        if (journal != nullptr)
            journal->Record({ TStepKind::Backup, row, planned.File, planned.Name, planned.OlderMovedTo,
                sumOf(planned.File, isRead), std::nullopt });
        const TBackup &made = backups.Make(planned.File, planned.OlderMovedTo);
        if (journal != nullptr && made.OlderMovedTo() != planned.OlderMovedTo)
            journal->RecordOlderMoved(row, made.Name(), made.OlderMovedTo());
        outcome.BackupName = made.Name();
    }
    if (journal != nullptr) {
        std::optional<TContentSum> before;
        if (plan.WrittenStamp.Exists) {
            // A file that could not be read is journaled with a sum no bytes have, so no undo takes it
            // for a file that was not there.
            before = sumOf(plan.WrittenName, plan.WrittenIsRead);
            if (!before)
                before = TContentSum { ~std::uint64_t(0), 0 };
        }
        journal->Record({ TStepKind::Write, row, plan.WrittenName, {}, {}, before, SumOf(text) });
    }
    WriteFileReplacing(plan.WrittenName, text, &plan.WrittenStamp);
    backups.Keep();
    outcome.WrittenName = plan.WrittenName;
    // Removed only once the text stands under its new name, and only while it is still the file read.
    if (!plan.RemovedName.empty() && StampOf(plan.RemovedName) == request.ReadStamp) {
        if (journal != nullptr)
            journal->Record({ TStepKind::Remove, row, plan.RemovedName, {}, {}, sumOf(plan.RemovedName, true), {} });
        (void)DeleteFile(plan.RemovedName);
    }
    for (const auto &[from, to] : plan.Renamed) {
        if (journal != nullptr) {
            const auto sum = sumOf(from, false);
            if (!sum)
                continue;
            journal->Record({ TStepKind::Rename, row, from, to, {}, sum, {} });
        }
        (void)RenameNoReplace(from, to);
    }
    return outcome;
}

TWriteOutcome WriteConvertedFile(const TWriteRequest &request, std::string_view text)
{
    if (!(StampOf(request.FileName) == request.ReadStamp))
        ThrowChanged(request.FileName);
    return ExecuteWritePlan(request, PlanConvertedFile(request, TFileView()), text);
}

TFileStamp TRunOverlay::Stamp(const std::string &path) const
{
    const auto it = m_entries.find(path);
    return it == m_entries.end() ? TFileView::Stamp(path) : it->second.Stamp;
}

bool TRunOverlay::Present(const std::string &path) const
{
    const auto it = m_entries.find(path);
    return it == m_entries.end() ? TFileView::Present(path) : it->second.Exists;
}

bool TRunOverlay::WritableRegular(const std::string &path) const
{
    const auto it = m_entries.find(path);
    return it == m_entries.end() ? TFileView::WritableRegular(path) : it->second.Exists;
}

std::vector<std::string> TRunOverlay::Names(const std::string &folder) const
{
    std::vector<std::string> names = TFileView::Names(folder);
    for (const auto &[path, entry] : m_entries) {
        if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0
            || path.find('/', folder.size()) != std::string::npos)
            continue;
        const std::string name = path.substr(folder.size());
        const auto it = std::find(names.begin(), names.end(), name);
        if (entry.Exists && it == names.end())
            names.push_back(name);
        else if (!entry.Exists && it != names.end())
            names.erase(it);
    }
    return names;
}

TRunOverlay::TEntry TRunOverlay::EntryOf(const std::string &path) const
{
    const auto it = m_entries.find(path);
    if (it != m_entries.end())
        return it->second;
    TEntry entry;
    entry.Stamp = StampOf(path);
    entry.Exists = entry.Stamp.Exists;
    entry.Source = path;
    return entry;
}

void TRunOverlay::Put(const std::string &path, TEntry entry)
{
    m_entries[path] = std::move(entry);
}

void TRunOverlay::Created(const std::string &path, std::string_view text)
{
    TEntry entry;
    entry.Exists = true;
    entry.Stamp.Exists = true;
    // A stamp no real file has: the device number is all ones.
    entry.Stamp.Device = static_cast<dev_t>(-1);
    entry.Stamp.Inode = m_nextInode++;
    entry.Stamp.Size = static_cast<off_t>(text.size());
    entry.HasText = true;
    entry.Text = std::string(text);
    Put(path, std::move(entry));
}

void TRunOverlay::Apply(const TWritePlan &plan, const std::string &fileName, std::string_view text)
{
    for (const TPlannedBackup &backup : plan.Backups) {
        if (!backup.OlderMovedTo.empty())
            Put(backup.OlderMovedTo, EntryOf(backup.Name));
        Put(backup.Name, EntryOf(backup.File));
    }
    Created(plan.WrittenName, text);
    if (!plan.RemovedName.empty())
        Put(plan.RemovedName, TEntry {});
    (void)fileName;
    for (const auto &[from, to] : plan.Renamed) {
        Put(to, EntryOf(from));
        Put(from, TEntry {});
    }
}

bool TRunOverlay::Knows(const std::string &path) const
{
    return m_entries.count(path) != 0;
}

std::size_t TRunOverlay::ReadInto(const std::string &path, std::string &buffer, TFileStamp *stamp) const
{
    const auto it = m_entries.find(path);
    if (it == m_entries.end())
        return ReadFileInto(path, buffer, stamp);
    const TEntry &entry = it->second;
    if (!entry.Exists)
        throw TError(kCannotOpenFile, { PathArg(path), ReasonArg(ENOENT) });
    if (!entry.HasText) {
        const std::size_t length = ReadFileInto(entry.Source, buffer);
        if (stamp != nullptr)
            *stamp = entry.Stamp;
        return length;
    }
    if (buffer.size() < entry.Text.size())
        buffer.resize(entry.Text.size());
    std::copy(entry.Text.begin(), entry.Text.end(), buffer.begin());
    if (stamp != nullptr)
        *stamp = entry.Stamp;
    return entry.Text.size();
}

} // namespace qvc
