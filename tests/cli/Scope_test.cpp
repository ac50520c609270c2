// "qvconvert convert --scope": what reaches the journal and the JSON, the files that are not Pascal, and the
// values the option takes.
#include "EnvScope.h"
#include "QvconvertRunner.h"
#include "TempFolder.h"

#include "common/FileIO.h"
#include "engine/journal/RunJournal.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

class ScopeOption : public TTempFolderTest
{
protected:
    std::string Put(const std::string &name, const std::string &bytes) const
    {
        qvc::WriteFileReplacing(Path(name), bytes);
        return Path(name);
    }
};

TEST_F(ScopeOption, OtherFilesAreLeftAndListedOnceAndTheJournalKeepsTheScope)
{
    const TEnvScope state("XDG_STATE_HOME", Path("state").c_str());
    Put("pairs.dat", "Forms=QForms\r\n");
    const std::string unit = Put("u.pas", "uses Forms; { Forms }\r\n");
    const std::string notes = Put("notes.txt", "Forms\r\nForms\r\n");
    for (const char *scope : { "code", "uses" }) {
        Put("u.pas", "uses Forms; { Forms }\r\n");
        const TQvconvertRun run = RunQvconvert(
            { "convert", "--backup", "--repository", Path("pairs.dat"), "--scope", scope, "--json", unit, notes },
            m_dir.string());
        ASSERT_EQ(run.ExitCode, 0) << run.Err;
        const nlohmann::json records = nlohmann::json::parse(run.Out);
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0]["scope"], scope);
        EXPECT_EQ(records[0]["count"], 1);
        EXPECT_EQ(qvc::ReadFileBytes(unit), "uses QForms; { Forms }\r\n") << scope;
        EXPECT_EQ(records[1]["count"], 0);
        ASSERT_EQ(records[1]["missed"].size(), 1u);
        EXPECT_EQ(records[1]["missed"][0]["reason"], "not a Pascal or form file: left unchanged");
        EXPECT_EQ(qvc::ReadFileBytes(notes), "Forms\r\nForms\r\n");

        const qvc::TJournal journal = qvc::ReadJournal(qvc::NewestJournal(Path("state/qvConvertFiles/runs")));
        EXPECT_EQ(journal.Scope, scope);
        const auto undo = RunQvconvert({ "undo" }, m_dir.string());
        EXPECT_EQ(undo.ExitCode, 0) << undo.Err;
        EXPECT_EQ(qvc::ReadFileBytes(unit), "uses Forms; { Forms }\r\n");
    }
}

TEST_F(ScopeOption, TheDefaultIsTheWholeTextAndOtherValuesAreRefused)
{
    const TEnvScope state("XDG_STATE_HOME", Path("state").c_str());
    Put("pairs.dat", "Forms=QForms\r\n");
    const std::string unit = Put("u.pas", "uses Forms; { Forms }\r\n");
    const TQvconvertRun bad
        = RunQvconvert({ "convert", "--repository", Path("pairs.dat"), "--scope", "comments", unit }, m_dir.string());
    EXPECT_EQ(bad.ExitCode, 2);
    EXPECT_NE(bad.Err.find("--scope"), std::string::npos) << bad.Err;
    EXPECT_EQ(qvc::ReadFileBytes(unit), "uses Forms; { Forms }\r\n");

    const TQvconvertRun run
        = RunQvconvert({ "convert", "--repository", Path("pairs.dat"), "--json", unit }, m_dir.string());
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_FALSE(nlohmann::json::parse(run.Out)[0].contains("scope"));
    EXPECT_EQ(qvc::ReadFileBytes(unit), "uses QForms; { Forms }\r\n");
    EXPECT_EQ(qvc::ReadJournal(qvc::NewestJournal(Path("state/qvConvertFiles/runs"))).Scope, "all");
}

} // namespace
