#include "repository/RenameMode.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct TModeCase
{
    const char *name;
    qvc::TRenameMode mode;
    int digit;
    std::string option;
    std::string captionKey;
};

class RenameModeTest : public ::testing::TestWithParam<TModeCase>
{
};

TEST_P(RenameModeTest, NamesDigitAndCaptionBelongToOneChoice)
{
    const TModeCase &c = GetParam();
    EXPECT_EQ(qvc::RenameModeDigit(c.mode), c.digit);
    EXPECT_EQ(qvc::RenameModeOfDigit(c.digit), c.mode);
    EXPECT_EQ(qvc::RenameOptionName(c.mode), c.option);
    EXPECT_EQ(qvc::RenameModeOfOption(c.option), c.mode);
    EXPECT_EQ(qvc::RenameCaptionKey(c.mode), c.captionKey);
}

INSTANTIATE_TEST_SUITE_P(Cases, RenameModeTest,
    ::testing::Values(
        TModeCase { "DelphiToKylix", qvc::TRenameMode::DelphiToKylix, 0, "delphi-to-kylix", "ChangeFileNameItem1" },
        TModeCase { "KylixToDelphi", qvc::TRenameMode::KylixToDelphi, 1, "kylix-to-delphi", "ChangeFileNameItem2" },
        TModeCase { "None", qvc::TRenameMode::None, 2, "none", "ChangeFileNameItem3" },
        TModeCase { "DelphiToLazarus", qvc::TRenameMode::DelphiToLazarus, 3, "delphi-to-lazarus", "" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RenameMode, RefusesUnknownDigitsAndNames)
{
    EXPECT_FALSE(qvc::RenameModeOfDigit(-1));
    EXPECT_FALSE(qvc::RenameModeOfDigit(4));
    EXPECT_FALSE(qvc::RenameModeOfOption("Delphi-To-Kylix"));
    EXPECT_FALSE(qvc::RenameModeOfOption(""));
}

struct TExtensionCase
{
    const char *name;
    qvc::TRenameMode mode;
    std::string extension;
    std::string renamed; // empty: the file keeps its name
};

class RenamedFormExtensionTest : public ::testing::TestWithParam<TExtensionCase>
{
};

TEST_P(RenamedFormExtensionTest, RenamesOnlyTheChoicesOwnForms)
{
    const TExtensionCase &c = GetParam();
    EXPECT_EQ(qvc::RenamedFormExtension(c.mode, c.extension), c.renamed);
}

INSTANTIATE_TEST_SUITE_P(Cases, RenamedFormExtensionTest,
    ::testing::Values(TExtensionCase { "DfmToXfm", qvc::TRenameMode::DelphiToKylix, ".dfm", ".xfm" },
        TExtensionCase { "XfmToDfm", qvc::TRenameMode::KylixToDelphi, ".xfm", ".dfm" },
        TExtensionCase { "DfmToLfm", qvc::TRenameMode::DelphiToLazarus, ".dfm", ".lfm" },
        TExtensionCase { "UpperCaseKeepsItsName", qvc::TRenameMode::DelphiToKylix, ".DFM", "" },
        TExtensionCase { "XfmKeptFromDelphi", qvc::TRenameMode::DelphiToKylix, ".xfm", "" },
        TExtensionCase { "DfmKeptFromKylix", qvc::TRenameMode::KylixToDelphi, ".dfm", "" },
        TExtensionCase { "NothingWithNone", qvc::TRenameMode::None, ".dfm", "" },
        TExtensionCase { "UnitKept", qvc::TRenameMode::DelphiToLazarus, ".pas", "" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
