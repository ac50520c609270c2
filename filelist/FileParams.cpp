#include "filelist/FileParams.h"

#include "common/AsciiCase.h"

namespace qvc {

bool WildcardMatch(std::string_view mask, std::string_view name)
{
    if (mask.empty() || name.empty())
        return false;
    std::size_t m = 0;
    std::size_t n = 0;
    bool starPassed = false;
    // Where a failed direct comparison starts again: just after the last "*" in the mask, just after the
    // last character found by the search phase in the name. Each retry starts further into the name, so
    // the loop ends.
    std::size_t resumeMask = 0;
    std::size_t resumeName = 0;
    bool searching = false;
    for (;;) {
        if (!searching) {
            if (m < mask.size()) {
                const char c = mask[m];
                if (c == '*') {
                    resumeMask = ++m;
                    starPassed = true;
                    searching = true;
                    continue;
                }
                if (n == name.size())
                    return false;
                if (c == '?' || c == name[n]) {
                    ++m;
                    ++n;
                    continue;
                }
            } else if (n == name.size()) {
                return true;
            }
            // The direct comparison failed (a character differs, or the mask ended before the name).
            if (!starPassed)
                return false;
            m = resumeMask;
            n = resumeName;
            searching = true;
            continue;
        }
        if (m == mask.size())
            return true;
        const char c = mask[m];
        if (c == '*') {
            resumeMask = ++m;
            continue;
        }
        if (c == '?') {
            if (n == name.size())
                return false;
            ++m;
            ++n;
            continue;
        }
        const std::size_t found = name.find(c, n);
        if (found == std::string_view::npos)
            return false;
        n = found + 1;
        ++m;
        resumeName = n;
        searching = false;
    }
}

TFileParams::TFileParams()
{
    SetFileMasks({ std::string(kDefaultFileMask) });
}

void TFileParams::SetFileMasks(std::vector<std::string> masks)
{
    m_fileMasks = std::move(masks);
    m_foldedMasks.clear();
    m_foldedMasks.reserve(m_fileMasks.size());
    for (const std::string &mask : m_fileMasks)
        m_foldedMasks.push_back(AsciiUpper(mask));
}

std::string TFileParams::MaskText() const
{
    std::string text;
    for (const std::string &mask : m_fileMasks) {
        text += mask;
        text += ';';
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

void TFileParams::SetMaskText(std::string_view text)
{
    std::vector<std::string> masks;
    std::size_t start = 0;
    for (std::size_t semicolon = text.find(';'); semicolon != std::string_view::npos;
         semicolon = text.find(';', start)) {
        masks.emplace_back(text.substr(start, semicolon - start));
        start = semicolon + 1;
    }
    if (start < text.size())
        masks.emplace_back(text.substr(start));
    SetFileMasks(std::move(masks));
}

bool TFileParams::FallBackToDefaultMask()
{
    if (!MaskText().empty())
        return false;
    SetMaskText(kDefaultFileMask);
    return true;
}

bool TFileParams::Matches(std::string_view name) const
{
    if (m_foldedMasks.empty())
        return true;
    const std::string folded = AsciiUpper(name);
    for (const std::string &mask : m_foldedMasks)
        if (WildcardMatch(mask, folded))
            return true;
    return false;
}

} // namespace qvc
