#include "common/TextFormat.h"

#include <array>
#include <cstring>
#include <vector>

namespace qvc {

std::string FormatTemplate(std::string_view format, std::initializer_list<std::string_view> args)
{
    std::vector<std::string_view> values(args);
    std::size_t next = 0;
    std::string out;
    out.reserve(format.size() + 64);
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '%' && i + 1 < format.size()) {
            const char d = format[i + 1];
            if (d == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((d == 's' || d == 'd') && next < values.size()) {
                out += values[next++];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string SystemReason(int errorNumber)
{
    // The GNU strerror_r gives the same words as strerror without its buffer shared by all threads.
    std::array<char, 256> buffer {};
    const char *text = ::strerror_r(errorNumber, buffer.data(), buffer.size());
    return text && *text ? std::string(text) : "Unknown error " + std::to_string(errorNumber);
}

} // namespace qvc
