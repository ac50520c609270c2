#include "engine/journal/UndoRun.h"

#include "common/Backups.h"
#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/FolderLocks.h"
#include "common/SystemCalls.h"
#include "common/TextFormat.h"
#include "engine/write/BackupStep.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace qvc {

namespace {

using TSum = std::optional<TContentSum>;
using TJson = nlohmann::json;

constexpr std::string_view kUndoJournalSuffix = ".undo";

// What stands at a name: nothing, a regular file with its sum, or something else (a symbolic link, a
// folder, a device), which matches no sum the journal knows.
struct TEntry
{
    TSum Sum;
    bool Plain = true; ///< a regular file, or nothing
};

// What the files hold as the undo goes back through the run: read from the disk when first asked,
// then changed by every action decided.
class TFileState
{
public:
    const TEntry &Get(const std::string &path)
    {
        auto it = m_entries.find(path);
        if (it == m_entries.end())
            it = m_entries.emplace(path, Read(path)).first;
        return it->second;
    }
    TSum Sum(const std::string &path) { return Get(path).Sum; }
    // A regular file that holds `sum` exactly.
    bool Holds(const std::string &path, const TSum &sum)
    {
        const TEntry &entry = Get(path);
        return entry.Plain && entry.Sum == sum;
    }
    void Set(const std::string &path, TSum sum) { m_entries[path] = TEntry { sum, true }; }

private:
    static TEntry Read(const std::string &path)
    {
        struct stat st
        {
        };
        if (::lstat(path.c_str(), &st) != 0)
            return { std::nullopt, true };
        // Anything but a regular file holds no sum the journal knows.
        if (!S_ISREG(st.st_mode))
            return { TContentSum { ~std::uint64_t(0), ~std::uint64_t(0) }, false };
        try {
            return { SumOfFile(path), true };
        } catch (const TError &) {
            return { TContentSum { ~std::uint64_t(0), ~std::uint64_t(0) }, false };
        }
    }
    std::map<std::string, TEntry> m_entries;
};

[[noreturn]] void ThrowFailure(const std::string &path, int reason)
{
    throw TError(kCannotCreateFile, { PathArg(path), ReasonArg(reason) });
}

// `path` with its folder resolved (links and ".."), when that folder is one of the run's; else the undo
// refuses the whole journal.
std::string InsideRunFolders(const std::string &path, const std::vector<std::string> &folders)
{
    const std::string_view name = NamePart(path);
    const auto refuse = [&path]() { return TJournalRefused(kJournalOutsideFolders, { PathArg(path) }); };
    if (name.empty() || name == "." || name == "..")
        throw refuse();
    char *resolved = ::realpath(FolderOf(path).c_str(), nullptr);
    if (resolved == nullptr)
        throw refuse();
    std::string folder(resolved);
    std::free(resolved);
    if (!std::binary_search(folders.begin(), folders.end(), folder))
        throw refuse();
    return (folder == "/" ? folder : folder + "/") + std::string(name);
}

// The journal's steps with every path resolved inside the run's folders.
std::vector<TJournalStep> ResolvedSteps(const TJournal &journal, const std::vector<std::string> &folders)
{
    std::vector<TJournalStep> steps = journal.Steps;
    for (auto &step : steps) {
        step.Path = InsideRunFolders(step.Path, folders);
        if (!step.Other.empty())
            step.Other = InsideRunFolders(step.Other, folders);
        if (!step.Older.empty())
            step.Older = InsideRunFolders(step.Older, folders);
        if (!step.LinkTarget.empty())
            step.LinkTarget = InsideRunFolders(step.LinkTarget, folders);
    }
    return steps;
}

void Note(std::vector<std::string> &list, const std::string &path)
{
    if (std::find(list.begin(), list.end(), path) == list.end())
        list.push_back(path);
}

// Puts `path` under the next free numbered backup name of it ("X.~pas.~N~"), by a new link (`link`) or by
// renaming it there; returns that name.
std::string KeepUnderNumberedName(const std::string &path, bool link)
{
    const std::string base = BackupNameFor(path);
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string name = NextNumberedBackupName(base);
        const bool done
            = link ? sys::Link(AT_FDCWD, path.c_str(), AT_FDCWD, name.c_str(), 0) == 0 : RenameNoReplace(path, name);
        if (done)
            return name;
        if (errno != EEXIST)
            ThrowFailure(path, errno);
    }
    ThrowFailure(path, EEXIST);
}

