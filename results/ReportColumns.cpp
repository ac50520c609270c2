#include "results/ReportColumns.h"

namespace qvc {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The text without blanks and tabs at either end.
std::string AllTrimStr(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first]))
        ++first;
    std::size_t end = text.size();
    while (end > first && IsBlank(text[end - 1]))
        --end;
    return std::string(text.substr(first, end - first));
}

// The text's first n characters, completed on the right with blanks to exactly n characters.
std::string FillStr(std::string_view text, std::size_t n)
{
    std::string result(text.substr(0, n));
    result.resize(n, ' ');
    return result;
}

} // namespace

std::string PadRightStr(std::string_view text, std::size_t n, char fill)
{
    std::string result = AllTrimStr(std::string_view(AllTrimStr(text)).substr(0, n));
    // Widths past 65535 still get exactly n characters: the report's name column follows the longest name.
    result.resize(n, fill);
    return result;
}

std::string PadCenterStr(std::string_view text, std::size_t n, char fill)
{
    const std::string trimmed = AllTrimStr(text);
    const std::size_t k = trimmed.size() < n ? (n - trimmed.size()) / 2 : 0;
    std::string centred(k, fill);
    centred += trimmed;
    centred.append(k, fill);
    return FillStr(centred, n);
}

} // namespace qvc
