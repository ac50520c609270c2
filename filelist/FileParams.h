#pragma once
// The file masks of the folder search and the wildcard rule by which a mask matches a file name.
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// The masks the file list starts with (and falls back to when the mask text reads as empty).
inline constexpr std::string_view kDefaultFileMask = "*.pas;*.dfm;*.xfm;*.dpr;*.dpk";

/// Matches a mask against a name: "*" any run (none included), "?" exactly one byte, anything else itself.
/// Both are compared byte for byte (fold them first for a case-blind test). An empty mask or name never
/// matches. A "?" right after a "*" is retried only from just after the last character found, so "*?B"
/// refuses "ABB" while it accepts "AB".
bool WildcardMatch(std::string_view mask, std::string_view name);

/// The masks a file name must match: the masks as given and their folded copies.
class TFileParams
{
public:
    /// Starts with one entry holding the whole default mask text (which matches nothing until split).
    TFileParams();

    /// The masks in the order given; entries may be empty.
    const std::vector<std::string> &FileMasks() const { return m_fileMasks; }
    /// Replaces the masks and rebuilds the folded copies.
    void SetFileMasks(std::vector<std::string> masks);
    /// The masks with "a" to "z" turned into "A" to "Z"; every other byte (accented letters too) unchanged.
    const std::vector<std::string> &FoldedMasks() const { return m_foldedMasks; }

    /// The masks joined by ";" (each entry followed by ";", the last ";" dropped); no masks read as "".
    std::string MaskText() const;
    /// Cuts the text at every ";": every piece before a ";" is an entry, even an empty one; the piece after
    /// the last ";" only when it is not empty. Pieces are not trimmed; "" gives no masks.
    void SetMaskText(std::string_view text);

    /// Before a scan: when the mask text reads as empty (no masks, or only one empty mask), the default
    /// masks take over. Returns true when they did.
    bool FallBackToDefaultMask();

    /// The file test of one entry name (bytes): true with no masks, else when a folded mask matches the
    /// name folded the same way.
    bool Matches(std::string_view name) const;

private:
    std::vector<std::string> m_fileMasks;
    std::vector<std::string> m_foldedMasks;
};

} // namespace qvc
