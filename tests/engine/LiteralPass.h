#pragma once
// The substitution rules written as plainly as possible and kept independent of the engine's code, for
// differential tests of the optimised pass.
#include "common/AsciiCase.h"
#include "engine/pass/PassDetails.h"
#include "engine/run/ConversionResult.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

inline bool LiteralSeparator(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) == 0 || static_cast<unsigned char>(c) >= 0x80;
}

inline bool LiteralBlank(const std::string &text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    return true;
}

// The first position at which `find` occurs in `line`, letter case ignored ("A" to "Z" only); npos for none.
inline std::size_t LiteralFind(const std::string &line, const std::string &find)
{
    const auto sameLetter = [](char a, char b) { return qvc::AsciiLowerChar(a) == qvc::AsciiLowerChar(b); };
    const auto at = std::search(line.begin(), line.end(), find.begin(), find.end(), sameLetter);
    return at == line.end() ? std::string::npos : static_cast<std::size_t>(at - line.begin());
}

struct TLiteralMiss
{
    std::size_t Column = 0; // from 0
    std::size_t Pair = 0;
    std::string Find;
    qvc::TMissReason Reason = qvc::TMissReason::InsideLongerWord;
};

struct TLiteralState
{
    std::vector<std::string> Text;
    std::string TargetName;
    std::string NewName;
    qvc::TConversionResult Results;
    // The misses per line (from 0) and find text in lower case, as the last pair with that find text left them.
    std::map<std::pair<std::size_t, std::string>, std::vector<TLiteralMiss>> Misses = {};
    std::size_t Pair = 0; // the pair being applied, counting from 0
};

// Every occurrence of `find` in `line`, overlapping ones included, that is a word by itself and does not
// lie within an occurrence of `replace`, with the reason the rules give.
inline std::vector<TLiteralMiss> LiteralMisses(const std::string &line, const std::string &find,
    const std::string &replace, bool replacedOnLine, bool heldReplace, std::size_t pair)
{
    std::vector<TLiteralMiss> misses;
    const std::string lowerLine = qvc::AsciiLower(line);
    const std::string lowerFind = qvc::AsciiLower(find);
    for (std::size_t q = 0; q + find.size() <= line.size(); ++q) {
        if (lowerLine.compare(q, find.size(), lowerFind) != 0)
            continue;
        const bool before = q == 0 || LiteralSeparator(line[q - 1]);
        const std::size_t after = q + find.size();
        const bool behind = after == line.size() || LiteralSeparator(line[after]) || find.back() == '_';
        // Only an occurrence of replace starting from after - replace.size() up to q can cover [q, after).
        bool covered = false;
        const std::size_t lowest = after >= replace.size() ? after - replace.size() : 0;
        for (std::size_t r = lowest; !replace.empty() && r <= q && r + replace.size() <= line.size(); ++r)
            if (line.compare(r, replace.size(), replace) == 0 && r <= q && after <= r + replace.size())
                covered = true;
        if (!before || !behind || covered)
            continue;
        qvc::TMissReason reason = qvc::TMissReason::InsideLongerWord;
        if (!replace.empty() && replacedOnLine)
            reason = qvc::TMissReason::SecondOccurrence;
        else if (!replace.empty() && heldReplace)
            reason = qvc::TMissReason::HoldsReplaceText;
        misses.push_back({ q, pair, find, reason });
    }
    return misses;
}

// The misses of a state in the order the pass reports them: by line, column and pair; lines from 1.
inline std::vector<qvc::TMissedOccurrence> LiteralMissed(const TLiteralState &state)
{
    std::vector<std::tuple<std::size_t, std::size_t, std::size_t, std::string, qvc::TMissReason>> all;
    for (const auto &[key, misses] : state.Misses)
        for (const auto &miss : misses)
            all.emplace_back(key.first, miss.Column, miss.Pair, miss.Find, miss.Reason);
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) {
        return std::tie(std::get<0>(a), std::get<1>(a), std::get<2>(a))
            < std::tie(std::get<0>(b), std::get<1>(b), std::get<2>(b));
    });
    std::vector<qvc::TMissedOccurrence> out;
    out.reserve(all.size());
    for (const auto &[line, column, pair, find, reason] : all)
        out.push_back({ static_cast<std::uint32_t>(line + 1), static_cast<std::uint32_t>(column + 1), find, reason });
    return out;
}

inline int LiteralApplyPair(TLiteralState &state, const std::string &find, const std::string &replace)
{
    if (LiteralBlank(find))
        return 0;
    int count = 0;
    for (std::size_t index = 0; index < state.Text.size(); ++index) {
        auto &line = state.Text[index];
        const bool heldReplace = !replace.empty() && line.find(replace) != std::string::npos;
        bool replacedOnLine = false;
        const std::pair<std::size_t, std::string> key { index, qvc::AsciiLower(find) };
        state.Misses.erase(key);
        if (LiteralBlank(line))
            continue;
        for (;;) {
            const std::size_t found = LiteralFind(line, find);
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
            line.replace(found, after - found, replace);
            ++count;
            replacedOnLine = true;
            state.Results.Record(find, replace);
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
                state.NewName = std::string(folder).append(replace).append(extension);
        }
        auto misses = LiteralMisses(line, find, replace, replacedOnLine, heldReplace && !replacedOnLine, state.Pair);
        if (!misses.empty())
            state.Misses[key] = std::move(misses);
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
        ++state.Pair;
    }
    return count;
}
