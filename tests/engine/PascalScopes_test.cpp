// The code and uses scopes on the traps of real Pascal: each case a few lines, its pairs and what the
// scope must make of them. Lines are joined with CR LF, as the pass writes them.
#include "engine/pass/SubstitutionPass.h"

#include "common/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qvc::TScope;

const std::vector<std::string> kLazarus
    = { "Windows,=LCLIntf, LCLType,", "Windows;=LCLIntf, LCLType;", "Messages,=LMessages,", "Messages;=LMessages;",
          "Mask,=MaskEdit,", "Mask;=MaskEdit;", "OpenGL,=GL, GLu,", "OpenGL;=GL, GLu;" };
const std::vector<std::string> kKylix = { "Forms=QForms", "Controls=QControls", "Windows=Types", "*.dfm=*.xfm" };
const std::vector<std::string> kRemoveWindows = { "Windows=" };
const std::vector<std::string> kScoped = { "SysUtils=System.SysUtils", "Classes=System.Classes" };
const std::vector<std::string> kUnscoped = { "Vcl.Forms=Forms", "Vcl.Dialogs=Dialogs" };
const std::vector<std::string> kRemoveAndScope = { "Windows=", "SysUtils=System.SysUtils" };

std::string Lines(std::initializer_list<std::string_view> lines)
{
    return qvc::JoinLinesCrLf({ lines.begin(), lines.end() });
}

struct TCase
{
    const char *Name;
    TScope Scope;
    const char *File;
    const std::vector<std::string> *Pairs;
    std::string Input;
    std::string Expected; ///< empty: the text stays as it is
};

std::string Convert(const std::vector<std::string> &pairs, TScope scope, const std::string &file,
    const std::string &input, int *count = nullptr, std::vector<qvc::TMissedOccurrence> *missed = nullptr)
{
    qvc::TSubstitutionPass pass(pairs);
    qvc::TConversionResult results;
    std::string newName;
    std::string output;
    const bool form = file.ends_with(".dfm");
    const int made = pass.ConvertText(input, file, newName, results, output, scope, form);
    if (count != nullptr)
        *count = made;
    if (missed != nullptr)
        *missed = pass.MissedOccurrences();
    return made > 0 ? output : input;
}

class PascalScopes : public ::testing::TestWithParam<TCase>
{
};

TEST_P(PascalScopes, ConvertsAsPascal)
{
    const TCase &c = GetParam();
    const std::string expected = c.Expected.empty() ? c.Input : c.Expected;
    const std::string once = Convert(*c.Pairs, c.Scope, c.File, c.Input);
    EXPECT_EQ(once, expected);
    // A second run with the same pairs changes nothing more.
    if (c.Scope == TScope::Uses) {
        EXPECT_EQ(Convert(*c.Pairs, c.Scope, c.File, once), once);
    }
}

