#include "engine/RunOverlay.h"

#include "common/Errors.h"
#include "common/TextFormat.h"

#include <algorithm>
#include <cerrno>

namespace qvc {

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
    std::string name;
    for (const auto &[path, entry] : m_entries) {
        if (!NameInFolder(path, folder, name))
            continue;
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

void TRunOverlay::Apply(const TWritePlan &plan, std::string_view text)
{
    for (const TPlannedBackup &backup : plan.Backups) {
        if (!backup.OlderMovedTo.empty())
            Put(backup.OlderMovedTo, EntryOf(backup.Name));
        Put(backup.Name, EntryOf(backup.File));
    }
    Created(plan.WrittenName, text);
    if (!plan.RemovedName.empty())
        Put(plan.RemovedName, TEntry {});
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
