#pragma once
// The files as a simulated run has left them so far: what it would have written (with the text), removed
// and renamed, laid over the file system, so that each simulated row sees the earlier rows' effects.
#include "engine/FileView.h"
#include "engine/WriteStep.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

class TRunOverlay : public TFileView
{
public:
    TFileStamp Stamp(const std::string &path) const override;
    bool Present(const std::string &path) const override;
    bool WritableRegular(const std::string &path) const override;
    std::vector<std::string> Names(const std::string &folder) const override;

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
        std::string Text;
        std::string Source; ///< a file on disk holding its bytes (a renamed or backed-up file)
    };
    void Put(const std::string &path, TEntry entry);
    TEntry EntryOf(const std::string &path) const;

    std::map<std::string, TEntry> m_entries;
    ino_t m_nextInode = 1;
};

} // namespace qvc
