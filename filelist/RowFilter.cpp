#include "filelist/RowFilter.h"

namespace qvc {

bool RowShown(TRowFilter filter, const TFileRow &row, const TRowMarks &marks)
{
    switch (filter) {
    case TRowFilter::All:
        return true;
    case TRowFilter::Changed:
        return row.Count.value_or(0) > 0;
    case TRowFilter::Failed:
        // A file that could not be written keeps the cells the run left, but not its reason.
        return !row.FailureReason.Empty();
    case TRowFilter::Missed:
        return marks.Missed > 0;
    case TRowFilter::Overwrites:
        return marks.Overwrites;
    }
    return true;
}

TRowFilter RowFilterOf(int index)
{
    return index > 0 && index < static_cast<int>(kRowFilterCount) ? static_cast<TRowFilter>(index) : TRowFilter::All;
}

} // namespace qvc
