#include "engine/WriteStep.h"

#include "common/Backups.h"
#include "common/Errors.h"
#include "common/SystemCalls.h"
#include "common/TextFormat.h"
#include "engine/CompanionRenames.h"
#include "engine/RunJournal.h"
#include "engine/Separator.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
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

// Syncs the folder that holds the file `path` leads to, so that its name is on the disk. False when it cannot.
bool NameOnDisk(const std::string &path)
{
    try {
        return sys::SyncFolder(FolderOf(ResolveLinks(path)).c_str()) == 0;
    } catch (const TError &) {
        return false;
    }
}

// What a file held before the run: the bytes read for the file read, else the file as it is now.
std::optional<TContentSum> SumBefore(const std::string &path, bool isRead, const TContentSum *readSum)
{
    if (isRead && readSum != nullptr)
        return *readSum;
    try {
        return SumOfFile(path);
    } catch (const TError &) {
        return std::nullopt;
    }
}

// What the name written held before: nothing for a new name. A file that could not be read is journaled
// with a sum no bytes have, so no undo takes it for a file that was not there.
std::optional<TContentSum> WrittenBefore(const TWritePlan &plan, const TContentSum *readSum)
{
    if (!plan.WrittenStamp.Exists)
        return std::nullopt;
    const std::optional<TContentSum> before = SumBefore(plan.WrittenName, plan.WrittenIsRead, readSum);
    return before ? before : TContentSum { ~std::uint64_t(0), 0 };
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

TWriteOutcome ExecuteWritePlan(const TWriteRequest &request, const TWritePlan &plan, std::string_view text,
    TChangedFolders &changed, TRunJournal *journal, int row, const TContentSum *readSum)
{
    TWriteOutcome outcome;
    // The text comes from the file as it was read: once another program has changed it, nothing of
    // this conversion may be written.
    if (!(StampOf(request.FileName) == request.ReadStamp))
        ThrowChanged(request.FileName);
    CheckMayChange(plan.WrittenName);
    if (!plan.RemovedName.empty())
        CheckMayRemove(plan.RemovedName);
    const auto sumOf = [&](const std::string &path, bool isRead) { return SumBefore(path, isRead, readSum); };
    TBackupStep backups(changed);
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
    if (journal != nullptr)
        journal->Record({ TStepKind::Write, row, plan.WrittenName, {}, {}, WrittenBefore(plan, readSum), SumOf(text) });
    WriteFileReplacing(plan.WrittenName, text, &plan.WrittenStamp, &changed);
    backups.Keep();
    outcome.WrittenName = plan.WrittenName;
    // Removed only once the text stands under its new name on the disk (a power loss must never keep the
    // removal and lose the new name), and only while it is still the file read.
    if (!plan.RemovedName.empty() && StampOf(plan.RemovedName) == request.ReadStamp && NameOnDisk(plan.WrittenName)) {
        if (journal != nullptr)
            journal->Record({ TStepKind::Remove, row, plan.RemovedName, {}, {}, sumOf(plan.RemovedName, true), {} });
        if (DeleteFile(plan.RemovedName))
            changed.Add(FolderOf(plan.RemovedName));
    }
    // A companion that cannot be renamed keeps its name: the unit itself is written.
    for (const auto &[from, to] : plan.Renamed) {
        if (journal != nullptr) {
            const auto sum = sumOf(from, false);
            if (!sum)
                continue;
            journal->Record({ TStepKind::Rename, row, from, to, {}, sum, {} });
        }
        if (RenameNoReplace(from, to)) {
            changed.Add(FolderOf(from));
            changed.Add(FolderOf(to));
        }
    }
    return outcome;
}

bool WritesOneName(const TWriteRequest &request)
{
    return IsBlankText(request.NewName) && !IsBackupName(std::string(NamePart(request.FileName)))
        && !IsBackupName(std::string(NamePart(request.TargetName)));
}

std::size_t StageWrite(const TWriteRequest &request, std::string_view text, TReplacementBatch &batch)
{
    // The text comes from the file as it was read.
    if (!(StampOf(request.FileName) == request.ReadStamp))
        ThrowChanged(request.FileName);
    const TFileStamp expected
        = request.TargetName == request.FileName ? request.ReadStamp : StampOf(request.TargetName);
    return batch.Stage(request.TargetName, text, &expected);
}

void JournalStagedWrite(const TWriteRequest &request, const TWritePlan &plan, TRunJournal &journal, int row,
    const TContentSum &readSum, const TContentSum &written)
{
    for (const TPlannedBackup &planned : plan.Backups)
        journal.Record({ TStepKind::Backup, row, planned.File, planned.Name, planned.OlderMovedTo,
            SumBefore(planned.File, planned.File == request.FileName, &readSum), {} });
    journal.Record({ TStepKind::Write, row, plan.WrittenName, {}, {}, WrittenBefore(plan, &readSum), written });
}

TWriteOutcome PublishStagedWrite(const TWriteRequest &request, const TWritePlan &plan, TReplacementBatch &batch,
    std::size_t index, TChangedFolders &changed, TRunJournal *journal, int row)
{
    TWriteOutcome outcome;
    // No backup is made of another program's text.
    if (!(StampOf(request.FileName) == request.ReadStamp))
        ThrowChanged(request.FileName);
    TBackupStep backups(changed);
    for (const TPlannedBackup &planned : plan.Backups) {
        const TBackup &made = backups.Make(planned.File, planned.OlderMovedTo);
        if (journal != nullptr && made.OlderMovedTo() != planned.OlderMovedTo)
            journal->RecordOlderMoved(row, made.Name(), made.OlderMovedTo());
        outcome.BackupName = made.Name();
    }
    batch.Publish(index, changed);
    backups.Keep();
    outcome.WrittenName = plan.WrittenName;
    return outcome;
}

bool WriteNewFile(
    const std::string &path, std::string_view text, TChangedFolders &changed, TRunJournal *journal, int row)
{
    const TFileStamp absent;
    try {
        if (journal != nullptr)
            journal->Record({ TStepKind::Write, row, path, {}, {}, std::nullopt, SumOf(text) });
        WriteFileReplacing(path, text, &absent, &changed);
    } catch (const TChangedMeanwhile &) {
        return false;
    }
    return true;
}

} // namespace qvc
