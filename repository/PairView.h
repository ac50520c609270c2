#pragma once
// A substitution pair is a view of one repository line: find text before the first "=", replace text after it.
#include <string>
#include <string_view>

namespace qvc {

/// The find text of a line: everything before its first "="; empty for a line without "=".
inline std::string_view PairFind(std::string_view line)
{
    const auto eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(0, eq);
}

/// The replace text of a line: everything after its first "="; the whole line when it holds no "=".
inline std::string_view PairReplace(std::string_view line)
{
    const auto eq = line.find('=');
    return eq == std::string_view::npos ? line : line.substr(eq + 1);
}

/// True when the find text of a line holds a byte above 0x20: the pass skips an empty or blank-only find text.
inline bool HasUsableFind(std::string_view line)
{
    for (const char c : PairFind(line))
        if (static_cast<unsigned char>(c) > 0x20)
            return true;
    return false;
}

/// The line of an edited row: find text, "=", replace text.
inline std::string MakePairLine(std::string_view find, std::string_view replace)
{
    std::string line;
    line.reserve(find.size() + 1 + replace.size());
    line.append(find);
    line += '=';
    line.append(replace);
    return line;
}

} // namespace qvc
