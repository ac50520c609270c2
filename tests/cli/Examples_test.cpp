// The example repositories of examples/: each loads through the repository reader in its written form, and
// "qvconvert convert" carries a generated Delphi 7 project with them: its uses clauses take the new unit names,
// lines that trip a whole-word pass (properties and variables named like units, qualified calls, comments, a
// longer unit name before a shorter one that ends it) come out as the README says, every pair fires, and a
// second run changes nothing.
#include "common/FileIO.h"
#include "common/TextLines.h"
#include "repository/SubstitutionRepository.h"

#include "QvconvertRunner.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using TUnitMap = std::vector<std::pair<std::string, std::string>>;
using TTree = std::map<std::string, std::string>;

struct TTrapLine
{
    std::string Before;
    std::string After;
};

struct TExample
{
    const char *Name;
    const char *File;
    TUnitMap Documented; ///< unit names the README promises, with their new text
    std::vector<TTrapLine> Traps;
    qvc::TRenameMode RenameMode = qvc::TRenameMode::None; ///< the example's rename marker
    const char *Resource = "{$R *.dfm}"; ///< the units' form resource directive once converted
};

void PrintTo(const TExample &example, std::ostream *out)
{
    *out << example.Name;
}

std::string Lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWithNoCase(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && Lower(text.substr(text.size() - end.size())) == Lower(end);
}

/// The unit map of an example: every unit stands as two lines, "Name,=New," then "Name;=New;", so a name changes
/// only where a comma or a semicolon follows it, as in a uses clause. A last pair naming form files is no unit.
TUnitMap UnitMapOf(const qvc::TSubstitutionRepository &repository)
{
    TUnitMap units;
    std::size_t count = repository.Count();
    if (count > 0 && repository.Find(count - 1).find(".dfm") != std::string_view::npos)
        --count;
    for (std::size_t row = 0; row + 1 < count; row += 2) {
        const std::string find(repository.Find(row));
        const std::string replace(repository.Replace(row));
        EXPECT_TRUE(find.size() > 1 && find.back() == ',' && replace.size() > 1 && replace.back() == ',')
            << repository.Line(row);
        const std::string name = find.substr(0, find.size() - 1);
        const std::string newText = replace.substr(0, replace.size() - 1);
        EXPECT_EQ(repository.Line(row + 1), name + ";=" + newText + ";");
        units.emplace_back(name, newText);
    }
    EXPECT_EQ(count % 2, 0u);
    return units;
}

/// The text a unit name has in the converted project.
std::string Spell(const TUnitMap &units, const std::string &name)
{
    for (const auto &[unit, newText] : units)
        if (Lower(unit) == Lower(name))
            return newText;
    return name;
}

