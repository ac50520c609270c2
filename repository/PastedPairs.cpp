#include "repository/PastedPairs.h"

#include "repository/PairView.h"
#include "repository/RepositoryFile.h"

namespace qvc {

namespace {

// The grid drops such a row as soon as the cursor leaves it: nothing to insert, and nothing worth a word.
bool IsEmptyRowLine(std::string_view line)
{
    if (line == "=")
        return true;
    for (const char c : line)
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    return true;
}

} // namespace

TPastedPairs ReadPastedPairs(std::string_view text)
{
    TPastedPairs pasted;
    std::vector<std::string> lines = ReadRepositoryLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string &line = lines[i];
        if (IsEmptyRowLine(line))
            continue;
        if (IsRenameMarker(line))
            pasted.Refused.push_back({ i + 1, std::move(line), TPasteRefusal::RenameMarker });
        else if (!HasUsableFind(line))
            pasted.Refused.push_back({ i + 1, std::move(line), TPasteRefusal::NoFindText });
        else
            pasted.Lines.push_back(std::move(line));
    }
    return pasted;
}

} // namespace qvc
