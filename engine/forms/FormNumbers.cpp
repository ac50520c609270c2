#include "engine/forms/FormNumbers.h"

#include <charconv>
#include <cstring>
#include <vector>

namespace qvc {
namespace {

// A finite number as decimal digits: value = 0.d1d2d3... * 10^exponent. `digits` holds no leading
// zeros; an empty `digits` is zero.
struct TDecimal
{
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

enum class TKind { Finite, Infinite, NaN };

// Significant digits of the general format.
constexpr int kGeneralPrecision = 15;

constexpr std::uint32_t kLimbBase = 1000000000u; // nine decimal digits per limb

// While multiplying, only the top limbs are kept: 72 digits, of which the first 58 stay exact unless
// a run of nines hides a carry (checked, see DecimalDigits). This keeps the huge exponents of the 80-bit
// format (values up to 10^4932) from costing milliseconds per value.
constexpr std::size_t kKeptLimbs = 8;
constexpr std::size_t kReliableDigits = 58;

// Multiplies a little-endian base-10^9 number by a factor below 2^32. With `truncate`, limbs below the
// top kKeptLimbs are dropped and counted in `droppedLimbs`; `inexact` records that a dropped limb was
// not zero.
void MultiplyLimbs(
    std::vector<std::uint32_t> &limbs, std::uint32_t factor, bool truncate, int &droppedLimbs, bool &inexact)
{
    std::uint64_t carry = 0;
    for (std::uint32_t &limb : limbs) {
        const std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
        limb = static_cast<std::uint32_t>(product % kLimbBase);
        carry = product / kLimbBase;
    }
    while (carry != 0) {
        limbs.push_back(static_cast<std::uint32_t>(carry % kLimbBase));
        carry /= kLimbBase;
    }
    if (truncate && limbs.size() > kKeptLimbs) {
        const std::size_t drop = limbs.size() - kKeptLimbs;
        for (std::size_t i = 0; i < drop; ++i)
            inexact = inexact || limbs[i] != 0;
        limbs.erase(limbs.begin(), limbs.begin() + static_cast<std::ptrdiff_t>(drop));
        droppedLimbs += static_cast<int>(drop);
    }
}

int BitLength(std::uint64_t value)
{
    int length = 0;
    while (value != 0) {
        ++length;
        value >>= 1;
    }
    return length;
}

// The decimal digits of mantissa * 2^binaryExponent. Every binary fraction has a finite decimal
// expansion: for a negative exponent the value is mantissa * 5^-e / 10^-e. With `truncate` the low
// digits may be wrong (see kKeptLimbs); `inexact` then tells whether they were.
TDecimal ExpandDecimal(bool negative, std::uint64_t mantissa, int binaryExponent, bool truncate, bool &inexact)
{
    TDecimal result;
    result.negative = negative;
    inexact = false;
    if (mantissa == 0)
        return result;
    std::vector<std::uint32_t> limbs;
    limbs.reserve(kKeptLimbs + 4);
    for (std::uint64_t rest = mantissa; rest != 0; rest /= kLimbBase)
        limbs.push_back(static_cast<std::uint32_t>(rest % kLimbBase));
    int decimalShift = 0;
    int droppedLimbs = 0;
    if (binaryExponent >= 0) {
        for (int left = binaryExponent; left > 0;) {
            const int step = left < 31 ? left : 31;
            MultiplyLimbs(limbs, std::uint32_t { 1 } << step, truncate, droppedLimbs, inexact);
            left -= step;
        }
    } else {
        constexpr std::uint32_t kPowersOfFive[] = { 1u, 5u, 25u, 125u, 625u, 3125u, 15625u, 78125u, 390625u, 1953125u,
            9765625u, 48828125u, 244140625u, 1220703125u };
        for (int left = -binaryExponent; left > 0;) {
            const int step = left < 13 ? left : 13;
            MultiplyLimbs(limbs, kPowersOfFive[step], truncate, droppedLimbs, inexact);
            left -= step;
        }
        decimalShift = binaryExponent;
    }
    std::string &digits = result.digits;
    digits.reserve(limbs.size() * 9);
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, limbs.back());
    (void)ec;
    digits.append(buffer, end);
    for (std::size_t i = limbs.size() - 1; i-- > 0;) {
        std::uint32_t limb = limbs[i];
        char group[9];
        for (int k = 8; k >= 0; --k) {
            group[k] = static_cast<char>('0' + limb % 10);
            limb /= 10;
        }
        digits.append(group, 9);
    }
    result.exponent = static_cast<int>(digits.size()) + 9 * droppedLimbs + decimalShift;
    return result;
}

// The digits of mantissa * 2^binaryExponent, exact in their first precision + 1 places (all that
// rounding to `precision` digits looks at); trailing zeros dropped.
TDecimal DecimalDigits(bool negative, std::uint64_t mantissa, int binaryExponent, int precision)
{
    bool inexact = false;
    TDecimal value = ExpandDecimal(negative, mantissa, binaryExponent, true, inexact);
    if (inexact) {
        // The kept digits are at most a unit of the 60th digit below the true value: only a run of
        // nines after the rounding digit could hide a carry into it.
        bool carrySafe = false;
        for (std::size_t i = static_cast<std::size_t>(precision) + 1; i < kReliableDigits && !carrySafe; ++i)
            carrySafe = i >= value.digits.size() || value.digits[i] != '9';
        if (!carrySafe)
            value = ExpandDecimal(negative, mantissa, binaryExponent, false, inexact);
    }
    while (!value.digits.empty() && value.digits.back() == '0')
        value.digits.pop_back();
    return value;
}

// Keeps at most `count` significant digits, rounding half away from zero; drops trailing zeros.
void RoundDigits(TDecimal &value, int count)
{
    std::string &digits = value.digits;
    if (static_cast<int>(digits.size()) <= count)
        return;
    if (count < 0) {
        digits.clear();
        return;
    }
    const bool roundUp = digits[static_cast<std::size_t>(count)] >= '5';
    digits.resize(static_cast<std::size_t>(count));
    if (roundUp) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            --i;
        digits.resize(i);
        if (i == 0) {
            digits = "1";
            ++value.exponent;
        } else {
            ++digits[i - 1];
        }
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
}

void AppendInt(int value, std::string &out)
{
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    out.append(buffer, end);
}

// d.ddd "E" exponent, the exponent with a "-" when negative and no leading zeros.
void AppendScientific(const TDecimal &value, std::string &out)
{
    out += value.digits[0];
    if (value.digits.size() > 1) {
        out += '.';
        out.append(value.digits, 1);
    }
    out += 'E';
    AppendInt(value.exponent - 1, out);
}

void AppendSpecial(TKind kind, bool negative, std::string &out)
{
    if (kind == TKind::NaN)
        out += "NAN";
    else
        out += negative ? "-INF" : "INF";
}

void AppendGeneral(TDecimal value, std::string &out)
{
    constexpr int kPrecision = kGeneralPrecision;
    RoundDigits(value, kPrecision);
    const std::string &digits = value.digits;
    if (digits.empty()) {
        out += '0';
        return;
    }
    if (value.negative)
        out += '-';
    const int exponent = value.exponent;
    if (exponent > kPrecision || exponent < -3) {
        AppendScientific(value, out);
        return;
    }
    const int count = static_cast<int>(digits.size());
    if (exponent <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent), '0');
        out += digits;
        return;
    }
    if (count <= exponent) {
        out += digits;
        out.append(static_cast<std::size_t>(exponent - count), '0');
        return;
    }
    out.append(digits, 0, static_cast<std::size_t>(exponent));
    out += '.';
    out.append(digits, static_cast<std::size_t>(exponent));
}

} // namespace

