// Hand-made binary form streams: every value type, object prefixes, layout rules and malformed input.
#include "common/Errors.h"
#include "engine/forms/BinaryFormToText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <locale>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// --- stream builders ---

std::string Le(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string Short(const std::string &text)
{
    return static_cast<char>(text.size()) + text;
}

std::string Value(int type, const std::string &data = {})
{
    return static_cast<char>(type) + data;
}

std::string Extended(std::uint64_t mantissa, unsigned signAndExponent)
{
    return Value(5, Le(mantissa, 8) + Le(signAndExponent, 2));
}

std::string Utf16(const std::u16string &units)
{
    std::string out;
    for (char16_t unit : units)
        out += Le(unit, 2);
    return out;
}

// A root object "Form1: TForm1" with one property P holding `value`.
std::string FormWith(const std::string &value)
{
    return "TPF0" + Short("TForm1") + Short("Form1") + Short("P") + value + "\0\0"s;
}

std::string Convert(const std::string &stream)
{
    std::string text;
    qvc::BinaryFormToText(stream, text);
    return text;
}

// The text of property P at level 1, as the converter writes it inside FormWith.
std::string PropertyText(const std::string &value)
{
    const std::string text = Convert(FormWith(value));
    const std::string head = "object Form1: TForm1\r\n  P = ";
    const std::string tail = "\r\nend\r\n";
    if (text.compare(0, head.size(), head) != 0 || text.size() < head.size() + tail.size()
        || text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return "unexpected frame: " + text;
    return text.substr(head.size(), text.size() - head.size() - tail.size());
}

struct TValueCase
{
    const char *name;
    std::string value;
    std::string text;
};

const std::string kX64(64, 'x');
const std::string kHex32 = [] {
    std::string bytes;
    for (int i = 0; i < 32; ++i)
        bytes += static_cast<char>(i * 8);
    return bytes;
}();
const std::string kHex32Text = "0008101820283038404850586068707880889098A0A8B0B8C0C8D0D8E0E8F0F8";

std::vector<TValueCase> ValueCases()
{
    return {
        { "Null", Value(0), "Null" },
        { "EmptyList", Value(1, "\0"s), "()" },
        { "List", Value(1, Value(2, "\x05") + Value(7, Short("abc")) + "\0"s), "(\r\n    5\r\n    abc)" },
        { "NestedList", Value(1, Value(1, Value(9) + "\0"s) + "\0"s), "(\r\n    (\r\n      True))" },
        { "Int8Min", Value(2, "\x80"), "-128" },
        { "Int8Max", Value(2, "\x7F"), "127" },
        { "Int16Min", Value(3, Le(0x8000, 2)), "-32768" },
        { "Int16", Value(3, Le(1234, 2)), "1234" },
        { "Int32Min", Value(4, Le(0x80000000u, 4)), "-2147483648" },
        { "Int32", Value(4, Le(305419896, 4)), "305419896" },
        { "ExtendedOneAndHalf", Extended(0xC000000000000000u, 0x3FFF), "1.500000000000000000" },
        { "ExtendedZero", Extended(0, 0), "0.000000000000000000" },
        { "ExtendedNegativeZero", Extended(0, 0x8000), "0.000000000000000000" },
        { "ExtendedNegative", Extended(0xA000000000000000u, 0xC000), "-2.500000000000000000" },
        { "ExtendedTenth", Extended(0xCCCCCCCCCCCCCCCDu, 0x3FFB), "0.100000000000000000" },
        { "ExtendedThird", Extended(0xAAAAAAAAAAAAAAABu, 0x3FFD), "0.333333333333333300" },
        { "ExtendedTwoThirdsRoundsUp", Extended(0xAAAAAAAAAAAAAAABu, 0x3FFE), "0.666666666666666700" },
        { "ExtendedRoundsUpToOne", Extended(0xFFFFFFFFFFFFFFFFu, 0x3FFE), "1.000000000000000000" },
        { "Extended16Digits", Extended(0x8E1BC9BF03FFFC00u, 0x4034), "9999999999999999.000000000000000000" },
        { "Extended1E16", Extended(0x8E1BC9BF04000000u, 0x4034), "1E16" },
        { "Extended17Digits", Extended(0xAF715175AD2E1C00u, 0x4034), "1.234567890123457E16" },
        { "ExtendedLargest", Extended(0xFFFFFFFFFFFFFFFFu, 0x7FFE), "1.189731495357232E4932" },
        { "ExtendedTinyIsZero", Extended(0x8000000000000000u, 0x3FFF - 70), "0.000000000000000000" },
        { "ExtendedTinyNegativeIsZero", Extended(0x8000000000000000u, 0xBFFF - 70), "0.000000000000000000" },
        { "ExtendedRoundsToLastDecimal", Extended(0x8000000000000000u, 0x3FFF - 60), "0.000000000000000001" },
        { "ExtendedDenormal", Extended(1, 0), "0.000000000000000000" },
        { "ExtendedUnnormal", Extended(0x4000000000000000u, 0x3FFF), "0.500000000000000000" },
        { "ExtendedInfinity", Extended(0x8000000000000000u, 0x7FFF), "INF" },
        { "ExtendedMinusInfinity", Extended(0x8000000000000000u, 0xFFFF), "-INF" },
        { "ExtendedNaN", Extended(0xC000000000000000u, 0x7FFF), "NAN" },
        { "EmptyString", Value(6, "\0"s), "''" },
        { "String", Value(6, Short("Arial")), "'Arial'" },
        { "StringQuote", Value(6, Short("a'b")), "'a'#39'b'" },
        { "StringTab", Value(6, Short("a\tb")), "'a'#9'b'" },
        { "StringOnlyCodes", Value(6, Short("\x01\x1F'")), "#1#31#39" },
        { "StringHighBytesRaw", Value(6, Short("\xA9 2024")), "'\xA9 2024'" },
        { "String64StaysOnLine", Value(6, Short(kX64)), "'" + kX64 + "'" },
        { "String65Splits", Value(6, Short(kX64 + "y")), "\r\n    '" + kX64 + "' +\r\n    'y'" },
        { "StringCodeCountsAsOne", Value(6, Short(std::string(63, 'x') + "\t\tz")),
            "\r\n    '" + std::string(63, 'x') + "'#9 +\r\n    #9'z'" },
        { "LongString", Value(12, Le(130, 4) + kX64 + kX64 + "ab"),
            "\r\n    '" + kX64 + "' +\r\n    '" + kX64 + "' +\r\n    'ab'" },
        { "EmptyLongString", Value(12, Le(0, 4)), "''" },
        { "Identifier", Value(7, Short("clBtnFace")), "clBtnFace" },
        { "DottedIdentifier", Value(7, Short(".Owner")), ".Owner" },
        { "False", Value(8), "False" },
        { "True", Value(9), "True" },
        { "BinaryEmpty", Value(10, Le(0, 4)), "{}" },
        { "BinaryShort", Value(10, Le(3, 4) + "\x0A\x1B\xFF"), "{0A1BFF}" },
        { "Binary31", Value(10, Le(31, 4) + kHex32.substr(0, 31)), "{" + kHex32Text.substr(0, 62) + "}" },
        { "Binary32", Value(10, Le(32, 4) + kHex32), "{\r\n    " + kHex32Text + "}" },
        { "Binary33", Value(10, Le(33, 4) + kHex32 + "\xAB"), "{\r\n    " + kHex32Text + "\r\n    AB}" },
        { "Binary64", Value(10, Le(64, 4) + kHex32 + kHex32),
            "{\r\n    " + kHex32Text + "\r\n    " + kHex32Text + "}" },
        { "EmptySet", Value(11, "\0"s), "[]" },
        { "Set", Value(11, Short("akLeft") + Short("akTop") + "\0"s), "[akLeft, akTop]" },
        { "Nil", Value(13), "nil" },
        { "EmptyCollection", Value(14, "\0"s), "<>" },
        { "Collection",
            Value(14,
                "\x01"s + Short("Width") + Value(2, "\x40") + Short("Font.Name") + Value(6, Short("Arial")) + "\0"s
                    + "\x01\0"s + "\0"s),
            "<\r\n    item\r\n      Width = 64\r\n      Font.Name = 'Arial'\r\n    end\r\n    item\r\n    end>" },
        { "CollectionIndexes",
            Value(14,
                Value(2, "\x03") + "\x01\0"s + Value(3, Le(0xFFFF, 2)) + "\x01\0"s + Value(4, Le(70000, 4)) + "\x01\0"s
                    + "\0"s),
            "<\r\n    item [3]\r\n    end\r\n    item [-1]\r\n    end\r\n    item [70000]\r\n    end>" },
        { "CollectionInCollection",
            Value(14,
                "\x01"s + Short("Sub") + Value(14, "\x01"s + Short("A") + Value(2, "\x01") + "\0"s + "\0"s) + "\0"s
                    + "\0"s),
            "<\r\n    item\r\n      Sub = <\r\n        item\r\n          A = 1\r\n        end>\r\n    end>" },
        { "StringInCollectionItem", Value(14, "\x01"s + Short("S") + Value(6, Short(kX64 + "y")) + "\0"s + "\0"s),
            "<\r\n    item\r\n      S = \r\n        '" + kX64 + "' +\r\n        'y'\r\n    end>" },
        { "SingleTenth", Value(15, Le(0x3DCCCCCD, 4)), "0.100000001490116s" },
        { "SingleOneAndHalf", Value(15, Le(0x3FC00000, 4)), "1.5s" },
        { "SingleZero", Value(15, Le(0, 4)), "0s" },
        { "SingleNegative", Value(15, Le(0xC0000000u, 4)), "-2s" },
        { "SingleLarge", Value(15, Le(0x60AD78ECu, 4)), "1.00000002004088E20s" },
        { "SingleSmall", Value(15, Le(0x38D1B717u, 4)), "9.99999974737875E-5s" },
        { "SingleInfinity", Value(15, Le(0x7F800000u, 4)), "INFs" },
        { "SingleNaN", Value(15, Le(0x7FC00000u, 4)), "NANs" },
        { "CurrencyIsCount", Value(16, Le(500, 8)), "500c" },
        { "CurrencyNegative", Value(16, Le(static_cast<std::uint64_t>(-500), 8)), "-500c" },
        { "Currency15Digits", Value(16, Le(999999999999999u, 8)), "999999999999999c" },
        { "Currency16DigitsRounds", Value(16, Le(9999999999999999u, 8)), "1E16c" },
        { "CurrencyMinimum", Value(16, Le(0x8000000000000000u, 8)), "-9.22337203685478E18c" },
        { "Date", Value(17, Le(0x40E1D5D000000000u, 8)), "36526.5d" },
        { "DateZero", Value(17, Le(0, 8)), "0d" },
        { "DateNegative", Value(17, Le(0xBFF4000000000000u, 8)), "-1.25d" },
        { "DateTenThousandth", Value(17, Le(0x3F1A36E2EB1C432Du, 8)), "0.0001d" },
        { "DateHundredThousandth", Value(17, Le(0x3EE4F8B588E368F1u, 8)), "1E-5d" },
        { "DateRoundsUpToOne", Value(17, Le(0x3FEFFFFFFFFFFFFFu, 8)), "1d" },
        { "DateTenth", Value(17, Le(0x3FB999999999999Au, 8)), "0.1d" },
        { "WideString", Value(18, Le(2, 4) + Utf16(u"Ab")), "'Ab'" },
        { "WideStringEmpty", Value(18, Le(0, 4)), "''" },
        { "WideStringCodes", Value(18, Le(5, 4) + Utf16(u"a'\u0436\u007F\u0080")), "'a'#39#1078'\x7F'#128" },
        { "WideString65Splits", Value(18, Le(65, 4) + Utf16(std::u16string(64, u'x') + u"\u2122")),
            "\r\n    '" + kX64 + "' +\r\n    #8482" },
        { "Int64Min", Value(19, Le(0x8000000000000000u, 8)), "-9223372036854775808" },
        { "Int64", Value(19, Le(1234567890123456789u, 8)), "1234567890123456789" },
        { "Utf8String", Value(20, Le(6, 4) + "a\xC3\xA9\xE2\x84\xA2"), "'a'#233#8482" },
        { "Utf8Supplementary", Value(20, Le(4, 4) + "\xF0\x9F\x98\x80"), "#55357#56832" },
        { "Utf8Invalid", Value(20, Le(4, 4) + "\xFF\xC3(\xE2"), "#65533#65533'('#65533" },
        { "Utf8Overlong", Value(20, Le(2, 4) + "\xC0\xAF"), "#65533#65533" },
    };
}

class BinaryFormValue : public testing::TestWithParam<TValueCase>
{
};

TEST_P(BinaryFormValue, GivesItsText)
{
    EXPECT_EQ(PropertyText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, BinaryFormValue, testing::ValuesIn(ValueCases()),
    [](const testing::TestParamInfo<TValueCase> &info) { return std::string(info.param.name); });

struct TObjectCase
{
    const char *name;
    std::string stream;
    std::string text;
};

std::vector<TObjectCase> ObjectCases()
{
    const std::string tail = "\0\0"s;
    return {
        { "Named", "TPF0" + Short("TForm1") + Short("Form1") + tail, "object Form1: TForm1\r\nend\r\n" },
        { "Unnamed", "TPF0" + Short("TForm1") + Short("") + tail, "object TForm1\r\nend\r\n" },
        { "Inherited", "TPF0\xF1"s + Short("TForm1") + Short("Form1") + tail, "inherited Form1: TForm1\r\nend\r\n" },
        { "Inline", "TPF0\xF4"s + Short("TFrame1") + Short("Frame1") + tail, "inline Frame1: TFrame1\r\nend\r\n" },
        { "InheritedWinsOverInline", "TPF0\xF5"s + Short("TFrame1") + Short("Frame1") + tail,
            "inherited Frame1: TFrame1\r\nend\r\n" },
        { "PlainPrefix", "TPF0\xF0"s + Short("TForm1") + Short("Form1") + tail, "object Form1: TForm1\r\nend\r\n" },
        { "InheritedChildPosition", "TPF0\xF3"s + Value(2, "\x03") + Short("TButton") + Short("Button1") + tail,
            "inherited Button1: TButton [3]\r\nend\r\n" },
        { "ChildPosition16", "TPF0\xF2"s + Value(3, Le(300, 2)) + Short("TButton") + Short("") + tail,
            "object TButton [300]\r\nend\r\n" },
        { "ChildPosition32", "TPF0\xF6"s + Value(4, Le(0xFFFFFFFEu, 4)) + Short("TButton") + Short("B") + tail,
            "inline B: TButton [-2]\r\nend\r\n" },
        { "ChildrenAndDottedNames",
            "TPF0" + Short("TForm1") + Short("Form1") + Short("Font.Name") + Value(6, Short("Arial")) + "\0"s
                + Short("TPanel") + Short("Panel1") + Short("Align") + Value(7, Short("alTop")) + "\0"s + "\xF1"s
                + Short("TButton") + Short("Button1") + "\0"s + "\0"s + "\0"s + Short("TLabel") + Short("Label1")
                + "\0"s + "\0"s + "\0"s,
            "object Form1: TForm1\r\n  Font.Name = 'Arial'\r\n  object Panel1: TPanel\r\n    Align = alTop\r\n"
            "    inherited Button1: TButton\r\n    end\r\n  end\r\n  object Label1: TLabel\r\n  end\r\nend\r\n" },
        { "ListInChild",
            "TPF0" + Short("TForm1") + Short("") + "\0"s + Short("TMemo") + Short("M") + Short("Lines.Strings")
                + Value(1, Value(6, Short("a")) + "\0"s) + "\0"s + "\0"s + "\0"s,
            "object TForm1\r\n  object M: TMemo\r\n    Lines.Strings = (\r\n      'a')\r\n  end\r\nend\r\n" },
    };
}

class BinaryFormObject : public testing::TestWithParam<TObjectCase>
{
};

TEST_P(BinaryFormObject, GivesItsText)
{
    EXPECT_EQ(Convert(GetParam().stream), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Prefixes, BinaryFormObject, testing::ValuesIn(ObjectCases()),
    [](const testing::TestParamInfo<TObjectCase> &info) { return std::string(info.param.name); });

TEST(BinaryFormToText, AppendsToTheOutput)
{
    std::string text = "kept";
    qvc::BinaryFormToText(FormWith(Value(8)), text);
    EXPECT_EQ(text, "keptobject Form1: TForm1\r\n  P = False\r\nend\r\n");
}

// Numbers never take the decimal separator of the user's locale.
TEST(BinaryFormToText, NumbersIgnoreTheLocale)
{
    const char *chosen = nullptr;
    for (const char *name : { "pt_BR.UTF-8", "de_DE.UTF-8", "pt_BR.utf8", "de_DE.utf8" }) {
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    }
    if (!chosen)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const std::locale previousGlobal = std::locale::global(std::locale(chosen));
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    const std::string extended = PropertyText(Extended(0xC000000000000000u, 0x3FFF));
    const std::string single = PropertyText(Value(15, Le(0x3FC00000, 4)));
    const std::string date = PropertyText(Value(17, Le(0x40E1D5D000000000u, 8)));
    std::locale::global(previousGlobal);
    std::setlocale(LC_ALL, "C");
    EXPECT_STREQ(probe, "1,5") << "the locale " << chosen << " does not use a decimal comma";
    EXPECT_EQ(extended, "1.500000000000000000");
    EXPECT_EQ(single, "1.5s");
    EXPECT_EQ(date, "36526.5d");
}

// --- malformed streams ---

struct TMalformedCase
{
    const char *name;
    std::string stream;
    const char *reason; // a part of the error message
};

std::string Nested(int depth)
{
    std::string stream = "TPF0";
    for (int i = 0; i < depth; ++i)
        stream += Short("TPanel") + Short("") + "\0"s;
    for (int i = 0; i < depth; ++i)
        stream += "\0"s;
    return stream;
}

std::vector<TMalformedCase> MalformedCases()
{
    return {
        { "Empty", "", "TPF0" },
        { "WrongSignature", "TPF1" + Short("TForm1") + Short("") + "\0\0"s, "TPF0" },
        { "TextForm", "object Form1: TForm1\r\nend\r\n", "TPF0" },
        { "ValueType21", FormWith(Value(21)), "unknown value type 21" },
        { "ValueType255", FormWith(Value(255)), "unknown value type 255" },
        { "ItemWithoutListByte", FormWith(Value(14, Short("Width") + Value(2, "\x01") + "\0\0"s)), "list marker" },
        { "ItemIndexWithoutListByte", FormWith(Value(14, Value(2, "\x01") + Value(9) + "\0\0"s)), "list marker" },
        { "StringChildPosition", "TPF0\xF2"s + Value(6, Short("3")) + Short("TButton") + Short("") + "\0\0"s,
            "child position" },
        { "Int64ChildPosition", "TPF0\xF2"s + Value(19, Le(3, 8)) + Short("TButton") + Short("") + "\0\0"s,
            "child position" },
        { "NoEndOfProperties", "TPF0" + Short("TForm1") + Short("Form1"), "ends early" },
        { "LongStringBeyondEnd", FormWith(Value(12, Le(0xFFFFFFFFu, 4) + "abc")), "beyond the end" },
        { "BinaryBeyondEnd", FormWith(Value(10, Le(0x7FFFFFFFu, 4))), "beyond the end" },
        { "WideStringBeyondEnd", FormWith(Value(18, Le(0x80000000u, 4) + "ab")), "beyond the end" },
        { "Utf8BeyondEnd", FormWith(Value(20, Le(100, 4) + "ab")), "beyond the end" },
        { "ShortStringBeyondEnd", "TPF0" + "\x20"s + "TForm1", "beyond the end" },
        { "NestedObjectsTooDeep", Nested(65), "nested deeper than 64 levels" },
        { "NestedListsTooDeep", FormWith(std::string(100000, '\x01') + std::string(100000, '\0')), "nested deeper" },
        { "NestedCollectionsTooDeep", FormWith([] {
             std::string value;
             for (int i = 0; i < 1000; ++i)
                 value += Value(14, "\x01"s) + Short("C");
             return value;
         }()),
            "nested deeper" },
    };
}

class BinaryFormMalformed : public testing::TestWithParam<TMalformedCase>
{
};

TEST_P(BinaryFormMalformed, FailsWithAClearMessage)
{
    std::string text;
    try {
        qvc::BinaryFormToText(GetParam().stream, text);
        FAIL() << "no error; text: " << text;
    } catch (const qvc::TError &error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().reason), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, BinaryFormMalformed, testing::ValuesIn(MalformedCases()),
    [](const testing::TestParamInfo<TMalformedCase> &info) { return std::string(info.param.name); });

TEST(BinaryFormToText, DeepestAllowedNestingConverts)
{
    const std::string text = Convert(Nested(64));
    EXPECT_NE(text.find(std::string(std::size_t(2) * 63, ' ') + "object TPanel\r\n"), std::string::npos);
}

// Cutting a stream anywhere before its last byte must fail cleanly, whatever construct is cut.
TEST(BinaryFormToText, EveryTruncationFails)
{
    // One property per value case (a Null value cannot stand in a list: its 0 byte ends the list).
    std::string properties;
    for (const TValueCase &valueCase : ValueCases())
        properties += Short("P") + valueCase.value;
    const std::string stream = "TPF0\xF3"s + Value(2, "\x01") + Short("TForm1") + Short("Form1") + properties + "\0"s
        + Short("TButton") + Short("B") + "\0\0\0"s;
    ASSERT_NO_THROW(Convert(stream));
    for (std::size_t length = 0; length < stream.size(); ++length)
        EXPECT_THROW(Convert(stream.substr(0, length)), qvc::TError) << "cut after " << length << " bytes";
}

// --- resource header ---

struct THeaderCase
{
    const char *name;
    std::string file;
    bool valid;
};

std::vector<THeaderCase> HeaderCases()
{
    const std::string flagsAndSize = Le(0x1030, 2) + Le(4, 4);
    return {
        { "Delphi", "\xFF\x0A\x00TFORM1\x00"s + flagsAndSize + "TPF0", true },
        { "EmptyName", "\xFF\x0A\x00\x00"s + flagsAndSize + "TPF0", true },
        { "NothingAfterHeader", "\xFF\x0A\x00X\x00"s + flagsAndSize, true },
        { "Empty", "", false },
        { "TextForm", "object Form1: TForm1\r\n", false },
        { "NotTen", "\xFF\x0B\x00X\x00"s + flagsAndSize + "TPF0", false },
        { "TenInHighByte", "\xFF\x0A\x01X\x00"s + flagsAndSize + "TPF0", false },
        { "OnlyMarker", "\xFF\x0A"s, false },
        { "NameWithoutNul", "\xFF\x0A\x00TFORM1"s, false },
        { "ShortFlagsAndSize", "\xFF\x0A\x00X\x00"s + flagsAndSize.substr(0, 5), false },
    };
}

class ResourceHeader : public testing::TestWithParam<THeaderCase>
{
};

TEST_P(ResourceHeader, IsCheckedAndSkipped)
{
    const THeaderCase &header = GetParam();
    if (!header.valid) {
        EXPECT_THROW(qvc::SkipResourceHeader(header.file), qvc::TError);
        return;
    }
    const std::string_view rest = qvc::SkipResourceHeader(header.file);
    EXPECT_EQ(rest.data() + rest.size(), header.file.data() + header.file.size());
    EXPECT_EQ(std::string(rest), header.file.ends_with("TPF0") ? "TPF0" : "");
}

INSTANTIATE_TEST_SUITE_P(Headers, ResourceHeader, testing::ValuesIn(HeaderCases()),
    [](const testing::TestParamInfo<THeaderCase> &info) { return std::string(info.param.name); });

} // namespace
