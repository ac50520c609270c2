#include "engine/write/RunOverlay.h"

#include "common/AsciiCase.h"
#include "common/Errors.h"
#include "common/PathNames.h"
#include "common/TextFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace qvc {

namespace {

// The keys of the later reads by folder: a hash of the folder (and stem), letters folded, so that finding one
// makes no string. Two names that share a key (letter case aside, or by chance) only keep a text longer.
std::size_t FoldedKey(std::string_view folder, std::string_view stem = {}, bool withStem = false)
{
    // FNV-1a over the folded bytes, the stem after a separator no path holds.
    std::size_t hash = 14695981039346656037ULL;
    const auto add = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    };
    for (const char c : folder)
        add(static_cast<unsigned char>(AsciiLowerChar(c)));
    if (withStem) {
        add(0);
        for (const char c : stem)
            add(static_cast<unsigned char>(AsciiLowerChar(c)));
    }
    return hash;
}

// The folder and the stem of `path` (its name up to the last "."), as a companion rename matches them.
std::size_t UnitKeyOf(const std::string &path)
{
    const std::string_view name = NamePart(path);
    return FoldedKey(FolderPart(path), name.substr(0, name.size() - FileExtension(name).size()), true);
}

std::size_t PathKey(const std::string &path)
{
    return std::hash<std::string_view>()(path);
}

// A name a backup may take: the backup of a file, or an older backup's numbered name, all holding a "~".
bool MayBeBackupName(const std::string &path)
{
    return NamePart(path).find('~') != std::string_view::npos;
}

template <typename TKey> void CountDown(std::unordered_map<TKey, std::uint32_t> &counts, const TKey &key)
{
    const auto it = counts.find(key);
    if (it != counts.end() && --it->second == 0)
        counts.erase(it);
}

} // namespace

TRunOverlay::TRunOverlay(std::size_t memoryBytes)
    : m_memoryBytes(memoryBytes)
{
}

bool TRunOverlay::MayRename(const std::string &path) const
{
    if (!m_mayRename)
        return true;
    const std::string_view name = NamePart(path);
    return m_mayRename(name.substr(0, name.size() - FileExtension(name).size()));
}

void TRunOverlay::ExpectReads(const std::vector<std::string> &files, TMayRenameUnit mayRename)
{
    m_expectsReads = true;
    m_mayRename = std::move(mayRename);
    m_laterReads.clear();
    m_laterUnits.clear();
    m_laterBackupNames.clear();
    for (const std::string &file : files) {
        ++m_laterReads[PathKey(file)];
        if (MayRename(file))
            ++m_laterUnits[UnitKeyOf(file)];
        if (MayBeBackupName(file))
            ++m_laterBackupNames[FoldedKey(FolderPart(file))];
    }
}

void TRunOverlay::BeginRead(const std::string &path)
{
    if (!m_expectsReads)
        return;
    const auto it = m_laterReads.find(PathKey(path));
    if (it == m_laterReads.end())
        return; // not a row of the run: it counts for no later read
    if (--it->second == 0)
        m_laterReads.erase(it);
    if (MayRename(path))
        CountDown(m_laterUnits, UnitKeyOf(path));
    if (MayBeBackupName(path))
        CountDown(m_laterBackupNames, FoldedKey(FolderPart(path)));
}

bool TRunOverlay::KeepsTextOf(const std::string &path) const
{
    if (!m_expectsReads || m_laterReads.contains(PathKey(path)))
        return true;
    // A text reaches another name only through a later row: as the backup of a file it writes over (a name
    // with a "~", in the same folder), or as a companion of the unit it renames (the same folder, and a
    // name starting with that unit's stem and a ".").
    const std::string_view folder = FolderPart(path);
    if (m_laterBackupNames.contains(FoldedKey(folder)))
        return true;
    const std::string_view name = NamePart(path);
    for (std::size_t dot = name.find('.'); dot != std::string_view::npos; dot = name.find('.', dot + 1))
        if (m_laterUnits.contains(FoldedKey(folder, name.substr(0, dot), true)))
            return true;
    return false;
}

TRunOverlay::~TRunOverlay()
{
    if (m_aside >= 0)
        ::close(m_aside);
}

bool TRunOverlay::PutAside(TEntry &entry, std::string_view text)
{
    if (m_aside == -1) {
        // Unnamed: nothing to remove afterwards, and nothing left behind by a kill.
        const char *folder = std::getenv("TMPDIR");
        if (folder == nullptr || *folder == '\0')
            folder = "/tmp";
        m_aside = ::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (m_aside < 0)
            m_aside = -2;
    }
    if (m_aside < 0)
        return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote
            = ::pwrite(m_aside, text.data() + done, text.size() - done, m_asideEnd + static_cast<off_t>(done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false; // a full disk, say: this text stays in memory; the bytes written are never read
        done += static_cast<std::size_t>(wrote);
    }
    entry.PutAside = true;
    entry.AsideOffset = m_asideEnd;
    entry.AsideSize = text.size();
    m_asideEnd += static_cast<off_t>(text.size());
    return true;
}

void TRunOverlay::KeepText(TEntry &entry, const std::string &path, std::string_view text)
{
    entry.HasText = true;
    if (!KeepsTextOf(path)) {
        entry.TextDropped = true;
        return;
    }
    if (m_memoryUsed + text.size() > m_memoryBytes && PutAside(entry, text))
        return;
    m_memoryUsed += text.size();
    entry.Text = std::string(text);
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
    KeepText(entry, path, text);
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
    return m_entries.contains(path);
}

std::size_t TRunOverlay::ReadInto(const std::string &path, std::string &buffer, TFileStamp *stamp) const
{
    const auto it = m_entries.find(path);
    if (it == m_entries.end())
        return ReadFileInto(path, buffer, stamp);
    const TEntry &entry = it->second;
    if (!entry.Exists)
        throw TError(kCannotOpenFile, { PathArg(path), ReasonArg(ENOENT) });
    if (entry.TextDropped) {
        // Only a run that reads other files than it said (ExpectReads) gets here: failing is better than a
        // text that is not the one a real run would read.
        throw TError(kCannotOpenFile, { PathArg(path), ReasonArg(EIO) });
    }
    if (!entry.HasText) {
        const std::size_t length = ReadFileInto(entry.Source, buffer);
        if (stamp != nullptr)
            *stamp = entry.Stamp;
        return length;
    }
    if (entry.PutAside) {
        if (buffer.size() < entry.AsideSize)
            buffer.resize(entry.AsideSize);
        std::size_t done = 0;
        while (done < entry.AsideSize) {
            const ssize_t got = ::pread(
                m_aside, buffer.data() + done, entry.AsideSize - done, entry.AsideOffset + static_cast<off_t>(done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                throw TError(kCannotOpenFile, { PathArg(path), ReasonArg(got < 0 ? errno : EIO) });
            done += static_cast<std::size_t>(got);
        }
        if (stamp != nullptr)
            *stamp = entry.Stamp;
        return entry.AsideSize;
    }
    if (buffer.size() < entry.Text.size())
        buffer.resize(entry.Text.size());
    std::copy(entry.Text.begin(), entry.Text.end(), buffer.begin());
    if (stamp != nullptr)
        *stamp = entry.Stamp;
    return entry.Text.size();
}

} // namespace qvc
