// What converting a file does to the files around it: backups under every rename choice, files that may
// not be written, links, special files, files changed meanwhile, large files, and what a failed call or
// a kill at any step of the writing leaves behind.
#include "EngineFixture.h"
#include "FakeConversionView.h"
#include "LiteralPass.h"
#include "SystemFaults.h"

#include "common/TextLines.h"
#include "engine/forms/BinaryFormToText.h"
#include "engine/pass/SubstitutionPass.h"

#include <fstream>
#include <map>
#include <sys/stat.h>

namespace {

using Lines = std::vector<std::string>;
using Folder = std::map<std::string, std::string>; // name (relative) -> bytes

class FileSafetyTest : public TEngineFolderTest
{
protected:
    void TearDown() override
    {
        qvc::SetFaultHook({});
        TEngineFolderTest::TearDown();
    }
    // Every regular file under the folder, hidden ones included.
    Folder Contents() const
    {
        Folder out;
        for (const auto &entry : std::filesystem::recursive_directory_iterator(m_dir))
            if (entry.is_regular_file() && !entry.is_symlink())
                out[std::filesystem::relative(entry.path(), m_dir).string()]
                    = qvc::ReadFileBytes(entry.path().string());
        return out;
    }
    int Convert(const std::string &name, const Lines &pairs, qvc::TPassOptions options)
    {
        m_view.Rows.assign(1, TFakeRow {});
        m_results.Clear();
        qvc::TSubstitutionPass pass(pairs);
        return pass.ConvertFile(0, Path(name), options, m_results, m_view, m_report);
    }

