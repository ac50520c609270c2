#include "EngineFixture.h"
#include "FakeConversionView.h"

#include "common/Errors.h"
#include "common/TextLines.h"
#include "engine/pass/FastTime.h"
#include "engine/pass/Separator.h"
#include "engine/pass/SubstitutionPass.h"

#include <random>
#include <sys/stat.h>

namespace {

using Lines = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------------
// ApplyPair: the rules of one pair over the lines of a file.

struct TPairCase
{
    const char *Name;
    Lines Input;
    const char *Find;
    const char *Replace;
    Lines Expected;
    int Count;
};

const TPairCase kPairCases[] = {
    { "FirstOccurrenceOnly", { "uses Alpha, Beta, Alpha;" }, "Alpha", "NewAlpha", { "uses NewAlpha, Beta, Alpha;" },
        1 },
    { "LineHoldingReplaceGetsNone", { "uses Alpha, NewAlpha;" }, "Alpha", "NewAlpha", { "uses Alpha, NewAlpha;" }, 0 },
    { "FirstOccurrenceInsideWordDecides", { "TAlpha1 = class(TAlpha)" }, "Alpha", "NewAlpha",
        { "TAlpha1 = class(TAlpha)" }, 0 },
    { "EmptyReplaceDeletesRepeatedly", { "uses Alpha, Alpha;" }, "Alpha", "", { "uses , ;" }, 2 },
    { "EmptyReplaceStopsAtFirstFailingOccurrence", { "Alpha Alpha1 Alpha" }, "Alpha", "", { " Alpha1 Alpha" }, 1 },
    { "AtLineStartAndEnd", { "Alpha", "x Alpha", "Alpha x" }, "Alpha", "Beta", { "Beta", "x Beta", "Beta x" }, 3 },
    { "AsciiCaseIgnored", { "uses ALPHA;", "uses alpha;" }, "Alpha", "Beta", { "uses Beta;", "uses Beta;" }, 2 },
    { "ReplaceCheckCountsCase", { "beta ALPHA" }, "Alpha", "Beta", { "beta Beta" }, 1 },
    { "UnderscoreIsASeparator", { "My_Alpha", "Alpha_Util" }, "Alpha", "Beta", { "My_Beta", "Beta_Util" }, 2 },
    { "FindEndingInUnderscoreMatchesPrefix", { "if Key = VK_RETURN then" }, "VK_", "Key_",
        { "if Key = Key_RETURN then" }, 1 },
    { "LetterAfterEndsNoMatch", { "Alpha1" }, "Alpha", "Beta", { "Alpha1" }, 0 },
    { "DigitBeforeEndsNoMatch", { "1Alpha" }, "Alpha", "Beta", { "1Alpha" }, 0 },
    { "HighBytesAreSeparators",
        { "\xE9"
          "Alpha\xE7" },
        "Alpha", "Beta",
        { "\xE9"
          "Beta\xE7" },
        1 },
    { "HighBytesDoNotFold", { "\xE9lan" }, "\xC9lan", "X", { "\xE9lan" }, 0 },
    { "FindUsedUntrimmed", { "x, Alpha;", "uses Alpha;" }, " Alpha", "Beta", { "x,Beta;", "uses Alpha;" }, 1 },
    { "BlankFindDoesNothing", { "  x  " }, "  ", "y", { "  x  " }, 0 },
    { "EmptyFindDoesNothing", { "x" }, "", "y", { "x" }, 0 },
    { "ReplaceContainingFindOncePerLine", { "a a a" }, "a", "aa", { "aa a a" }, 1 },
    { "BlankLinesUntouched", { "", "  ", "Alpha" }, "Alpha", "Beta", { "", "  ", "Beta" }, 1 },
    { "ReplaceMayHoldEquals", { "x := Alpha;" }, "Alpha", "B=C", { "x := B=C;" }, 1 },
    { "NulIsASeparator", { std::string("a\0Alpha", 7) }, "Alpha", "B", { std::string("a\0B", 3) }, 1 },
};

class ApplyPairTest : public ::testing::TestWithParam<TPairCase>
{
};

TEST_P(ApplyPairTest, FollowsTheRules)
{
    const auto &c = GetParam();
    Lines lines = c.Input;
    std::string newName;
    qvc::TConversionResult results;
    EXPECT_EQ(qvc::ApplyPair(lines, c.Find, c.Replace, "/src/Other.pas", newName, results), c.Count);
    EXPECT_EQ(lines, c.Expected);
    EXPECT_EQ(results.Total(), c.Count);
    if (c.Count > 0) {
        ASSERT_EQ(results.Entries().size(), 1u);
        EXPECT_EQ(results.Entries()[0].Find, c.Find);
        EXPECT_EQ(results.Entries()[0].Replace, c.Replace);
    }
    // The optimised pass gives exactly the same.
    Lines viaPass = c.Input;
    std::string passNewName;
    qvc::TConversionResult passResults;
    qvc::TSubstitutionPass pass({ std::string(c.Find) + "=" + c.Replace });
    EXPECT_EQ(pass.ApplyAll(viaPass, "/src/Other.pas", passNewName, passResults), c.Count);
    EXPECT_EQ(viaPass, c.Expected);
    EXPECT_EQ(passResults, results);
}

INSTANTIATE_TEST_SUITE_P(Cases, ApplyPairTest, ::testing::ValuesIn(kPairCases),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(SubstitutionPass, EntriesMergeByTextIgnoringCaseInOrderOfFirstReplacement)
{
    qvc::TSubstitutionPass pass({ "Gamma=Delta", "Alpha=Beta", "ALPHA=beta", "=orphan", "  =x" });
    Lines lines { "Alpha", "Alpha Beta", "Gamma" };
    std::string newName;
    qvc::TConversionResult results;
    EXPECT_EQ(pass.ApplyAll(lines, "/d/x.pas", newName, results), 3);
    EXPECT_EQ(lines, (Lines { "Beta", "beta Beta", "Delta" }));
    ASSERT_EQ(results.Entries().size(), 2u);
    EXPECT_EQ(results.Entries()[0], (qvc::TResultEntry { "Gamma", "Delta", 1 }));
    EXPECT_EQ(results.Entries()[1], (qvc::TResultEntry { "Alpha", "Beta", 2 }));
    EXPECT_EQ(pass.PairCount(), 5u);
}

TEST(SubstitutionPass, LaterPairsSeeTheTextOfEarlierOnes)
{
    qvc::TSubstitutionPass pass({ "Alpha=Beta", "Beta=Gamma", "Gamma=", "Delta=Alpha" });
    Lines lines { "x Alpha y", "Delta" };
    std::string newName;
    qvc::TConversionResult results;
    EXPECT_EQ(pass.ApplyAll(lines, "/d/x.pas", newName, results), 4);
    EXPECT_EQ(lines, (Lines { "x  y", "Alpha" }));
}

TEST(SeparatorAndBlank, ClassifyBytes)
{
    for (int b = 0; b < 256; ++b) {
        const bool alnum = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        EXPECT_EQ(qvc::IsSeparator(static_cast<char>(b)), !alnum) << b;
    }
    EXPECT_TRUE(qvc::IsBlankText(""));
    EXPECT_TRUE(qvc::IsBlankText(" \t\x01 "));
    EXPECT_FALSE(qvc::IsBlankText(" \xA0"));
}

// ---------------------------------------------------------------------------------------------------
// Names: NewName, backup name, RenameMode target.

struct TNameCase
{
    const char *Name;
    const char *Input;
    const char *Find;
    const char *Replace;
    const char *Expected;
};

const TNameCase kNewNameCases[] = {
    { "OwnUnitName", "/src/Alpha.pas", "Alpha", "NewAlpha", "/src/NewAlpha.pas" },
    { "CaseCounts", "/src/alpha.pas", "Alpha", "NewAlpha", "" },
    { "FormKeepsTargetExtension", "/src/Alpha.xfm", "Alpha", "NewAlpha", "/src/NewAlpha.xfm" },
    { "NoExtension", "/src/Alpha", "Alpha", "NewAlpha", "/src/NewAlpha" },
    { "BraceCommentNeverRenames", "/src/Alpha.pas", "Alpha", "NewAlpha {x}", "" },
    { "OneBraceStillRenames", "/src/Alpha.pas", "Alpha", "New{Alpha", "/src/New{Alpha.pas" },
    { "EmptyReplaceNeverRenames", "/src/Alpha.pas", "Alpha", "", "" },
    { "BlankReplaceNeverRenames", "/src/Alpha.pas", "Alpha", "  ", "" },
    { "SlashNeverMovesTheFile", "/src/Alpha.pas", "Alpha", "../Alpha", "" },
    { "OtherName", "/src/Beta.pas", "Alpha", "NewAlpha", "" },
    { "FindWithExtensionPart", "/src/Alpha.pas", "Alpha.p", "X", "" },
};

class NewNameTest : public ::testing::TestWithParam<TNameCase>
{
};

TEST_P(NewNameTest, FormsNameOnlyFromUsableReplace)
{
    const auto &c = GetParam();
    EXPECT_EQ(qvc::NewNameFor(c.Input, c.Find, c.Replace), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NewNameTest, ::testing::ValuesIn(kNewNameCases),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(NewName, SetOnlyOnceByTheFirstRenamingReplacement)
{
    qvc::TSubstitutionPass pass({ "Alpha=Beta", "Beta=Gamma", "Other=Alpha" });
    Lines lines { "unit Alpha;", "Other" };
    std::string newName;
    qvc::TConversionResult results;
    pass.ApplyAll(lines, "/src/Alpha.pas", newName, results);
    EXPECT_EQ(newName, "/src/Beta.pas");
}

TEST(BackupName, TildeAfterFirstDotOfTheFileName)
{
    const std::pair<const char *, const char *> cases[] = {
        { "/src/Unit1.pas", "/src/Unit1.~pas" },
        { "/my.project/src/Unit1.pas", "/my.project/src/Unit1.~pas" },
        { "/src/a.tar.gz", "/src/a.~tar.gz" },
        { "/my.project/Makefile", "/my.project/~Makefile" },
        { "Unit1.pas", "Unit1.~pas" },
        { "/src/.hidden", "/src/.~hidden" },
    };
    for (const auto &[input, expected] : cases)
        EXPECT_EQ(qvc::BackupNameFor(input), expected) << input;
}

TEST(RenamedTarget, ExtensionComparedExactly)
{
    const std::tuple<const char *, int, const char *> cases[] = {
        { "/s/Unit1.dfm", 0, "/s/Unit1.xfm" },
        { "/s/Unit1.DFM", 0, "/s/Unit1.DFM" },
        { "/s/Unit1.xfm", 0, "/s/Unit1.xfm" },
        { "/s/Unit1.xfm", 1, "/s/Unit1.dfm" },
        { "/s/Unit1.Xfm", 1, "/s/Unit1.Xfm" },
        { "/s/Unit1.dfm", 1, "/s/Unit1.dfm" },
        { "/s/Unit1.dfm", 2, "/s/Unit1.dfm" },
        { "/s.dfm/Unit1", 0, "/s.dfm/Unit1" },
    };
    for (const auto &[input, mode, expected] : cases)
        EXPECT_EQ(qvc::RenamedTarget(input, qvc::TRenameMode(mode)), expected) << input << " " << mode;
}

// ---------------------------------------------------------------------------------------------------
// ConvertFile: whole files.

class ConvertFileTest : public TEngineFolderTest
{
protected:
    int Convert(const std::string &name, const Lines &pairs, qvc::TPassOptions options = {})
    {
        m_view.Rows.assign(1, TFakeRow {});
        m_results.Clear();
        qvc::TSubstitutionPass pass(pairs);
        return pass.ConvertFile(0, Path(name), options, m_results, m_view, m_report);
    }
    int Image() const { return m_view.Rows[0].Image; }

    TFakeConversionView m_view;
    qvc::TConversionResult m_results;
    qvc::TPassReport m_report;
};

TEST_F(ConvertFileTest, TextFileComesBackWithCrLfAfterEveryLine)
{
    const std::pair<const char *, const char *> cases[] = {
        { "unit Alpha;\nuses Forms;\n", "unit Alpha;\r\nuses QForms;\r\n" },
        { "uses Forms;\rend.", "uses QForms;\r\nend.\r\n" },
        { "uses Forms;\r\n\r\nend.\r\n", "uses QForms;\r\n\r\nend.\r\n" },
        { "uses Forms;", "uses QForms;\r\n" },
    };
    for (const auto &[input, expected] : cases) {
        Write("u.pas", input);
        EXPECT_EQ(Convert("u.pas", { "Forms=QForms", "Graphics=QGraphics" }), 1);
        EXPECT_EQ(Read("u.pas"), expected);
        EXPECT_EQ(Image(), qvc::kImageChanged);
        EXPECT_EQ(m_view.Rows[0].Status, "100%");
        EXPECT_EQ(m_report.WrittenName, Path("u.pas"));
    }
}

TEST_F(ConvertFileTest, ShowsProgressAfterEveryPairAndHandlesEvents)
{
    Write("u.pas", "uses Forms;\r\n");
    Lines pairs;
    for (int i = 0; i < 8; ++i)
        pairs.push_back("P" + std::to_string(i) + "=Q");
    std::vector<std::string> statuses;
    m_view.OnEvents = [&](int row) { statuses.push_back(m_view.Rows[static_cast<std::size_t>(row)].Status); };
    Convert("u.pas", pairs);
    EXPECT_EQ(m_view.ProgressMax, 8);
    EXPECT_EQ(m_view.ProgressPosition, 8);
    // One round before the pairs, one after each pair, one for the final image.
    ASSERT_EQ(statuses.size(), 10u);
    EXPECT_EQ(statuses[1], "12%");
    EXPECT_EQ(statuses[3], "38%");
    EXPECT_EQ(statuses[8], "100%");
    EXPECT_EQ(m_report.Percent, 100);
    EXPECT_EQ(m_view.ImageHistory.front(), 0);
    EXPECT_EQ(m_view.ImageHistory[1], 1);
    EXPECT_EQ(m_view.ImageHistory[5], 0); // the animation wraps after frame 4
    EXPECT_EQ(m_view.ImageHistory.back(), qvc::kImageUnchanged);
}

TEST_F(ConvertFileTest, EmptyPairListChangesNothing)
{
    Write("u.pas", "uses Forms;\n");
    EXPECT_EQ(Convert("u.pas", {}), 0);
    EXPECT_EQ(Image(), qvc::kImageUnchanged);
    EXPECT_EQ(m_view.Rows[0].Status, "?"); // never written by the pass
    EXPECT_EQ(m_report.Percent, -1);
    EXPECT_EQ(Read("u.pas"), "uses Forms;\n");
    EXPECT_TRUE(m_report.WrittenName.empty());
}

TEST_F(ConvertFileTest, BinaryFormWrittenBackAsTextOnlyWhenChanged)
{
    const std::string binary = qvc::ReadFileBytes(QVC_SOURCE_DIR "/tests/engine/data/pass/O32ColEd.binary.dfm");
    const Lines text = qvc::SplitLines(qvc::ReadFileBytes(QVC_SOURCE_DIR "/tests/engine/data/pass/O32ColEd.text.dfm"));

    Write("Form.dfm", binary);
    EXPECT_EQ(Convert("Form.dfm", { "NoSuchWord=X" }), 0);
    EXPECT_EQ(m_report.Kind, qvc::TFileKind::BinaryForm);
    EXPECT_EQ(Read("Form.dfm"), binary);

    EXPECT_EQ(Convert("Form.dfm", { "clBtnFace=clButton" }), 1);
    Lines expected = text;
    std::string newName;
    qvc::TConversionResult results;
    qvc::ApplyPair(expected, "clBtnFace", "clButton", Path("Form.dfm"), newName, results);
    EXPECT_EQ(Read("Form.dfm"), qvc::JoinLinesCrLf(expected));
}

TEST_F(ConvertFileTest, FormFilesToldApartByFirstByte)
{
    struct TCase
    {
        const char *Name;
        std::string Bytes;
        qvc::TFileKind Kind;
        int Count;
    };
    const TCase cases[] = {
        { "a.dfm", "object Form1: TForm1\r\n  Color = clBtnFace\r\nend\r\n", qvc::TFileKind::TextForm, 1 },
        { "b.DFM", "inherited Form1: TForm1\r\n  Color = clBtnFace\r\nend\r\n", qvc::TFileKind::TextForm, 1 },
        { "c.xFm", "object Form1\r\n  Color = clBtnFace\r\nend\r\n", qvc::TFileKind::TextForm, 1 },
        { "d.dfm", "\xEF\xBB\xBFobject Form1\r\n  Color = clBtnFace\r\nend\r\n", qvc::TFileKind::TextForm, 1 },
        { "e.dfm", "  object Form1\r\n  Color = clBtnFace\r\nend\r\n", qvc::TFileKind::UnknownForm, 0 },
        { "f.dfm", "\xEF\xBB\xBF  Color = clBtnFace\r\n", qvc::TFileKind::UnknownForm, 0 },
        { "g.dfm", "", qvc::TFileKind::UnknownForm, 0 },
        { "h.txt", "  Color = clBtnFace\r\n", qvc::TFileKind::Text, 1 },
    };
    for (const auto &c : cases) {
        Write(c.Name, c.Bytes);
        EXPECT_EQ(Convert(c.Name, { "clBtnFace=clButton" }), c.Count) << c.Name;
        EXPECT_EQ(m_report.Kind, c.Kind) << c.Name;
        EXPECT_EQ(Image(), c.Count > 0 ? qvc::kImageChanged : qvc::kImageUnchanged) << c.Name;
        if (c.Count == 0) {
            EXPECT_EQ(Read(c.Name), c.Bytes) << c.Name;
        }
    }
    // The byte-order mark stays in front of the text.
    EXPECT_EQ(Read("d.dfm"), "\xEF\xBB\xBFobject Form1\r\n  Color = clButton\r\nend\r\n");
}

TEST_F(ConvertFileTest, RenameModeWritesFormUnderItsNewExtension)
{
    const std::string form = "object Form1\r\n  Color = clBtnFace\r\nend\r\n";
    struct TCase
    {
        const char *File;
        int Mode;
        const char *Written;
    };
    const TCase cases[] = {
        { "Unit1.dfm", 0, "Unit1.xfm" },
        { "Unit2.xfm", 1, "Unit2.dfm" },
        { "Unit3.DFM", 0, "Unit3.DFM" },
        { "Unit4.dfm", 2, "Unit4.dfm" },
        { "Unit5.dfm", 1, "Unit5.dfm" },
    };
    for (const auto &c : cases) {
        Write(c.File, form);
        qvc::TPassOptions options;
        options.RenameMode = qvc::TRenameMode(c.Mode);
        EXPECT_EQ(Convert(c.File, { "clBtnFace=clButton" }, options), 1) << c.File;
        EXPECT_EQ(Read(c.Written), "object Form1\r\n  Color = clButton\r\nend\r\n") << c.File;
        if (std::string(c.File) != c.Written) {
            EXPECT_EQ(Read(c.File), form) << "the file that was read stays: " << c.File;
        }
    }
}

TEST_F(ConvertFileTest, FormsNoPairChangedAreWrittenUnderTheirNewExtensionWhenNoneIsThere)
{
    const std::string binary = qvc::ReadFileBytes(QVC_SOURCE_DIR "/tests/engine/data/pass/O32ColEd.binary.dfm");
    const std::string binaryText = qvc::ReadFileBytes(QVC_SOURCE_DIR "/tests/engine/data/pass/O32ColEd.text.dfm");
    struct TCase
    {
        const char *name;
        const char *file;
        std::string bytes;
        int mode;
        const char *target;
        std::string existing; // at the target before the run, empty for none
        std::string expected; // at the target after the run, empty for no file
        bool simulate = false;
    };
    const TCase cases[] = {
        { "TextFormToKylix", "Plain.dfm", "object Form1\nend", 0, "Plain.xfm", "", "object Form1\r\nend\r\n" },
        { "BinaryFormAsText", "Bin.dfm", binary, 0, "Bin.xfm", "", binaryText },
        { "KylixFormToDelphi", "Back.xfm", "object Form1\r\nend\r\n", 1, "Back.dfm", "", "object Form1\r\nend\r\n" },
        { "ThePortersOwnFormStays", "Own.dfm", "object Form1\r\nend\r\n", 0, "Own.xfm", "edited", "edited" },
        { "NoRenameWritesNothing", "Stay.dfm", "object Form1\r\nend\r\n", 2, "Stay.xfm", "", "" },
        { "UnknownFormIsNotWritten", "Odd.dfm", "garbage", 0, "Odd.xfm", "", "" },
        { "SimulateWritesNothing", "Sim.dfm", "object Form1\r\nend\r\n", 0, "Sim.xfm", "", "", true },
    };
    for (const auto &c : cases) {
        Write(c.file, c.bytes);
        if (!c.existing.empty())
            Write(c.target, c.existing);
        EXPECT_EQ(Convert(c.file, { "clNothing=clButton" }, { qvc::TRenameMode(c.mode), true, c.simulate }), 0)
            << c.name;
        EXPECT_EQ(Image(), qvc::kImageUnchanged) << c.name;
        EXPECT_TRUE(m_results.Empty()) << c.name;
        EXPECT_EQ(Read(c.file), c.bytes) << c.name << ": the form read stays";
        if (c.expected.empty()) {
            EXPECT_FALSE(Exists(c.target)) << c.name;
        } else {
            EXPECT_EQ(Read(c.target), c.expected) << c.name;
        }
        EXPECT_EQ(m_report.WrittenName, c.existing.empty() && !c.expected.empty() ? Path(c.target) : "") << c.name;
        EXPECT_FALSE(Exists(qvc::BackupNameFor(c.target))) << c.name;
    }
}

TEST_F(ConvertFileTest, OwnUnitNameRenamesFileAndCompanions)
{
    Write("Alpha.pas", "unit Alpha;\r\nend.\r\n");
    Write("Alpha.dfm", "object A\r\nend\r\n");
    Write("Alpha.dcu", "binary");
    Write("Alpha.ro", "read-only");
    ::chmod(Path("Alpha.ro").c_str(), 0444);
    Write("Alpha.taken", "companion");
    Write("NewAlpha.taken", "already here");
    std::filesystem::create_directory(Path("Alpha.dir"));
    Write("alpha.txt", "other case");
    Write("Alphabet.pas", "other base");

    EXPECT_EQ(Convert("Alpha.pas", { "Alpha=NewAlpha" }), 1);
    EXPECT_EQ(m_report.WrittenName, Path("NewAlpha.pas"));
    EXPECT_EQ(Read("NewAlpha.pas"), "unit NewAlpha;\r\nend.\r\n");
    EXPECT_FALSE(Exists("Alpha.pas"));
    EXPECT_EQ(Read("NewAlpha.dfm"), "object A\r\nend\r\n");
    EXPECT_EQ(Read("NewAlpha.dcu"), "binary");
    EXPECT_FALSE(Exists("Alpha.dfm"));
    EXPECT_TRUE(Exists("Alpha.ro"));
    EXPECT_FALSE(Exists("NewAlpha.ro"));
    EXPECT_EQ(Read("Alpha.taken"), "companion");
    EXPECT_EQ(Read("NewAlpha.taken"), "already here");
    EXPECT_TRUE(std::filesystem::is_directory(Path("Alpha.dir")));
    EXPECT_TRUE(Exists("alpha.txt"));
    EXPECT_TRUE(Exists("Alphabet.pas"));
}

TEST_F(ConvertFileTest, LowerCaseFileKeepsItsName)
{
    Write("alpha.pas", "unit Alpha;\r\n");
    EXPECT_EQ(Convert("alpha.pas", { "Alpha=NewAlpha" }), 1);
    EXPECT_EQ(Read("alpha.pas"), "unit NewAlpha;\r\n");
    EXPECT_FALSE(Exists("NewAlpha.pas"));
}

TEST_F(ConvertFileTest, BlankReplaceOfOwnNameMakesNoHiddenFile)
{
    for (const char *pair : { "Alpha=", "Alpha=  " }) {
        Write("Alpha.pas", "unit Alpha;\r\n");
        EXPECT_EQ(Convert("Alpha.pas", { pair }), 1) << pair;
        EXPECT_TRUE(Exists("Alpha.pas")) << pair;
        EXPECT_FALSE(Exists(".pas")) << pair;
        EXPECT_FALSE(Exists("  .pas")) << pair;
        EXPECT_EQ(EntryCount(), 1u) << pair;
    }
}

TEST_F(ConvertFileTest, NewNameLeadingToTheSameFileKeepsIt)
{
    Write("Alpha.pas", "unit ALPHA;\r\n");
    EXPECT_EQ(Convert("Alpha.pas", { "Alpha=Alpha" }), 1);
    EXPECT_EQ(Read("Alpha.pas"), "unit Alpha;\r\n");
}

TEST_F(ConvertFileTest, BackupKeepsTheOldTextBesideTheNewOne)
{
    std::filesystem::create_directories(Path("my.project"));
    Write("my.project/Unit1.pas", "uses Forms;\r\n");
    Write("my.project/Unit1.~pas", "an older backup");
    qvc::TPassOptions options;
    options.Backup = true;
    EXPECT_EQ(Convert("my.project/Unit1.pas", { "Forms=QForms" }, options), 1);
    EXPECT_EQ(Read("my.project/Unit1.pas"), "uses QForms;\r\n");
    EXPECT_EQ(Read("my.project/Unit1.~pas"), "uses Forms;\r\n");
    EXPECT_EQ(m_report.BackupName, Path("my.project/Unit1.~pas"));
    EXPECT_EQ(Read("my.project/Unit1.~pas.~1~"), "an older backup");

    Write("my.project/Makefile", "Forms\n");
    EXPECT_EQ(Convert("my.project/Makefile", { "Forms=QForms" }, options), 1);
    EXPECT_EQ(Read("my.project/~Makefile"), "Forms\n");
}

TEST_F(ConvertFileTest, BackupOfFormUnderNewExtension)
{
    const std::string form = "object Form1\r\n  Color = clBtnFace\r\nend\r\n";
    qvc::TPassOptions options { qvc::TRenameMode(0), true, false };
    // No ".xfm" yet: nothing to back up, the run goes on.
    Write("Unit1.dfm", form);
    EXPECT_EQ(Convert("Unit1.dfm", { "clBtnFace=clButton" }, options), 1);
    EXPECT_EQ(Read("Unit1.dfm"), form);
    EXPECT_EQ(Read("Unit1.xfm"), "object Form1\r\n  Color = clButton\r\nend\r\n");
    EXPECT_TRUE(m_report.BackupName.empty());
    EXPECT_EQ(EntryCount(), 2u);
    // An existing ".xfm" is backed up before it is replaced.
    EXPECT_EQ(Convert("Unit1.dfm", { "clBtnFace=clButton" }, options), 1);
    EXPECT_EQ(Read("Unit1.~xfm"), "object Form1\r\n  Color = clButton\r\nend\r\n");
    EXPECT_EQ(Read("Unit1.dfm"), form);
}

TEST_F(ConvertFileTest, SimulateTouchesNoFile)
{
    Write("Alpha.pas", "unit Alpha;\r\nuses Forms;\r\n");
    Write("Alpha.dfm", "object A\r\n  Color = clBtnFace\r\nend\r\n");
    qvc::TPassOptions options { qvc::TRenameMode(0), true, true };
    const auto before = std::filesystem::last_write_time(Path("Alpha.pas"));
    EXPECT_EQ(Convert("Alpha.pas", { "Alpha=NewAlpha", "Forms=QForms" }, options), 2);
    EXPECT_EQ(Image(), qvc::kImageChanged);
    EXPECT_EQ(m_view.Rows[0].Status, "100%");
    EXPECT_EQ(m_results.Entries().size(), 2u);
    EXPECT_EQ(Convert("Alpha.dfm", { "clBtnFace=clButton" }, options), 1);
    EXPECT_EQ(EntryCount(), 2u);
    EXPECT_EQ(Read("Alpha.pas"), "unit Alpha;\r\nuses Forms;\r\n");
    EXPECT_EQ(std::filesystem::last_write_time(Path("Alpha.pas")), before);
    EXPECT_TRUE(m_report.WrittenName.empty());
}

TEST_F(ConvertFileTest, UnreadableFileFailsQuietly)
{
    std::filesystem::create_directory(Path("folder.pas"));
    Write("bad.dfm", std::string("\xFF\x0A\x00", 3) + "NAME");
    const std::string truncatedBinary
        = qvc::ReadFileBytes(QVC_SOURCE_DIR "/tests/engine/data/pass/O32ColEd.binary.dfm").substr(0, 200);
    Write("cut.dfm", truncatedBinary);
    // The pass's timer reads a counter that stands still: a failed file reports 0 s on any machine.
    qvc::SetCounterSource([] { return std::int64_t(0); });
    for (const char *name : { "missing.pas", "folder.pas", "bad.dfm", "cut.dfm" }) {
        m_view.OnEvents = nullptr;
        EXPECT_EQ(Convert(name, { "Forms=QForms" }), -1) << name;
        EXPECT_EQ(Image(), qvc::kImageFailed) << name;
        EXPECT_TRUE(m_results.Empty()) << name;
        EXPECT_FALSE(m_report.FailureReason.Empty()) << name;
        EXPECT_EQ(m_report.Seconds, 0.0L) << name;
        EXPECT_TRUE(m_report.WrittenName.empty()) << name;
    }
    qvc::SetCounterSource(nullptr);
    EXPECT_EQ(Read("cut.dfm"), truncatedBinary);
}

TEST_F(ConvertFileTest, NulBytesAreKept)
{
    using namespace std::string_literals;
    Write("nul.pas", "a\0b Forms\0\r\n\0\n\0"s);
    EXPECT_EQ(Convert("nul.pas", { "Forms=QForms" }), 1);
    EXPECT_EQ(Read("nul.pas"), "a\0b QForms\0\r\n\0\r\n\0\r\n"s);
}

TEST_F(ConvertFileTest, FailedWriteUnderNewNameKeepsTheOldFile)
{
    Write("Alpha.pas", "unit Alpha;\r\n");
    std::filesystem::create_directory(Path("NewAlpha.pas"));
    try {
        Convert("Alpha.pas", { "Alpha=NewAlpha" });
        FAIL() << "the write should fail";
    } catch (const qvc::TError &error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + Path("NewAlpha.pas") + "\". ", 0), 0u)
            << error.what();
    }
    EXPECT_EQ(Read("Alpha.pas"), "unit Alpha;\r\n");
    EXPECT_EQ(Image(), qvc::kImageChanged);
}

TEST_F(ConvertFileTest, FailedBackupStopsBeforeWriting)
{
    Write("Unit1.pas", "uses Forms;\r\n");
    Write("Unit1.~pas/keep", "a folder in the way");
    qvc::TPassOptions options;
    options.Backup = true;
    try {
        Convert("Unit1.pas", { "Forms=QForms" }, options);
        FAIL() << "the backup should fail";
    } catch (const qvc::TError &error) {
        EXPECT_STREQ(error.what(), "Unable to backup file.");
    }
    EXPECT_EQ(Read("Unit1.pas"), "uses Forms;\r\n");
}

TEST_F(ConvertFileTest, ReadingSplitsLikeTheTextLines)
{
    // The pass looks for lines in the text it read; it must agree with the shared line splitter on any bytes.
    std::mt19937 random(7);
    const char alphabet[] = { 'a', 'b', '\r', '\n', '\0', '\xFF', ' ' };
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int size = static_cast<int>(random() % 40);
        for (int i = 0; i < size; ++i)
            bytes += alphabet[random() % sizeof alphabet];
        Write("r.txt", bytes);
        Lines expected = qvc::SplitLines(bytes);
        std::string newName;
        qvc::TConversionResult results;
        const int count = qvc::ApplyPair(expected, "a", "b", Path("r.txt"), newName, results);
        EXPECT_EQ(Convert("r.txt", { "a=b" }), count);
        EXPECT_EQ(Read("r.txt"), count > 0 ? qvc::JoinLinesCrLf(expected) : bytes);
    }
}

} // namespace
