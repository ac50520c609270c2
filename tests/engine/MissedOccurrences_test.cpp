// The occurrences the pass leaves in place, and why: one table row per rule and per rule's non-case.
#include "EngineFixture.h"
#include "FakeConversionView.h"

#include "engine/pass/SubstitutionPass.h"

#include <ostream>

namespace {

using Lines = std::vector<std::string>;

struct TMissCase
{
    const char *Name;
    Lines Pairs;
    Lines Text;
    // Expected misses as "line:column find (reason)".
    Lines Missed;
};

std::string Describe(const qvc::TMissedOccurrence &miss)
{
    return std::to_string(miss.Line) + ":" + std::to_string(miss.Column) + " " + miss.Find + " ("
        + std::string(qvc::MissReasonText(miss.Reason)) + ")";
}

constexpr const char *kSecond = "second occurrence on the line";
constexpr const char *kHolds = "the line already holds the replace text";
constexpr const char *kInside = "an earlier occurrence inside a longer word";

std::string Miss(int line, int column, const std::string &find, const char *reason)
{
    return std::to_string(line) + ":" + std::to_string(column) + " " + find + " (" + reason + ")";
}

const TMissCase kCases[] = {
    // The examples of the feature's description.
    { "SecondOccurrence", { "Forms=QForms" }, { "x := Forms.A + Forms.B;" }, { Miss(1, 17, "Forms", kSecond) } },
    { "AlreadyHoldsReplace", { "Forms=QForms" }, { "uses QForms, Forms;" }, { Miss(1, 14, "Forms", kHolds) } },
    { "InsideLongerWord", { "Forms=QForms" }, { "y := MyForms + Forms;" }, { Miss(1, 16, "Forms", kInside) } },
    { "InsideReplaceText", { "Forms=Vcl.Forms" }, { "uses Vcl.Forms;" }, {} },
    // Non-cases: what is left but is no word of its own, or lies in the replace text.
    { "SecondIsInsideAWord", { "Forms=QForms" }, { "x := Forms.A + MyForms.B;" }, {} },
    { "HeldButNoWord", { "Forms=QForms" }, { "uses QForms, MyForms, FormsX;" }, {} },
    { "InsideAndNoWord", { "Forms=QForms" }, { "y := MyForms + FormsX;" }, {} },
    { "AllReplacedWithEmpty", { "Forms=" }, { "uses Forms, Forms;" }, {} },
    { "NothingFound", { "Forms=QForms" }, { "uses Dialogs;" }, {} },
    { "BlankFind", { "  =x" }, { "a   b" }, {} },
    // An empty replace text: always the longer word, never the second occurrence.
    { "EmptyReplaceStopsAtLongerWord", { "Forms=" }, { "uses Forms, MyForms, Forms;" },
        { Miss(1, 17, "Forms", kInside) } },
    // The word tests of the pass, taken one occurrence at a time.
    { "UnderscoreIsASeparator", { "Forms=QForms" }, { "y := MyForms + Forms_1;" }, { Miss(1, 16, "Forms", kInside) } },
    { "FindEndingInUnderscore", { "Btn_=b_" }, { "xBtn_ Btn_Ok" }, { Miss(1, 7, "Btn_", kInside) } },
    { "LetterCaseFolded", { "Forms=QForms" }, { "uses QForms, FORMS;" }, { Miss(1, 14, "Forms", kHolds) } },
    { "AccentedLetterSeparates", { "Forms=QForms" },
        { "uses QForms, \xE9"
          "Forms;" },
        { Miss(1, 15, "Forms", kHolds) } },
    { "EveryOccurrenceCounts", { "Forms=QForms" }, { "Forms Forms Forms" },
        { Miss(1, 8, "Forms", kSecond), Miss(1, 14, "Forms", kSecond) } },
    { "ReplaceHoldingFindCoversIt", { "Forms=Forms2" }, { "uses Forms2, Forms;" }, { Miss(1, 14, "Forms", kHolds) } },
    // A later pair with the same find text (letter case ignored) decides about its text on the line...
    { "LaterPairSameFindRecomputes", { "Forms=QForms", "FORMS=" }, { "x := Forms.A + Forms.B;" },
        { Miss(1, 17, "FORMS", kInside) } },
    { "LaterPairSameFindClears", { "Forms=QForms", "forms=Forms" }, { "x := Forms.A + Forms.B;" }, {} },
    // ... a pair with another find text does not.
    { "LaterPairOtherFindKeeps", { "Forms=QForms", "Forms.B=Z" }, { "x := Forms.A + Forms.B;" },
        { Miss(1, 17, "Forms", kSecond) } },
    // A line an earlier pair changed is visited twice by a later one; the second visit changes nothing.
    { "LineVisitedTwice", { "Dialogs=QDialogs", "Forms=QForms" }, { "uses Dialogs, Forms, Forms;" },
        { Miss(1, 24, "Forms", kSecond) } },
    { "LinesCountFromOne", { "Forms=QForms" }, { "unit A;", "", "uses Forms, Forms;" },
        { Miss(3, 14, "Forms", kSecond) } },
};

class MissedOccurrences : public ::testing::TestWithParam<TMissCase>
{
};

TEST_P(MissedOccurrences, ByTheRules)
{
    const TMissCase &c = GetParam();
    qvc::TSubstitutionPass pass(c.Pairs);
    Lines lines = c.Text;
    std::string newName;
    qvc::TConversionResult results;
    pass.ApplyAll(lines, "/t/unit.pas", newName, results);
    Lines missed;
    for (const auto &miss : pass.MissedOccurrences())
        missed.push_back(Describe(miss));
    EXPECT_EQ(missed, c.Missed);
}

INSTANTIATE_TEST_SUITE_P(Rules, MissedOccurrences, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<TMissCase> &info) { return std::string(info.param.Name); });

