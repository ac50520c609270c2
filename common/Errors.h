#pragma once
// The one exception type of the core: the program's own message text (8-bit, Windows-1252), and, apart
// from it, the file the failure concerns (path bytes) and the system's reason, for front ends that show
// them beside the message.
#include <stdexcept>
#include <string>
#include <system_error>

namespace qvc {

class TError : public std::runtime_error
{
public:
    explicit TError(const std::string &message)
        : std::runtime_error(message)
    {
    }
    /// `message` is the whole text shown for the failure; `path` and `reason` are kept apart as well.
    TError(const std::string &message, std::string path, std::error_code reason)
        : std::runtime_error(message)
        , m_path(std::move(path))
        , m_reason(reason)
    {
    }
    /// The file the failure concerns, empty when none was given.
    const std::string &Path() const { return m_path; }
    /// The system's reason, empty (value 0) when none was given.
    std::error_code Reason() const { return m_reason; }

private:
    std::string m_path;
    std::error_code m_reason;
};

} // namespace qvc