bool SyncFolderOf(const std::string &path)
{
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Writes the undo journal: which run it takes back, by which process, with which force. A later undo
// finds it when this process is killed and completes the undo from the files as they are.
void WriteUndoJournal(const std::string &journalPath, bool force)
{
    const std::string path = UndoJournalOf(journalPath);
    const TJson header { { "undo", 1 }, { "pid", ::getpid() }, { "start", OwnProcessStartTime() }, { "force", force } };
    const std::string line = header.dump() + "\n";
    (void)::unlink(path.c_str()); // one of an undo completed up to its last step
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        ThrowFailure(path, errno);
    const bool written
        = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) && ::fdatasync(fd) == 0;
    const int reason = errno;
    ::close(fd);
    if (!written || !SyncFolderOf(path)) {
        (void)::unlink(path.c_str());
        ThrowFailure(path, written ? errno : reason);
    }
}

struct TUndoJournalHeader
{
    long Pid = 0;
    unsigned long long Start = 0;
    bool Force = false;
};

std::optional<TUndoJournalHeader> ReadUndoJournal(const std::string &path)
{
    try {
        const int fd = OpenTrustedJournal(path);
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        ::close(fd);
        if (got <= 0)
            return TUndoJournalHeader {}; // cut before its first line: its process can no longer be told
        std::string_view text(buffer, static_cast<std::size_t>(got));
        text = text.substr(0, text.find('\n'));
        const TJson header = TJson::parse(text, nullptr, false);
        TUndoJournalHeader out;
        if (header.is_discarded() || !header.is_object())
            return out;
        // Fields of another type than written leave the header as one whose process can no longer be told.
        if (header.contains("pid") && header["pid"].is_number_integer())
            out.Pid = header["pid"].get<long>();
        if (header.contains("start") && header["start"].is_number_unsigned())
            out.Start = header["start"].get<unsigned long long>();
        if (header.contains("force") && header["force"].is_boolean())
            out.Force = header["force"].get<bool>();
        return out;
    } catch (const TError &) {
        return std::nullopt;
    }
}

void SweepFolders(const std::vector<std::string> &folders)
{
    for (const auto &folder : folders)
        SweepStaleTemporaries(folder);
}

void RemoveUndoJournal(const std::string &journalPath)
{
    const std::string path = UndoJournalOf(journalPath);
    if (::unlink(path.c_str()) == 0)
        (void)SyncFolderOf(path);
}

} // namespace

std::vector<std::string> TUndoPlan::Files() const
{
    std::vector<std::string> files;
    std::set<std::string> seen;
    for (const auto &action : Actions)
        if (action.Kind != TUndoAction::TKind::DropBackup && action.Kind != TUndoAction::TKind::MoveOlderBack
            && seen.insert(action.Path).second)
            files.push_back(action.Path);
    return files;
}

std::size_t TUndoPlan::FileCount() const
{
    return Files().size();
}

