#include "engine/write/WriteStep.h"

#include "common/Errors.h"
#include "common/TextFormat.h"
#include "engine/journal/RunJournal.h"
#include "engine/pass/Separator.h"
#include "engine/write/CompanionRenames.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace qvc {

namespace {

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

// The file a symbolic link at `path` leads to, empty when `path` is no link (or leads nowhere).
std::string LinkTargetOf(const std::string &path)
{
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return {};
    try {
        return ResolveLinks(path);
    } catch (const TError &) {
        return {};
    }
}

} // namespace

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

bool ReplacesOnlyTheFileRead(const TWritePlan &plan)
{
    return plan.WrittenIsRead && plan.RemovedName.empty() && plan.Renamed.empty() && plan.Overwrites.empty();
}

void CheckWritePlan(const TWriteRequest &request, const TWritePlan &plan)
{
    // The text comes from the file as it was read: once another program has changed it, nothing of
    // this conversion may be written.
    if (!(StampOf(request.FileName) == request.ReadStamp))
        ThrowChanged(request.FileName);
    CheckMayChange(plan.WrittenName);
    if (!plan.RemovedName.empty())
        CheckMayRemove(plan.RemovedName);
}

std::vector<std::optional<TContentSum>> JournalWritePlan(const TWriteRequest &request, const TWritePlan &plan,
    std::string_view text, TRunJournal *journal, int row, const TContentSum *readSum)
{
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
    std::vector<std::optional<TContentSum>> companionSums;
    for (const auto &renamed : plan.Renamed)
        companionSums.push_back(sumOf(renamed.first, false));
    if (journal == nullptr)
        return companionSums;
    for (const TPlannedBackup &planned : plan.Backups)
        journal->Record({ TStepKind::Backup, row, planned.File, planned.Name, planned.OlderMovedTo, {},
            sumOf(planned.File, planned.File == request.FileName), std::nullopt });
    std::optional<TContentSum> before;
    if (plan.WrittenStamp.Exists) {
        // A file that could not be read is journaled with a sum no bytes have, so no undo takes it
        // for a file that was not there.
        before = sumOf(plan.WrittenName, plan.WrittenIsRead);
        if (!before)
            before = TContentSum { ~std::uint64_t(0), 0 };
    }
    journal->Record(
        { TStepKind::Write, row, plan.WrittenName, {}, {}, LinkTargetOf(plan.WrittenName), before, SumOf(text) });
    if (!plan.RemovedName.empty())
        journal->Record({ TStepKind::Remove, row, plan.RemovedName, {}, {}, {}, sumOf(plan.RemovedName, true), {} });
    for (std::size_t k = 0; k < plan.Renamed.size(); ++k)
        if (companionSums[k])
            journal->Record({ TStepKind::Rename, row, plan.Renamed[k].first, plan.Renamed[k].second, {}, {},
                companionSums[k], {} });
    return companionSums;
}

namespace {

void MakeBackups(const TWritePlan &plan, TBackupStep &backups, TRunJournal *journal, int row, TWriteOutcome &outcome)
{
    for (const TPlannedBackup &planned : plan.Backups) {
        const TBackup &made = backups.Make(planned.File, planned.OlderMovedTo);
        if (journal != nullptr && made.OlderMovedTo() != planned.OlderMovedTo)
            journal->RecordOlderMoved(row, made.Name(), made.OlderMovedTo());
        outcome.BackupName = made.Name();
    }
}

} // namespace

TWriteOutcome ExecuteWritePlan(const TWriteRequest &request, const TWritePlan &plan, std::string_view text,
    TChangedFolders &changed, TRunJournal *journal, int row, const TContentSum *readSum)
{
    TWriteOutcome outcome;
    CheckWritePlan(request, plan);
    // The steps of this file are journaled together and made durable once, before the first of them is
    // taken; a step journaled that then does not happen is told apart by what the files hold.
    const std::vector<std::optional<TContentSum>> companionSums
        = JournalWritePlan(request, plan, text, journal, row, readSum);
    if (journal != nullptr)
        journal->Sync();
    TBackupStep backups(changed);
    MakeBackups(plan, backups, journal, row, outcome);
    WriteFileReplacing(plan.WrittenName, text, &plan.WrittenStamp, &changed);
    backups.Keep();
    outcome.WrittenName = plan.WrittenName;
    // Removed only once the text stands under its new name, and only while it is still the file read.
    if (!plan.RemovedName.empty() && StampOf(plan.RemovedName) == request.ReadStamp && DeleteFile(plan.RemovedName))
        changed.Add(FolderOf(plan.RemovedName));
    // A companion that cannot be renamed keeps its name: the unit itself is written. One that cannot be
    // read is not journaled, so it is not renamed either.
    for (std::size_t k = 0; k < plan.Renamed.size(); ++k) {
        const auto &[from, to] = plan.Renamed[k];
        if ((journal == nullptr || companionSums[k]) && RenameNoReplace(from, to)) {
            changed.Add(FolderOf(from));
            changed.Add(FolderOf(to));
        }
    }
    return outcome;
}

TWriteOutcome CommitPreparedWrite(const TWritePlan &plan, TFileReplacement &prepared,
    const std::function<void()> &prepareAgain, TChangedFolders &changed, TRunJournal *journal, int row)
{
    TWriteOutcome outcome;
    // The new file took the old one's owner, mode and attributes when it was made: made again if they
    // changed since (before the backups, whose links change the file's status time themselves).
    if (!prepared.UnchangedSincePrepared())
        prepareAgain();
    TBackupStep backups(changed);
    MakeBackups(plan, backups, journal, row, outcome);
    prepared.Commit(&changed);
    backups.Keep();
    outcome.WrittenName = plan.WrittenName;
    return outcome;
}

bool WriteNewFile(
    const std::string &path, std::string_view text, TChangedFolders &changed, TRunJournal *journal, int row)
{
    const TFileStamp absent;
    try {
        if (journal != nullptr) {
            journal->Record({ TStepKind::Write, row, path, {}, {}, {}, std::nullopt, SumOf(text) });
            journal->Sync();
        }
        WriteFileReplacing(path, text, &absent, &changed);
    } catch (const TChangedMeanwhile &) {
        return false;
    }
    return true;
}

} // namespace qvc