/// A Delphi 7 project with one form unit per unit name, written by the IDE's habits: GenUnit<i> uses names i-4 .. i
/// in its interface, three to a line, and name i beside the next project unit in its implementation, so every name
/// stands once before a ";" and once before a ",". Names go shortest first, so no name follows on its line a longer
/// one that ends in it (the traps test that case on its own). `spell` gives each name's text; with `convertedForm`
/// every file has CR LF line ends, otherwise the odd units have LF. Traps.pas holds the trap lines.
TTree GenerateProject(std::vector<std::string> names, const TUnitMap &spell, const std::vector<std::string> &trapLines,
    bool convertedForm, const std::string &resource = "{$R *.dfm}")
{
    std::stable_sort(names.begin(), names.end(), [](const auto &a, const auto &b) { return a.size() < b.size(); });
    const auto spelled = [&](const std::string &name) { return Spell(spell, name); };
    const std::size_t n = names.size();
    TTree tree;

    std::vector<std::string> project = { "program GenProject;", "", "uses", "  " + spelled("Forms") + "," };
    for (std::size_t i = 0; i < n; ++i)
        project.push_back("  GenUnit" + std::to_string(i) + " in 'src/GenUnit" + std::to_string(i) + ".pas' {GenForm"
            + std::to_string(i) + "}" + (i + 1 < n ? "," : ";"));
    for (const char *line : { "", "{$R *.res}", "", "begin", "  Application.Initialize;",
             "  Application.CreateForm(TGenForm0, GenForm0);", "  Application.Run;", "end." })
        project.emplace_back(line);
    tree["GenProject.dpr"] = qvc::JoinLinesCrLf(project);

    for (std::size_t i = 0; i < n; ++i) {
        const std::string number = std::to_string(i);
        std::vector<std::string> lines = { "unit GenUnit" + number + ";", "",
            "{ Formul\xE1rio gerado para o teste de convers\xE3o }", "", "interface", "", "uses" };
        const std::size_t first = i >= 4 ? i - 4 : 0;
        std::string line = " ";
        for (std::size_t k = first; k <= i; ++k) {
            line += " " + spelled(names[k]) + (k < i ? "," : ";");
            if ((k - first) % 3 == 2 || k == i) {
                lines.push_back(line);
                line = " ";
            }
        }
        for (const std::string &text : std::vector<std::string> { "", "type", "  TGenForm" + number + " = class(TForm)",
                 "    Button1: TButton;", "    procedure Button1Click(Sender: TObject);", "  end;", "", "var",
                 "  GenForm" + number + ": TGenForm" + number + ";", "", "implementation", "", "uses",
                 "  " + spelled(names[i]) + ", GenUnit" + std::to_string((i + 1) % n) + ";", "", resource, "",
                 "procedure TGenForm" + number + ".Button1Click(Sender: TObject);", "var", "  I: Integer;", "begin",
                 "  for I := 0 to ControlCount - 1 do", "    Controls[I].Tag := I;",
                 "  ShowMessage(IntToStr(Screen.FormCount));", "end;", "", "end." })
            lines.push_back(text);
        std::string text = qvc::JoinLinesCrLf(lines);
        if (!convertedForm && i % 2 == 1)
            text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        tree["src/GenUnit" + number + ".pas"] = text;
    }
    tree["src/GenUnit0.dfm"] = "object GenForm0: TGenForm0\r\n  Left = 192\r\n  Caption = 'GenForm0'\r\n"
                               "  object Button1: TButton\r\n    OnClick = Button1Click\r\n  end\r\nend\r\n";

    std::vector<std::string> traps = { "unit Traps;", "", "{ Lines that are not uses clauses, and uses clauses that",
        "  trip a whole-word pass. }", "" };
    traps.insert(traps.end(), trapLines.begin(), trapLines.end());
    traps.emplace_back("end.");
    tree["src/Traps.pas"] = qvc::JoinLinesCrLf(traps);
    return tree;
}

/// Lines where a longer unit name ending in a shorter one stands before it: with a comma after both the shorter
/// keeps its name on that line; with a semicolon after the shorter both change.
std::vector<TTrapLine> SuffixTraps(const TUnitMap &units)
{
    std::vector<TTrapLine> traps;
    for (const auto &[shorter, shorterNew] : units)
        for (const auto &[longer, longerNew] : units)
            if (longer.size() > shorter.size() && EndsWithNoCase(longer, shorter)) {
                traps.push_back({ "  " + longer + ", " + shorter + ",", "  " + longerNew + ", " + shorter + "," });
                traps.push_back({ "  " + longer + ", " + shorter + ";", "  " + longerNew + ", " + shorterNew + ";" });
            }
    return traps;
}

class ExampleRepository : public TTempFolderTest, public testing::WithParamInterface<TExample>
{
protected:
    std::string DatPath() const { return std::string(QVC_SOURCE_DIR "/examples/") + GetParam().File; }

    /// Converts the tree under project/ with the example and returns qvconvert's JSON records.
    nlohmann::json Convert() const
    {
        // No form is written under another name: the texts are what is looked at.
        const TQvconvertRun run = RunQvconvert(
            { "convert", "--repository", DatPath(), "--rename", "none", "--json", Path("project") }, m_dir.string());
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        return nlohmann::json::parse(run.Out);
    }

    TTree ReadTree(const TTree &like) const
    {
        TTree tree;
        for (const auto &[name, bytes] : like)
            tree[name] = qvc::ReadFileBytes(Path("project/" + name));
        return tree;
    }
};