TUndoPlan PlanUndo(const TJournal &journal, bool force)
{
    using TKind = TUndoAction::TKind;
    TUndoPlan plan;
    plan.Folders = journal.Folders;
    std::sort(plan.Folders.begin(), plan.Folders.end());
    const std::vector<TJournalStep> steps = ResolvedSteps(journal, plan.Folders);
    TFileState state;
    // The backup each row made of each file.
    std::map<std::pair<int, std::string>, std::string> backupOf;
    for (const auto &step : steps)
        if (step.Kind == TStepKind::Backup)
            backupOf[{ step.Row, step.Path }] = step.Other;
    // A backup serves only while it is a regular file holding exactly the old text the journal recorded.
    const auto backupHolding = [&](const TJournalStep &step) -> std::string {
        const auto it = backupOf.find({ step.Row, step.Path });
        if (it == backupOf.end() || !step.Before || !state.Holds(it->second, step.Before))
            return {};
        return it->second;
    };
    // Puts back the bytes a step found at `path`, from the backup its row made of them.
    const auto restoreBefore = [&](const TJournalStep &step, const std::string &path, bool keep) {
        const std::string backup = backupHolding(step);
        if (backup.empty()) {
            Note(plan.NotKept, path);
            return;
        }
        plan.Actions.push_back({ TKind::Restore, path, backup, keep && state.Sum(path).has_value() });
        state.Set(path, step.Before);
        state.Set(backup, std::nullopt);
    };
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        const TJournalStep &step = *it;
        switch (step.Kind) {
        case TStepKind::Read:
            break;
        case TStepKind::Rename: {
            const TSum from = state.Sum(step.Path);
            const TSum to = state.Sum(step.Other);
            if (from == step.Before)
                break; // not renamed
            // A rename keeps every byte, so a companion changed since is renamed back when forced.
            if (!from && to && (to == step.Before || force)) {
                plan.Actions.push_back({ TKind::RenameBack, step.Path, step.Other, false });
                state.Set(step.Path, to);
                state.Set(step.Other, std::nullopt);
            } else {
                Note(plan.Changed, to ? step.Other : step.Path);
            }
            break;
        }
        case TStepKind::Remove: {
            if (state.Holds(step.Path, step.Before))
                break; // not removed
            const TSum now = state.Sum(step.Path);
            if (now && !force) {
                Note(plan.Changed, step.Path);
                break;
            }
            restoreBefore(step, step.Path, true);
            break;
        }
        case TStepKind::Write: {
            // A link the run wrote through: the file it led to is the one written, as the run did.
            const std::string &path = step.LinkTarget.empty() ? step.Path : step.LinkTarget;
            const bool asWritten = state.Holds(path, step.After);
            if (!asWritten) {
                if (state.Holds(path, step.Before))
                    break; // not written
                if (!force) {
                    Note(plan.Changed, path);
                    break;
                }
            }
            if (!step.Before) {
                if (state.Sum(path) || !state.Get(path).Plain) {
                    plan.Actions.push_back({ TKind::Remove, path, {}, !asWritten });
                    state.Set(path, std::nullopt);
                }
                break;
            }
            restoreBefore(step, path, !asWritten);
            break;
        }
        case TStepKind::Backup: {
            const TSum backup = state.Sum(step.Other);
            // The backup is the only copy of the old text while its file does not hold that text again.
            if (!state.Holds(step.Path, step.Before)) {
                if (backup)
                    Note(plan.Unaccounted, step.Path);
                break;
            }
            if (!step.Older.empty()) {
                const TSum older = state.Sum(step.Older);
                if (!older)
                    break; // the older backup never moved, so no backup was made either
                if (state.Holds(step.Other, step.Before)) {
                    plan.Actions.push_back({ TKind::DropBackup, step.Other, {}, false });
                } else if (backup) {
                    Note(plan.Changed, step.Other);
                    break;
                }
                plan.Actions.push_back({ TKind::MoveOlderBack, step.Other, step.Older, false });
                state.Set(step.Other, older);
                state.Set(step.Older, std::nullopt);
                break;
            }
            if (state.Holds(step.Other, step.Before)) {
                plan.Actions.push_back({ TKind::DropBackup, step.Other, {}, false });
                state.Set(step.Other, std::nullopt);
            } else if (backup && !force) {
                Note(plan.Changed, step.Other);
            }
            break;
        }
        }
    }
    // A journal that ends before the run did (a full disk, a kill) cannot tell what the files after its
    // last step hold.
    plan.EndsBeforeRun = !journal.Ended;
    if (!journal.Ended) {
        // A file read whose last steps the journal lost no longer holds what was read once the undo is done.
        int lastRow = -1;
        for (const auto &step : steps) {
            lastRow = std::max(lastRow, step.Row);
            if (step.Kind == TStepKind::Read && !state.Holds(step.Path, step.Before))
                Note(plan.Unaccounted, step.Path);
        }
        for (std::size_t row = static_cast<std::size_t>(lastRow) + 1; row < journal.Files.size(); ++row)
            Note(plan.Unaccounted, journal.Files[row]);
    }
    return plan;
}