    TFakeConversionView m_view;
    qvc::TConversionResult m_results;
    qvc::TPassReport m_report;
};

const std::string kForm = "object Alpha: TForm\r\n  Caption = 'Alpha'\r\nend\r\n";
const std::string kNewForm = "object NewAlpha: TForm\r\n  Caption = 'NewAlpha'\r\nend\r\n";

struct TWriteCase
{
    const char *name;
    Folder before;
    std::string file;
    int renameMode;
    Folder after; // with backup on
};

const TWriteCase kWriteCases[] = {
    { "ReplacedUnitKeepsEveryOlderBackup",
        { { "Unit1.pas", "uses Forms;\r\n" }, { "Unit1.~pas", "run 1" }, { "Unit1.~pas.~1~", "run 0" } }, "Unit1.pas",
        2,
        { { "Unit1.pas", "uses QForms;\r\n" }, { "Unit1.~pas", "uses Forms;\r\n" }, { "Unit1.~pas.~2~", "run 1" },
            { "Unit1.~pas.~1~", "run 0" } } },
    { "FormUnderItsNewExtensionBacksUpTheFormItReplaces",
        { { "Unit1.dfm", "object F\r\n  C = Forms\r\nend\r\n" }, { "Unit1.xfm", "porter's own" } }, "Unit1.dfm", 0,
        { { "Unit1.dfm", "object F\r\n  C = Forms\r\nend\r\n" }, { "Unit1.xfm", "object F\r\n  C = QForms\r\nend\r\n" },
            { "Unit1.~xfm", "porter's own" } } },
    { "KylixFormWithoutADelphiTwinNeedsNoBackup", { { "Unit1.xfm", "object F\r\n  C = Forms\r\nend\r\n" } },
        "Unit1.xfm", 1,
        { { "Unit1.xfm", "object F\r\n  C = Forms\r\nend\r\n" },
            { "Unit1.dfm", "object F\r\n  C = QForms\r\nend\r\n" } } },
    { "RenamedFormIsBackedUpBeforeItIsRemoved", { { "Alpha.dfm", kForm } }, "Alpha.dfm", 0,
        { { "NewAlpha.xfm", kNewForm }, { "Alpha.~dfm", kForm } } },
    { "RenamedUnitBacksUpAnExistingNewNameAndRenamesOnlyCompanions",
        { { "Alpha.pas", "unit Alpha;\r\n" }, { "NewAlpha.pas", "someone else's unit" }, { "Alpha.dfm", kForm },
            { "Alpha.~pas.~1~", "ancient" }, { "Alpha.~dfm", "old form backup" } },
        "Alpha.pas", 2,
        { { "NewAlpha.pas", "unit NewAlpha;\r\n" }, { "NewAlpha.~pas", "someone else's unit" },
            { "Alpha.~pas", "unit Alpha;\r\n" }, { "NewAlpha.dfm", kForm }, { "Alpha.~pas.~1~", "ancient" },
            { "Alpha.~dfm", "old form backup" } } },
};

const Lines kPairs { "Forms=QForms", "Alpha=NewAlpha" };

TEST_F(FileSafetyTest, BackupsHoldEveryReplacedOrRemovedFileUnderEachRenameChoice)
{
    for (const TWriteCase &c : kWriteCases) {
        Lay(c.before);
        EXPECT_GT(Convert(c.file, kPairs, { qvc::TRenameMode(c.renameMode), true, false }), 0) << c.name;
        EXPECT_EQ(Contents(), c.after) << c.name;
        // The same run with backup off: the same files, the backups as they were before.
        Lay(c.before);
        Convert(c.file, kPairs, { qvc::TRenameMode(c.renameMode), false, false });
        Folder expected;
        for (const auto &[name, bytes] : c.after)
            if (name.find('~') == std::string::npos)
                expected[name] = bytes;
        for (const auto &[name, bytes] : c.before)
            if (name.find('~') != std::string::npos)
                expected[name] = bytes;
        EXPECT_EQ(Contents(), expected) << c.name << " without backup";
    }
}

// After a failed call at any step: the run ended with nothing changed, or the file was written in full.
TEST_F(FileSafetyTest, AFailedCallAtAnyStepEndsTheRunWithNothingChangedOrCompletesIt)
{
    for (const TWriteCase &c : kWriteCases) {
        Lay(c.before);
        int calls = 0;
        {
            const TFaultScope count;
            Convert(c.file, kPairs, { qvc::TRenameMode(c.renameMode), true, false });
            calls = count.Calls();
        }
        for (int failAt = 1; failAt <= calls; ++failAt) {
            Lay(c.before);
            bool ended = false;
            {
                const TFaultScope fault(failAt, ENOSPC);
                try {
                    Convert(c.file, kPairs, { qvc::TRenameMode(c.renameMode), true, false });
                } catch (const qvc::TError &error) {
                    ended = true;
                    EXPECT_TRUE(std::string(error.what()) == "Unable to backup file."
                        || std::string(error.what()).rfind("Cannot create file \"", 0) == 0)
                        << error.what();
                }
            }
            const Folder now = Contents();
            if (ended) {
                EXPECT_EQ(now, c.before) << c.name << ", failed call " << failAt;
                continue;
            }
            // Only a companion rename or the removal of the old name may have failed, which loses nothing.
            for (const auto &[name, bytes] : c.after) {
                if (now.contains(name)) {
                    EXPECT_EQ(now.at(name), bytes) << c.name << ", failed call " << failAt << ": " << name;
                }
            }
            for (const auto &[name, bytes] : now)
                EXPECT_TRUE(c.after.contains(name) || c.before.contains(name))
                    << c.name << ", failed call " << failAt << ": " << name;
        }
    }
}

// After a kill at any step: every file holds its old or its new text under its own name, and the only
// other files are hidden temporaries, which the next run's sweep removes.
TEST_F(FileSafetyTest, AKillAtAnyStepLeavesEveryFileWithItsOldOrNewText)
{
    for (const TWriteCase &c : kWriteCases) {
        bool killed = true;
        for (int killAt = 1; killed; ++killAt) {
            Lay(c.before);
            killed = RunKilledAt(killAt, [&] {
                Convert(c.file, kPairs, { qvc::TRenameMode(c.renameMode), true, false });
            });
            const Folder now = Contents();
            for (const auto &[name, bytes] : now) {
                if (name.rfind(".qvConvertFiles-", 0) == 0)
                    continue;
                const bool old = c.before.contains(name) && c.before.at(name) == bytes;
                const bool updated = c.after.contains(name) && c.after.at(name) == bytes;
                EXPECT_TRUE(old || updated) << c.name << ", kill " << killAt << ": " << name << " holds " << bytes;
            }
            // No text is lost: each old text still stands somewhere, or its name holds its new text.
            for (const auto &[name, bytes] : c.before) {
                bool found = now.contains(name) && c.after.contains(name) && now.at(name) == c.after.at(name);
                for (const auto &[other, otherBytes] : now)
                    found = found || otherBytes == bytes;
                EXPECT_TRUE(found) << c.name << ", kill " << killAt << ": the text of " << name << " is lost";
            }
            qvc::SweepStaleTemporaries(m_dir.string());
            for (const auto &[name, bytes] : Contents())
                EXPECT_NE(name.rfind(".qvConvertFiles-", 0), 0u) << c.name << ", kill " << killAt;
            ASSERT_LT(killAt, 80) << c.name;
        }
    }
}

TEST_F(FileSafetyTest, FilesThatMayNotBeWrittenEndTheRunNamingThemWithNothingChanged)
{
    const struct
    {
        const char *name;
        Folder before;
        std::string file;
        int renameMode;
        std::string readOnly;
    } cases[] = {
        { "TheFileRead", { { "Unit1.pas", "uses Forms;\r\n" } }, "Unit1.pas", 2, "Unit1.pas" },
        { "AnExistingTarget", { { "Unit1.dfm", "object F\r\n  C = Forms\r\nend\r\n" }, { "Unit1.xfm", "mine" } },
            "Unit1.dfm", 0, "Unit1.xfm" },
        { "AnExistingNewName", { { "Alpha.pas", "unit Alpha;\r\n" }, { "NewAlpha.pas", "mine" } }, "Alpha.pas", 2,
            "NewAlpha.pas" },
        { "AFileToRemove", { { "Alpha.pas", "unit Alpha;\r\n" } }, "Alpha.pas", 2, "Alpha.pas" },
    };
    for (const auto &c : cases) {
        Lay(c.before);
        ASSERT_EQ(::chmod(Path(c.readOnly).c_str(), 0444), 0);
        try {
            Convert(c.file, kPairs, { qvc::TRenameMode(c.renameMode), true, false });
            ADD_FAILURE() << c.name << ": written";
        } catch (const qvc::TError &error) {
            EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + Path(c.readOnly) + "\". Permission denied")
                << c.name;
        }
        EXPECT_EQ(Contents(), c.before) << c.name;
    }
}