TEST_P(ExampleRepository, LoadsInItsWrittenForm)
{
    qvc::TSubstitutionRepository repository;
    ASSERT_TRUE(repository.OpenRepositoryFile(DatPath()));
    EXPECT_EQ(repository.RenameMode(), GetParam().RenameMode);
    EXPECT_EQ(qvc::ReadFileBytes(DatPath()), qvc::RepositoryFileBytes(repository.Lines(), GetParam().RenameMode));
    const TUnitMap units = UnitMapOf(repository);
    std::set<std::string> seen;
    for (const auto &[name, newText] : units) {
        EXPECT_TRUE(seen.insert(Lower(name)).second) << name << " stands twice";
        EXPECT_NE(name.find_first_not_of(' '), std::string::npos);
    }
    for (const auto &[name, newText] : GetParam().Documented)
        EXPECT_EQ(Spell(units, name), newText) << name;
    for (const std::string &line : repository.Lines())
        EXPECT_EQ(Lower(line).find("{$r"), std::string::npos) << line;
}

TEST_P(ExampleRepository, ConvertsAGeneratedProjectAsTheReadmeSays)
{
    qvc::TSubstitutionRepository repository;
    ASSERT_TRUE(repository.OpenRepositoryFile(DatPath()));
    const TUnitMap units = UnitMapOf(repository);
    std::vector<std::string> names;
    for (const auto &[name, newText] : units)
        names.push_back(name);
    std::vector<TTrapLine> traps = GetParam().Traps;
    for (const TTrapLine &trap : SuffixTraps(units))
        traps.push_back(trap);
    std::vector<std::string> before;
    std::vector<std::string> after;
    for (const TTrapLine &trap : traps) {
        before.push_back(trap.Before);
        after.push_back(trap.After);
    }

    const TTree original = GenerateProject(names, {}, before, false);
    for (const auto &[name, bytes] : original) {
        std::filesystem::create_directories(std::filesystem::path(Path("project/" + name)).parent_path());
        qvc::WriteFileReplacing(Path("project/" + name), bytes);
    }

    const nlohmann::json first = Convert();
    ASSERT_EQ(first.size(), original.size());
    std::set<std::string> fired;
    for (const auto &record : first)
        for (const auto &entry : record["entries"])
            fired.insert(entry["find"].get<std::string>() + "=" + entry["replace"].get<std::string>());
    for (const std::string &line : repository.Lines())
        EXPECT_EQ(fired.count(line), 1u) << line << " never fired";

    const TTree converted = ReadTree(original);
    const TTree expected = GenerateProject(names, units, after, true, GetParam().Resource);
    for (const auto &[name, bytes] : expected)
        EXPECT_EQ(converted.at(name), bytes) << name;
    EXPECT_FALSE(std::filesystem::exists(Path("project/src/GenUnit0.xfm")));

    const nlohmann::json second = Convert();
    ASSERT_EQ(second.size(), original.size());
    for (const auto &record : second)
        EXPECT_EQ(record["count"], 0) << record["file"];
    EXPECT_EQ(ReadTree(original), converted);
}

