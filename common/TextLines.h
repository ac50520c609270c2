#pragma once
// Text as lines: how every file of the program is read and written.
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// Splits 8-bit text into lines at CR LF, a lone CR or a lone LF. The text after the last break is
/// the last line; a break at the very end adds no empty line; an empty text gives no lines.
std::vector<std::string> SplitLines(std::string_view text);

/// Where one line of a text lies: the offset of its first byte and the offset just past its last one,
/// its line break left out.
struct TLineBounds
{
    std::size_t Start = 0;
    std::size_t End = 0;
};

/// The lines of `text` as SplitLines cuts them, as offsets into `text` (the vector's capacity reused).
void FindLineBounds(std::string_view text, std::vector<TLineBounds> &bounds);

/// True when every line break of `text` is a CR LF and `text` ends with one (or is empty): joining its
/// lines with CR LF after every line gives `text` back unchanged.
bool IsCrLfText(std::string_view text);

/// Joins lines with CR LF after every line, the last one included.
std::string JoinLinesCrLf(const std::vector<std::string> &lines);

} // namespace qvc