TEST_F(FileSafetyTest, SymbolicLinksStayLinksAndTheirTargetsAreConverted)
{
    Lay({ { "real/Unit1.pas", "uses Forms;\r\n" }, { "real/Alpha.pas", "unit Alpha;\r\n" } });
    std::filesystem::create_symlink("real/Unit1.pas", m_dir / "Unit1.pas");
    EXPECT_EQ(Convert("Unit1.pas", kPairs, { qvc::TRenameMode(2), true, false }), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "Unit1.pas"));
    EXPECT_EQ(Read("real/Unit1.pas"), "uses QForms;\r\n");
    EXPECT_FALSE(std::filesystem::is_symlink(m_dir / "Unit1.~pas"));
    EXPECT_EQ(Read("Unit1.~pas"), "uses Forms;\r\n") << "the backup holds the old bytes, not a moved link";

    // A unit renamed through its link: a regular file under the new name, the link gone, its target kept.
    std::filesystem::create_symlink("real/Alpha.pas", m_dir / "Alpha.pas");
    EXPECT_EQ(Convert("Alpha.pas", kPairs, { qvc::TRenameMode(2), false, false }), 1);
    EXPECT_FALSE(std::filesystem::is_symlink(m_dir / "NewAlpha.pas"));
    EXPECT_EQ(Read("NewAlpha.pas"), "unit NewAlpha;\r\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(m_dir / "Alpha.pas")));
    EXPECT_EQ(Read("real/Alpha.pas"), "unit Alpha;\r\n");
}

TEST_F(FileSafetyTest, SpecialFilesFailWithoutBeingRead)
{
    ASSERT_EQ(::mkfifo(Path("pipe.pas").c_str(), 0600), 0);
    for (const std::string &path : { Path("pipe.pas"), std::string("/dev/zero") }) {
        m_view.Rows.assign(1, TFakeRow {});
        qvc::TSubstitutionPass pass(kPairs);
        EXPECT_EQ(pass.ConvertFile(0, path, {}, m_results, m_view, m_report), -1) << path;
        EXPECT_EQ(m_report.FailureReason.Flat(), "Cannot open file \"" + path + "\". Not a regular file.");
        EXPECT_EQ(m_view.Rows[0].Image, qvc::kImageFailed);
    }
}

TEST_F(FileSafetyTest, AFileChangedWhileItIsConvertedKeepsTheOtherProgramsText)
{
    Lay({ { "Unit1.pas", "uses Forms;\r\n" } });
    m_view.OnEvents = [this](int) {
        std::ofstream(Path("Unit1.pas"), std::ios::binary | std::ios::app) << "// added by the editor\r\n";
        m_view.OnEvents = nullptr;
    };
    EXPECT_EQ(Convert("Unit1.pas", kPairs, { qvc::TRenameMode(2), true, false }), -1);
    EXPECT_EQ(m_view.Rows[0].Image, qvc::kImageFailed);
    EXPECT_EQ(m_report.FailureReason.Flat(),
        "Cannot create file \"" + Path("Unit1.pas") + "\". The file was changed by another program since it was read.");
    EXPECT_TRUE(m_results.Empty());
    EXPECT_EQ(Contents(), (Folder { { "Unit1.pas", "uses Forms;\r\n// added by the editor\r\n" } }));
}

