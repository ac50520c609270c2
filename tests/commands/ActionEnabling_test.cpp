#include "commands/ActionEnabling.h"

#include <gtest/gtest.h>
#include <string>

using namespace qvc;

namespace {

// Expected states as a string of 12 flags by Tag ("1" enabled), then bbSaveResult.
struct TCase
{
    const char *name;
    TEnablingSnapshot snapshot;
    const char *enabled; // Tags 0..11
    bool saveResult;
};

TEnablingSnapshot Snap(int page, int files, bool selected, int pairs, bool modified, bool saveResult = false,
    bool language = false, bool result = false)
{
    TEnablingSnapshot s;
    s.Page = page;
    s.Files = files;
    s.AnyFileSelected = selected;
    s.Pairs = pairs;
    s.RepositoryModified = modified;
    s.SaveResultEnabled = saveResult;
    s.LanguageEditorVisible = language;
    s.ResultViewVisible = result;
    return s;
}

class EnablingTest : public ::testing::TestWithParam<TCase>
{
};

} // namespace

TEST_P(EnablingTest, AppliesTheRulesInOrder)
{
    const auto &c = GetParam();
    const auto r = ComputeEnabling(c.snapshot);
    std::string got;
    for (bool b : r.Enabled)
        got += b ? '1' : '0';
    EXPECT_EQ(got, c.enabled);
    EXPECT_EQ(r.SaveResultEnabled, c.saveResult);
}

// Tags:                                                         0123456789AB
INSTANTIATE_TEST_SUITE_P(Rules, EnablingTest,
    ::testing::Values(TCase { "EmptyStart", Snap(0, 0, false, 0, false), "110000100001", false },
        TCase { "FilesAndPairsOnPage0", Snap(0, 3, false, 2, false), "110110111011", false },
        TCase { "SelectionEnablesRemoveOnPage0", Snap(0, 3, true, 2, false), "111110111011", false },
        TCase { "RemoveAndSelectAllOnlyOnPage0", Snap(1, 3, true, 2, false), "110011111011", false },
        TCase { "DeleteLinesOnlyOnPage1", Snap(2, 3, true, 2, false), "110010111011", false },
        // Without pairs there is no line to delete, not even on the repository page.
        TCase { "EmptyListOnTheRepositoryPage", Snap(1, 0, false, 0, false), "110000100001", false },
        TCase { "ModifiedBlocksOpenCopyNewExecute", Snap(1, 3, false, 2, true), "110011000101", false },
        // Deleting the last pair leaves changes to save: Save stays on without pairs.
        TCase { "ModifiedWithoutPairsCanSave", Snap(1, 3, false, 0, true), "110000000101", false },
        TCase { "LanguageEditorDisablesAllButAbout", Snap(0, 3, true, 2, true, true, true), "000000000001", true },
        TCase {
            "ResultViewDisablesAllButAbout", Snap(0, 3, true, 2, false, false, false, true), "000000000001", false },
        TCase { "SaveResultStaysOnWithFiles", Snap(0, 1, false, 0, false, true), "110100100001", true },
        TCase { "SaveResultSwitchedOffWithoutFiles", Snap(0, 0, false, 1, false, true), "110010111001", false },
        TCase { "SaveResultNeverSwitchedOn", Snap(0, 5, false, 1, false, false), "110110111011", false }),
    [](const auto &info) { return std::string(info.param.name); });
