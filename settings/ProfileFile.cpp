#include "settings/ProfileFile.h"

#include "common/AsciiCase.h"
#include "common/Errors.h"
#include "common/FileIO.h"

#include <cerrno>
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <sys/stat.h>

namespace qvc {

namespace {

constexpr bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view TrimLeft(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    return text.substr(start);
}

std::string_view TrimRight(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    return text.substr(0, end);
}

std::string_view Trim(std::string_view text)
{
    return TrimRight(TrimLeft(text));
}

std::string_view CutAtNul(std::string_view text)
{
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string CutToMaxLength(std::string_view text)
{
    return std::string(text.substr(0, std::min(text.size(), kMaxProfileValueLength)));
}

// The value as the profile functions return it: blanks dropped, then one pair of matching quotes.
std::string StoredValue(std::string_view raw)
{
    std::string_view value = Trim(CutAtNul(raw));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return CutToMaxLength(value);
}

bool HasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

void CheckSectionName(std::string_view section)
{
    if (section.empty() || Trim(section) != section || HasLineBreakOrNul(section)
        || section.find(']') != std::string_view::npos)
        throw std::invalid_argument("a profile section name cannot be \"" + std::string(section) + "\"");
}

void CheckKeyName(std::string_view key)
{
    if (key.empty() || Trim(key) != key || HasLineBreakOrNul(key) || key.find('=') != std::string_view::npos
        || key.front() == '[' || key.front() == ';')
        throw std::invalid_argument("a profile key name cannot be \"" + std::string(key) + "\"");
}

bool ParseInteger(std::string_view text, int &result)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const bool hex = i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
    if (hex)
        i += 2;
    if (i >= text.size())
        return false;
    // Decimal must fit a signed 32-bit integer; hexadecimal may use all 32 bits, as the Windows readers allow.
    const std::uint64_t limit = hex ? 0xFFFFFFFFULL : (negative ? 0x80000000ULL : 0x7FFFFFFFULL);
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        value = value * (hex ? 16u : 10u) + digit;
        if (value > limit)
            return false;
    }
    const auto bits = static_cast<std::uint32_t>(negative ? (0 - value) : value);
    result = static_cast<int>(bits);
    return true;
}

} // namespace

TProfileFile::TProfileFile(std::string path)
    : m_path(std::move(path))
{
    struct stat st
    {
    };
    if (m_path.empty() || ::stat(m_path.c_str(), &st) != 0) {
        // Anything but "not there" (a folder on the way we may not enter, a loop of links) is an unreadable file.
        const int reason = errno;
        m_readFailed = !m_path.empty() && reason != ENOENT && reason != ENOTDIR;
        if (m_readFailed)
            m_readReason = std::error_code(reason, std::generic_category());
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        // A folder, a pipe or a device: reading could fail, wait forever or never end.
        m_readFailed = true;
        m_readReason
            = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory : std::errc::invalid_argument);
        return;
    }
    try {
        ParseBytes(ReadFileBytes(m_path));
        m_existed = true;
    } catch (const TError &error) {
        m_readFailed = true;
        m_readReason = error.Reason();
        m_lines.clear();
    }
}

TProfileFile TProfileFile::FromBytes(std::string_view bytes)
{
    TProfileFile profile;
    profile.ParseBytes(bytes);
    return profile;
}

TProfileFile::TLine TProfileFile::ParseLine(std::string text, std::string end)
{
    TLine line;
    line.Text = std::move(text);
    line.End = std::move(end);
    const std::string_view view = line.Text;
    const std::string_view rest = TrimLeft(view);
    if (rest.empty() || rest.front() == ';')
        return line;
    if (rest.front() == '[') {
        const auto close = rest.find(']');
        if (close != std::string_view::npos) {
            line.Kind = TLineKind::Section;
            line.Name = std::string(Trim(rest.substr(1, close - 1)));
        }
        return line;
    }
    const auto eq = view.find('=');
    if (eq == std::string_view::npos)
        return line;
    const std::string_view name = Trim(view.substr(0, eq));
    if (name.empty())
        return line;
    line.Kind = TLineKind::Key;
    line.Name = std::string(name);
    line.ValueStart = eq + 1;
    return line;
}

void TProfileFile::ParseBytes(std::string_view bytes)
{
    m_lines.clear();
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        const std::size_t endLength = (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        m_lines.push_back(
            ParseLine(std::string(bytes.substr(start, i - start)), std::string(bytes.substr(i, endLength))));
        i += endLength;
        start = i;
    }
    if (start < bytes.size())
        m_lines.push_back(ParseLine(std::string(bytes.substr(start)), std::string()));
}

bool TProfileFile::FindSection(std::string_view section, TSectionRange &range) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].Kind != TLineKind::Section || !AsciiEqualNoCase(m_lines[i].Name, section))
            continue;
        range.Header = i;
        range.End = i + 1;
        while (range.End < m_lines.size() && m_lines[range.End].Kind != TLineKind::Section)
            ++range.End;
        return true;
    }
    return false;
}

