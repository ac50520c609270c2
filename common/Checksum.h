#pragma once
// What a file held, told apart cheaply: its size and a 64-bit XXH3 hash of its bytes. The run journal
// keeps these for every file a run touches, so that an undo can tell which steps happened.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvc {

struct TContentSum
{
    std::uint64_t Size = 0;
    std::uint64_t Hash = 0;

    bool operator==(const TContentSum &other) const = default;
};

/// The size and XXH3-64 hash of `bytes`.
TContentSum SumOf(std::string_view bytes);

/// The sum of the regular file `path` leads to (links followed); nothing when no file has that name.
/// Throws TError "Cannot open file "%s". %s" when it exists but cannot be read.
std::optional<TContentSum> SumOfFile(const std::string &path);

/// The hash as 16 lower-case hex digits, and back (nothing for anything else).
std::string HashText(std::uint64_t hash);
std::optional<std::uint64_t> ParseHashText(std::string_view text);

} // namespace qvc
