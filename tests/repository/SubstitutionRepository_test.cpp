#include "TempFolder.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "repository/SubstitutionRepository.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>

using qvc::TSubstitutionRepository;

namespace {

using TLines = std::vector<std::string>;

const std::string kTitle(qvc::kDefaultWindowTitleText);

class RepositoryTest : public TTempFolderTest
{
protected:
    std::string Executable() const { return Path("QvConvertFiles"); }
};

// --- Saving ---

struct TQuirkCase
{
    const char *name;
    TLines lines;
    int mode;
    TLines linesAfter;
    int modeAfter;
};

class WriteRepositoryFileTest : public TTempFolderTest, public ::testing::WithParamInterface<TQuirkCase>
{
};

TEST_P(WriteRepositoryFileTest, WritesTheMarkerFirstThenTakesTheFirstMarkerOutAgain)
{
    const auto &c = GetParam();
    TSubstitutionRepository repository;
    repository.SetLines(c.lines);
    repository.SetRenameMode(qvc::TRenameMode(c.mode));
    repository.WriteRepositoryFile(Path("r.dat"));
    EXPECT_EQ(qvc::ReadFileBytes(Path("r.dat")), qvc::RepositoryFileBytes(c.lines, qvc::TRenameMode(c.mode)));
    EXPECT_EQ(repository.Lines(), c.linesAfter);
    EXPECT_EQ(repository.RenameMode(), qvc::TRenameMode(c.modeAfter));
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteRepositoryFileTest,
    ::testing::Values(TQuirkCase { "PlainListComesBackUnchanged", { "abc=xyz", "a b=c=d", "", "abc" }, 1,
                          { "abc=xyz", "a b=c=d", "", "abc" }, 1 },
        TQuirkCase { "UserLineWithSmallerMarkerIsTakenInstead", { "abc=xyz", "<|changefilename=0|>" }, 2,
            { "<|ChangeFileName=2|>", "abc=xyz" }, 0 },
        TQuirkCase { "UserLineWithLargerMarkerStays", { "<|ChangeFileName=2|>" }, 1, { "<|ChangeFileName=2|>" }, 1 },
        TQuirkCase { "UserLineWithSameMarkerStays", { "<|ChangeFileName=1|>" }, 1, { "<|ChangeFileName=1|>" }, 1 }),
    [](const auto &info) { return std::string(info.param.name); });

struct TFailedSaveCase
{
    const char *name;
    const char *target; // below the test folder
    const char *reason;
};

class FailedSaveTest : public RepositoryTest, public ::testing::WithParamInterface<TFailedSaveCase>
{
};

TEST_P(FailedSaveTest, LeavesEverythingAsItWasAndSaysWhy)
{
    std::filesystem::create_directories(m_dir / "folder.dat");
    qvc::WriteFileReplacing(Path("old.dat"), "<|ChangeFileName=1|>\r\nold=kept\r\n");
    TSubstitutionRepository repository(Executable());
    repository.OpenRepositoryFile(Path("old.dat"));
    repository.SetLines({ "abc=xyz", "<|ChangeFileName=0|>" });
    repository.SetRenameMode(qvc::TRenameMode(2));
    repository.SetRepositoryModified(true);
    const std::string title = repository.WindowTitle();
    const std::string target = Path(GetParam().target);
    try {
        repository.SaveRepository(target);
        FAIL() << "the save should have failed";
    } catch (const qvc::TError &e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + target + "\". " + GetParam().reason);
    }
    EXPECT_EQ(repository.Lines(), (TLines { "abc=xyz", "<|ChangeFileName=0|>" }));
    EXPECT_EQ(repository.RenameMode(), qvc::TRenameMode(2));
    EXPECT_TRUE(repository.RepositoryModified());
    EXPECT_EQ(repository.RepositoryFileName(), Path("old.dat"));
    EXPECT_EQ(repository.WindowTitle(), title);
    EXPECT_EQ(qvc::ReadFileBytes(Path("old.dat")), "<|ChangeFileName=1|>\r\nold=kept\r\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedSaveTest,
    ::testing::Values(TFailedSaveCase { "MissingFolder", "missing/r.dat", "No such file or directory" },
        TFailedSaveCase { "TargetIsAFolder", "folder.dat", "Is a directory" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RepositoryTest, SaveWritesNamesTheFileAndClearsTheFlag)
{
    TSubstitutionRepository repository(Executable());
    repository.SetLines({ "abc=xyz", "a b=c=d" });
    repository.SetRenameMode(qvc::TRenameMode(0));
    repository.SetRepositoryModified(true);
    repository.SaveRepository(Path("Saved.dat"));
    EXPECT_EQ(qvc::ReadFileBytes(Path("Saved.dat")), "<|ChangeFileName=0|>\r\nabc=xyz\r\na b=c=d\r\n");
    EXPECT_FALSE(repository.RepositoryModified());
    EXPECT_EQ(repository.RepositoryFileName(), Path("Saved.dat"));
    EXPECT_EQ(repository.WindowTitle(), kTitle + " (" + Path("Saved.dat") + ")");
    EXPECT_EQ(repository.Lines(), (TLines { "abc=xyz", "a b=c=d" }));
}

// --- Opening ---

TEST_F(RepositoryTest, OpeningAMissingFileChangesNothing)
{
    TSubstitutionRepository repository(Executable());
    repository.SetLines({ "keep=me" });
    repository.SetRenameMode(qvc::TRenameMode(1));
    repository.AssignRepositoryFileName("As Read From Settings.dat");
    for (const std::string &path : { Path("missing.dat"), std::string(), m_dir.string() })
        EXPECT_FALSE(repository.OpenRepositoryFile(path)) << path;
    EXPECT_EQ(repository.Lines(), TLines { "keep=me" });
    EXPECT_EQ(repository.RenameMode(), qvc::TRenameMode(1));
    EXPECT_EQ(repository.RepositoryFileName(), "As Read From Settings.dat");
    EXPECT_EQ(repository.WindowTitle(), kTitle);
}

TEST_F(RepositoryTest, OpeningReplacesTheListAppliesTheMarkerAndKeepsTheFlag)
{
    qvc::WriteFileReplacing(Path("Units.dat"), "a=b\nabc\n<|changefilename=0|>\n\n");
    TSubstitutionRepository repository(Executable());
    repository.SetLines({ "old=line" });
    repository.SetRepositoryModified(true);
    repository.SetWindowTitleText("Title");
    EXPECT_TRUE(repository.OpenRepositoryFile(Path("Units.dat")));
    EXPECT_EQ(repository.Lines(), (TLines { "a=b", "abc", "" }));
    EXPECT_EQ(repository.RenameMode(), qvc::TRenameMode(0));
    EXPECT_TRUE(repository.RepositoryModified());
    EXPECT_EQ(repository.RepositoryFileName(), Path("Units.dat"));
    EXPECT_EQ(repository.WindowTitle(), "Title (" + Path("Units.dat") + ")");
}

TEST_F(RepositoryTest, FileThatCannotBeReadLeavesTheListAsItWas)
{
    ASSERT_EQ(::mkfifo(Path("pipe.dat").c_str(), 0600), 0);
    TSubstitutionRepository repository(Executable());
    repository.SetLines({ "keep=me" });
    try {
        repository.OpenRepositoryFile(Path("pipe.dat"));
        FAIL() << "a pipe is no repository";
    } catch (const qvc::TError &e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + Path("pipe.dat") + "\". Not a regular file");
    }
    EXPECT_EQ(repository.Lines(), TLines { "keep=me" });
    EXPECT_EQ(repository.RepositoryFileName(), "");
}

TEST_F(RepositoryTest, ExampleRepositoryIsADelphiToKylixPort)
{
    TSubstitutionRepository repository;
    ASSERT_TRUE(repository.OpenRepositoryFile(QVC_SOURCE_DIR "/examples/delphi-to-kylix.dat"));
    EXPECT_EQ(repository.RenameMode(), qvc::TRenameMode(0));
    const TLines &lines = repository.Lines();
    // Each unit name twice, before "," and before ";", so that the whole-text scope leaves members such as
    // Screen.Forms alone.
    for (const char *pair :
        { "Forms,=QForms,", "Forms;=QForms;", "Controls,=QControls,", "Controls;=QControls;", "Graphics,=QGraphics,",
            "Dialogs;=QDialogs;", "StdCtrls,=QStdCtrls,", "DBGrids;=QDBGrids;", "*.dfm=*.xfm" })
        EXPECT_NE(std::find(lines.begin(), lines.end(), pair), lines.end()) << pair;
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "Forms=QForms"), lines.end());
    for (std::size_t row = 0; row < repository.Count(); ++row) {
        EXPECT_FALSE(repository.Find(row).empty()) << row;
        EXPECT_FALSE(repository.Replace(row).empty()) << row;
    }
    // Shipped exactly in the written form: CR LF, the marker first.
    EXPECT_EQ(qvc::ReadFileBytes(QVC_SOURCE_DIR "/examples/delphi-to-kylix.dat"),
        qvc::RepositoryFileBytes(lines, repository.RenameMode()));
}

