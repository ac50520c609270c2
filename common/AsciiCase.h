#pragma once
// Letter case of the core: only "A" to "Z" and "a" to "z" fold; every other byte stays as it is.
#include <string>
#include <string_view>

namespace qvc {

constexpr char AsciiLowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}
constexpr char AsciiUpperChar(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

/// The text with every byte passed through `fold` (AsciiLowerChar or AsciiUpperChar).
inline std::string AsciiFolded(std::string_view text, char (*fold)(char))
{
    std::string out(text);
    for (char &c : out)
        c = fold(c);
    return out;
}

inline std::string AsciiLower(std::string_view text)
{
    return AsciiFolded(text, AsciiLowerChar);
}

inline std::string AsciiUpper(std::string_view text)
{
    return AsciiFolded(text, AsciiUpperChar);
}

inline bool AsciiEqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i]))
            return false;
    return true;
}

} // namespace qvc
