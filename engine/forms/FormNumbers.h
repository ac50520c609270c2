#pragma once
// Decimal text of the floating-point and currency values of binary form streams. The bit patterns are
// decoded here (not through the platform's long double), so the text is the same on every machine, and
// "." is always the decimal separator.
#include <cstdint>
#include <string>

namespace qvc {

/// Appends an 80-bit extended value (10 bytes, little-endian) in fixed-point notation with exactly 18
/// decimals, rounded to at most 16 significant digits; beyond 16 integer digits in exponent form
/// ("1.5E20"). Infinities and NaNs give "INF", "-INF", "NAN".
void AppendExtendedFixed(const unsigned char *bytes, std::string &out);

/// Appends a single-precision value given by its bit pattern in general format (at most 15 significant
/// digits, trailing zeros dropped, exponent form below 0.0001 and beyond 15 integer digits).
void AppendSingleGeneral(std::uint32_t bits, std::string &out);

/// Appends a double-precision value given by its bit pattern in general format, as AppendSingleGeneral.
void AppendDoubleGeneral(std::uint64_t bits, std::string &out);

/// Appends a signed 64-bit integer in general format (exponent form beyond 15 digits).
void AppendInt64General(std::int64_t value, std::string &out);

} // namespace qvc
