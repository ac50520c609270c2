#include "filelist/ListedFileNames.h"

#include "common/AsciiCase.h"

#include <algorithm>
#include <clocale>
#include <cwctype>
#include <sys/stat.h>

namespace qvc {

namespace {

// The C library's character tables for UTF-8, whatever the user's locale; null when it has none.
locale_t Utf8Ctype()
{
    static const locale_t ctype = [] {
        locale_t found = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t {});
        return found ? found : ::newlocale(LC_CTYPE_MASK, "C.utf8", locale_t {});
    }();
    return ctype;
}

// Decodes one well-formed UTF-8 sequence at `at`; returns its length, 0 when the bytes there are not one.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t &code)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07u, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

void AppendUtf8(std::string &out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string FoldFileNameCase(std::string_view name)
{
    const locale_t ctype = Utf8Ctype();
    const bool ascii
        = std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !ctype)
        return AsciiLower(name);
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8(name, i, code);
        if (length == 0) {
            folded += AsciiLowerChar(name[i++]);
            continue;
        }
        // Upper then lower: letters with two lower forms (final sigma) meet in one.
        const auto upper = ::towupper_l(static_cast<wint_t>(code), ctype);
        const auto lower = ::towlower_l(upper, ctype);
        AppendUtf8(folded, lower <= 0x10FFFF ? static_cast<char32_t>(lower) : code);
        i += length;
    }
    return folded;
}

TListedFileNames::TListedFileNames(TFold fold)
    : m_fold(fold ? std::move(fold) : TFold(FoldFileNameCase))
{
}

bool TListedFileNames::Matches(const std::vector<TEntry> &sameKey, const std::string &name) const
{
    if (std::any_of(sameKey.begin(), sameKey.end(), [&name](const TEntry &entry) { return *entry == name; }))
        return true;
    // Only here, for names that fold alike, is the disk asked.
    struct stat given
    {
    };
    if (::stat(name.c_str(), &given) != 0)
        return false;
    return std::any_of(sameKey.begin(), sameKey.end(), [&given](const TEntry &entry) {
        struct stat listed
        {
        };
        return ::stat(entry->c_str(), &listed) == 0 && listed.st_dev == given.st_dev && listed.st_ino == given.st_ino;
    });
}

bool TListedFileNames::Contains(const std::string &name) const
{
    const auto sameKey = m_byKey.find(m_fold(name));
    return sameKey != m_byKey.end() && Matches(sameKey->second, name);
}

bool TListedFileNames::Add(const std::string &name)
{
    std::vector<TEntry> &sameKey = m_byKey[m_fold(name)];
    if (!sameKey.empty() && Matches(sameKey, name))
        return false;
    sameKey.push_back(m_names.insert(m_names.end(), name));
    return true;
}

bool TListedFileNames::Remove(const std::string &name)
{
    const auto sameKey = m_byKey.find(m_fold(name));
    if (sameKey == m_byKey.end())
        return false;
    std::vector<TEntry> &entries = sameKey->second;
    const auto own
        = std::find_if(entries.begin(), entries.end(), [&name](const TEntry &entry) { return *entry == name; });
    if (own == entries.end())
        return false;
    m_names.erase(*own);
    entries.erase(own);
    if (entries.empty())
        m_byKey.erase(sameKey);
    return true;
}

} // namespace qvc