const TExample kExamples[] = {
    { "VclUnitScopeNames", "vcl-unit-scope-names.dat",
        { { "SysUtils", "System.SysUtils" }, { "Classes", "System.Classes" }, { "Windows", "Winapi.Windows" },
            { "Messages", "Winapi.Messages" }, { "Forms", "Vcl.Forms" }, { "Controls", "Vcl.Controls" },
            { "Graphics", "Vcl.Graphics" }, { "Dialogs", "Vcl.Dialogs" }, { "StdCtrls", "Vcl.StdCtrls" },
            { "ExtCtrls", "Vcl.ExtCtrls" }, { "ComCtrls", "Vcl.ComCtrls" }, { "DB", "Data.DB" },
            { "Registry", "System.Win.Registry" }, { "Jpeg", "Vcl.Imaging.jpeg" } },
        {
            // Properties and qualified names keep their text: no comma or semicolon follows the name.
            { "    Screen.Forms[I].Close;", "    Screen.Forms[I].Close;" },
            { "    Panel1.Controls[I].Visible := False;", "    Panel1.Controls[I].Visible := False;" },
            { "    RadioGroup1.Buttons[0].Enabled := False;", "    RadioGroup1.Buttons[0].Enabled := False;" },
            { "    S := SysUtils.Format('%d', [N]);", "    S := SysUtils.Format('%d', [N]);" },
            { "    Windows.Beep(440, 100);", "    Windows.Beep(440, 100);" },
            { "  { Graphics and Math routines }", "  { Graphics and Math routines }" },
            { "  Forms {main form},", "  Forms {main form}," },
            { "  Unit1 in 'Unit1.pas' {Form1};", "  Unit1 in 'Unit1.pas' {Form1};" },
            // Already scoped: the new text is on the line.
            { "uses Vcl.Forms, System.SysUtils;", "uses Vcl.Forms, System.SysUtils;" },
            // Letter case does not matter; the new text has the unit's own.
            { "uses forms, sysutils;", "uses Vcl.Forms, System.SysUtils;" },
            // A word followed by a comma or a semicolon changes wherever it stands.
            { "    Log(Messages, 1);", "    Log(Winapi.Messages, 1);" },
            { "    Result := Flags and Mask;", "    Result := Flags and Vcl.Mask;" },
            { "  // needs Forms, Dialogs;", "  // needs Vcl.Forms, Vcl.Dialogs;" },
            { "    ShowMessage('Controls, Menus;');", "    ShowMessage('Vcl.Controls, Vcl.Menus;');" },
            // A shorter name before a longer one ending in it, or a name that only begins another, is no trap.
            { "uses Menus, ActnMenus;", "uses Vcl.Menus, Vcl.ActnMenus;" },
            { "uses DB, DBGrids, DBTables;", "uses Data.DB, Vcl.DBGrids, Bde.DBTables;" },
            { "uses DBGrids, DB;", "uses Vcl.DBGrids, Data.DB;" },
        } },
    { "DelphiToLazarus", "delphi-to-lazarus.dat", { { "Windows", "LCLIntf, LCLType" }, { "Messages", "LMessages" } },
        {
            { "    Windows.Beep(440, 100);", "    Windows.Beep(440, 100);" },
            { "  {$IFDEF WINDOWS}", "  {$IFDEF WINDOWS}" },
            { "{$R *.dfm}", "{$R *.dfm}" },
            { "uses Windows, Messages, SysUtils;", "uses LCLIntf, LCLType, LMessages, SysUtils;" },
            { "uses windows;", "uses LCLIntf, LCLType;" },
            { "uses LCLIntf, LCLType, LMessages;", "uses LCLIntf, LCLType, LMessages;" },
            { "    Log(Messages, 1);", "    Log(LMessages, 1);" },
            { "    Result := Flags and Mask;", "    Result := Flags and MaskEdit;" },
            { "  // runs on Windows, Linux;", "  // runs on LCLIntf, LCLType, Linux;" },
        } },
    { "DelphiToKylix", "delphi-to-kylix.dat",
        { { "Forms", "QForms" }, { "Controls", "QControls" }, { "Dialogs", "QDialogs" }, { "Windows", "Types" },
            { "FileCtrl", "QFileCtrls" } },
        {
            // Members and folder names keep their text: no comma or semicolon follows the name.
            { "    Screen.Forms[I].Close;", "    Screen.Forms[I].Close;" },
            { "    Panel1.Controls[I].Visible := False;", "    Panel1.Controls[I].Visible := False;" },
            { "  uCliente1 in 'src\\forms\\uCliente1.pas',", "  uCliente1 in 'src\\forms\\uCliente1.pas'," },
            { "uses Forms, Dialogs;", "uses QForms, QDialogs;" },
        },
        qvc::TRenameMode::DelphiToKylix, "{$R *.xfm}" },
};

INSTANTIATE_TEST_SUITE_P(
    Examples, ExampleRepository, testing::ValuesIn(kExamples), [](const auto &info) { return info.param.Name; });

} // namespace

namespace {

const std::string kKylixExample = std::string(QVC_SOURCE_DIR) + "/examples/delphi-to-kylix.dat";

// The unit of the README's table of scopes, and what each scope makes of its lines with the Kylix example.
class ReadmeScopes : public TTempFolderTest
{
protected:
    std::vector<std::string> ConvertIn(const std::string &scope, nlohmann::json &records)
    {
        const std::string file = Path(scope + "/uClientes.pas");
        std::filesystem::create_directories(Path(scope));
        qvc::WriteFileReplacing(file, qvc::JoinLinesCrLf(kUnit));
        const TQvconvertRun run = RunQvconvert(
            { "convert", "--repository", kKylixExample, "--rename", "none", "--scope", scope, "--json", file },
            m_dir.string());
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        records = nlohmann::json::parse(run.Out);
        return qvc::SplitLines(qvc::ReadFileBytes(file));
    }

