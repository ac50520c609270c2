// Any bytes, with or without the resource header, through the binary form reader: a clean TError or a
// complete text, never a crash, a hang or an unbounded allocation.
#include "common/Errors.h"
#include "engine/forms/BinaryFormToText.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    std::string text;
    try {
        // The pass hands a file beginning with 0xFF through the header check; anything else is tried as a
        // bare stream, so the fuzzer reaches the reader without having to build a header first.
        const std::string_view stream
            = !bytes.empty() && static_cast<unsigned char>(bytes[0]) == 0xFF ? qvc::SkipResourceHeader(bytes) : bytes;
        qvc::BinaryFormToText(stream, text);
    } catch (const qvc::TError &) {
        return 0;
    }
    // A complete text ends with the root's "end"; and with the nesting bounded, every input byte gives at
    // most a few hundred bytes of text.
    if (text.size() < 5 || text.compare(text.size() - 5, 5, "end\r\n") != 0 || text.size() > 256 * size + 4096)
        __builtin_trap();
    return 0;
}
