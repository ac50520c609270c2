#pragma once
// Which rows of the file list a filter shows. The filter hides rows only: the list, its numbers and its
// order stay as they are, and a run converts every row.
#include "filelist/FileList.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace qvc {

enum class TRowFilter {
    All, ///< every row
    Changed, ///< the last run made replacements in the file (simulating: would have)
    Failed, ///< the last run could not read, convert or write the file
    Missed, ///< the last run left occurrences in place in the file
    Overwrites, ///< the last run replaces (or would replace) a file it did not read
};

inline constexpr std::size_t kRowFilterCount = 5;

/// What the last run left on a row, beyond its cells.
struct TRowMarks
{
    std::size_t Missed = 0; ///< occurrences left in place (0 for a row the run did not convert)
    bool Overwrites = false;
};

/// Whether `filter` shows `row`; counts are read with `thousandsSeparator` ("1.234").
bool RowShown(TRowFilter filter, const TFileRow &row, const TRowMarks &marks);

/// The filter's choice for a number stored or chosen (0 to 4); All for anything else.
TRowFilter RowFilterOf(int index);

} // namespace qvc
