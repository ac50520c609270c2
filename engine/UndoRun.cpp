#include "engine/UndoRun.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/SystemCalls.h"
#include "common/TextFormat.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <unistd.h>

namespace qvc {

namespace {

using TSum = std::optional<TContentSum>;

// What the files hold as the undo goes back through the run: read from the disk when first asked,
// then changed by every action decided.
class TFileState
{
public:
    TSum Get(const std::string &path)
    {
        auto it = m_sums.find(path);
        if (it == m_sums.end())
            it = m_sums.emplace(path, Read(path)).first;
        return it->second;
    }
    void Set(const std::string &path, TSum sum) { m_sums[path] = sum; }

private:
    static TSum Read(const std::string &path)
    {
        try {
            return SumOfFile(path);
        } catch (const TError &) {
            // A file that cannot be read counts as changed: it holds no sum the journal knows.
            return TContentSum { ~std::uint64_t(0), ~std::uint64_t(0) };
        }
    }
    std::map<std::string, TSum> m_sums;
};

[[noreturn]] void ThrowFailure(const std::string &path, int reason)
{
    throw TError(kCannotCreateFile, { PathArg(path), ReasonArg(reason) });
}

// A hidden name beside `path` that a file is moved to until the undo is complete.
std::string HoldingName(const std::string &path, int number)
{
    const std::string folder = path.substr(0, path.size() - NamePart(path).size());
    return folder + ".qvc-undo-" + std::to_string(::getpid()) + "-" + std::to_string(number) + "~";
}

} // namespace

std::size_t TUndoPlan::FileCount() const
{
    std::set<std::string> files;
    for (const auto &action : Actions)
        if (action.Kind != TUndoAction::TKind::DropBackup && action.Kind != TUndoAction::TKind::MoveOlderBack)
            files.insert(action.Path);
    return files.size();
}

TUndoPlan PlanUndo(const TJournal &journal, bool force)
{
    using TKind = TUndoAction::TKind;
    TUndoPlan plan;
    TFileState state;
    // The backup each row made of each file.
    std::map<std::pair<int, std::string>, std::string> backupOf;
    for (const auto &step : journal.Steps)
        if (step.Kind == TStepKind::Backup)
            backupOf[{ step.Row, step.Path }] = step.Other;
    const auto backupHolding = [&](const TJournalStep &step, const TSum &sum) -> std::string {
        const auto it = backupOf.find({ step.Row, step.Path });
        if (it == backupOf.end() || !sum || state.Get(it->second) != sum)
            return {};
        return it->second;
    };
    const auto note = [](std::vector<std::string> &list, const std::string &path) {
        if (std::find(list.begin(), list.end(), path) == list.end())
            list.push_back(path);
    };
    // Puts back the bytes a step found, from the backup its row made of them.
    const auto restoreBefore = [&](const TJournalStep &step, const TSum &now) {
        const std::string backup = backupHolding(step, step.Before);
        if (backup.empty()) {
            note(plan.NotKept, step.Path);
            return;
        }
        plan.Actions.push_back({ now ? TKind::Restore : TKind::LinkBack, step.Path, backup });
        state.Set(step.Path, step.Before);
    };
    for (auto it = journal.Steps.rbegin(); it != journal.Steps.rend(); ++it) {
        const TJournalStep &step = *it;
        switch (step.Kind) {
        case TStepKind::Read:
            break;
        case TStepKind::Rename: {
            const TSum from = state.Get(step.Path);
            const TSum to = state.Get(step.Other);
            if (from == step.Before)
                break; // not renamed
            if (!from && to && (to == step.Before || force)) {
                plan.Actions.push_back({ TKind::RenameBack, step.Path, step.Other });
                state.Set(step.Path, to);
                state.Set(step.Other, std::nullopt);
            } else {
                note(plan.Changed, to ? step.Other : step.Path);
            }
            break;
        }
        case TStepKind::Remove: {
            const TSum now = state.Get(step.Path);
            if (now == step.Before)
                break; // not removed
            if (now && !force) {
                note(plan.Changed, step.Path);
                break;
            }
            restoreBefore(step, now);
            break;
        }
        case TStepKind::Write: {
            const TSum now = state.Get(step.Path);
            if (now != step.After) {
                if (now == step.Before)
                    break; // not written
                if (!force) {
                    note(plan.Changed, step.Path);
                    break;
                }
            }
            if (!step.Before) {
                if (now) {
                    plan.Actions.push_back({ TKind::Remove, step.Path, {} });
                    state.Set(step.Path, std::nullopt);
                }
                break;
            }
            restoreBefore(step, now);
            break;
        }
        case TStepKind::Backup: {
            const TSum backup = state.Get(step.Other);
            if (!step.Older.empty()) {
                const TSum older = state.Get(step.Older);
                if (!older)
                    break; // the older backup never moved, so no backup was made either
                if (backup == step.Before) {
                    plan.Actions.push_back({ TKind::DropBackup, step.Other, {} });
                } else if (backup) {
                    note(plan.Changed, step.Other);
                    break;
                }
                plan.Actions.push_back({ TKind::MoveOlderBack, step.Other, step.Older });
                state.Set(step.Other, older);
                state.Set(step.Older, std::nullopt);
                break;
            }
            if (backup == step.Before) {
                plan.Actions.push_back({ TKind::DropBackup, step.Other, {} });
                state.Set(step.Other, std::nullopt);
            } else if (backup && !force) {
                note(plan.Changed, step.Other);
            }
            break;
        }
        }
    }
    return plan;
}

void ExecuteUndo(const TUndoPlan &plan)
{
    using TKind = TUndoAction::TKind;
    std::vector<std::function<void()>> takeBack;
    std::vector<std::string> held;
    int holding = 0;
    const auto moveAside = [&](const std::string &path) {
        std::string hold = HoldingName(path, ++holding);
        if (!RenameNoReplace(path, hold))
            ThrowFailure(path, errno);
        held.push_back(hold);
        takeBack.emplace_back([path, hold] { (void)RenameNoReplace(hold, path); });
    };
    try {
        for (const TUndoAction &action : plan.Actions) {
            switch (action.Kind) {
            case TKind::Restore: {
                const std::string earlier = ReadFileBytes(action.From);
                const std::string current = ReadFileBytes(action.Path);
                WriteFileReplacing(action.Path, earlier);
                takeBack.emplace_back([path = action.Path, current] {
                    try {
                        WriteFileReplacing(path, current);
                    } catch (const TError &) {
                    }
                });
                break;
            }
            case TKind::LinkBack:
                if (sys::Link(AT_FDCWD, action.From.c_str(), AT_FDCWD, action.Path.c_str(), 0) != 0) {
                    const int reason = errno;
                    if (reason != EXDEV && reason != EPERM && reason != EMLINK && reason != ENOTSUP)
                        ThrowFailure(action.Path, reason);
                    CopyFileNoReplace(action.From, action.Path);
                }
                takeBack.emplace_back([path = action.Path] { (void)sys::Unlink(path.c_str()); });
                break;
            case TKind::Remove:
            case TKind::DropBackup:
                moveAside(action.Path);
                break;
            case TKind::RenameBack:
            case TKind::MoveOlderBack:
                if (!RenameNoReplace(action.From, action.Path))
                    ThrowFailure(action.Path, errno);
                takeBack.emplace_back([from = action.From, to = action.Path] { (void)RenameNoReplace(to, from); });
                break;
            }
        }
    } catch (...) {
        for (auto it = takeBack.rbegin(); it != takeBack.rend(); ++it)
            (*it)();
        throw;
    }
    // Only now that every file is back are the files moved aside gone for good.
    for (const auto &hold : held)
        (void)sys::Unlink(hold.c_str());
}

} // namespace qvc
