#include "repository/RepositoryFile.h"

#include "common/AsciiCase.h"
#include "common/TextFormat.h"
#include "common/TextLines.h"
#include "repository/PairView.h"

namespace qvc {

std::string RenameMarker(TRenameMode renameMode)
{
    return FormatTemplate(kRenameMarkerFormat, { std::to_string(RenameModeDigit(renameMode)) });
}

bool IsRenameMarker(std::string_view line)
{
    for (const TRenameMode mode : kRenameModes)
        if (AsciiEqualNoCase(line, RenameMarker(mode)))
            return true;
    return false;
}

std::vector<std::string> ReadRepositoryLines(std::string_view bytes)
{
    const auto nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    return SplitLines(bytes);
}

bool ApplyRenameMarker(std::vector<std::string> &lines, TRenameMode &renameMode)
{
    // The Lazarus marker came after the others: only a file without any of them is read by it.
    for (const TRenameMode mode : kRenameModes) {
        const std::string marker = RenameMarker(mode);
        for (auto it = lines.begin(); it != lines.end(); ++it) {
            if (AsciiEqualNoCase(*it, marker)) {
                renameMode = mode;
                lines.erase(it);
                return true;
            }
        }
    }
    return false;
}

std::string RepositoryFileBytes(const std::vector<std::string> &lines, TRenameMode renameMode)
{
    std::string out = RenameMarker(renameMode);
    out += "\r\n";
    out += JoinLinesCrLf(lines);
    return out;
}

TRepositoryContent ParseRepositoryBytes(std::string_view bytes, TRenameMode renameMode)
{
    TRepositoryContent content;
    content.Lines = ReadRepositoryLines(bytes);
    content.RenameMode = renameMode;
    content.MarkerFound = ApplyRenameMarker(content.Lines, content.RenameMode);
    return content;
}

namespace {

// "<|ChangeFileName=" + an optional sign and one or more digits + "|>", ASCII letter case ignored, that is not
// one of the markers ApplyRenameMarker takes.
bool IsMarkerOutOfRange(std::string_view line)
{
    constexpr std::string_view prefix = "<|ChangeFileName=";
    constexpr std::string_view suffix = "|>";
    if (line.size() <= prefix.size() + suffix.size() || !AsciiEqualNoCase(line.substr(0, prefix.size()), prefix)
        || line.substr(line.size() - suffix.size()) != suffix)
        return false;
    std::string_view number = line.substr(prefix.size(), line.size() - prefix.size() - suffix.size());
    if (number.front() == '-' || number.front() == '+')
        number.remove_prefix(1);
    if (number.empty())
        return false;
    for (const char c : number)
        if (c < '0' || c > '9')
            return false;
    return !IsRenameMarker(line);
}

} // namespace

std::vector<TRepositoryFinding> RepositoryFindings(std::string_view bytes)
{
    std::vector<TRepositoryFinding> findings;
    const std::vector<std::string> lines = ReadRepositoryLines(bytes);
    if (lines.empty()) {
        findings.push_back({ TRepositoryFinding::TKind::EmptyFile, 0, {} });
        return findings;
    }
    std::vector<std::string> pairs = lines;
    TRenameMode renameMode = kDefaultRenameMode;
    ApplyRenameMarker(pairs, renameMode);
    bool anyPair = false;
    for (const std::string &line : pairs)
        anyPair = anyPair || HasUsableFind(line);
    if (!anyPair)
        findings.push_back({ TRepositoryFinding::TKind::NoPair, 0, {} });
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (IsMarkerOutOfRange(lines[i]))
            findings.push_back({ TRepositoryFinding::TKind::MarkerOutOfRange, i + 1, lines[i] });
    return findings;
}

} // namespace qvc