const TCase kCases[] = {
    // Identifiers joined by "_", and a unit's own name, are no unit names.
    { "UnderscoreJoinedUses", TScope::Uses, "/t/Gl1.pas", &kLazarus,
        Lines({ "uses Windows;", "const A = PFD_SUPPORT_OPENGL; B = neighbor_mask;" }),
        Lines({ "uses LCLIntf, LCLType;", "const A = PFD_SUPPORT_OPENGL; B = neighbor_mask;" }) },
    { "UnderscoreJoinedCode", TScope::Code, "/t/Gl1.pas", &kLazarus,
        Lines({ "const A = PFD_SUPPORT_OPENGL; B = neighbor_mask;" }), {} },
    { "UnitHeadingUses", TScope::Uses, "/t/OpenGL.pas", &kLazarus, Lines({ "unit OpenGL;", "interface" }), {} },
    { "UnitHeadingCode", TScope::Code, "/t/OpenGL.pas", &kLazarus, Lines({ "unit OpenGL;", "interface" }),
        Lines({ "unit GL, GLu;", "interface" }) },
    { "NoBlankAfterCommaUses", TScope::Uses, "/t/U.pas", &kLazarus, Lines({ "uses Windows,SysUtils;" }),
        Lines({ "uses LCLIntf, LCLType,SysUtils;" }) },
    { "NoBlankAfterCommaCode", TScope::Code, "/t/U.pas", &kLazarus, Lines({ "uses Windows,SysUtils;" }),
        Lines({ "uses LCLIntf, LCLType,SysUtils;" }) },
    { "TwoOnALineCode", TScope::Code, "/t/U.pas", &kLazarus, Lines({ "x := Mask; y := Mask;" }),
        Lines({ "x := MaskEdit; y := MaskEdit;" }) },
    { "VariableMaskUses", TScope::Uses, "/t/U.pas", &kLazarus, Lines({ "uses Mask;", "var Mask: Integer;" }),
        Lines({ "uses MaskEdit;", "var Mask: Integer;" }) },
    { "NameBeforeCommentAndAtLineEnd", TScope::Uses, "/t/U.pas", &kLazarus,
        Lines({ "uses Windows { win } ,", "  Messages", "  ;" }),
        Lines({ "uses LCLIntf, LCLType { win } ,", "  LMessages", "  ;" }) },
    { "ConditionalBranches", TScope::Uses, "/t/U.pas", &kLazarus,
        Lines({ "uses", "  {$IFDEF MSWINDOWS} Windows, Messages, {$ELSE} Mask, {$ENDIF}", "  Classes;" }),
        Lines(
            { "uses", "  {$IFDEF MSWINDOWS} LCLIntf, LCLType, LMessages, {$ELSE} MaskEdit, {$ENDIF}", "  Classes;" }) },
    { "StarDirectives", TScope::Uses, "/t/U.pas", &kRemoveWindows,
        Lines({ "uses Classes (*$IFDEF MSWINDOWS*), Windows(*$ENDIF*);" }),
        Lines({ "uses Classes (*$IFDEF MSWINDOWS*)(*$ENDIF*);" }) },
    { "InPathsOfAProgram", TScope::Uses, "/t/P.dpr", &kKylix,
        Lines({ "program P;", "uses", "  Forms,", "  uCliente1 in 'src\\forms\\uCliente1.pas' {Form1},",
            "  Controls in 'lib\\Controls.pas';" }),
        Lines({ "program P;", "uses", "  QForms,", "  uCliente1 in 'src\\forms\\uCliente1.pas' {Form1},",
            "  QControls in 'lib\\Controls.pas';" }) },
    { "MembersAndPathsLeftInUsesScope", TScope::Uses, "/t/U.pas", &kKylix,
        Lines({ "uses Forms;", "begin Screen.Forms[0].Show; Panel1.Controls[i].Hide; end." }),
        Lines({ "uses QForms;", "begin Screen.Forms[0].Show; Panel1.Controls[i].Hide; end." }) },
    { "DottedNames", TScope::Uses, "/t/U.pas", &kKylix, Lines({ "uses Vcl.Forms, Forms, FormsEx;" }),
        Lines({ "uses Vcl.Forms, QForms, FormsEx;" }) },
    { "AlreadyInTheClause", TScope::Uses, "/t/U.pas", &kKylix, Lines({ "uses Types, Windows, Forms;" }),
        Lines({ "uses Types, QForms;" }) },
    { "AlreadyInTheOtherClause", TScope::Uses, "/t/U.pas", &kKylix,
        Lines({ "interface", "uses Types;", "implementation", "uses Windows, Forms;" }),
        Lines({ "interface", "uses Types;", "implementation", "uses QForms;" }) },
    { "RemoveFirst", TScope::Uses, "/t/U.pas", &kRemoveWindows, Lines({ "uses Windows, A, B;" }),
        Lines({ "uses A, B;" }) },
    { "RemoveMiddle", TScope::Uses, "/t/U.pas", &kRemoveWindows, Lines({ "uses A, Windows, B;" }),
        Lines({ "uses A, B;" }) },
    { "RemoveLast", TScope::Uses, "/t/U.pas", &kRemoveWindows, Lines({ "uses A, B, Windows;" }),
        Lines({ "uses A, B;" }) },
    { "RemoveLastOnItsOwnLine", TScope::Uses, "/t/U.pas", &kRemoveWindows, Lines({ "uses", "  A,", "  Windows;" }),
        Lines({ "uses", "  A", "  ;" }) },
    { "RemoveOnlyName", TScope::Uses, "/t/U.pas", &kRemoveWindows,
        Lines({ "interface", "uses Windows; // the API", "type" }), Lines({ "interface", " // the API", "type" }) },
    { "RemoveOnlyNameAcrossLines", TScope::Uses, "/t/U.pas", &kRemoveWindows,
        Lines({ "uses", "  {$IFDEF W} Windows {$ENDIF}", "  ;" }), Lines({ "", "{$IFDEF W}{$ENDIF}", "" }) },
    { "RemoveInBranch", TScope::Uses, "/t/U.pas", &kRemoveWindows,
        Lines({ "uses {$IFDEF W}Windows,{$ENDIF} Classes;" }), Lines({ "uses {$IFDEF W}{$ENDIF} Classes;" }) },
    { "RemoveWithPath", TScope::Uses, "/t/P.dpr", &kRemoveWindows, Lines({ "uses A, Windows in 'w\\Windows.pas', B;" }),
        Lines({ "uses A, B;" }) },
    { "DottedNameAcrossLinesAndComments", TScope::Uses, "/t/U.pas", &kUnscoped,
        Lines({ "uses Vcl.", "  Forms, Vcl{ c }.Dialogs;" }), Lines({ "uses Forms", "  , Dialogs{ c };" }) },
    // No clause starts inside one that does not read as one: removing it would make the outer one read.
    { "ClauseInsideABrokenClause", TScope::Uses, "/t/U.pas", &kRemoveAndScope,
        Lines({ "uses SysUtils uses Windows;;", "uses Windows, SysUtils;" }),
        Lines({ "uses SysUtils uses Windows;;", "uses System.SysUtils;" }) },
    // A removed clause between two strings, or between "(" and "*", leaves a blank: no string or comment
    // is joined or opened that the next run would read.
    { "RemovalJoinsNothing", TScope::Uses, "/t/U.pas", &kRemoveWindows,
        Lines({ "S := 'a'uses Windows;'b';", "X := (uses Windows;*2);" }), Lines({ "S := 'a' 'b';", "X := ( *2);" }) },
    { "UsesInStringAndComment", TScope::Uses, "/t/U.pas", &kLazarus,
        Lines({ "const S = 'uses Windows;';", "{ uses Windows; }", "// uses Windows;" }), {} },
    { "StringInCodeScope", TScope::Code, "/t/U.pas", &kLazarus, Lines({ "const S = 'Forms, Windows;'; T = Windows;" }),
        Lines({ "const S = 'Forms, Windows;'; T = LCLIntf, LCLType;" }) },
    { "UsesInsideAnotherWord", TScope::Uses, "/t/U.pas", &kLazarus, Lines({ "Causes Windows;", "MyUses Windows;" }),
        {} },
    { "EscapedIdentifier", TScope::Uses, "/t/U.pas", &kLazarus, Lines({ "X.&uses Windows;", "&uses Windows;" }), {} },
    { "MultiLineComments", TScope::Uses, "/t/U.pas", &kLazarus,
        Lines({ "{ start", "uses Windows;", "} (* and", "uses Messages;", "*)", "uses Mask;" }),
        Lines({ "{ start", "uses Windows;", "} (* and", "uses Messages;", "*)", "uses MaskEdit;" }) },
    { "MultiLineCommentsCode", TScope::Code, "/t/U.pas", &kLazarus,
        Lines({ "{ start", "Windows;", "} (* and", "Messages;", "*) Mask;" }),
        Lines({ "{ start", "Windows;", "} (* and", "Messages;", "*) MaskEdit;" }) },
    { "UnterminatedString", TScope::Uses, "/t/U.pas", &kLazarus, Lines({ "S := 'open", "uses Windows;" }),
        Lines({ "S := 'open", "uses LCLIntf, LCLType;" }) },
    { "MultiLineString", TScope::Code, "/t/U.pas", &kLazarus,
        Lines({ "const S = '''", "  Windows;", "  ''';", "T = Windows;" }),
        Lines({ "const S = '''", "  Windows;", "  ''';", "T = LCLIntf, LCLType;" }) },
    { "Package", TScope::Uses, "/t/Pk.dpk", &kKylix,
        Lines({ "package Pk;", "requires rtl, Forms;", "contains Controls in 'Controls.pas', Other;", "end." }),
        Lines({ "package Pk;", "requires rtl, QForms;", "contains QControls in 'Controls.pas', Other;", "end." }) },
    { "ContainsIsAMethodOutsideAPackage", TScope::Uses, "/t/U.pas", &kKylix,
        Lines({ "begin if Contains(Forms) then ; end;" }), {} },
    { "ScopedNamesIdempotent", TScope::Uses, "/t/U.pas", &kScoped, Lines({ "uses SysUtils, System.Classes;" }),
        Lines({ "uses System.SysUtils, System.Classes;" }) },
    { "ScopedNamesCode", TScope::Code, "/t/U.pas", &kScoped, Lines({ "uses System.SysUtils, sysutils;" }),
        Lines({ "uses System.SysUtils, System.SysUtils;" }) },
    { "TextForm", TScope::Code, "/t/F.dfm", &kKylix,
        Lines({ "object Forms: TForm", "  Caption = 'Forms'#13'Controls'", "  Data = {", "    466F726D73 Forms", "  }",
            "  Hint = Controls", "end" }),
        Lines({ "object QForms: TForm", "  Caption = 'Forms'#13'Controls'", "  Data = {", "    466F726D73 Forms", "  }",
            "  Hint = QControls", "end" }) },
    // Pairs naming form files point the units at their renamed forms in every scope.
    { "FormPairsKeepTheWholeTextRulesUses", TScope::Uses, "/t/U.pas", &kKylix,
        Lines({ "uses Forms;", "{$R *.dfm}", "// Forms *.dfm" }),
        Lines({ "uses QForms;", "{$R *.xfm}", "// Forms *.xfm" }) },
    { "FormPairsKeepTheWholeTextRulesCode", TScope::Code, "/t/U.pas", &kKylix, Lines({ "uses Forms;", "{$R *.dfm}" }),
        Lines({ "uses QForms;", "{$R *.xfm}" }) },
    { "FormHasNoClauses", TScope::Uses, "/t/F.dfm", &kKylix, Lines({ "object Forms: TForm", "end" }), {} },
    { "OtherFilesLeftAlone", TScope::Code, "/t/readme.txt", &kKylix, Lines({ "Forms and Controls" }), {} },
};