void AppendExtendedFixed(const unsigned char *bytes, std::string &out)
{
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | bytes[i];
    const unsigned signAndExponent = static_cast<unsigned>(bytes[8]) | (static_cast<unsigned>(bytes[9]) << 8);
    const bool negative = (signAndExponent & 0x8000u) != 0;
    const int biased = static_cast<int>(signAndExponent & 0x7FFFu);
    if (biased == 0x7FFF) {
        // The explicit integer bit is not part of the NaN test: only the fraction bits are.
        AppendSpecial((mantissa & 0x7FFFFFFFFFFFFFFFULL) == 0 ? TKind::Infinite : TKind::NaN, negative, out);
        return;
    }
    // Denormals use the smallest exponent; the integer bit is explicit, so no hidden bit is added.
    const int binaryExponent = (biased == 0 ? 1 : biased) - 16383 - 63;
    constexpr int kPrecision = 16;
    constexpr int kDecimals = 18;
    // Anything below 2^-70 rounds to zero at 18 decimals; skip its long exact expansion.
    if (mantissa != 0 && BitLength(mantissa) + binaryExponent < -70)
        mantissa = 0;
    TDecimal value = DecimalDigits(negative, mantissa, binaryExponent, kPrecision);
    if (!value.digits.empty()) {
        const int keep = value.exponent + kDecimals < kPrecision ? value.exponent + kDecimals : kPrecision;
        RoundDigits(value, keep);
    }
    const std::string &digits = value.digits;
    if (!digits.empty() && value.negative)
        out += '-';
    if (!digits.empty() && value.exponent > kPrecision) {
        AppendScientific(value, out);
        return;
    }
    const int exponent = digits.empty() ? 0 : value.exponent;
    const int count = static_cast<int>(digits.size());
    if (exponent <= 0) {
        out += '0';
    } else if (count <= exponent) {
        out += digits;
        out.append(static_cast<std::size_t>(exponent - count), '0');
    } else {
        out.append(digits, 0, static_cast<std::size_t>(exponent));
    }
    out += '.';
    int written = 0;
    if (exponent < 0) {
        out.append(static_cast<std::size_t>(-exponent), '0');
        written = -exponent;
    }
    const int firstFraction = exponent > 0 ? exponent : 0;
    if (count > firstFraction) {
        out.append(digits, static_cast<std::size_t>(firstFraction));
        written += count - firstFraction;
    }
    if (written < kDecimals)
        out.append(static_cast<std::size_t>(kDecimals - written), '0');
}

