#pragma once
// The substitution rules written as plainly as possible and kept independent of the engine's code, for
// differential tests of the optimised pass.
#include "common/AsciiCase.h"
#include "engine/ConversionResult.h"

#include <cctype>
#include <string>
#include <vector>

inline bool LiteralSeparator(char c)
{
    return !std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80;
}

inline bool LiteralBlank(const std::string &text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    return true;
}

struct TLiteralState
{
    std::vector<std::string> Text;
    std::string TargetName;
    std::string NewName;
    qvc::TConversionResult Results;
};

inline int LiteralApplyPair(TLiteralState &state, const std::string &find, const std::string &replace)
{
    if (LiteralBlank(find))
        return 0;
    int count = 0;
    for (auto &line : state.Text) {
        if (LiteralBlank(line))
            continue;
        for (;;) {
            const std::size_t found = qvc::AsciiLower(line).find(qvc::AsciiLower(find));
            if (found == std::string::npos)
                break;
            const std::size_t p = found + 1; // counting from 1
            if (p > 1 && !LiteralSeparator(line[p - 2]))
                break;
            if (!replace.empty() && line.find(replace) != std::string::npos)
                break;
            const std::size_t after = found + find.size();
            const bool aIsSeparator = after >= line.size() || LiteralSeparator(line[after]);
            const char z = line[after - 1];
            if (!aIsSeparator && z != '_')
                break;
            line = line.substr(0, found) + replace + line.substr(after);
            ++count;
            state.Results.Record(find + "=" + replace);
            const std::size_t slash = state.TargetName.rfind('/');
            const std::string folder = state.TargetName.substr(0, slash + 1);
            const std::string name = state.TargetName.substr(slash + 1);
            const std::size_t dot = name.rfind('.');
            const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
            const bool braces = replace.find('{') != std::string::npos && replace.find('}') != std::string::npos;
            // Mended: no name from a blank replace text, none that leaves the folder or holds NUL.
            const bool usable = !LiteralBlank(replace) && replace.find('/') == std::string::npos
                && replace.find('\0') == std::string::npos;
            if (LiteralBlank(state.NewName) && name == find + extension && !braces && usable)
                state.NewName = folder + replace + extension;
        }
    }
    return count;
}

inline int LiteralApplyAll(TLiteralState &state, const std::vector<std::string> &pairs)
{
    int count = 0;
    for (const auto &line : pairs) {
        const std::size_t eq = line.find('=');
        const std::string find = eq == std::string::npos ? "" : line.substr(0, eq);
        const std::string replace = eq == std::string::npos ? line : line.substr(eq + 1);
        count += LiteralApplyPair(state, find, replace);
    }
    return count;
}
