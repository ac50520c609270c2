// What a Delphi program gets on its way to Lazarus: Interfaces before Forms, and {$R *.RES} as the disk
// spells the resource file. The folder is a fake: the names it holds are set per case.
#include "engine/pascal/LazarusProgram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_onDisk;

std::vector<std::string> FakeFolder(const std::string &, std::string_view name)
{
    std::vector<std::string> names;
    for (const std::string &entry : g_onDisk)
        if (entry.size() == name.size() && std::equal(entry.begin(), entry.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            names.push_back(entry);
    return names;
}

struct TCase
{
    const char *Name;
    const char *File;
    std::vector<std::string> OnDisk;
    std::string Text;
    std::string Expected; ///< empty: no fix
    std::vector<std::string> Entries;
    std::string NotFound; ///< the directive listed as not found, if any
};

std::string Apply(const std::string &text, const std::vector<qvc::TProgramFix> &fixes)
{
    std::string out;
    std::size_t copied = 0;
    for (const auto &fix : fixes) {
        out += text.substr(copied, fix.Edit.Start - copied) + fix.Edit.Text;
        copied = fix.Edit.End;
    }
    return out + text.substr(copied);
}

class LazarusProgram : public ::testing::TestWithParam<TCase>
{
};

TEST_P(LazarusProgram, GetsWhatItNeedsToBuild)
{
    const TCase &c = GetParam();
    g_onDisk = c.OnDisk;
    std::vector<qvc::TMissedOccurrence> notFound;
    const auto fixes = qvc::LazarusProgramFixes(c.Text, c.File, notFound, FakeFolder);
    EXPECT_EQ(Apply(c.Text, fixes), c.Expected.empty() ? c.Text : c.Expected);
    std::vector<std::string> entries;
    entries.reserve(fixes.size());
    for (const auto &fix : fixes)
        entries.push_back(fix.Find + "=" + fix.Replace);
    EXPECT_EQ(entries, c.Entries);
    if (c.NotFound.empty()) {
        EXPECT_TRUE(notFound.empty());
    } else {
        ASSERT_EQ(notFound.size(), 1u);
        EXPECT_EQ(notFound[0].Find, c.NotFound);
        EXPECT_EQ(notFound[0].Reason, qvc::TMissReason::ResourceNotFound);
        EXPECT_EQ(notFound[0].Line, 2u);
    }
}

const TCase kCases[] = {
    { "InterfacesBeforeForms", "/p/Demo.dpr", { "Demo.res" }, "program Demo;\nuses Forms, Unit1;\n{$R *.res}\n",
        "program Demo;\nuses Interfaces, Forms, Unit1;\n{$R *.res}\n", { "Forms=Interfaces, Forms" }, {} },
    { "InterfacesInsideTheBranchOfForms", "/p/Demo.dpr", {},
        "program Demo;\nuses {$IFDEF FPC}cthreads, {$ENDIF}\n  {$IFDEF GUI}forms{$ENDIF}, Unit1;\n",
        "program Demo;\nuses {$IFDEF FPC}cthreads, {$ENDIF}\n  {$IFDEF GUI}Interfaces, forms{$ENDIF}, Unit1;\n",
        { "forms=Interfaces, forms" }, {} },
    { "InterfacesAlreadyThere", "/p/Demo.lpr", {}, "program Demo;\nuses Interfaces, Forms;\n", {}, {}, {} },
    { "NoFormsNoInterfaces", "/p/Tool.dpr", {}, "program Tool;\nuses SysUtils;\n", {}, {}, {} },
    { "ALibraryIsNoProgram", "/p/Lib.dpr", {}, "library Lib;\nuses Forms;\n", {}, {}, {} },
    { "AUnitIsNoProgram", "/p/Demo.pas", {}, "program Demo;\nuses Forms;\n", {}, {}, {} },
    { "FormsInACommentOrString", "/p/Demo.dpr", {}, "program Demo;\n{ uses Forms; }\nconst S = 'uses Forms;';\n", {},
        {}, {} },
    { "ResourceExtensionCase", "/p/Demo.dpr", { "Demo.res" }, "program Demo;\n{$R *.RES}\n",
        "program Demo;\n{$R *.res}\n", { "{$R *.RES}={$R *.res}" }, {} },
    { "ResourceBaseNameCase", "/p/Demo.dpr", { "demo.RES" }, "program Demo;\n{$r *.RES}\n",
        "program Demo;\n{$r demo.RES}\n", { "{$r *.RES}={$r demo.RES}" }, {} },
    { "ResourceExplicitName", "/p/Demo.dpr", { "icons.res" }, "program Demo;\n{$R Icons.RES}\n",
        "program Demo;\n{$R icons.res}\n", { "{$R Icons.RES}={$R icons.res}" }, {} },
    { "ResourceAsOnDisk", "/p/Demo.dpr", { "Demo.RES", "Demo.res" }, "program Demo;\n{$R *.RES}\n", {}, {}, {} },
    { "ResourceNotFound", "/p/Demo.dpr", {}, "program Demo;\n{$R *.RES}\n", {}, {}, "{$R *.RES}" },
    { "OtherDirectivesLeft", "/p/Demo.dpr", {}, "program Demo;\n{$R *.dfm} {$R 'a b.res'} {$RANGECHECKS ON}\n", {}, {},
        {} },
};

INSTANTIATE_TEST_SUITE_P(Programs, LazarusProgram, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<TCase> &info) { return std::string(info.param.Name); });

} // namespace
