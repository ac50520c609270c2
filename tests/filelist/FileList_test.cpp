#include "filelist/FileList.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

using qvc::TFileList;
using qvc::TFileRow;
using qvc::TListLocale;
using qvc::TResultStore;

namespace {

std::vector<std::size_t> Numbers(const TFileList &list)
{
    std::vector<std::size_t> numbers;
    for (const TFileRow &row : list.Rows())
        numbers.push_back(row.Number);
    return numbers;
}

std::vector<std::string> Names(const TFileList &list)
{
    std::vector<std::string> names;
    for (const TFileRow &row : list.Rows())
        names.push_back(row.FileName);
    return names;
}

TEST(FileList, NewRowShowsDashesAndImageEight)
{
    TResultStore store;
    TFileList list(store);
    ASSERT_TRUE(list.AddFileToList(" /src/Unit1.pas"));
    const TFileRow &row = list.Rows().at(0);
    EXPECT_EQ(row.NumberText(), "0");
    EXPECT_EQ(row.FileName, " /src/Unit1.pas");
    EXPECT_FALSE(row.Processed());
    EXPECT_EQ(qvc::UpdatesText(row, "."), "-");
    EXPECT_EQ(qvc::StatusText(row), "-");
    EXPECT_EQ(qvc::TimeText(row, ":"), "-");
    EXPECT_EQ(row.StateImage, 8);
    EXPECT_EQ(store.Count(), 1u);
}

TEST(FileList, NumbersAreGivenOnceForGood)
{
    TResultStore store;
    TFileList list(store);
    for (const char *name : { "A", "B", "C" })
        list.AddFileToList(name);
    EXPECT_EQ(list.RemoveRows({ 1 }), 1u);
    list.AddFileToList("D");
    EXPECT_EQ(Numbers(list), (std::vector<std::size_t> { 0, 2, 3 }));
    EXPECT_EQ(store.Count(), 4u) << "a removed row's slot stays";
    list.AddFileToList("B");
    EXPECT_EQ(Numbers(list), (std::vector<std::size_t> { 0, 2, 3, 4 }))
        << "a removed file comes back with a new number";
    EXPECT_EQ(list.PositionOfNumber(4), 3);
    EXPECT_EQ(list.PositionOfNumber(1), -1);
}

TEST(FileList, ListedNameAddsNothing)
{
    TResultStore store;
    TFileList list(store);
    list.AddFileToList("/p/Unit1.pas");
    EXPECT_FALSE(list.AddFileToList("/p/Unit1.pas"));
    EXPECT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(store.Count(), 1u);
    EXPECT_EQ(list.ListedFileNames(), std::vector<std::string> { "/p/Unit1.pas" });
    // Another letter case is another file unless both name one existing file (ListedFileNames_test).
    EXPECT_TRUE(list.AddFileToList("/P/UNIT1.PAS"));
    EXPECT_EQ(store.Count(), 2u);
}

TEST(FileList, RemoveForgetsTheNameAndKeepsTheLongestLength)
{
    TResultStore store;
    TFileList list(store);
    for (const char *name : { "a.pas", "a-much-longer-name.pas", "c.pas", "d.pas" })
        list.AddFileToList(name);
    EXPECT_EQ(list.RemoveRows({ 3, 1, 1, 99 }), 2u);
    EXPECT_EQ(Names(list), (std::vector<std::string> { "a.pas", "c.pas" }));
    EXPECT_EQ(list.ListedFileNames(), (std::vector<std::string> { "a.pas", "c.pas" }));
    EXPECT_EQ(list.MaxFileNameLength(), 22u);
    EXPECT_TRUE(list.AddFileToList("A-MUCH-LONGER-NAME.PAS"));
    EXPECT_EQ(list.RemoveRows({}), 0u);
    EXPECT_THROW(list.Row(3), qvc::TError);
}

TEST(FileList, NameLengthCountsCharactersAsTheReportPrintsThem)
{
    TResultStore store;
    TFileList list(store);
    list.AddFileToList("/src/A\xC3\xA7\xC3\xA3o.pas"); // UTF-8 "Ação": 4 characters, 6 bytes
    EXPECT_EQ(list.MaxFileNameLength(), 13u);
    list.AddFileToList("/src/\xE2\x82\xAC\xE4\xB8\xAD"); // euro sign (in Windows-1252) and a CJK letter ("?")
    EXPECT_EQ(list.MaxFileNameLength(), 13u);
}

struct TCellCase
{
    const char *name;
    std::optional<long long> count;
    std::optional<int> percent;
    std::optional<long double> seconds;
    std::string updates, status, time;
};

class RowTextsTest : public ::testing::TestWithParam<TCellCase>
{
};

TEST_P(RowTextsTest, NumbersShownAsTheCellsShowThem)
{
    TFileRow row;
    row.Count = GetParam().count;
    row.Percent = GetParam().percent;
    row.Seconds = GetParam().seconds;
    EXPECT_EQ(qvc::UpdatesText(row, "."), GetParam().updates);
    EXPECT_EQ(qvc::StatusText(row), GetParam().status);
    EXPECT_EQ(qvc::TimeText(row, ":"), GetParam().time);
    row.Forget();
    EXPECT_EQ(qvc::UpdatesText(row, ".") + qvc::StatusText(row) + qvc::TimeText(row, ":"), "---");
}

INSTANTIATE_TEST_SUITE_P(Cases, RowTextsTest,
    ::testing::Values(TCellCase { "NotProcessed", {}, {}, {}, "-", "-", "-" },
        TCellCase { "Zero", 0, 100, 0.0L, "0", "100%", "00:00:00" },
        TCellCase { "Failed", -1, {}, 0.25L, "-1", "-", "00:00:00" },
        TCellCase { "Grouped", 1234, 20, 75.2L, "1.234", "20%", "00:01:15" },
        TCellCase { "TwoGroups", 2147483647LL, 5, 3600.0L, "2.147.483.647", "5%", "01:00:00" }),
    [](const auto &info) { return std::string(info.param.name); });

class FileListSort : public ::testing::Test
{
protected:
    void Add(const std::string &name, std::optional<long long> count, std::optional<int> percent,
        std::optional<long double> seconds)
    {
        list.AddFileToList(name);
        TFileRow &row = list.Row(list.RowCount() - 1);
        row.Count = count;
        row.Percent = percent;
        row.Seconds = seconds;
    }

