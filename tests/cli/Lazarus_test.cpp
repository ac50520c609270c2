// "qvconvert convert --rename delphi-to-lazarus": every Delphi form of the run beside it as a text .lfm,
// the units pointed at them, backups and a second run as for the other rename choices.
#include "QvconvertRunner.h"
#include "TempFolder.h"

#include "common/FileIO.h"
#include "engine/forms/BinaryFormToText.h"

#include <nlohmann/json.hpp>

namespace {

class LazarusRename : public TTempFolderTest
{
protected:
    std::string Put(const std::string &name, const std::string &bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        qvc::WriteFileReplacing(Path(name), bytes);
        return Path(name);
    }
    std::string Get(const std::string &name) const { return qvc::ReadFileBytes(Path(name)); }
    bool Has(const std::string &name) const { return std::filesystem::exists(Path(name)); }
};

TEST_F(LazarusRename, WritesEveryDelphiFormAsTextLfmAndPointsTheUnitsAtThem)
{
    ::setenv("LC_ALL", "C", 1);
    const std::string binary = qvc::ReadFileBytes(QVC_SOURCE_DIR "/tests/engine/data/pass/O32ColEd.binary.dfm");
    std::string binaryText;
    qvc::BinaryFormToText(qvc::SkipResourceHeader(binary), binaryText);
    Put("pairs.dat", "<|ChangeFileName=2|>\r\nForms=Forms, LCLType\r\n");
    // The form's class is declared in its unit: the LCL reads it as a TForm.
    const std::string editorUnit
        = "unit uEditor;\r\nuses Forms;\r\ntype TO32frmCollEditor = class(TForm) end;\r\n{$R *.dfm}\r\nend.\r\n";
    Put("src/uEditor.pas", editorUnit);
    Put("src/uEditor.dfm", binary);
    Put("src/uMain.pas", "unit uMain;\n{$r *.DFM}\nend.\n");
    Put("src/uMain.dfm", "object Main: TForm\r\n  Caption = 'Main'\r\nend\r\n");
    Put("src/uOwn.pas", "unit uOwn;\r\n{$R *.dfm}\r\n");
    Put("src/uOwn.dfm", "object Own: TForm\r\nend\r\n");
    Put("src/uOwn.lfm", "the porter's own Lazarus form");
    Put("src/uData.dfm", "garbage that is no form");

    const auto run = RunQvconvert({ "convert", "--json", "--backup", "--rename", "delphi-to-lazarus", "--repository",
                                      Path("pairs.dat"), Path("src") },
        m_dir.string());
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    // The .lfm leaves out what Delphi writes and the LCL's TForm, TListBox and TPanel do not read.
    std::string lazarusText = binaryText;
    for (const char *line : { "  OldCreateOrder = True\r\n", "  TextHeight = 13\r\n", "    ExplicitHeight = 123\r\n",
             "    ExplicitHeight = 123\r\n" }) {
        const auto at = lazarusText.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        lazarusText.erase(at, std::string_view(line).size());
    }
    EXPECT_EQ(Get("src/uEditor.lfm"), lazarusText);
    EXPECT_EQ(Get("src/uEditor.dfm"), binary) << "the Delphi form stays";
    EXPECT_EQ(Get("src/uMain.lfm"), "object Main: TForm\r\n  Caption = 'Main'\r\nend\r\n");
    EXPECT_EQ(Get("src/uOwn.lfm"), "the porter's own Lazarus form");
    EXPECT_FALSE(Has("src/uData.lfm")) << "a file that is no form is not written";
    EXPECT_EQ(Get("src/uEditor.pas"),
        "unit uEditor;\r\nuses Forms, LCLType;\r\ntype TO32frmCollEditor = class(TForm) end;\r\n{$R "
        "*.lfm}\r\nend.\r\n");
    EXPECT_EQ(Get("src/uMain.pas"), "unit uMain;\r\n{$R *.lfm}\r\nend.\r\n");
    EXPECT_EQ(Get("src/uEditor.~pas"), editorUnit);
    EXPECT_FALSE(Has("src/uEditor.~lfm")) << "a new form replaces nothing";

    const auto records = nlohmann::json::parse(run.Out);
    bool recorded = false;
    for (const auto &record : records)
        if (record["file"] == Path("src/uMain.pas"))
            for (const auto &entry : record["entries"])
                recorded = recorded || (entry["find"] == "{$R *.dfm}" && entry["replace"] == "{$R *.lfm}");
    EXPECT_TRUE(recorded) << "the resource line is recorded like a pair's replacement";
    // Each property left out is listed with its line, the third-party class once.
    std::vector<std::string> left;
    for (const auto &record : records)
        if (record["file"] == Path("src/uEditor.dfm"))
            for (const auto &miss : record["missed"])
                left.push_back(std::to_string(miss["line"].get<int>()) + " " + miss["find"].get<std::string>() + ": "
                    + miss["reason"].get<std::string>());
    EXPECT_EQ(left,
        (std::vector<std::string> { "12 OldCreateOrder: property unknown to the LCL",
            "18 TextHeight: property unknown to the LCL", "30 ExplicitHeight: property unknown to the LCL",
            "40 ExplicitHeight: property unknown to the LCL", "41 TOvcSpeedButton: class unknown to the LCL" }));

    const auto again = RunQvconvert(
        { "convert", "--json", "--rename", "delphi-to-lazarus", "--repository", Path("pairs.dat"), Path("src") },
        m_dir.string());
    ASSERT_EQ(again.ExitCode, 0) << again.Err;
    for (const auto &record : nlohmann::json::parse(again.Out))
        EXPECT_EQ(record["count"], 0) << record["file"];
    EXPECT_EQ(Get("src/uEditor.lfm"), lazarusText);
}

} // namespace