// --- The file name ---

TEST_F(RepositoryTest, BlankNameBecomesTheExecutablesDatFile)
{
    TSubstitutionRepository repository(Executable());
    EXPECT_EQ(repository.SetRepositoryFileName(" \t "), kTitle);
    EXPECT_EQ(repository.RepositoryFileName(), Path("QvConvertFiles.dat"));
    qvc::WriteFileReplacing(Path("QvConvertFiles.dat"), "");
    repository.NewRepository();
    EXPECT_EQ(repository.WindowTitle(), kTitle + " (" + Path("QvConvertFiles.dat") + ")");
}

TEST_F(RepositoryTest, NameIsNotLowerCasedIntoAnotherFile)
{
    qvc::WriteFileReplacing(Path("units.dat"), "lower=case");
    qvc::WriteFileReplacing(Path("Units.dat"), "upper=case");
    TSubstitutionRepository repository;
    repository.OpenRepositoryFile(Path("Units.dat"));
    EXPECT_EQ(repository.RepositoryFileName(), Path("Units.dat"));
    EXPECT_EQ(repository.Lines(), TLines { "upper=case" });
    repository.SetRepositoryFileName(Path("Missing.dat"));
    EXPECT_EQ(repository.RepositoryFileName(), Path("Missing.dat"));
    EXPECT_EQ(repository.WindowTitle(), kTitle);
}

