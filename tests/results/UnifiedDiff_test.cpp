// The edit script, git's unified diff and the changed words of a line.
#include "results/UnifiedDiff.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The length of a longest common subsequence, by the textbook table.
std::size_t LcsLength(const std::vector<std::string_view> &a, const std::vector<std::string_view> &b)
{
    std::vector<std::vector<std::size_t>> table(a.size() + 1, std::vector<std::size_t>(b.size() + 1, 0));
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j)
            table[i][j] = a[i - 1] == b[j - 1] ? table[i - 1][j - 1] + 1 : std::max(table[i - 1][j], table[i][j - 1]);
    return table[a.size()][b.size()];
}

// Checks that the steps walk both sequences in order, keep only equal elements as Same, and returns how
// many elements they keep.
std::size_t CheckScript(const std::vector<qvc::TDiffStep> &steps, const std::vector<std::string_view> &a,
    const std::vector<std::string_view> &b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t same = 0;
    for (const auto &step : steps) {
        if (step.Kind != qvc::TDiffStep::Added) {
            EXPECT_EQ(step.Old, i);
            ++i;
        }
        if (step.Kind != qvc::TDiffStep::Removed) {
            EXPECT_EQ(step.New, j);
            ++j;
        }
        if (step.Kind == qvc::TDiffStep::Same) {
            EXPECT_EQ(a[step.Old], b[step.New]);
            ++same;
        }
    }
    EXPECT_EQ(i, a.size());
    EXPECT_EQ(j, b.size());
    return same;
}

TEST(DiffSequences, RandomSequencesGetAShortestScript)
{
    const std::vector<std::string_view> alphabet = { "a", "b", "c", "d" };
    std::mt19937 random(14);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string_view> a;
        std::vector<std::string_view> b;
        for (int k = static_cast<int>(random() % 14); k > 0; --k)
            a.push_back(alphabet[random() % alphabet.size()]);
        for (int k = static_cast<int>(random() % 14); k > 0; --k)
            b.push_back(alphabet[random() % alphabet.size()]);
        const auto steps = qvc::DiffSequences(a, b);
        ASSERT_EQ(CheckScript(steps, a, b), LcsLength(a, b)) << "round " << round;
        // With too few edits allowed the script is still valid, only longer.
        CheckScript(qvc::DiffSequences(a, b, 2), a, b);
    }
}

TEST(UnifiedDiff, HunksContextAndLineEnds)
{
    struct TCase
    {
        const char *Name;
        std::string Old;
        std::string New;
        std::string Hunks; // what follows the "+++" line
    };
    const TCase cases[] = {
        { "OneLineChanged", "a\r\nb\r\nc\r\n", "a\r\nB\r\nc\r\n", "@@ -1,3 +1,3 @@\n a\r\n-b\r\n+B\r\n c\r\n" },
        { "LineEndsAlone", "a\nb\n", "a\r\nb\r\n", "@@ -1,2 +1,2 @@\n-a\n-b\n+a\r\n+b\r\n" },
        { "NoFinalLineBreak", "a\r\nb", "a\r\nb\r\n",
            "@@ -1,2 +1,2 @@\n a\r\n-b\n\\ No newline at end of file\n+b\r\n" },
        { "LoneCrSplitsLines", "a\rb\n", "a\r\nb\r\n", "@@ -1 +1,2 @@\n-a\rb\n+a\r\n+b\r\n" },
        { "FarApartGiveTwoHunks", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", "X\n2\n3\n4\n5\n6\n7\n8\n9\nY\n",
            "@@ -1,4 +1,4 @@\n-1\n+X\n 2\n 3\n 4\n@@ -7,4 +7,4 @@\n 7\n 8\n 9\n-10\n+Y\n" },
        { "CloseTogetherJoin", "1\n2\n3\n4\n5\n6\n7\n8\n", "X\n2\n3\n4\n5\n6\n7\nY\n",
            "@@ -1,8 +1,8 @@\n-1\n+X\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+Y\n" },
        { "LinesAdded", "a\n", "a\nb\nc\n", "@@ -1 +1,3 @@\n a\n+b\n+c\n" },
        { "FromNothing", "", "a\nb\n", "@@ -0,0 +1,2 @@\n+a\n+b\n" },
    };
    for (const TCase &c : cases) {
        std::string out;
        qvc::AppendUnifiedDiff(out, { "x.pas", "x.pas", qvc::TDiffChange::Modified, false }, c.Old, c.New);
        EXPECT_EQ(out, "diff --git a/x.pas b/x.pas\n--- a/x.pas\n+++ b/x.pas\n" + c.Hunks) << c.Name;
    }
}

