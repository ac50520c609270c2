// What a run left in place ("missed", --missed) and the diff of what it changes (--diff), seen from outside.
#include "QvconvertRunner.h"

#include "common/FileIO.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using TTree = std::map<std::string, std::string>; // relative path -> bytes

class MissedAndDiff : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qvc-diff-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string &name) const { return (m_dir / name).string(); }
    std::string Write(const std::string &name, const std::string &bytes) const
    {
        std::string path = Path(name);
        fs::create_directories(fs::path(path).parent_path());
        qvc::WriteFileReplacing(path, bytes);
        return path;
    }

    // Runs a shell command line in `folder`; its standard output goes to `out` (a name in the test folder).
    int Shell(const std::string &folder, const std::string &command, const std::string &out) const
    {
        const std::string line
            = "cd '" + Path(folder) + "' && " + command + " > '" + Path(out) + "' 2> '" + Path(out + ".err") + "'";
        return std::system(line.c_str());
    }
    int Qvconvert(const std::string &folder, const std::string &args, const std::string &out) const
    {
        return Shell(folder, std::string("'") + QVC_QVCONVERT + "' convert " + args, out);
    }

    TTree ReadTree(const std::string &folder) const
    {
        TTree tree;
        for (const auto &entry : fs::recursive_directory_iterator(Path(folder)))
            if (entry.is_regular_file())
                tree[fs::relative(entry.path(), Path(folder)).string()] = qvc::ReadFileBytes(entry.path().string());
        return tree;
    }
    void WriteTree(const std::string &folder, const TTree &tree) const
    {
        for (const auto &[name, bytes] : tree)
            Write(folder + "/" + name, bytes);
    }

    fs::path m_dir;
};

// A small Delphi tree: units with uses clauses, every line end (CR LF, LF, lone CR), files with and without a
// final line break, a unit whose own name a pair replaces, folders, a name with a blank.
TTree GeneratedTree(unsigned seed, int units)
{
    std::mt19937 random(seed);
    const std::vector<std::string> ends = { "\r\n", "\n", "\r", "\r\n" };
    const std::vector<std::string> usesNames = { "Forms", "Dialogs", "SysUtils", "Graphics", "Classes", "Controls" };
    TTree tree;
    for (int u = 0; u < units; ++u) {
        const std::string name = u == 3 ? "Legacy" : "Unit" + std::to_string(u);
        const std::string &end = ends[random() % ends.size()];
        const bool mixed = random() % 3 == 0;
        const auto eol = [&] { return mixed ? ends[random() % ends.size()] : end; };
        std::string text = "unit " + name + ";" + eol() + eol() + "interface" + eol() + eol() + "uses";
        const int count = 1 + static_cast<int>(random() % 5);
        for (int k = 0; k < count; ++k)
            text += std::string(k ? "," : "") + " " + usesNames[random() % usesNames.size()];
        text += ";" + eol() + eol() + "type" + eol();
        const int lines = static_cast<int>(random() % 30);
        for (int k = 0; k < lines; ++k) {
            switch (random() % 5) {
            case 0:
                text += "  TForm" + std::to_string(k) + " = class(TForm)" + eol();
                break;
            case 1:
                text += "  x := Forms.Application + Forms.Screen;" + eol();
                break;
            case 2:
                text += "  // Dialogs and MyDialogs, Dialogs" + eol();
                break;
            default:
                text += "  y" + std::to_string(k) + ": Integer;" + eol();
            }
        }
        text += "implementation" + eol() + "end.";
        if (random() % 4 != 0)
            text += eol();
        const std::string folder = u % 3 == 0 ? "" : u % 3 == 1 ? "lib/" : "lib/more stuff/";
        tree[folder + name + ".pas"] = text;
    }
    tree["lib/unchanged.pas"] = "unit unchanged;\nend.\n";
    return tree;
}

