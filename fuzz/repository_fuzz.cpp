// The ".dat" reader takes any bytes: lines and a RenameMode come out, and writing them and reading the result back
// gives the same lines and RenameMode.
#include "repository/RepositoryFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    for (const qvc::TRenameMode initialMode : qvc::kRenameModes) {
        const qvc::TRepositoryContent content = qvc::ParseRepositoryBytes(bytes, initialMode);
        if (!qvc::RenameModeOfDigit(qvc::RenameModeDigit(content.RenameMode)))
            std::abort();
        for (const auto &line : content.Lines)
            if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
                std::abort();
        const std::string written = qvc::RepositoryFileBytes(content.Lines, content.RenameMode);
        const qvc::TRepositoryContent again = qvc::ParseRepositoryBytes(written, initialMode);
        if (!again.MarkerFound || again.RenameMode != content.RenameMode || again.Lines != content.Lines)
            std::abort();
    }
    return 0;
}
