// "qvconvert undo" and the plan fields of "qvconvert convert --json" as a black box.
#include "common/FileIO.h"

#include "QvconvertRunner.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <map>

namespace {

using Folder = std::map<std::string, std::string>;

class UndoCommand : public TTempFolderTest
{
protected:
    void SetUp() override
    {
        TTempFolderTest::SetUp();
        std::filesystem::create_directories(m_dir / "tree");
        std::filesystem::create_directories(m_dir / "run");
        // The journals of these runs stay in this test's folder.
        ::setenv("XDG_STATE_HOME", Path("state").c_str(), 1);
        qvc::WriteFileReplacing(Path("pairs.dat"), "Forms=QForms\r\nAlpha=NewAlpha\r\n");
    }
    void Lay(const Folder &files)
    {
        for (const auto &[name, bytes] : files)
            qvc::WriteFileReplacing(Path("tree/" + name), bytes);
    }
    Folder Tree() const
    {
        Folder out;
        for (const auto &entry : std::filesystem::directory_iterator(m_dir / "tree"))
            out[entry.path().filename().string()] = qvc::ReadFileBytes(entry.path().string());
        return out;
    }
    TQvconvertRun Qvconvert(const std::vector<std::string> &args) { return RunQvconvert(args, Path("run")); }
};

const Folder kTree = {
    { "Alpha.pas", "unit Alpha;\r\nuses Forms;\r\n" },
    { "Alpha.dfm", "object Alpha: TForm\r\nend\r\n" },
    { "Unit1.dfm", "object F\r\n  C = Forms\r\nend\r\n" },
    { "Unit1.xfm", "porter's own\r\n" },
};

TEST_F(UndoCommand, SimulatedJsonNamesWhatTheRunWillDoAndUndoTakesTheRunBack)
{
    Lay(kTree);
    const std::vector<std::string> convert
        = { "convert", "--repository", Path("pairs.dat"), "--rename", "delphi-to-kylix", "--backup", "--json" };
    std::vector<std::string> simulate = convert;
    simulate.emplace_back("--simulate");
    simulate.push_back(Path("tree"));
    const TQvconvertRun planned = Qvconvert(simulate);
    std::vector<std::string> real = convert;
    real.push_back(Path("tree"));
    const TQvconvertRun done = Qvconvert(real);
    // Alpha.dfm becomes NewAlpha.xfm and takes Alpha.pas along, so the row of Alpha.pas fails in both.
    EXPECT_EQ(done.ExitCode, 1) << done.Err;
    EXPECT_EQ(planned.ExitCode, done.ExitCode) << planned.Err;
    EXPECT_EQ(planned.Err, done.Err);
    const auto plan = nlohmann::json::parse(planned.Out);
    const auto did = nlohmann::json::parse(done.Out);
    ASSERT_EQ(plan.size(), did.size());
    for (std::size_t i = 0; i < plan.size(); ++i)
        for (const char *field : { "count", "written", "backup", "renamed", "overwrites" })
            EXPECT_EQ(plan[i][field], did[i][field]) << plan[i]["file"] << " " << field;
    // Unit1.dfm is written as Unit1.xfm over the porter's file, which the plan names.
    bool named = false;
    for (const auto &row : plan)
        named = named || (row["file"] == Path("tree/Unit1.dfm") && row["overwrites"][0] == Path("tree/Unit1.xfm"));
    EXPECT_TRUE(named) << planned.Out;
    ASSERT_NE(Tree(), kTree);

    const TQvconvertRun undone = Qvconvert({ "undo" });
    EXPECT_EQ(undone.ExitCode, 0) << undone.Err;
    EXPECT_EQ(Tree(), kTree);
    const TQvconvertRun again = Qvconvert({ "undo" });
    EXPECT_EQ(again.ExitCode, 1);
    EXPECT_NE(again.Err.find("already undone"), std::string::npos) << again.Err;
}

TEST_F(UndoCommand, RefusesAFileChangedSinceTheRunAndNamesIt)
{
    Lay(kTree);
    ASSERT_EQ(
        Qvconvert({ "convert", "--repository", Path("pairs.dat"), "--backup", Path("tree/Unit1.dfm") }).ExitCode, 0);
    qvc::WriteFileReplacing(Path("tree/Unit1.dfm"), "edited later\r\n");
    const Folder before = Tree();
    const TQvconvertRun refused = Qvconvert({ "undo" });
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_NE(refused.Err.find(Path("tree/Unit1.dfm")), std::string::npos) << refused.Err;
    EXPECT_EQ(Tree(), before);
    const TQvconvertRun forced = Qvconvert({ "undo", "--force" });
    EXPECT_EQ(forced.ExitCode, 0) << forced.Err;
    // The edit is kept under the next numbered backup name, and the output says where.
    Folder expected = kTree;
    expected["Unit1.~dfm.~1~"] = "edited later\r\n";
    EXPECT_EQ(Tree(), expected);
    EXPECT_NE(forced.Out.find("kept\t" + Path("tree/Unit1.dfm") + "\t" + Path("tree/Unit1.~dfm.~1~") + "\n"),
        std::string::npos)
        << forced.Out;
}

} // namespace