TUndoOutcome ExecuteUndo(const TUndoPlan &plan)
{
    using TKind = TUndoAction::TKind;
    TUndoOutcome outcome;
    std::vector<std::function<void()>> takeBack;
    std::vector<std::string> held; // hidden names removed once every file is back
    std::vector<std::string> consumed; // backups copied into place across file systems, removed at the end
    // Sets aside what stands at `path` before it is replaced (a new link, so `path` never goes missing) or
    // removed (renamed): under a hidden name, or kept under a numbered backup name.
    const auto setAside = [&](const std::string &path, bool keep, bool byLink) {
        std::string aside;
        if (keep) {
            aside = KeepUnderNumberedName(path, byLink);
            outcome.Kept.emplace_back(path, aside);
        } else {
            aside = UndoHoldName(FolderOf(path));
            const bool done = byLink ? sys::Link(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), 0) == 0
                                     : RenameNoReplace(path, aside);
            if (!done)
                ThrowFailure(path, errno);
            held.push_back(aside);
        }
        return aside;
    };
    // A file its owner made read-only (or one the user may not replace) is no more replaced or removed by
    // an undo than by a run; all of them are looked at before the first step.
    for (const TUndoAction &action : plan.Actions) {
        struct stat st
        {
        };
        if ((action.Kind == TKind::Restore || action.Kind == TKind::Remove) && ::lstat(action.Path.c_str(), &st) == 0
            && S_ISREG(st.st_mode))
            CheckMayChange(action.Path);
    }
    try {
        for (const TUndoAction &action : plan.Actions) {
            switch (action.Kind) {
            case TKind::Restore: {
                struct stat st
                {
                };
                const bool exists = ::lstat(action.Path.c_str(), &st) == 0;
                std::string aside;
                if (exists) {
                    aside = setAside(action.Path, action.Keep, true);
                    takeBack.emplace_back(
                        [aside, path = action.Path] { (void)sys::Rename(aside.c_str(), path.c_str()); });
                }
                // The backup is the old file itself (a hard link the run made), so renaming it into place
                // gives back its bytes, mode and owner without writing a byte: a full disk cannot stop it.
                const int renamed = exists ? sys::Rename(action.From.c_str(), action.Path.c_str())
                                           : (RenameNoReplace(action.From, action.Path) ? 0 : -1);
                if (renamed == 0) {
                    takeBack.emplace_back(
                        [from = action.From, path = action.Path] { (void)RenameNoReplace(path, from); });
                    break;
                }
                if (errno != EXDEV)
                    ThrowFailure(action.Path, errno);
                // A backup in another file system than the file (beside a link that leads there) is copied.
                const std::string copy = UndoHoldName(FolderOf(action.Path));
                CopyFileNoReplace(action.From, copy);
                if (sys::Rename(copy.c_str(), action.Path.c_str()) != 0) {
                    const int reason = errno;
                    (void)sys::Unlink(copy.c_str());
                    ThrowFailure(action.Path, reason);
                }
                if (!exists)
                    takeBack.emplace_back([path = action.Path] { (void)sys::Unlink(path.c_str()); });
                consumed.push_back(action.From);
                break;
            }
            case TKind::Remove: {
                const std::string aside = setAside(action.Path, action.Keep, false);
                takeBack.emplace_back([aside, path = action.Path] { (void)RenameNoReplace(aside, path); });
                break;
            }
            case TKind::DropBackup: {
                const std::string aside = setAside(action.Path, false, false);
                takeBack.emplace_back([aside, path = action.Path] { (void)RenameNoReplace(aside, path); });
                break;
            }
            case TKind::RenameBack:
            case TKind::MoveOlderBack:
                if (!RenameNoReplace(action.From, action.Path))
                    ThrowFailure(action.Path, errno);
                takeBack.emplace_back([from = action.From, to = action.Path] { (void)RenameNoReplace(to, from); });
                break;
            }
        }
    } catch (...) {
        // Taking back renames every name set aside back into place; one that cannot be stays where it is,
        // never removed, for the next undo to finish from.
        for (auto it = takeBack.rbegin(); it != takeBack.rend(); ++it)
            (*it)();
        throw;
    }
    // Only now that every file is back are the files set aside gone for good.
    for (const auto &hold : held)
        (void)sys::Unlink(hold.c_str());
    for (const auto &backup : consumed)
        (void)sys::Unlink(backup.c_str());
    return outcome;
}

