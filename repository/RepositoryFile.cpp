#include "repository/RepositoryFile.h"

#include "common/AsciiCase.h"
#include "common/TextFormat.h"
#include "common/TextLines.h"

namespace qvc {

std::string RenameMarker(int renameMode)
{
    return FormatTemplate(kRenameMarkerFormat, { std::to_string(renameMode) });
}

std::vector<std::string> ReadRepositoryLines(std::string_view bytes)
{
    const auto nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    return SplitLines(bytes);
}

bool ApplyRenameMarker(std::vector<std::string> &lines, int &renameMode)
{
    for (int mode = 0; mode <= 2; ++mode) {
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

std::string RepositoryFileBytes(const std::vector<std::string> &lines, int renameMode)
{
    std::string out = RenameMarker(renameMode);
    out += "\r\n";
    out += JoinLinesCrLf(lines);
    return out;
}

TRepositoryContent ParseRepositoryBytes(std::string_view bytes, int renameMode)
{
    TRepositoryContent content;
    content.Lines = ReadRepositoryLines(bytes);
    content.RenameMode = renameMode;
    content.MarkerFound = ApplyRenameMarker(content.Lines, content.RenameMode);
    return content;
}

} // namespace qvc