    const std::vector<std::string> kUnit = { "unit uClientes;", "", "interface", "", "uses",
        "  Windows, Types, Messages, SysUtils, Forms, Controls, StdCtrls, Dialogs;", "", "type",
        "  TfrmClientes = class(TForm)", "    procedure FormShow(Sender: TObject);", "  end;", "", "implementation", "",
        "uses", "  Windows;", "", "{$R *.dfm}", "", "procedure TfrmClientes.FormShow(Sender: TObject);", "var",
        "  Forms, Controls: Integer;", "begin", "  { Forms, Controls; }", "  Forms := Screen.FormCount;",
        "  Controls := ControlCount;", "  Caption := 'Forms, Controls;';", "  Windows.Beep(440, 100);", "end;", "",
        "end." };
};

std::vector<std::string> Reasons(const nlohmann::json &records)
{
    std::vector<std::string> reasons;
    for (const auto &miss : records.at(0)["missed"])
        reasons.push_back(std::to_string(miss["line"].get<int>()) + " " + miss["reason"].get<std::string>());
    return reasons;
}

TEST_F(ReadmeScopes, EachScopeMakesOfTheUnitWhatTheTableSays)
{
    nlohmann::json records;
    std::vector<std::string> all = ConvertIn("all", records);
    EXPECT_FALSE(records.at(0).contains("scope"));
    EXPECT_EQ(all[5], "  Windows, Types, Messages, SysUtils, QForms, QControls, QStdCtrls, QDialogs;");
    EXPECT_EQ(all[15], "  Types;");
    EXPECT_EQ(all[17], "{$R *.xfm}");
    EXPECT_EQ(all[21], "  QForms, Controls: Integer;");
    EXPECT_EQ(all[23], "  { QForms, QControls; }");
    EXPECT_EQ(all[26], "  Caption := 'QForms, QControls;';");
    EXPECT_EQ(all[27], "  Windows.Beep(440, 100);");

    const std::vector<std::string> code = ConvertIn("code", records);
    EXPECT_EQ(records.at(0)["scope"], "code");
    EXPECT_EQ(code[5], "  Types, Types, Messages, SysUtils, QForms, QControls, QStdCtrls, QDialogs;");
    EXPECT_EQ(code[15], "  Types;");
    EXPECT_EQ(code[17], "{$R *.xfm}");
    EXPECT_EQ(code[21], "  QForms, Controls: Integer;");
    EXPECT_EQ(code[23], kUnit[23]);
    EXPECT_EQ(code[26], kUnit[26]);
    EXPECT_EQ(Reasons(records),
        (std::vector<std::string> {
            "24 inside a comment", "24 inside a comment", "27 inside a string", "27 inside a string" }));

    const std::vector<std::string> uses = ConvertIn("uses", records);
    EXPECT_EQ(records.at(0)["scope"], "uses");
    EXPECT_EQ(uses[5], "  Types, Messages, SysUtils, QForms, QControls, QStdCtrls, QDialogs;");
    EXPECT_EQ(uses[14], "");
    EXPECT_EQ(uses[15], "");
    EXPECT_EQ(uses[17], "{$R *.xfm}");
    for (const std::size_t line : { 21u, 23u, 26u, 27u })
        EXPECT_EQ(uses[line], kUnit[line]) << line;
    EXPECT_EQ(Reasons(records), std::vector<std::string> { "28 qualified by a replaced unit name" });
    ASSERT_EQ(uses.size(), kUnit.size());

    // A second run in each scope changes nothing more.
    for (const char *scope : { "all", "code", "uses" }) {
        const std::string file = Path(std::string(scope) + "/uClientes.pas");
        const std::string before = qvc::ReadFileBytes(file);
        const TQvconvertRun again = RunQvconvert(
            { "convert", "--repository", kKylixExample, "--rename", "none", "--scope", scope, file }, m_dir.string());
        EXPECT_EQ(again.ExitCode, 0) << again.Err;
        EXPECT_EQ(qvc::ReadFileBytes(file), before) << scope;
    }
}

} // namespace