TEST(UnifiedDiff, NamesAsGitWritesThem)
{
    std::string out;
    qvc::AppendUnifiedDiff(
        out, { "my unit.pas", "na\xEFve\t\"x\".pas", qvc::TDiffChange::Renamed, false }, "a\n", "a\n");
    EXPECT_EQ(out,
        "diff --git a/my unit.pas \"b/na\\357ve\\t\\\"x\\\".pas\"\n"
        "similarity index 100%\n"
        "rename from my unit.pas\n"
        "rename to \"na\\357ve\\t\\\"x\\\".pas\"\n");
    out.clear();
    qvc::AppendUnifiedDiff(out, { "my unit.pas", "my unit.pas", qvc::TDiffChange::Modified, false }, "a\n", "b\n");
    EXPECT_EQ(
        out, "diff --git a/my unit.pas b/my unit.pas\n--- a/my unit.pas\t\n+++ b/my unit.pas\t\n@@ -1 +1 @@\n-a\n+b\n");
    out.clear();
    qvc::AppendUnifiedDiff(out, { "x", "x", qvc::TDiffChange::Modified, false }, "same", "same");
    EXPECT_EQ(out, "");
    qvc::AppendUnifiedDiff(out, { "x", "x", qvc::TDiffChange::Modified, false }, std::string("a\0b", 3), "ab");
    EXPECT_EQ(out, "diff --git a/x b/x\nBinary files a/x and b/x differ\n");
}

TEST(DiffPathOf, RelativeToTheCurrentFolder)
{
    EXPECT_EQ(qvc::DiffPathOf("/w/tree/src/a.pas", "/w/tree"), "src/a.pas");
    EXPECT_EQ(qvc::DiffPathOf("/w/tree/src/a.pas", "/w/tree/"), "src/a.pas");
    EXPECT_EQ(qvc::DiffPathOf("./src/../src/a.pas", "/w/tree"), "src/a.pas");
    EXPECT_EQ(qvc::DiffPathOf("/w/other/a.pas", "/w/tree"), "../other/a.pas");
}

TEST(ChangedWordsOf, WordsThatDiffer)
{
    using TRanges = std::vector<std::pair<std::size_t, std::size_t>>;
    const auto words = qvc::ChangedWordsOf("uses Forms, Dialogs;", "uses QForms, Dialogs;");
    EXPECT_EQ(words.Old, (TRanges { { 5, 10 } }));
    EXPECT_EQ(words.New, (TRanges { { 5, 11 } }));
    const auto two = qvc::ChangedWordsOf("x := Forms.A + Forms.B;", "x := QForms.A + QForms.B;");
    EXPECT_EQ(two.New, (TRanges { { 5, 11 }, { 16, 22 } }));
    const auto removed = qvc::ChangedWordsOf("uses Forms, Dialogs;", "uses , Dialogs;");
    EXPECT_EQ(removed.Old, (TRanges { { 5, 10 } }));
    EXPECT_TRUE(removed.New.empty());
    const auto same = qvc::ChangedWordsOf("abc", "abc");
    EXPECT_TRUE(same.Old.empty() && same.New.empty());
}

} // namespace