TEST_F(MissedAndDiff, JsonListsEveryMissWithLineFindAndReason)
{
    Write("r.dat", "Forms=QForms\r\nForms2=Vcl.Forms2\r\n");
    const std::string file = Write("u.pas",
        "x := Forms.A + Forms.B;\r\nuses QForms, Forms;\r\ny := MyForms + Forms;\r\nuses Vcl.Forms2;\r\nz := "
        "Forms;\r\n");
    const TQvconvertRun run
        = RunQvconvert({ "convert", "--repository", Path("r.dat"), "--simulate", "--json", file }, m_dir.string());
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto json = nlohmann::json::parse(run.Out);
    const auto expected = nlohmann::json::parse(R"([
        { "line": 1, "find": "Forms", "reason": "second occurrence on the line" },
        { "line": 2, "find": "Forms", "reason": "the line already holds the replace text" },
        { "line": 3, "find": "Forms", "reason": "an earlier occurrence inside a longer word" }
    ])");
    EXPECT_EQ(json[0]["missed"], expected);
    EXPECT_EQ(json[0]["count"], 2);
}

TEST_F(MissedAndDiff, MissedOptionAddsALastColumnAndATotalLine)
{
    Write("r.dat", "Forms=QForms\r\n");
    const std::string a = Write("a.pas", "uses Forms, Forms;\r\nx := Forms + Forms;\r\n");
    const std::string b = Write("b.pas", "uses Forms;\r\n");
    const std::string c = Write("c.pas", "uses QForms, Forms;\r\n");
    const TQvconvertRun run
        = RunQvconvert({ "convert", "--repository", Path("r.dat"), "--simulate", "--missed", a, b, c }, m_dir.string());
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start < run.Out.size()) {
        const std::size_t end = run.Out.find('\n', start);
        std::vector<std::string> cells;
        std::size_t cell = start;
        for (;;) {
            const std::size_t tab = run.Out.find('\t', cell);
            if (tab == std::string::npos || tab > end) {
                cells.push_back(run.Out.substr(cell, end - cell));
                break;
            }
            cells.push_back(run.Out.substr(cell, tab - cell));
            cell = tab + 1;
        }
        rows.push_back(cells);
        start = end + 1;
    }
    ASSERT_EQ(rows.size(), 4u) << run.Out;
    const std::vector<std::string> expectedFiles = { a, b, c };
    const std::vector<std::string> expectedMissed = { "2", "0", "1" };
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(rows[i].size(), 6u) << run.Out;
        EXPECT_EQ(rows[i][4], expectedFiles[i]); // the columns before keep their places
        EXPECT_EQ(rows[i][5], expectedMissed[i]);
    }
    EXPECT_EQ(rows[3], (std::vector<std::string> { "total", "", "", "", "", "3" }));
}

