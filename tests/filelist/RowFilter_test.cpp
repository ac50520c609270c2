// Which rows each choice of the list's filter shows.
#include "filelist/RowFilter.h"

#include <gtest/gtest.h>

namespace {

qvc::TFileRow RowWith(std::optional<long long> count, bool failed = false)
{
    qvc::TFileRow row;
    row.Count = count;
    if (failed)
        row.FailureReason = qvc::TMessage("Unable to backup file.");
    return row;
}

} // namespace

TEST(RowFilter, EachChoiceAgainstEachKindOfRow)
{
    using F = qvc::TRowFilter;
    struct TCase
    {
        const char *Name = nullptr;
        qvc::TFileRow Row;
        qvc::TRowMarks Marks;
        bool All = false;
        bool Changed = false;
        bool Failed = false;
        bool Missed = false;
        bool Overwrites = false;
    };
    const TCase cases[] = {
        { "not converted", RowWith({}), {}, true, false, false, false, false },
        { "unchanged", RowWith(0), {}, true, false, false, false, false },
        { "changed, large count", RowWith(1234), {}, true, true, false, false, false },
        { "failed to read", RowWith(-1, true), {}, true, false, true, false, false },
        // A failed write keeps the row's "-" and its image, but has its reason.
        { "failed to write", RowWith({}, true), {}, true, false, true, false, false },
        { "misses", RowWith(0), { 2, false }, true, false, false, true, false },
        { "overwrites", RowWith(3), { 0, true }, true, true, false, false, true },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(qvc::RowShown(F::All, c.Row, c.Marks), c.All);
        EXPECT_EQ(qvc::RowShown(F::Changed, c.Row, c.Marks), c.Changed);
        EXPECT_EQ(qvc::RowShown(F::Failed, c.Row, c.Marks), c.Failed);
        EXPECT_EQ(qvc::RowShown(F::Missed, c.Row, c.Marks), c.Missed);
        EXPECT_EQ(qvc::RowShown(F::Overwrites, c.Row, c.Marks), c.Overwrites);
    }
}

TEST(RowFilter, ChoiceNumbers)
{
    EXPECT_EQ(qvc::RowFilterOf(2), qvc::TRowFilter::Failed);
    EXPECT_EQ(qvc::RowFilterOf(4), qvc::TRowFilter::Overwrites);
    for (const int outside : { -1, 5, 1000 })
        EXPECT_EQ(qvc::RowFilterOf(outside), qvc::TRowFilter::All);
}
