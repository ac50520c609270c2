#include "common/Checksum.h"

#include "common/FileIO.h"

#include <cerrno>
#include <sys/stat.h>
#include <xxhash.h>

namespace qvc {

TContentSum SumOf(std::string_view bytes)
{
    return { bytes.size(), XXH3_64bits(bytes.data(), bytes.size()) };
}

std::optional<TContentSum> SumOfFile(const std::string &path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
        return std::nullopt;
    return SumOf(ReadFileBytes(path));
}

std::string HashText(std::uint64_t hash)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        out[static_cast<std::size_t>(i)] = kDigits[hash & 15];
    return out;
}

std::optional<std::uint64_t> ParseHashText(std::string_view text)
{
    if (text.size() != 16)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
}

} // namespace qvc
