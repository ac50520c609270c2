#pragma once
// One change of the repository's lines as a splice (these lines out, those in, at one row), the unit that the pairs
// grid's undo history keeps: a step is undone by putting the old lines back in place of the new ones.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qvc {

struct TLinesSplice
{
    std::size_t Row = 0; ///< 0-based index of the first line taken out or put in
    std::vector<std::string> Old; ///< the lines that stood at Row before the change
    std::vector<std::string> New; ///< the lines that stand at Row after it

    /// True when the splice changes nothing.
    bool Empty() const { return Old == New; }
};

/// The smallest splice that turns `before` into `after`: the lines both share at the start and, of the rest, at the
/// end are left out. Equal lists give an empty splice at the row where they end.
TLinesSplice DiffLines(const std::vector<std::string> &before, const std::vector<std::string> &after);

/// `first` then `next` as one splice, when `next` takes out exactly the lines `first` put in (same row, next.Old ==
/// first.New); nothing otherwise. The result may be Empty(): the two changes undo each other.
std::optional<TLinesSplice> ChainSplices(const TLinesSplice &first, const TLinesSplice &next);

/// Puts the splice's New lines in place of its Old ones (`undo` false), or its Old lines back in place of its New
/// ones (`undo` true). Throws std::out_of_range, changing nothing, when the lines to take out are not the ones that
/// stand at that row of `lines` (the list was changed outside the history).
void ApplySplice(std::vector<std::string> &lines, const TLinesSplice &splice, bool undo);

} // namespace qvc