TEST_F(RepositoryTest, NameIsLowerCasedWhenThatIsTheSameFile)
{
    // A hard link stands in for a file system that ignores letter case: both names reach one file.
    qvc::WriteFileReplacing(Path("units.dat"), "a=b");
    std::filesystem::create_hard_link(Path("units.dat"), Path("UNITS.dat"));
    TSubstitutionRepository repository;
    repository.SetRepositoryFileName(Path("UNITS.dat"));
    EXPECT_EQ(repository.RepositoryFileName(), Path("units.dat"));
}

TEST_F(RepositoryTest, RelativeNameIsMadeAbsolute)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir);
    TSubstitutionRepository repository;
    repository.SetRepositoryFileName("Rel.dat");
    std::filesystem::current_path(previous);
    EXPECT_EQ(repository.RepositoryFileName(), Path("Rel.dat"));
    EXPECT_EQ(repository.RepositoryFolder(), Path(""));
}

// --- Editing and commands ---

TEST(RepositoryEditing, FindCellRefusesEqualsAndKeepsItsText)
{
    TSubstitutionRepository repository;
    repository.SetLines({ "abc=xyz" });
    try {
        repository.SetFind(0, "a=b");
        FAIL();
    } catch (const qvc::TError &e) {
        EXPECT_EQ(std::string(e.what()), "Key may not contain equals sign (\"=\")");
    }
    EXPECT_EQ(repository.Line(0), "abc=xyz");
}

