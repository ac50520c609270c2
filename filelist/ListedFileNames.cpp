#include "filelist/ListedFileNames.h"

#include "common/AsciiCase.h"
#include "common/Cp1252.h"
#include "common/Utf8.h"

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

} // namespace

std::string ReportFileName(std::string_view name)
{
    return Utf8ToCp1252(name);
}

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
        if (length <= 1) {
            // ASCII, or a byte that starts no UTF-8 character: only ASCII letters change.
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

bool TListedFileNames::Matches(const std::vector<TEntry> &sameKey, const std::string &name)
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