const TProfileFile::TLine *TProfileFile::FindKey(std::string_view section, std::string_view key) const
{
    TSectionRange range {};
    if (key.empty() || !FindSection(section, range))
        return nullptr;
    for (std::size_t i = range.Header + 1; i < range.End; ++i)
        if (m_lines[i].Kind == TLineKind::Key && AsciiEqualNoCase(m_lines[i].Name, key))
            return &m_lines[i];
    return nullptr;
}

std::string TProfileFile::ReadString(
    std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    if (const TLine *line = FindKey(section, key))
        return StoredValue(std::string_view(line->Text).substr(line->ValueStart));
    return CutToMaxLength(TrimRight(CutAtNul(defaultValue)));
}

int TProfileFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    int value = 0;
    return ParseInteger(ReadString(section, key, std::string_view()), value) ? value : defaultValue;
}

bool TProfileFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> TProfileFile::ReadSectionKeys(std::string_view section) const
{
    std::vector<std::string> keys;
    TSectionRange range {};
    if (!FindSection(section, range))
        return keys;
    std::size_t used = 1; // the closing NUL of the list
    for (std::size_t i = range.Header + 1; i < range.End; ++i) {
        if (m_lines[i].Kind != TLineKind::Key)
            continue;
        const std::string &name = m_lines[i].Name;
        // Only whole names: a name cut by the buffer's end would come back as a key that does not exist.
        if (used + name.size() + 1 > kMaxSectionKeyListBytes)
            break;
        used += name.size() + 1;
        keys.push_back(name);
    }
    return keys;
}

std::vector<std::pair<std::string, std::string>> TProfileFile::ReadSectionRows(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> rows;
    TSectionRange range {};
    if (!FindSection(section, range))
        return rows;
    // The first line of each key gives its value, as a read by name would.
    std::map<std::string, std::string> firstValues;
    for (std::size_t i = range.Header + 1; i < range.End; ++i) {
        const TLine &line = m_lines[i];
        if (line.Kind == TLineKind::Key)
            firstValues.try_emplace(
                AsciiLower(line.Name), StoredValue(std::string_view(line.Text).substr(line.ValueStart)));
    }
    for (auto &key : ReadSectionKeys(section)) {
        std::string value = firstValues[AsciiLower(key)];
        rows.emplace_back(std::move(key), std::move(value));
    }
    return rows;
}

void TProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    CheckSectionName(section);
    CheckKeyName(key);
    std::string cleanValue(value);
    for (char &c : cleanValue)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    m_modified = true;

    TSectionRange range {};
    if (!FindSection(section, range)) {
        if (!m_lines.empty() && m_lines.back().End.empty())
            m_lines.back().End = "\r\n";
        m_lines.push_back(ParseLine("[" + std::string(section) + "]", "\r\n"));
        m_lines.push_back(ParseLine(std::string(key) + "=" + cleanValue, "\r\n"));
        return;
    }
    std::size_t lastNonBlank = range.Header;
    for (std::size_t i = range.Header + 1; i < range.End; ++i) {
        TLine &line = m_lines[i];
        if (line.Kind == TLineKind::Key && AsciiEqualNoCase(line.Name, key)) {
            line.Text.resize(line.ValueStart);
            line.Text += cleanValue;
            return;
        }
        if (!TrimLeft(line.Text).empty())
            lastNonBlank = i;
    }
    // After the section's last non-blank line, so blank lines that part it from the next section stay there.
    if (m_lines[lastNonBlank].End.empty())
        m_lines[lastNonBlank].End = "\r\n";
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(lastNonBlank + 1),
        ParseLine(std::string(key) + "=" + cleanValue, "\r\n"));
}

void TProfileFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TProfileFile::WriteSectionRows(
    std::string_view section, const std::vector<std::pair<std::string, std::string>> &rows)
{
    std::set<std::string> written;
    for (const auto &[key, value] : rows)
        if (written.insert(AsciiLower(key)).second)
            WriteString(section, key, value);
}

std::string TProfileFile::Bytes() const
{
    std::size_t size = 0;
    for (const auto &line : m_lines)
        size += line.Text.size() + line.End.size();
    std::string out;
    out.reserve(size);
    for (const auto &line : m_lines) {
        out += line.Text;
        out += line.End;
    }
    return out;
}

void TProfileFile::Commit()
{
    if (!m_modified)
        return;
    // The message names the file only; the system's reason goes with it apart.
    const TMessage failure(kUnableToWriteTo, { PathArg(m_path) });
    if (m_path.empty() || m_readFailed)
        throw TError(failure, m_path, m_readReason);
    try {
        WriteFileReplacingSynced(m_path, Bytes());
    } catch (const TError &error) {
        throw TError(failure, m_path, error.Reason());
    }
    m_modified = false;
    m_existed = true;
}

} // namespace qvc
