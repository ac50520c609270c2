// What every sub-command of qvconvert shares at its end: the failure line, standard output, the exit code.
#include "cli/Commands.h"
#include "common/EscapedName.h"

// GCC 12 sees a null dereference inside CLI11's string splitting once it is inlined; it has none.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wnull-dereference"
#endif
#include <CLI/CLI.hpp>

#include <cstdio>

namespace qvc {

void ReportFailure(std::string_view subject, std::string_view reason)
{
    std::string line = "qvconvert: ";
    line += EscapedName(subject);
    line += ": ";
    line += reason;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

bool WriteStandardOutput(std::string_view bytes)
{
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
        return false;
    return std::fflush(stdout) == 0;
}

void EndCommand(int exitCode)
{
    // CLI11 passes a RuntimeError through without printing anything.
    throw CLI::RuntimeError(exitCode);
}

} // namespace qvc