void AppendSingleGeneral(std::uint32_t bits, std::string &out)
{
    const bool negative = (bits >> 31) != 0;
    const int biased = static_cast<int>((bits >> 23) & 0xFFu);
    std::uint64_t mantissa = bits & 0x7FFFFFu;
    if (biased == 0xFF) {
        AppendSpecial(mantissa == 0 ? TKind::Infinite : TKind::NaN, negative, out);
        return;
    }
    if (biased != 0)
        mantissa |= 0x800000u;
    AppendGeneral(DecimalDigits(negative, mantissa, (biased == 0 ? 1 : biased) - 127 - 23, kGeneralPrecision), out);
}

void AppendDoubleGeneral(std::uint64_t bits, std::string &out)
{
    const bool negative = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7FFu);
    std::uint64_t mantissa = bits & 0xFFFFFFFFFFFFFULL;
    if (biased == 0x7FF) {
        AppendSpecial(mantissa == 0 ? TKind::Infinite : TKind::NaN, negative, out);
        return;
    }
    if (biased != 0)
        mantissa |= 0x10000000000000ULL;
    AppendGeneral(DecimalDigits(negative, mantissa, (biased == 0 ? 1 : biased) - 1023 - 52, kGeneralPrecision), out);
}

void AppendInt64General(std::int64_t value, std::string &out)
{
    const bool negative = value < 0;
    // Through unsigned arithmetic, so the most negative value has a magnitude too.
    const std::uint64_t magnitude
        = negative ? ~static_cast<std::uint64_t>(value) + 1u : static_cast<std::uint64_t>(value);
    AppendGeneral(DecimalDigits(negative, magnitude, 0, kGeneralPrecision), out);
}

} // namespace qvc