    TResultStore store;
    TFileList list { store };
};

TEST_F(FileListSort, UpdatesSortAsNumbers)
{
    Add("a", 12, 100, 1);
    Add("b", {}, {}, {});
    Add("c", 1234, 20, 60);
    Add("d", -1, 100, 0);
    Add("e", 0, 100, 0);
    Add("f", 999, 100, 0);
    ASSERT_TRUE(list.SortByColumn(2));
    EXPECT_EQ(Names(list), (std::vector<std::string> { "d", "b", "e", "a", "f", "c" }));
    ASSERT_TRUE(list.SortByColumn(2));
    EXPECT_EQ(Names(list), (std::vector<std::string> { "c", "f", "a", "b", "e", "d" }));
}

TEST_F(FileListSort, TextColumnsIgnoreCaseAndSortAsText)
{
    Add("/p/b.PAS", 1, 20, 10);
    Add("/p/A.pas", 1, 100, 2);
    Add("/p/c.pas", 1, {}, 1);
    list.SortByColumn(1);
    EXPECT_EQ(Names(list), (std::vector<std::string> { "/p/A.pas", "/p/b.PAS", "/p/c.pas" }));
    list.SortByColumn(3);
    EXPECT_EQ(Names(list), (std::vector<std::string> { "/p/c.pas", "/p/A.pas", "/p/b.PAS" })) << "- < 100% < 20%";
    list.SortByColumn(4);
    EXPECT_EQ(Names(list), (std::vector<std::string> { "/p/c.pas", "/p/A.pas", "/p/b.PAS" }));
}

TEST_F(FileListSort, SuppliedCollationDecides)
{
    TListLocale reversed = TListLocale::Ascii();
    reversed.Collate = [](std::string_view a, std::string_view b) { return b.compare(a); };
    TFileList other(store, reversed);
    for (const char *name : { "b", "C", "a" })
        other.AddFileToList(name);
    other.SortByColumn(1);
    EXPECT_EQ(Names(other), (std::vector<std::string> { "C", "b", "a" }));
}

TEST_F(FileListSort, HeaderPicturesFollowTheClicks)
{
    using Pictures = std::array<int, qvc::kFileListColumns>;
    Add("b", 2, 50, 1);
    Add("a", 1, 50, 1);
    EXPECT_EQ(list.HeaderPictures(), (Pictures { 0, 0, 0, 0, 0 }));
    list.SortByColumn(1);
    EXPECT_EQ(list.HeaderPictures(), (Pictures { 0, 2, 0, 0, 0 })) << "ascending shows the downward triangle";
    list.SortByColumn(1);
    EXPECT_EQ(list.HeaderPictures(), (Pictures { 0, 1, 0, 0, 0 }));
    EXPECT_EQ(Names(list), (std::vector<std::string> { "b", "a" }));
    list.SortByColumn(1);
    EXPECT_EQ(list.HeaderPictures(), (Pictures { 0, 2, 0, 0, 0 })) << "the up triangle sorts ascending again";
    list.SortByColumn(2);
    EXPECT_EQ(list.HeaderPictures(), (Pictures { 0, 0, 2, 0, 0 })) << "another column starts ascending";
    EXPECT_FALSE(list.SortByColumn(0));
    EXPECT_EQ(list.HeaderPictures(), (Pictures { 0, 0, 2, 0, 0 }));
    list.AddFileToList("0");
    EXPECT_EQ(Names(list).back(), "0") << "rows added after a sort are appended";
}

TEST_F(FileListSort, EmptyListStillTurnsTheTriangle)
{
    list.SortByColumn(1);
    list.SortByColumn(1);
    EXPECT_EQ(list.HeaderPictures()[1], 1);
}

} // namespace