TEST_F(MissedAndDiff, DiffOfARealRunTakenBackRestoresTheTree)
{
    Write("r.dat", "Forms=QForms\r\nDialogs=QDialogs\r\nLegacy=LegacyClx\r\nGraphics=QGraphics\r\n");
    WriteTree("tree", GeneratedTree(7, 24));
    // A companion of the unit that gets a new name: it is renamed with it, and the diff says so.
    Write("tree/Legacy.txt", "notes on the Legacy unit\n");
    const TTree original = ReadTree("tree");

    // The diff a simulated run shows is the diff of the real run.
    ASSERT_EQ(Qvconvert("tree", "--repository ../r.dat --simulate --diff .", "simulated.diff"), 0);
    ASSERT_EQ(ReadTree("tree"), original) << "simulating writes nothing";
    ASSERT_EQ(Qvconvert("tree", "--repository ../r.dat --diff .", "real.diff"), 0);
    const std::string diff = qvc::ReadFileBytes(Path("real.diff"));
    EXPECT_EQ(qvc::ReadFileBytes(Path("simulated.diff")), diff);
    const TTree converted = ReadTree("tree");
    ASSERT_NE(converted, original);
    EXPECT_NE(diff.find("rename from Legacy.pas\nrename to LegacyClx.pas\n"), std::string::npos) << diff;
    EXPECT_NE(diff.find("similarity index 100%\nrename from Legacy.txt\nrename to LegacyClx.txt\n"), std::string::npos)
        << diff;
    EXPECT_NE(diff.find('\r'), std::string::npos) << "CR bytes stay in the diff";
    EXPECT_EQ(diff.find("unchanged.pas"), std::string::npos) << "files not written are not in the diff";

    // patch and git apply, each on its own copy of the converted tree.
    struct TTool
    {
        const char *Check;
        const char *Apply;
    };
    int applied = 0;
    for (const TTool &tool : { TTool { "patch --version", "patch -p1 -R --quiet" },
             TTool { "git --version", "git apply -R --whitespace=nowarn" } }) {
        if (std::system((std::string(tool.Check) + " > /dev/null 2>&1").c_str()) != 0)
            continue;
        const std::string copy = std::string("copy-") + (applied == 0 ? "patch" : "git");
        WriteTree(copy, converted);
        ASSERT_EQ(Shell(copy, std::string(tool.Apply) + " < '" + Path("real.diff") + "'", copy + ".out"), 0)
            << tool.Apply << ": " << qvc::ReadFileBytes(Path(copy + ".out.err"));
        EXPECT_EQ(ReadTree(copy), original) << tool.Apply;
        ++applied;
    }
    if (applied == 0)
        GTEST_SKIP() << "neither patch nor git is installed";
}

TEST_F(MissedAndDiff, DiffHeadersForCopiesRenamesAndBinaryForms)
{
    Write("r.dat", "<|ChangeFileName=0|>\r\nclBtnFace=clButton\r\nAlpha=Beta\r\nTO32frmCollEditor=TQForm\r\n");
    Write("work/Form1.dfm", "object F\r\n  Color = clBtnFace\r\nend\r\n");
    Write("work/Alpha.pas", "unit Alpha;\r\n");
    Write("work/Bin.dfm", qvc::ReadFileBytes(QVC_SOURCE_DIR "/tests/engine/data/pass/O32ColEd.binary.dfm"));
    ASSERT_EQ(Qvconvert("work", "--repository ../r.dat --simulate --diff Form1.dfm Alpha.pas Bin.dfm", "d"), 0);
    const std::string diff = qvc::ReadFileBytes(Path("d"));
    const std::string expected = "diff --git a/Form1.dfm b/Form1.xfm\n"
                                 "copy from Form1.dfm\n"
                                 "copy to Form1.xfm\n"
                                 "--- a/Form1.dfm\n"
                                 "+++ b/Form1.xfm\n"
                                 "@@ -1,3 +1,3 @@\n"
                                 " object F\r\n"
                                 "-  Color = clBtnFace\r\n"
                                 "+  Color = clButton\r\n"
                                 " end\r\n"
                                 "diff --git a/Alpha.pas b/Beta.pas\n"
                                 "rename from Alpha.pas\n"
                                 "rename to Beta.pas\n"
                                 "--- a/Alpha.pas\n"
                                 "+++ b/Beta.pas\n"
                                 "@@ -1 +1 @@\n"
                                 "-unit Alpha;\r\n"
                                 "+unit Beta;\r\n"
                                 "diff --git a/Bin.dfm b/Bin.xfm\n"
                                 "copy from Bin.dfm\n"
                                 "copy to Bin.xfm\n"
                                 "Binary files a/Bin.dfm and b/Bin.xfm differ\n";
    EXPECT_EQ(diff, expected);
}

TEST_F(MissedAndDiff, DiffAndJsonExcludeEachOther)
{
    Write("r.dat", "Forms=QForms\r\n");
    const std::string a = Write("a.pas", "uses Forms;\r\n");
    const TQvconvertRun run
        = RunQvconvert({ "convert", "--repository", Path("r.dat"), "--diff", "--json", a }, m_dir.string());
    EXPECT_NE(run.ExitCode, 0);
    EXPECT_EQ(qvc::ReadFileBytes(a), "uses Forms;\r\n");
}

} // namespace