// A binary form: the resource header, then a form whose Picture.Data holds `picture` bytes.
std::string BinaryForm(std::size_t picture)
{
    std::string stream = "TPF0";
    const auto shortString = [&](const std::string &text) {
        stream += static_cast<char>(text.size());
        stream += text;
    };
    shortString("TForm1");
    shortString("Form1");
    shortString("Caption");
    stream += '\x06';
    shortString("Forms demo");
    shortString("Picture.Data");
    stream += '\x0A';
    for (int k = 0; k < 4; ++k)
        stream += static_cast<char>((picture >> (8 * k)) & 0xFF);
    for (std::size_t k = 0; k < picture; ++k)
        stream += static_cast<char>((k * 131 + 7) & 0xFF);
    stream += '\0';
    stream += '\0';
    return std::string("\xFF\x0A\x00TFORM1\x00\x30\x10\x00\x00\x00\x00", 16) + stream;
}

// Under the sanitizers every byte costs tens of times more: the files stay three times above the 4 MiB
// the pass keeps between files, which is what the test is about.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif
constexpr std::size_t kLargeMiB = kSanitized ? 12 : 50; // a text file
constexpr std::size_t kPictureMiB = kSanitized ? 5 : 10; // a binary form's picture, twice that as text

TEST_F(FileSafetyTest, LargeFilesConvertLikeSmallOnesOneAfterTheOther)
{
    // A text file of 50 MB and a binary form of over 20 MB of text, far above every buffer the pass
    // keeps between files, each followed and preceded by a small file through the same pass.
    std::string big;
    const char *lines[] = { "uses Forms, Controls;\r\n", "x := Forms.A + Forms.B;\n", "{ nothing here }\r",
        "Form := TForm.Create(nil); // Forms\r\n" };
    for (std::size_t k = 0; big.size() < kLargeMiB * 1024 * 1024; ++k)
        big += lines[k % 4];
    Write("Big.pas", big);
    Write("Form.dfm", BinaryForm(kPictureMiB * 1024 * 1024));
    Write("Small.pas", "uses Forms;\r\n");
    const Lines pairs { "Forms=QForms", "Controls=QControls", "FF=Hex" };

    qvc::TSubstitutionPass pass(pairs);
    for (const char *name : { "Small.pas", "Big.pas", "Small.pas", "Form.dfm", "Small.pas" }) {
        const std::string before = Read(name);
        Lines input = qvc::SplitLines(before);
        if (std::string(name) == "Form.dfm") {
            std::string text;
            qvc::BinaryFormToText(qvc::SkipResourceHeader(before), text);
            ASSERT_GT(text.size(), 2 * kPictureMiB * 1024 * 1024);
            input = qvc::SplitLines(text);
        }
        TLiteralState literal { input, Path(name), "", {} };
        const int expected = LiteralApplyAll(literal, pairs);
        m_view.Rows.assign(1, TFakeRow {});
        m_results.Clear();
        EXPECT_EQ(pass.ConvertFile(0, Path(name), {}, m_results, m_view, m_report), expected) << name;
        EXPECT_TRUE(Read(name) == qvc::JoinLinesCrLf(literal.Text)) << name << " differs from the plain algorithm";
        Write("Small.pas", "uses Forms;\r\n");
    }
}

TEST_F(FileSafetyTest, ABinaryFormWhoseTextWouldGrowBeyondAllProportionFails)
{
    // A list nested deep, holding a million nil items: every byte would become a long indented line.
    std::string stream = "TPF0";
    for (const std::string text : { "TForm1", "Form1", "Items" }) {
        stream += static_cast<char>(text.size());
        stream += text;
    }
    stream.append(60, '\x01');
    stream.append(1000000, '\x0D');
    stream.append(60 + 2, '\0');
    Write("Huge.dfm", std::string("\xFF\x0A\x00X\x00\x30\x10\x00\x00\x00\x00", 11) + stream);
    EXPECT_EQ(Convert("Huge.dfm", kPairs, {}), -1);
    EXPECT_EQ(m_report.FailureReason.Flat().rfind("Invalid binary form", 0), 0u) << m_report.FailureReason.Flat();
}

} // namespace