TEST(RepositoryEditing, EditedCellsRebuildTheLineAndUneditedLinesStay)
{
    TSubstitutionRepository repository;
    repository.SetLines({ "abc", "a=b=c", "k=v" });
    EXPECT_FALSE(repository.SetFind(0, ""));
    EXPECT_FALSE(repository.SetReplace(0, "abc"));
    EXPECT_EQ(repository.Line(0), "abc");
    EXPECT_TRUE(repository.SetFind(0, "x"));
    EXPECT_EQ(repository.Line(0), "x=abc");
    EXPECT_TRUE(repository.SetReplace(1, "c=d"));
    EXPECT_EQ(repository.Line(1), "a=c=d");
    EXPECT_TRUE(repository.SetReplace(2, "two\r\nlines"));
    EXPECT_EQ(repository.Line(2), "k=two  lines");
}

struct TGridKeyCase
{
    const char *name;
    TLines lines;
    std::size_t row;
    bool insertKeyAdds;
    bool downKeyAdds;
    bool dropsEmpty;
};

class GridKeyRulesTest : public ::testing::TestWithParam<TGridKeyCase>
{
};

TEST_P(GridKeyRulesTest, AddOnlyAfterAFindTextAndDropOnlyEmptyRows)
{
    const auto &c = GetParam();
    TSubstitutionRepository repository;
    repository.SetLines(c.lines);
    EXPECT_EQ(repository.InsertKeyAddsRow(c.row), c.insertKeyAdds);
    EXPECT_EQ(repository.DownKeyAddsRow(c.row), c.downKeyAdds);
    EXPECT_EQ(repository.DropsEmptyRow(c.row), c.dropsEmpty);
    EXPECT_EQ(repository.Lines(), c.lines) << "the rules only answer";
}

