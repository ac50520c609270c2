#include "common/Cp1252.h"

#include "common/Utf8.h"

namespace qvc {

namespace {

constexpr char16_t kHigh[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

} // namespace

char32_t Cp1252ToCodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHigh[byte - 0x80];
    return byte;
}

int CodePointToCp1252(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == codePoint)
            return 0x80 + i;
    return -1;
}

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes)
        AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::u16string Cp1252ToUtf16(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (const char c : bytes)
        out += static_cast<char16_t>(Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf16ToCp1252(std::u16string_view text, char replacement)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i; // a surrogate pair is one character outside the code page
            out += replacement;
            continue;
        }
        const int b = CodePointToCp1252(u);
        out += b < 0 ? replacement : static_cast<char>(b);
    }
    return out;
}

bool FitsCp1252(std::u16string_view text)
{
    for (const char16_t u : text)
        if (CodePointToCp1252(u) < 0)
            return false;
    return true;
}

std::string Utf8ToCp1252(std::string_view text, char replacement)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(text, i, cp);
        if (len == 0) {
            out += replacement;
            ++i;
            continue;
        }
        const int mapped = CodePointToCp1252(cp);
        out += mapped < 0 ? replacement : static_cast<char>(mapped);
        i += len;
    }
    return out;
}

} // namespace qvc