std::string UndoJournalOf(const std::string &journalPath)
{
    return journalPath + std::string(kUndoJournalSuffix);
}

TUndoOutcome CommitUndo(const TJournal &journal, const TUndoPlan &plan, bool force)
{
    WriteUndoJournal(journal.FileName, force);
    TUndoOutcome outcome;
    try {
        ReserveJournalMark(journal.FileName);
        outcome = ExecuteUndo(plan);
    } catch (...) {
        RemoveUndoJournal(journal.FileName);
        throw;
    }
    MarkJournalUndone(journal.FileName);
    RemoveUndoJournal(journal.FileName);
    return outcome;
}

std::vector<std::string> PendingUndos(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (const dirent *entry = ::readdir(dir)) {
            const std::string_view name(entry->d_name);
            if (name.size() > kUndoJournalSuffix.size() && name[0] != '.'
                && name.substr(name.size() - kUndoJournalSuffix.size()) == kUndoJournalSuffix)
                names.emplace_back(name.substr(0, name.size() - kUndoJournalSuffix.size()));
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> pending;
    for (const auto &name : names) {
        std::string journal = folder;
        journal += '/';
        journal += name;
        const auto header = ReadUndoJournal(UndoJournalOf(journal));
        if (header && ProcessHasEnded(header->Pid, header->Start))
            pending.push_back(journal);
    }
    return pending;
}

void CheckNoPendingUndo(const std::string &folder)
{
    const std::vector<std::string> pending = PendingUndos(folder);
    if (!pending.empty())
        throw TError(kUndoPending, { PathArg(pending.front()) });
}

TCompletedUndo CompletePendingUndo(const std::string &journalPath)
{
    TCompletedUndo completed;
    const auto header = ReadUndoJournal(UndoJournalOf(journalPath));
    const TJournal journal = ReadJournal(journalPath);
    TFolderLocks locks;
    locks.Acquire(journal.Folders);
    if (journal.Undone) {
        // Killed after the mark: only the clean-up was left.
        SweepFolders(journal.Folders);
        RemoveUndoJournal(journalPath);
        completed.Done = true;
        return completed;
    }
    completed.Plan = PlanUndo(journal, header && header->Force);
    if (!completed.Plan.Possible())
        return completed;
    ReserveJournalMark(journalPath);
    completed.Outcome = ExecuteUndo(completed.Plan);
    MarkJournalUndone(journalPath);
    SweepFolders(journal.Folders);
    RemoveUndoJournal(journalPath);
    completed.Done = true;
    return completed;
}

} // namespace qvc