INSTANTIATE_TEST_SUITE_P(Cases, GridKeyRulesTest,
    ::testing::Values(TGridKeyCase { "PairInTheMiddle", { "a=1", "b=2", "c=3" }, 1, true, false, false },
        TGridKeyCase { "PairOnTheLastRow", { "a=1", "b=2" }, 1, true, true, false },
        TGridKeyCase { "FindTextWithoutEquals", { "a=1", "=x" }, 1, false, false, false },
        TGridKeyCase { "LineWithoutEqualsHasNoFindText", { "a=1", "abc" }, 1, false, false, false },
        TGridKeyCase { "EqualsOnly", { "a=1", "=" }, 1, false, false, true },
        TGridKeyCase { "EmptyLineReadFromAFile", { "", "a=1" }, 0, false, false, true },
        TGridKeyCase { "FindTextOnly", { "a=" }, 0, true, true, false },
        TGridKeyCase { "BlankRowOfAnEmptyList", {}, 0, false, false, false },
        TGridKeyCase { "RowOutOfRange", { "a=1" }, 1, false, false, false }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RepositoryEditing, SetLinePutsALineBackAsItWas)
{
    TSubstitutionRepository repository;
    repository.SetLines({ "a=1", "b=2" });
    repository.SetFind(1, "changed");
    repository.SetLine(1, "no equals sign");
    EXPECT_EQ(repository.Lines(), (TLines { "a=1", "no equals sign" }));
    repository.SetLine(0, std::string_view("two\r\nlines\0", 11));
    EXPECT_EQ(repository.Line(0), std::string("two  lines "));
    EXPECT_THROW(repository.SetLine(2, "x"), std::out_of_range);
}

TEST(RepositoryEditing, ErasingPairsHaveAUsedFindTextAndNoReplaceText)
{
    TSubstitutionRepository repository;
    // Rows 0 and 7 erase what they find; an empty row, a blank find text, a line without "=" and a replace text
    // that is "=" erase nothing.
    repository.SetLines({ "TForm=", "a=b", "=", " \t=", "abc", "", "x y==", "uses=" });
    EXPECT_EQ(repository.ErasingPairRows(), (std::vector<std::size_t> { 0, 7 }));
    repository.SetReplace(7, "x");
    repository.SetFind(2, "q");
    EXPECT_EQ(repository.ErasingPairRows(), (std::vector<std::size_t> { 0, 2 }));
}

TEST(RepositoryEditing, HistoryStepsGoBackAndForthAndRefuseAChangedList)
{
    TSubstitutionRepository repository;
    repository.SetLines({ "a=1", "b=2", "c=3" });
    const qvc::TLinesSplice paste { 1, { "b=2" }, { "x=y", "z=w" } };
    repository.ApplyLinesSplice(paste, false);
    EXPECT_EQ(repository.Lines(), (TLines { "a=1", "x=y", "z=w", "c=3" }));
    repository.SetRepositoryModified(false);
    // Undoing again once the step is undone finds other lines in its place: nothing changes.
    repository.ApplyLinesSplice(paste, true);
    EXPECT_EQ(repository.Lines(), (TLines { "a=1", "b=2", "c=3" }));
    EXPECT_THROW(repository.ApplyLinesSplice(paste, true), std::out_of_range);
    EXPECT_EQ(repository.Lines(), (TLines { "a=1", "b=2", "c=3" }));
    EXPECT_FALSE(repository.RepositoryModified());
}

struct TNewLineCase
{
    const char *name;
    TLines lines;
    std::optional<std::size_t> current;
    TLines after;
};

class NewLineTest : public ::testing::TestWithParam<TNewLineCase>
{
};

TEST_P(NewLineTest, ReusesAnEmptyCurrentRowOrAppendsAndMakesTheLastRowCurrent)
{
    const auto &c = GetParam();
    TSubstitutionRepository repository;
    repository.SetLines(c.lines);
    EXPECT_EQ(repository.NewLine(c.current), c.after.size() - 1);
    EXPECT_EQ(repository.Lines(), c.after);
    EXPECT_TRUE(repository.RepositoryModified());
}

INSTANTIATE_TEST_SUITE_P(Cases, NewLineTest,
    ::testing::Values(TNewLineCase { "EmptyList", {}, std::nullopt, { "=" } },
        TNewLineCase { "FilledCurrentRow", { "a=b", "c=d" }, 0, { "a=b", "c=d", "=" } },
        TNewLineCase { "EmptyCurrentRowIsReused", { "", "c=d" }, 0, { "=", "c=d" } },
        TNewLineCase { "CurrentRowOutOfRange", { "a=b" }, 5, { "a=b", "=" } }),
    [](const auto &info) { return std::string(info.param.name); });

struct TDeleteCase
{
    const char *name;
    TLines lines;
    std::optional<std::size_t> current;
    TLines after;
    std::optional<std::size_t> newCurrent;
};

class DeleteLineTest : public ::testing::TestWithParam<TDeleteCase>
{
};

TEST_P(DeleteLineTest, DeletesTheCurrentRowAndAlwaysSetsTheFlag)
{
    const auto &c = GetParam();
    TSubstitutionRepository repository;
    repository.SetLines(c.lines);
    EXPECT_EQ(repository.DeleteCurrentLine(c.current), c.newCurrent);
    EXPECT_EQ(repository.Lines(), c.after);
    EXPECT_TRUE(repository.RepositoryModified());
}

INSTANTIATE_TEST_SUITE_P(Cases, DeleteLineTest,
    ::testing::Values(TDeleteCase { "MiddleRow", { "a", "b", "c" }, 1, { "a", "c" }, 1 },
        TDeleteCase { "LastRowMovesTheCursorUp", { "a", "b", "c" }, 2, { "a", "b" }, 1 },
        TDeleteCase { "OnlyRow", { "a" }, 0, {}, std::nullopt },
        TDeleteCase { "EmptyList", {}, std::nullopt, {}, std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RepositoryTest, NewRepositoryClearsTheListButKeepsModeAndFlag)
{
    TSubstitutionRepository repository(Executable());
    repository.SetLines({ "a=b" });
    repository.SetRenameMode(qvc::TRenameMode(0));
    repository.SetRepositoryModified(true);
    repository.NewRepository();
    EXPECT_EQ(repository.Count(), 0u);
    EXPECT_EQ(repository.RenameMode(), qvc::TRenameMode(0));
    EXPECT_TRUE(repository.RepositoryModified());
    EXPECT_EQ(repository.RepositoryFileName(), Path("QvConvertFiles.dat"));
}

struct TCloseQuestionCase
{
    const char *name;
    std::string text1;
    std::string path;
    std::string before;
    std::string questionPath;
    std::string after;
};

class CloseQuestionTest : public ::testing::TestWithParam<TCloseQuestionCase>
{
};

TEST_P(CloseQuestionTest, PutsThePathInPlaceOfTheFirstDirectiveAndKeepsTheTemplate)
{
    const auto &c = GetParam();
    TSubstitutionRepository repository;
    repository.AssignRepositoryFileName(c.path);
    if (!c.text1.empty())
        repository.SetMessageQuestionText1(c.text1);
    const qvc::TCloseQuestionText question = repository.CloseQuestionText();
    EXPECT_EQ(question.Before, c.before);
    EXPECT_EQ(question.Path, c.questionPath);
    EXPECT_EQ(question.After, c.after);
    EXPECT_EQ(question.Before + question.Path + question.After,
        qvc::FormatQuestionTemplate(repository.MessageQuestionText1(), c.path) + "\r"
            + repository.MessageQuestionText2());
    EXPECT_EQ(repository.MessageQuestionText1(), c.text1.empty() ? qvc::kDefaultMessageQuestionText1 : c.text1);
    EXPECT_EQ(repository.MessageQuestionCaption(), "ATEN\xC7\xC3O !");
}

// The first "%s" takes the path; "%%" is "%"; any other directive, a second "%s" and a lone "%" stay as written.
INSTANTIATE_TEST_SUITE_P(Cases, CloseQuestionTest,
    ::testing::Values(TCloseQuestionCase { "InitialTexts", "", "/p/x.dat",
                          "Foram feitas modifica\xE7\xF5"
                          "es no arquivo ",
                          "/p/x.dat", " \rDeseja salva-lo (S/N) ?" },
        TCloseQuestionCase { "OtherDirectivesStay", "%d %s %s 100%% %", "/p/x.dat", "%d ", "/p/x.dat",
            " %s 100% %\rDeseja salva-lo (S/N) ?" },
        TCloseQuestionCase {
            "EscapedPercentIsNoDirective", "100%%s %s", "/p/x.dat", "100%s ", "/p/x.dat", "\rDeseja salva-lo (S/N) ?" },
        TCloseQuestionCase {
            "NoDirectiveNamesNoPath", "Salvar?", "/p/x.dat", "Salvar?", "", "\rDeseja salva-lo (S/N) ?" },
        // The path stays the file system's bytes (here UTF-8) beside the Windows-1252 texts, and no byte of the
        // template stands in for it.
        TCloseQuestionCase { "NonAsciiPathAndControlBytes", "\x01 em \xE1rea: %s\x01", "/\xC3\x81rea/x.dat",
            "\x01 em \xE1rea: ", "/\xC3\x81rea/x.dat", "\x01\rDeseja salva-lo (S/N) ?" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
