#include "results/UnifiedDiff.h"

#include "engine/pass/Separator.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

namespace qvc {

namespace {

// The shortest edit script of a[0, n) and b[0, m) (no common start or end needed), or false when it
// needs more than maxEdits steps.
bool MyersScript(const std::string_view *a, std::size_t n, const std::string_view *b, std::size_t m,
    std::size_t maxEdits, std::vector<TDiffStep> &middle)
{
    const auto N = static_cast<std::ptrdiff_t>(n);
    const auto M = static_cast<std::ptrdiff_t>(m);
    const auto limit = static_cast<std::ptrdiff_t>(std::min(maxEdits, n + m));
    // trace[d][k + d]: the furthest x on diagonal k after d steps.
    std::vector<std::vector<std::ptrdiff_t>> trace;
    std::ptrdiff_t found = -1;
    for (std::ptrdiff_t d = 0; d <= limit && found < 0; ++d) {
        std::vector<std::ptrdiff_t> v(static_cast<std::size_t>(2 * d + 1));
        const std::vector<std::ptrdiff_t> *previous = d > 0 ? &trace.back() : nullptr;
        const auto at = [&](std::ptrdiff_t k) { return (*previous)[static_cast<std::size_t>(k + d - 1)]; };
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x = 0;
            if (d == 0)
                x = 0;
            else if (k == -d || (k != d && at(k - 1) < at(k + 1)))
                x = at(k + 1);
            else
                x = at(k - 1) + 1;
            std::ptrdiff_t y = x - k;
            while (x < N && y < M && a[x] == b[y]) {
                ++x;
                ++y;
            }
            v[static_cast<std::size_t>(k + d)] = x;
            if (x >= N && y >= M)
                found = d;
        }
        trace.push_back(std::move(v));
    }
    if (found < 0)
        return false;
    // Back from (N, M) to (0, 0), collecting the steps in reverse.
    std::vector<TDiffStep> reversed;
    std::ptrdiff_t x = N;
    std::ptrdiff_t y = M;
    for (std::ptrdiff_t d = found; d > 0; --d) {
        const std::vector<std::ptrdiff_t> &previous = trace[static_cast<std::size_t>(d - 1)];
        const auto at = [&](std::ptrdiff_t k) { return previous[static_cast<std::size_t>(k + d - 1)]; };
        const std::ptrdiff_t k = x - y;
        const std::ptrdiff_t previousK = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? k + 1 : k - 1;
        const std::ptrdiff_t previousX = at(previousK);
        const std::ptrdiff_t previousY = previousX - previousK;
        while (x > previousX && y > previousY) {
            --x;
            --y;
            reversed.push_back({ TDiffStep::Same, std::size_t(x), std::size_t(y) });
        }
        if (x == previousX) {
            --y;
            reversed.push_back({ TDiffStep::Added, std::size_t(x), std::size_t(y) });
        } else {
            --x;
            reversed.push_back({ TDiffStep::Removed, std::size_t(x), std::size_t(y) });
        }
    }
    while (x > 0 && y > 0) {
        --x;
        --y;
        reversed.push_back({ TDiffStep::Same, std::size_t(x), std::size_t(y) });
    }
    middle.assign(reversed.rbegin(), reversed.rend());
    return true;
}

// Lines as a diff sees them: each up to and including its LF; the last one may lack it.
std::vector<std::string_view> LfLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

// A line without its line end: LF, CR LF, or a CR left at the very end of the text.
std::string_view LineKey(std::string_view line)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool NeedsQuoting(std::string_view name)
{
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b >= 0x7F || c == '"' || c == '\\')
            return true;
    }
    return false;
}