INSTANTIATE_TEST_SUITE_P(Traps, PascalScopes, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<TCase> &info) { return std::string(info.param.Name); });

TEST(PascalScopeMisses, CodeScopeSaysWhereAnOccurrenceWasLeft)
{
    std::vector<qvc::TMissedOccurrence> missed;
    int count = 0;
    Convert({ "Forms=QForms" }, TScope::Code, "/t/U.pas",
        Lines({ "x := Forms; { Forms } s := 'Forms'; {$IFDEF Forms}", "// Forms" }), &count, &missed);
    EXPECT_EQ(count, 1);
    const std::vector<qvc::TMissedOccurrence> expected = {
        { 1, 16, "Forms", qvc::TMissReason::InsideComment },
        { 1, 30, "Forms", qvc::TMissReason::InsideString },
        { 1, 46, "Forms", qvc::TMissReason::InsideDirective },
        { 2, 4, "Forms", qvc::TMissReason::InsideComment },
    };
    EXPECT_EQ(missed, expected);
}

TEST(PascalScopeMisses, UsesScopeListsCodeQualifiedByAReplacedName)
{
    std::vector<qvc::TMissedOccurrence> missed;
    int count = 0;
    const std::string out = Convert(kLazarus, TScope::Uses, "/t/U.pas",
        Lines({ "uses Windows, Messages;", "begin", "  T := Windows.GetTickCount; Winapi.Windows.Beep;",
            "  M := Messages . WM_USER; X := Form.Windows.Count;", "end." }),
        &count, &missed);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(out.substr(0, out.find('\r')), "uses LCLIntf, LCLType, LMessages;");
    const std::vector<qvc::TMissedOccurrence> expected = {
        { 3, 8, "Windows,", qvc::TMissReason::QualifiedByReplacedUnit },
        { 4, 8, "Messages,", qvc::TMissReason::QualifiedByReplacedUnit },
    };
    EXPECT_EQ(missed, expected);
}

TEST(PascalScopeMemory, ShortLineDoesNotTakeOverALongLinesBuffer)
{
    // One working space serves every line of a file; a short line changed after a long one must not keep
    // the long one's buffer, or a file with a long line and many short ones holds that size many times.
    qvc::TLineScratch scratch;
    std::vector<qvc::TCodeMiss> misses;
    std::string longLine;
    for (int i = 0; i < 20000; ++i)
        longLine += "Forms, ";
    std::string longClasses(longLine.size(), '\0');
    ASSERT_GT(qvc::ApplyCodePairToLine(longLine, longClasses, "forms", "QForms", "qforms", scratch, misses), 0);
    std::string shortLine = "x := Forms;";
    std::string shortClasses(shortLine.size(), '\0');
    ASSERT_EQ(qvc::ApplyCodePairToLine(shortLine, shortClasses, "forms", "QForms", "qforms", scratch, misses), 1);
    EXPECT_EQ(shortLine, "x := QForms;");
    EXPECT_LT(shortLine.capacity(), 1000u);
    EXPECT_LT(shortClasses.capacity(), 1000u);
}

} // namespace
