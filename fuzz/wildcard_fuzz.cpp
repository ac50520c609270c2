// WildcardMatch and the mask text split against plain reference versions written from the rule's text.
// Input: first byte = mask length, then the mask (also used as a mask text), then the name.
#include "common/AsciiCase.h"
#include "filelist/FileParams.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void Fail(const char *what, std::string_view mask, std::string_view name)
{
    std::fprintf(stderr, "%s differs for mask \"%.*s\" and name \"%.*s\"\n", what, static_cast<int>(mask.size()),
        mask.data(), static_cast<int>(name.size()), name.data());
    std::abort();
}

bool Fits(char maskChar, char nameChar)
{
    return maskChar == '?' || maskChar == nameChar;
}

// The same rule seen piece by piece: the text before the first "*" must fit at the start; each piece after
// a "*" skips its leading "?" from where the name stands, looks for its first other character, and fits the
// rest of the piece right after it; when the rest does not fit (or, for the last piece, does not reach
// the end of the name) it tries again, "?" included, from just after the character it found.
bool ReferenceMatch(std::string_view mask, std::string_view name)
{
    if (mask.empty() || name.empty())
        return false;
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t star = mask.find('*', start);
        pieces.push_back(mask.substr(start, star == std::string_view::npos ? std::string_view::npos : star - start));
        if (star == std::string_view::npos)
            break;
        start = star + 1;
    }
    const std::string_view head = pieces[0];
    if (pieces.size() == 1 ? head.size() != name.size() : head.size() > name.size())
        return false;
    for (std::size_t i = 0; i < head.size(); ++i)
        if (!Fits(head[i], name[i]))
            return false;
    std::size_t at = head.size();
    for (std::size_t p = 1; p < pieces.size(); ++p) {
        const bool last = p + 1 == pieces.size();
        const std::string_view piece = pieces[p];
        std::size_t questions = 0;
        while (questions < piece.size() && piece[questions] == '?')
            ++questions;
        if (questions == piece.size()) {
            if (at + questions > name.size())
                return false;
            if (last)
                return true;
            at += questions;
            continue;
        }
        const char anchor = piece[questions];
        const std::string_view rest = piece.substr(questions + 1);
        for (std::size_t from = at;;) {
            if (from + questions > name.size())
                return false;
            const std::size_t found = name.find(anchor, from + questions);
            if (found == std::string_view::npos)
                return false;
            std::size_t pos = found + 1;
            bool fitted = true;
            for (const char c : rest) {
                if (pos == name.size())
                    return false;
                if (!Fits(c, name[pos])) {
                    fitted = false;
                    break;
                }
                ++pos;
            }
            if (fitted && (!last || pos == name.size())) {
                at = pos;
                break;
            }
            from = found + 1;
        }
        if (last)
            return true;
    }
    return true;
}

std::vector<std::string> ReferenceSplit(std::string_view text)
{
    std::vector<std::string> masks;
    std::string piece;
    for (const char c : text) {
        if (c == ';') {
            masks.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty())
        masks.push_back(piece);
    return masks;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char *>(data) + 1, size - 1);
    const std::size_t maskLength = std::min<std::size_t>(data[0], input.size());
    const std::string_view mask = input.substr(0, maskLength);
    const std::string_view name = input.substr(maskLength);

    if (qvc::WildcardMatch(mask, name) != ReferenceMatch(mask, name))
        Fail("WildcardMatch", mask, name);

    qvc::TFileParams params;
    params.SetMaskText(mask);
    const std::vector<std::string> expected = ReferenceSplit(mask);
    if (params.FileMasks() != expected)
        Fail("MaskText split", mask, name);
    std::string readBack;
    for (std::size_t i = 0; i < expected.size(); ++i)
        readBack += (i ? ";" : "") + expected[i];
    if (params.MaskText() != readBack)
        Fail("MaskText read", mask, name);
    if (params.FoldedMasks().size() != expected.size())
        Fail("FoldedMasks", mask, name);
    bool passes = expected.empty();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (params.FoldedMasks()[i] != qvc::AsciiUpper(expected[i]))
            Fail("FoldedMasks", mask, name);
        passes = passes || ReferenceMatch(qvc::AsciiUpper(expected[i]), qvc::AsciiUpper(name));
    }
    if (params.Matches(name) != passes)
        Fail("file test", mask, name);
    return 0;
}