// A name as git writes it: as it is, or in double quotes with C escapes when it holds a quote, a
// backslash, a control byte or a byte above 0x7E.
std::string QuotedName(std::string_view prefix, std::string_view name)
{
    std::string whole(prefix);
    whole += name;
    if (!NeedsQuoting(name))
        return whole;
    std::string out = "\"";
    for (const char c : whole) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\v':
            out += "\\v";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (b < 0x20 || b >= 0x7F) {
                out += '\\';
                out += char('0' + ((b >> 6) & 7));
                out += char('0' + ((b >> 3) & 7));
                out += char('0' + (b & 7));
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

// "--- a/name": GNU patch takes a name up to a tab, so a name with a blank gets one after it, as git does.
std::string FileLine(std::string_view marker, std::string_view prefix, std::string_view name)
{
    std::string line(marker);
    line += QuotedName(prefix, name);
    if (!NeedsQuoting(name) && name.find(' ') != std::string_view::npos)
        line += '\t';
    line += '\n';
    return line;
}

std::string RangeText(std::size_t before, std::size_t count)
{
    // A range of no lines names the line before it; one line needs no count.
    std::string text = std::to_string(count == 0 ? before : before + 1);
    if (count != 1)
        text += "," + std::to_string(count);
    return text;
}

void AppendLine(std::string &out, char marker, std::string_view line)
{
    out += marker;
    out += line;
    if (line.empty() || line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

} // namespace

std::vector<TDiffStep> DiffSequences(
    const std::vector<std::string_view> &a, const std::vector<std::string_view> &b, std::size_t maxEdits)
{
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    std::size_t start = 0;
    while (start < n && start < m && a[start] == b[start])
        ++start;
    std::size_t end = 0;
    while (end < n - start && end < m - start && a[n - 1 - end] == b[m - 1 - end])
        ++end;
    std::vector<TDiffStep> steps;
    steps.reserve(std::max(n, m) + 8);
    for (std::size_t i = 0; i < start; ++i)
        steps.push_back({ TDiffStep::Same, i, i });
    const std::size_t oldMiddle = n - start - end;
    const std::size_t newMiddle = m - start - end;
    std::vector<TDiffStep> middle;
    if (MyersScript(a.data() + start, oldMiddle, b.data() + start, newMiddle, maxEdits, middle)) {
        for (const TDiffStep &step : middle)
            steps.push_back({ step.Kind, step.Old + start, step.New + start });
    } else {
        // Too many differences for a shortest script in bounded time: pair the lines in order.
        const std::size_t paired = std::min(oldMiddle, newMiddle);
        for (std::size_t i = 0; i < paired; ++i) {
            const std::size_t o = start + i;
            if (a[o] == b[o]) {
                steps.push_back({ TDiffStep::Same, o, o });
            } else {
                steps.push_back({ TDiffStep::Removed, o, o });
                steps.push_back({ TDiffStep::Added, o + 1, o });
            }
        }
        for (std::size_t i = paired; i < oldMiddle; ++i)
            steps.push_back({ TDiffStep::Removed, start + i, start + paired });
        for (std::size_t i = paired; i < newMiddle; ++i)
            steps.push_back({ TDiffStep::Added, start + oldMiddle, start + i });
    }
    for (std::size_t i = 0; i < end; ++i)
        steps.push_back({ TDiffStep::Same, n - end + i, m - end + i });
    return steps;
}

void AppendUnifiedDiff(
    std::string &out, const TDiffFile &file, std::string_view oldBytes, std::string_view newBytes, std::size_t context)
{
    if (file.Change == TDiffChange::Modified && oldBytes == newBytes)
        return;
    out += "diff --git " + QuotedName("a/", file.OldPath) + " " + QuotedName("b/", file.NewPath) + "\n";
    if (file.Change == TDiffChange::Copied) {
        out += "copy from " + QuotedName("", file.OldPath) + "\n";
        out += "copy to " + QuotedName("", file.NewPath) + "\n";
    } else if (file.Change == TDiffChange::Renamed) {
        if (oldBytes == newBytes)
            out += "similarity index 100%\n";
        out += "rename from " + QuotedName("", file.OldPath) + "\n";
        out += "rename to " + QuotedName("", file.NewPath) + "\n";
    }
    if (oldBytes == newBytes)
        return;
    const bool binary
        = file.Binary || oldBytes.find('\0') != std::string_view::npos || newBytes.find('\0') != std::string_view::npos;
    if (binary) {
        out += "Binary files " + QuotedName("a/", file.OldPath) + " and " + QuotedName("b/", file.NewPath)
            + " differ\n";
        return;
    }
    const std::vector<std::string_view> oldLines = LfLines(oldBytes);
    const std::vector<std::string_view> newLines = LfLines(newBytes);
    std::vector<std::string_view> oldKeys;
    std::vector<std::string_view> newKeys;
    oldKeys.reserve(oldLines.size());
    newKeys.reserve(newLines.size());
    for (const auto line : oldLines)
        oldKeys.push_back(LineKey(line));
    for (const auto line : newLines)
        newKeys.push_back(LineKey(line));
    const std::vector<TDiffStep> steps = DiffSequences(oldKeys, newKeys);
    // Lines are matched by their text; a matched pair whose bytes differ (its line end) is a change too:
    // its old line removed and its new line added.
    const auto changes = [&](const TDiffStep &step) {
        return step.Kind != TDiffStep::Same || oldLines[step.Old] != newLines[step.New];
    };
    // Hunks: the changed steps with `context` same lines around them; hunks closer than twice that join.
    std::vector<std::pair<std::size_t, std::size_t>> hunks; // [first step, end step)
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (!changes(steps[i]))
            continue;
        const std::size_t first = i >= context ? i - context : 0;
        std::size_t last = i + 1;
        if (!hunks.empty() && first <= hunks.back().second) {
            hunks.back().second = std::min(steps.size(), last + context);
        } else {
            hunks.emplace_back(first, std::min(steps.size(), last + context));
        }
    }
    if (hunks.empty())
        return;
    out += FileLine("--- ", "a/", file.OldPath);
    out += FileLine("+++ ", "b/", file.NewPath);
    // Old and new lines before each step.
    std::size_t step = 0;
    std::size_t oldBefore = 0;
    std::size_t newBefore = 0;
    for (const auto &[first, end] : hunks) {
        for (; step < first; ++step) {
            oldBefore += steps[step].Kind != TDiffStep::Added ? 1 : 0;
            newBefore += steps[step].Kind != TDiffStep::Removed ? 1 : 0;
        }
        std::size_t oldCount = 0;
        std::size_t newCount = 0;
        for (std::size_t i = first; i < end; ++i) {
            oldCount += steps[i].Kind != TDiffStep::Added ? 1 : 0;
            newCount += steps[i].Kind != TDiffStep::Removed ? 1 : 0;
        }
        out += "@@ -" + RangeText(oldBefore, oldCount) + " +" + RangeText(newBefore, newCount) + " @@\n";
        // Within a run of changes, the removed lines come first, then the added ones.
        for (std::size_t i = first; i < end;) {
            if (!changes(steps[i])) {
                AppendLine(out, ' ', oldLines[steps[i].Old]);
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < end && changes(steps[j]))
                ++j;
            for (std::size_t k = i; k < j; ++k)
                if (steps[k].Kind != TDiffStep::Added)
                    AppendLine(out, '-', oldLines[steps[k].Old]);
            for (std::size_t k = i; k < j; ++k)
                if (steps[k].Kind != TDiffStep::Removed)
                    AppendLine(out, '+', newLines[steps[k].New]);
            i = j;
        }
    }
}

std::string DiffPathOf(const std::string &path, const std::string &currentFolder)
{
    namespace fs = std::filesystem;
    fs::path p(path);
    if (p.is_absolute()) {
        const fs::path relative = p.lexically_normal().lexically_relative(fs::path(currentFolder).lexically_normal());
        if (!relative.empty())
            p = relative;
    }
    p = p.lexically_normal();
    const std::string text = p.string();
    return text.empty() || text == "." ? path : text;
}

TChangedWords ChangedWordsOf(std::string_view oldLine, std::string_view newLine)
{
    const auto words = [](std::string_view line, std::vector<std::size_t> &starts) {
        std::vector<std::string_view> tokens;
        std::size_t i = 0;
        while (i < line.size()) {
            std::size_t j = i + 1;
            if (!IsSeparator(line[i]))
                while (j < line.size() && !IsSeparator(line[j]))
                    ++j;
            starts.push_back(i);
            tokens.push_back(line.substr(i, j - i));
            i = j;
        }
        starts.push_back(line.size());
        return tokens;
    };
    std::vector<std::size_t> oldStarts;
    std::vector<std::size_t> newStarts;
    const std::vector<std::string_view> oldWords = words(oldLine, oldStarts);
    const std::vector<std::string_view> newWords = words(newLine, newStarts);
    TChangedWords changed;
    const auto add = [](std::vector<std::pair<std::size_t, std::size_t>> &ranges, std::size_t from, std::size_t to) {
        if (!ranges.empty() && ranges.back().second == from)
            ranges.back().second = to;
        else
            ranges.emplace_back(from, to);
    };
    for (const TDiffStep &step : DiffSequences(oldWords, newWords, 200)) {
        if (step.Kind == TDiffStep::Removed)
            add(changed.Old, oldStarts[step.Old], oldStarts[step.Old + 1]);
        else if (step.Kind == TDiffStep::Added)
            add(changed.New, newStarts[step.New], newStarts[step.New + 1]);
    }
    return changed;
}

} // namespace qvc
