#include "common/TextLines.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qvc {

namespace {

// A bit for every byte equal to `c` among the `count` (at most 16) bytes at `data`.
std::uint32_t ByteMask(const char *data, std::size_t count, char c)
{
#if defined(__SSE2__)
    if (count == 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data));
        return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
    }
#endif
    std::uint32_t mask = 0;
    for (std::size_t k = 0; k < count; ++k)
        if (data[k] == c)
            mask |= std::uint32_t(1) << k;
    return mask;
}

// A bit for every CR or LF among the `count` (at most 16) bytes at `data`.
std::uint32_t BreakMask(const char *data, std::size_t count)
{
    return ByteMask(data, count, '\r') | ByteMask(data, count, '\n');
}

} // namespace

void FindLineBounds(std::string_view text, std::vector<TLineBounds> &bounds)
{
    bounds.clear();
    const char *data = text.data();
    const std::size_t n = text.size();
    std::size_t start = 0;
    // Sixteen bytes at a time; a LF whose CR ended the line before it lies before `start` and is skipped.
    for (std::size_t base = 0; base < n; base += 16) {
        std::uint32_t mask = BreakMask(data + base, std::min<std::size_t>(16, n - base));
        while (mask != 0) {
            const std::size_t p = base + static_cast<std::size_t>(__builtin_ctz(mask));
            mask &= mask - 1;
            if (p < start)
                continue;
            bounds.push_back({ start, p });
            start = data[p] == '\r' && p + 1 < n && data[p + 1] == '\n' ? p + 2 : p + 1;
        }
    }
    if (start < n)
        bounds.push_back({ start, n });
}

bool IsCrLfText(std::string_view text)
{
    const char *data = text.data();
    const std::size_t n = text.size();
    // Sixteen bytes at a time: every LF must follow a CR, every CR must come before a LF, across the
    // borders of the blocks too.
    std::uint32_t carry = 0; // 1 when the block before ended with a CR
    for (std::size_t base = 0; base < n; base += 16) {
        const std::size_t count = std::min<std::size_t>(16, n - base);
        const std::uint32_t cr = ByteMask(data + base, count, '\r');
        const std::uint32_t lf = ByteMask(data + base, count, '\n');
        const std::uint32_t within = count == 16 ? 0xFFFF : (std::uint32_t(1) << count) - 1;
        if ((((cr << 1) | carry) & within) != lf)
            return false;
        carry = (cr >> (count - 1)) & 1;
    }
    return n == 0 || (carry == 0 && data[n - 1] == '\n');
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<TLineBounds> bounds;
    FindLineBounds(text, bounds);
    std::vector<std::string> lines;
    lines.reserve(bounds.size());
    for (const TLineBounds &line : bounds)
        lines.emplace_back(text.substr(line.Start, line.End - line.Start));
    return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string> &lines)
{
    std::size_t size = 0;
    for (const auto &line : lines)
        size += line.size() + 2;
    std::string out;
    out.reserve(size);
    for (const auto &line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

} // namespace qvc
