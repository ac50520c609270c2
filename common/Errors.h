#pragma once
// The one exception type of the core: it carries the program's own message text (8-bit, Windows-1252).
#include <stdexcept>
#include <string>

namespace qvc {

class TError : public std::runtime_error
{
public:
    explicit TError(const std::string &message)
        : std::runtime_error(message)
    {
    }
};

} // namespace qvc
