#pragma once
// The files as a simulated run has left them so far: what it would have written (with the text), removed
// and renamed, laid over the file system, so that each simulated row sees the earlier rows' effects.
#include "engine/write/FileView.h"
#include "engine/write/WriteStep.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qvc {

/// The bytes of simulated texts a run overlay keeps in memory, in all, before it puts the rest aside.
inline constexpr std::size_t kOverlayMemory = std::size_t(16) << 20;

class TRunOverlay : public TFileView
{
public:
    /// Keeps the texts of simulated rows in memory up to `memoryBytes` in all; later texts go to an unnamed
    /// temporary file (in $TMPDIR, else /tmp) that no kill can leave behind, so a simulated run over a
    /// large tree holds about one file at a time. Where no such file can be made, texts stay in memory.
    explicit TRunOverlay(std::size_t memoryBytes = kOverlayMemory);
    ~TRunOverlay() override;
    TRunOverlay(const TRunOverlay &) = delete;
    TRunOverlay &operator=(const TRunOverlay &) = delete;

    TFileStamp Stamp(const std::string &path) const override;
    bool Present(const std::string &path) const override;
    bool WritableRegular(const std::string &path) const override;
    std::vector<std::string> Names(const std::string &folder) const override;

    /// Whether a unit whose base name (its file name without the extension) is `stem` may be renamed.
    using TMayRenameUnit = std::function<bool(std::string_view stem)>;
    /// The files the rows of the run read, in row order. From then on a simulated row's text is kept only
    /// when a later row may read it: under its own name, or moved there by a later row (a backup, or a
    /// companion renamed with its unit, for the units `mayRename` allows; empty: any unit); the other texts
    /// count only by their size. Without it every text is kept.
    void ExpectReads(const std::vector<std::string> &files, TMayRenameUnit mayRename = {});
    /// The row reading `path` begins: it is no longer a later row (see ExpectReads).
    void BeginRead(const std::string &path);
    /// Whether a text written as `path` now would be kept (always, without ExpectReads).
    bool KeepsTextOf(const std::string &path) const;

    /// Takes in the effects of a planned writing of `text`.
    void Apply(const TWritePlan &plan, std::string_view text);
    /// Takes in a file written where none was (a form under its new extension).
    void Created(const std::string &path, std::string_view text);
    /// Whether the overlay decides what reading `path` gives.
    bool Knows(const std::string &path) const;
    /// Reads `path` as the overlay has it into the first bytes of `buffer`: the text a simulated row
    /// wrote, or the bytes of the file it came from. Throws TError "Cannot open file "%s". %s" for a
    /// file removed or renamed away.
    std::size_t ReadInto(const std::string &path, std::string &buffer, TFileStamp *stamp) const;

private:
    struct TEntry
    {
        bool Exists = false;
        TFileStamp Stamp;
        bool HasText = false;
        bool TextDropped = false; ///< no later row could read the text, which was not kept
        std::string Text; ///< the text, when kept in memory
        bool PutAside = false; ///< the text is in the temporary file instead, from AsideOffset on
        off_t AsideOffset = 0;
        std::size_t AsideSize = 0;
        std::string Source; ///< a file on disk holding its bytes (a renamed or backed-up file)
    };
    void Put(const std::string &path, TEntry entry);
    TEntry EntryOf(const std::string &path) const;
    void KeepText(TEntry &entry, const std::string &path, std::string_view text);
    bool PutAside(TEntry &entry, std::string_view text);

    // The reads of the rows still to come (ExpectReads), by hashes: of the path, of the folder and stem (the
    // unit a later row reads, whose companions it may rename), and of the folder for names a backup may take
    // (holding a "~"). Names that share a hash by chance only keep a text longer.
    bool m_expectsReads = false;
    TMayRenameUnit m_mayRename;
    bool MayRename(const std::string &path) const;
    std::unordered_map<std::size_t, std::uint32_t> m_laterReads;
    std::unordered_map<std::size_t, std::uint32_t> m_laterUnits;
    std::unordered_map<std::size_t, std::uint32_t> m_laterBackupNames;

    std::map<std::string, TEntry> m_entries;
    ino_t m_nextInode = 1;
    std::size_t m_memoryBytes;
    std::size_t m_memoryUsed = 0;
    // The temporary file of the texts put aside: -1 until the first one, -2 when none could be made.
    int m_aside = -1;
    off_t m_asideEnd = 0;
};

} // namespace qvc
