#include "common/EscapedName.h"

#include "common/Utf8.h"

#include <locale.h>
#include <wctype.h>

namespace qvc {
namespace {

// The UTF-8 locale whose character classes decide which characters are printable, as ls asks the user's locale.
// Names are judged as UTF-8 whatever the user's locale, so the same name is printed the same way everywhere.
class TUtf8Classes
{
public:
    TUtf8Classes()
        : m_locale(::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr)))
    {
    }
    ~TUtf8Classes()
    {
        if (m_locale != static_cast<locale_t>(nullptr))
            ::freelocale(m_locale);
    }
    TUtf8Classes(const TUtf8Classes &) = delete;
    TUtf8Classes &operator=(const TUtf8Classes &) = delete;

    bool IsPrintable(char32_t code) const
    {
        if (m_locale != static_cast<locale_t>(nullptr))
            return ::iswprint_l(static_cast<wint_t>(code), m_locale) != 0;
        // Without the locale's tables: the C1 controls and the line and paragraph separators are what a terminal
        // would act on; every other character is taken as printable.
        return !(code >= 0x80 && code <= 0x9F) && code != 0x2028 && code != 0x2029;
    }

private:
    locale_t m_locale;
};

const TUtf8Classes &Utf8Classes()
{
    static const TUtf8Classes classes;
    return classes;
}

void AppendOctal(std::string &out, unsigned char byte)
{
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

// The letter of a C escape for the control bytes that have one, 0 for the others.
char EscapeLetter(unsigned char byte)
{
    switch (byte) {
    case '\a':
        return 'a';
    case '\b':
        return 'b';
    case '\t':
        return 't';
    case '\n':
        return 'n';
    case '\v':
        return 'v';
    case '\f':
        return 'f';
    case '\r':
        return 'r';
    default:
        return 0;
    }
}

} // namespace

std::string EscapedName(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    std::size_t at = 0;
    while (at < name.size()) {
        const auto byte = static_cast<unsigned char>(name[at]);
        if (byte < 0x80) {
            if (const char letter = EscapeLetter(byte)) {
                out += '\\';
                out += letter;
            } else if (byte == '\\') {
                out += "\\\\";
            } else if (byte < 0x20 || byte == 0x7F) {
                AppendOctal(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            ++at;
            continue;
        }
        char32_t code = 0;
        const std::size_t length = DecodeUtf8(name, at, code);
        if (length == 0) {
            // Like ls, only the byte that starts no character is escaped; the next one is looked at afresh.
            AppendOctal(out, byte);
            ++at;
            continue;
        }
        if (Utf8Classes().IsPrintable(code)) {
            out.append(name.substr(at, length));
        } else {
            for (std::size_t i = 0; i < length; ++i)
                AppendOctal(out, static_cast<unsigned char>(name[at + i]));
        }
        at += length;
    }
    return out;
}

} // namespace qvc
