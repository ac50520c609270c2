// qvconvert's failure lines under a Brazilian Portuguese and a C locale: the path as its bytes, the system's
// reason as the C library words it in that locale, the program's text in the terminal's encoding.
#include "EnvScope.h"
#include "QvconvertRunner.h"
#include "TempFolder.h"

#include "cli/ErrorText.h"
#include "common/FileIO.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <sys/stat.h>

namespace {

const std::string kFolder = "\xC3\x81rea de trabalho"; // "Área de trabalho" in UTF-8

struct TLocaleCase
{
    const char *Name;
    const char *Locale;
    const char *Language; // nullptr: unset
    // The reasons the C library gives there, as the test knows them.
    const char *Denied;
    const char *Missing;
    const char *IsFolder;
};

const TLocaleCase kLocales[] = {
    { "pt_BR", "pt_BR.UTF-8", "pt_BR", "Permiss\xC3\xA3o negada", "Arquivo ou diret\xC3\xB3rio inexistente",
        "\xC3\x89 um diret\xC3\xB3rio" },
    { "C", "C", nullptr, "Permission denied", "No such file or directory", "Is a directory" },
    { "C_UTF8", "C.UTF-8", nullptr, "Permission denied", "No such file or directory", "Is a directory" },
};

void PrintTo(const TLocaleCase &locale, std::ostream *out)
{
    *out << locale.Name;
}

// True when the system has the locale and, for a translated one, its messages (libc-l10n).
bool LocaleAvailable(const TLocaleCase &locale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    bool available = std::setlocale(LC_ALL, locale.Locale) != nullptr;
    if (available && locale.Language) {
        TEnvScope language("LANGUAGE", locale.Language);
        available = std::strcmp(std::strerror(EACCES), locale.Denied) == 0;
    }
    std::setlocale(LC_ALL, saved.c_str());
    return available;
}

class CliErrorText : public TTempFolderTest, public ::testing::WithParamInterface<TLocaleCase>
{
protected:
    void SetUp() override
    {
        TTempFolderTest::SetUp();
        if (!LocaleAvailable(GetParam()))
            GTEST_SKIP() << "skipped: locale " << GetParam().Locale << " or its translated messages are missing";
        std::filesystem::create_directories(m_dir / kFolder);
        std::filesystem::create_directories(m_dir / "run");
        m_pairs = Put("pares.dat", "Forms=QForms\r\n");
    }
    std::string In(const std::string &name) const { return Path(kFolder + "/" + name); }
    std::string Put(const std::string &name, const std::string &bytes) const
    {
        qvc::WriteFileReplacing(In(name), bytes);
        return In(name);
    }
    TQvconvertRun Run(const std::vector<std::string> &args) const
    {
        TEnvScope all("LC_ALL", GetParam().Locale);
        TEnvScope language("LANGUAGE", GetParam().Language);
        TEnvScope state("XDG_STATE_HOME", In("estado").c_str());
        return RunQvconvert(args, Path("run"));
    }
    std::string m_pairs;
};

TEST_P(CliErrorText, ConvertNamesThePathAndTheReason)
{
    const TLocaleCase &l = GetParam();
    // A file that cannot be read fails its row; the run goes on and exits 1.
    const auto missing = Run({ "convert", "--repository", m_pairs, In("falta.pas") });
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err,
        "qvconvert: " + In("falta.pas") + ": Cannot open file \"" + In("falta.pas") + "\". " + l.Missing + "\n");

    // A file that may not be written ends the run.
    const std::string unit = Put("Unit1.pas", "uses Forms;\r\n");
    ASSERT_EQ(::chmod(unit.c_str(), 0444), 0);
    const auto denied = Run({ "convert", "--repository", m_pairs, unit });
    EXPECT_EQ(denied.ExitCode, 2);
    EXPECT_EQ(denied.Err, "qvconvert: Cannot create file \"" + unit + "\". " + l.Denied + "\n");

