#include "common/TextLines.h"

namespace qvc {

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string> &lines)
{
    std::size_t size = 0;
    for (const auto &line : lines)
        size += line.size() + 2;
    std::string out;
    out.reserve(size);
    for (const auto &line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

} // namespace qvc
