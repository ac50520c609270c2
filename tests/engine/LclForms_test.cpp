// The form filter for the LCL, on a small table written here in the generated table's format: what the LCL
// class lacks is left out with every line of its value, what it has (published, defined, through a class
// type or a collection's items) stays, and objects of classes no one knows are kept whole and listed once.
#include "engine/forms/LclForms.h"

#include "common/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char *const kTable = "# a small LCL\n"
                           "lcl 9.9 fpc 9.9.9 widgetset test\n"
                           "class TPersistent -\n"
                           "class TComponent TPersistent\n"
                           "define TComponent Left Top\n"
                           "prop TComponent Name other\n"
                           "prop TComponent Tag other\n"
                           "class TControl TComponent\n"
                           "prop TControl Caption other\n"
                           "prop TControl Font class TFont\n"
                           "prop TControl Left other\n"
                           "prop TControl Width other\n"
                           "class TForm TControl\n"
                           "prop TForm OnCreate other\n"
                           "class TFont TPersistent\n"
                           "prop TFont Name other\n"
                           "prop TFont Style other\n"
                           "class TStrings TPersistent\n"
                           "define TStrings Strings\n"
                           "class TMemo TControl\n"
                           "prop TMemo Lines class TStrings\n"
                           "class TCollection TPersistent\n"
                           "class TCollectionItem TPersistent\n"
                           "class TListColumns TCollection\n"
                           "item TListColumns TListColumn\n"
                           "class TListColumn TCollectionItem\n"
                           "prop TListColumn Caption other\n"
                           "prop TListColumn Width other\n"
                           "class TListView TControl\n"
                           "prop TListView Columns class TListColumns\n"
                           "class TTimer TComponent\n"
                           "prop TTimer Interval other\n";

std::string Lines(std::initializer_list<std::string_view> lines)
{
    return qvc::JoinLinesCrLf({ lines.begin(), lines.end() });
}

std::string Filter(const std::string &text, std::vector<qvc::TMissedOccurrence> &missed)
{
    static const qvc::TLclTable table(kTable);
    qvc::TLclFormReport report;
    std::string out = qvc::FilterFormForLcl(
        text, table, [](std::string_view name) { return name == "TForm1" ? std::string("TForm") : std::string(); },
        report);
    missed = report.Missed;
    return out;
}

TEST(LclForms, LeavesOutWhatTheLclClassLacksWithAllItsLines)
{
    std::vector<qvc::TMissedOccurrence> missed;
    const std::string out = Filter(
        Lines({ "object Form1: TForm1", "  Left = 10", "  Caption = 'Vendas'", "  OldCreateOrder = False",
            "  PrintScale = poProportional", "  Font.Name = 'Tahoma'", "  Font.Charset = DEFAULT_CHARSET",
            "  Glyph.Data = {", "    07544269746D6170}", "  Hints.Strings = (", "    'a (b'", "    'c')",
            "  LongText = 'first part' +", "    'second part'", "  OnCreate = FormCreate", "  object Memo1: TMemo",
            "    Lines.Strings = (", "      'one')", "    Ctl3D = False", "  end", "  object ListView1: TListView",
            "    Columns = <", "      item", "        Caption = 'Nome'", "        AutoSize = True", "      end",
            "      item", "        Width = 50", "        ImageIndex = 2", "      end>", "  end",
            "  object Timer1: TTimer", "    Interval = 100", "    Left = 8", "    Top = 8", "  end", "end" }),
        missed);
    EXPECT_EQ(out,
        Lines({ "object Form1: TForm1", "  Left = 10", "  Caption = 'Vendas'", "  Font.Name = 'Tahoma'",
            "  OnCreate = FormCreate", "  object Memo1: TMemo", "    Lines.Strings = (", "      'one')", "  end",
            "  object ListView1: TListView", "    Columns = <", "      item", "        Caption = 'Nome'", "      end",
            "      item", "        Width = 50", "      end>", "  end", "  object Timer1: TTimer", "    Interval = 100",
            "    Left = 8", "    Top = 8", "  end", "end" }));
    std::vector<std::string> listed;
    for (const auto &miss : missed) {
        EXPECT_EQ(miss.Reason, qvc::TMissReason::PropertyUnknownToLcl);
        listed.push_back(std::to_string(miss.Line) + " " + miss.Find);
    }
    EXPECT_EQ(listed,
        (std::vector<std::string> { "4 OldCreateOrder", "5 PrintScale", "7 Font.Charset", "8 Glyph.Data",
            "10 Hints.Strings", "13 LongText", "19 Ctl3D", "25 AutoSize", "29 ImageIndex" }));
}

TEST(LclForms, KeepsObjectsOfUnknownClassesAndListsEachClassOnce)
{
    std::vector<qvc::TMissedOccurrence> missed;
    const std::string in = Lines({ "object Form2: TForm2", "  Caption = 'x'", "  object Grid1: TAdvStringGrid",
        "    FixedColor = clGray", "    object Inner: TControl", "      Bogus = 1", "    end", "  end",
        "  object Grid2: TAdvStringGrid", "  end", "end" });
    // Their own properties stay; a child of a known class inside them is judged by its class.
    EXPECT_EQ(Filter(in, missed),
        Lines({ "object Form2: TForm2", "  Caption = 'x'", "  object Grid1: TAdvStringGrid", "    FixedColor = clGray",
            "    object Inner: TControl", "    end", "  end", "  object Grid2: TAdvStringGrid", "  end", "end" }));
    ASSERT_EQ(missed.size(), 3u);
    EXPECT_EQ(missed[0].Find, "TForm2");
    EXPECT_EQ(missed[0].Reason, qvc::TMissReason::ClassUnknownToLcl);
    EXPECT_EQ(missed[1].Find, "TAdvStringGrid");
    EXPECT_EQ(missed[1].Line, 3u);
    EXPECT_EQ(missed[2].Find, "Bogus");
}

TEST(LclForms, AnyBytesGiveATextAndNoCrash)
{
    std::vector<qvc::TMissedOccurrence> missed;
    for (const std::string &text : { std::string("object"), std::string("object A: TForm\r\n  X = (\r\n"),
             std::string("object A: TListView\r\n Columns = <\r\n item\r\n"), std::string("\0\xFF{<(", 5),
             std::string("end\r\nend\r\n  = 1\r\n") })
        EXPECT_NO_THROW(Filter(text, missed));
    const qvc::TLclTable damaged("class A B\nclass B A\nprop\nitem X\n\xFF\xFE");
    EXPECT_EQ(damaged.Property("A", "Nothing"), qvc::TLclTable::TLookup::Unknown);
}

} // namespace