class MissedInFiles : public TEngineFolderTest
{
};

TEST_F(MissedInFiles, LinesCountInTheFileTextWhateverItsLineEnds)
{
    // CR LF, lone CR and lone LF each end a line; the lines between the ones the pairs look at count too.
    const std::string path = Write("u.pas", "unit u;\r\ninterface\ruses\n\r\nForms, Forms;\r\nend.");
    qvc::TSubstitutionPass pass({ "Forms=QForms", "unit=unit" });
    TFakeConversionView view;
    view.Rows.assign(1, TFakeRow {});
    qvc::TPassReport report;
    qvc::TConversionResult results;
    ASSERT_EQ(pass.ConvertFile(0, path, { qvc::TRenameMode(2), false, true }, results, view, report), 1);
    ASSERT_EQ(report.Missed.size(), 1u);
    EXPECT_EQ(Describe(report.Missed[0]), Miss(5, 9, "Forms", kSecond));
    // The written bytes are not the misses' business: simulating wrote nothing.
    EXPECT_EQ(qvc::ReadFileBytes(path), "unit u;\r\ninterface\ruses\n\r\nForms, Forms;\r\nend.");
}

TEST_F(MissedInFiles, FailedFileHasNone)
{
    qvc::TSubstitutionPass pass({ "Forms=QForms" });
    TFakeConversionView view;
    view.Rows.assign(1, TFakeRow {});
    qvc::TPassReport report;
    qvc::TConversionResult results;
    const std::string good = Write("good.pas", "Forms Forms\r\n");
    ASSERT_EQ(pass.ConvertFile(0, good, { qvc::TRenameMode(2), false, true }, results, view, report), 1);
    EXPECT_EQ(report.Missed.size(), 1u);
    EXPECT_EQ(
        pass.ConvertFile(0, Path("missing.pas"), { qvc::TRenameMode(2), false, true }, results, view, report), -1);
    EXPECT_TRUE(report.Missed.empty());
}

} // namespace
