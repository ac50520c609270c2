#include "repository/LinesSplice.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace qvc {

TLinesSplice DiffLines(const std::vector<std::string> &before, const std::vector<std::string> &after)
{
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    TLinesSplice splice;
    splice.Row = head;
    splice.Old.assign(before.begin() + std::ptrdiff_t(head), before.end() - std::ptrdiff_t(tail));
    splice.New.assign(after.begin() + std::ptrdiff_t(head), after.end() - std::ptrdiff_t(tail));
    return splice;
}

std::optional<TLinesSplice> ChainSplices(const TLinesSplice &first, const TLinesSplice &next)
{
    if (next.Row != first.Row || next.Old != first.New)
        return std::nullopt;
    return TLinesSplice { first.Row, first.Old, next.New };
}

void ApplySplice(std::vector<std::string> &lines, const TLinesSplice &splice, bool undo)
{
    const std::vector<std::string> &out = undo ? splice.New : splice.Old;
    const std::vector<std::string> &in = undo ? splice.Old : splice.New;
    if (splice.Row > lines.size() || out.size() > lines.size() - splice.Row)
        throw std::out_of_range("ApplySplice");
    const auto at = lines.begin() + std::ptrdiff_t(splice.Row);
    if (!std::equal(out.begin(), out.end(), at))
        throw std::out_of_range("ApplySplice");
    const auto rest = lines.erase(at, at + std::ptrdiff_t(out.size()));
    lines.insert(rest, in.begin(), in.end());
}

} // namespace qvc
