#include "settings/WindowChoices.h"

#include "common/AsciiCase.h"
#include "common/FileIO.h"
#include "common/PathNames.h"

#include <exception>
#include <optional>

namespace qvc {

namespace {

std::string_view TrimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The next line of `bytes` from `at`, its end (LF, CR LF or a lone CR) left out; `at` moves past it.
std::string_view NextLine(std::string_view bytes, std::size_t &at)
{
    const std::size_t begin = at;
    std::size_t end = bytes.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) {
        at = bytes.size();
        return bytes.substr(begin);
    }
    at = end + 1;
    if (bytes[end] == '\r' && at < bytes.size() && bytes[at] == '\n')
        ++at;
    return bytes.substr(begin, end - begin);
}

} // namespace

std::string WindowChoicesFileName(const std::string &settingsFileName)
{
    return ReplaceExtension(settingsFileName, ".window.ini");
}

TWindowChoices ParseWindowChoices(std::string_view bytes)
{
    TWindowChoices choices;
    std::optional<std::string_view> scopeText;
    bool inSection = false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::string_view line = TrimBlanks(NextLine(bytes, at));
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            inSection = line.back() == ']' && AsciiEqualNoCase(line.substr(1, line.size() - 2), kWindowChoicesSection);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos)
            continue;
        if (AsciiEqualNoCase(TrimBlanks(line.substr(0, equals)), kWindowChoicesScopeKey) && !scopeText)
            scopeText = TrimBlanks(line.substr(equals + 1));
    }
    if (scopeText)
        choices.Scope = ScopeFromName(AsciiLower(*scopeText)).value_or(TScope::All);
    return choices;
}

std::string FormatWindowChoices(const TWindowChoices &choices)
{
    std::string bytes;
    bytes += '[';
    bytes += kWindowChoicesSection;
    bytes += "]\r\n";
    bytes += kWindowChoicesScopeKey;
    bytes += '=';
    bytes += ScopeName(choices.Scope);
    bytes += "\r\n";
    return bytes;
}

TWindowChoices ReadWindowChoices(const std::string &path)
{
    // A size known before reading keeps a stray large file from being read at all; one that grows meanwhile is
    // still refused after it.
    const TFileStamp stamp = StampOf(path);
    if (!stamp.Exists || stamp.Size < 0 || static_cast<std::size_t>(stamp.Size) > kWindowChoicesMaxBytes)
        return {};
    try {
        const std::string bytes = ReadFileBytes(path);
        if (bytes.size() > kWindowChoicesMaxBytes)
            return {};
        return ParseWindowChoices(bytes);
    } catch (const std::exception &) {
        // Unreadable, gone, or not a regular file: the window starts with its defaults.
        return {};
    }
}

void WriteWindowChoices(const std::string &path, const TWindowChoices &choices)
{
    const std::string bytes = FormatWindowChoices(choices);
    // An exit that changed nothing leaves the file and its folder alone.
    const TFileStamp stamp = StampOf(path);
    if (stamp.Exists && static_cast<std::size_t>(stamp.Size) == bytes.size()) {
        try {
            if (ReadFileBytes(path) == bytes)
                return;
        } catch (const std::exception &) {
            // Not readable as it is: replacing it says why it cannot be, if it cannot.
        }
    }
    WriteFileReplacingSynced(path, bytes);
}

} // namespace qvc