    // The backup message names neither the file nor the reason: the line puts them around it.
    const std::string other = Put("Unit2.pas", "uses Forms;\r\n");
    std::filesystem::create_directories(In("Unit2.~pas"));
    const auto backup = Run({ "convert", "--backup", "--repository", m_pairs, other });
    EXPECT_EQ(backup.ExitCode, 2);
    EXPECT_EQ(backup.Err, "qvconvert: " + other + ": Unable to backup file. " + l.IsFolder + "\n");

    const auto repository = Run({ "convert", "--repository", In("nenhum.dat"), other });
    EXPECT_EQ(repository.ExitCode, 2);
    EXPECT_EQ(repository.Err, "qvconvert: Cannot open file \"" + In("nenhum.dat") + "\". " + l.Missing + "\n");
}

TEST_P(CliErrorText, FormToTextNamesThePathAndTheReason)
{
    const auto run = Run({ "form-to-text", In("Form1.dfm") });
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err,
        "qvconvert: " + In("Form1.dfm") + ": Cannot open file \"" + In("Form1.dfm") + "\". " + GetParam().Missing
            + "\n");
}

TEST_P(CliErrorText, UndoNamesThePathAndTheReason)
{
    const auto none = Run({ "undo" });
    EXPECT_EQ(none.ExitCode, 1);
    EXPECT_EQ(none.Err, "qvconvert: undo: no run journal found in " + In("estado") + "/qvConvertFiles/runs\n")
        << "the journal folder as the tool names it";

    const std::string unit = Put("Unit1.pas", "uses Forms;\r\n");
    ASSERT_EQ(Run({ "convert", "--backup", "--repository", m_pairs, unit }).ExitCode, 0);
    // A converted file that may no longer be written is not restored.
    ASSERT_EQ(::chmod(unit.c_str(), 0444), 0);
    const auto undo = Run({ "undo" });
    EXPECT_EQ(undo.ExitCode, 1);
    EXPECT_NE(undo.Err.find(": Cannot create file \"" + unit + "\". " + GetParam().Denied + "\n"), std::string::npos)
        << undo.Err;
    EXPECT_EQ(qvc::ReadFileBytes(unit), "uses QForms;\r\n");
}

INSTANTIATE_TEST_SUITE_P(Locales, CliErrorText, ::testing::ValuesIn(kLocales),
    [](const ::testing::TestParamInfo<TLocaleCase> &info) { return std::string(info.param.Name); });

// The program's own text in each terminal encoding: Windows-1252 "não" and "ç".
TEST(TerminalProgramText, FollowsTheTerminalsEncoding)
{
    const std::string text = "n\xE3o \xE7 ok";
    EXPECT_EQ(qvc::TerminalProgramText(text, qvc::TTerminalEncoding::Utf8), "n\xC3\xA3o \xC3\xA7 ok");
    EXPECT_EQ(qvc::TerminalProgramText(text, qvc::TTerminalEncoding::Latin), text);
    EXPECT_EQ(qvc::TerminalProgramText(text, qvc::TTerminalEncoding::Ascii), "n?o ? ok");
}

// Each part of a message keeps its bytes: a UTF-8 path is printed as it is under every encoding, only the
// template and text arguments are converted.
TEST(TerminalProgramText, PathsKeepTheirBytesUnderEveryEncoding)
{
    const qvc::TMessage message("%s: n\xE3o h\xE1 %s", { qvc::PathArg("/tmp/" + kFolder), qvc::TextArg("a\xE7\xE3o") });
    EXPECT_EQ(qvc::ErrorText(message, qvc::TTerminalEncoding::Utf8),
        "/tmp/" + kFolder + ": n\xC3\xA3o h\xC3\xA1 a\xC3\xA7\xC3\xA3o");
    EXPECT_EQ(qvc::ErrorText(message, qvc::TTerminalEncoding::Latin), "/tmp/" + kFolder + ": n\xE3o h\xE1 a\xE7\xE3o");
    EXPECT_EQ(qvc::ErrorText(message, qvc::TTerminalEncoding::Ascii), "/tmp/" + kFolder + ": n?o h? a??o");
}

} // namespace
