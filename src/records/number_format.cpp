// Number fields of output records: integer, fixed, exponent and free-form reals.
//
// A real is rounded from its exact binary value. The common cases take an exact shortcut: a float
// times 10^s is exact in double for 0 <= s <= 12 and in 64 or 128-bit integers up to s = 44, and a float
// divided by 10^t is rounded exactly in 64-bit integers; everything else rounds the exact decimal
// expansion (from std::to_chars with enough digits) digit by digit.
#include "records/number_format.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "records/number_style.hpp"

namespace tc::records_detail {
namespace {

constexpr double Pow10Double[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
constexpr std::uint64_t Pow10U64[] = {1ull,
                                      10ull,
                                      100ull,
                                      1000ull,
                                      10000ull,
                                      100000ull,
                                      1000000ull,
                                      10000000ull,
                                      100000000ull,
                                      1000000000ull,
                                      10000000000ull,
                                      100000000000ull,
                                      1000000000000ull,
                                      10000000000000ull,
                                      100000000000000ull,
                                      1000000000000000ull,
                                      10000000000000000ull,
                                      100000000000000000ull,
                                      1000000000000000000ull,
                                      10000000000000000000ull};
constexpr std::int32_t MaxExactScale = 12;       // 5^12 < 2^28, so 24 + 28 bits fit a double
constexpr std::int32_t MaxNarrowScale = 17;      // 24 bits times 5^17 stays below 2^64
constexpr std::int32_t MaxPow5 = 27;             // 5^27 is the largest power of 5 below 2^64
constexpr auto Pow5U64 = [] {
    std::array<std::uint64_t, MaxPow5 + 1> table{};
    table[0] = 1;
    for (std::size_t i = 1; i < table.size(); ++i) table[i] = table[i - 1] * 5;
    return table;
}();
#ifdef __SIZEOF_INT128__
__extension__ typedef unsigned __int128 Wide;
constexpr std::int32_t MaxWideScale = 44;        // 24 bits times 5^44 stays below 2^128
#endif
constexpr std::int32_t MaxIntegerDigits = 18;    // significant digits the 64-bit route handles
constexpr double FloorLimit = 9.0e18;            // below 2^63
constexpr std::int32_t ExactDigitCount = 121;    // a float's expansion has at most 112 digits

// A rounded decimal value 0.d1 d2 ... x 10^exponent; digits past length are zeros. Zero has
// length 0.
struct RoundedDecimal {
    char digit[ExactDigitCount + 7];
    std::int32_t length;
    std::int32_t exponent;
    char At(std::int64_t i) const { return i >= 0 && i < length ? digit[i] : '0'; }
};

// magnitude = m * 2^k exactly, for a finite positive float.
void Decompose(float magnitude, std::uint64_t& m, std::int32_t& k) {
    const auto bits = std::bit_cast<std::uint32_t>(magnitude);
    const std::uint32_t biased = (bits >> 23) & 0xffu;
    const std::uint32_t fraction = bits & 0x7fffffu;
    if (biased == 0) {
        m = fraction;
        k = -149;
    } else {
        m = fraction | 0x800000u;
        k = static_cast<std::int32_t>(biased) - 150;
    }
}

// floor(magnitude * 10^scale) and whether the rounding goes up, when an exact shortcut applies.
bool ScaledFloor(float magnitude, std::int32_t scale, std::uint64_t& floorPart, bool& up) {
    if (scale >= 0 && scale <= MaxExactScale) {
        const double product = static_cast<double>(magnitude) * Pow10Double[scale];
        if (!(product < FloorLimit)) return false;
        const auto whole = static_cast<std::int64_t>(product);
        floorPart = static_cast<std::uint64_t>(whole);
        up = RoundsUp(product - static_cast<double>(whole));
        return true;
    }
    if (scale > MaxExactScale && scale <= MaxNarrowScale) {
        // magnitude * 10^scale = m * 5^scale * 2^(k + scale), exactly in 64 bits; the common
        // case of a small value, whose 2^(k + scale) divides.
        std::uint64_t m = 0;
        std::int32_t k = 0;
        Decompose(magnitude, m, k);
        const std::uint64_t p = m * Pow5U64[static_cast<std::size_t>(scale)];
        const std::int32_t drop = -(k + scale);
        if (drop > 0 && drop < 64) {
            floorPart = p >> drop;
            up = RoundsUp(p - (floorPart << drop), std::uint64_t{1} << drop);
            return true;
        }
    }
#ifdef __SIZEOF_INT128__
    if (scale > MaxExactScale && scale <= MaxWideScale) {
        // magnitude * 10^scale = m * 5^scale * 2^(k + scale), exactly in 128 bits.
        std::uint64_t m = 0;
        std::int32_t k = 0;
        Decompose(magnitude, m, k);
        Wide p = m;
        if (scale > MaxPow5) p *= Pow5U64[MaxPow5];
        p *= Pow5U64[static_cast<std::size_t>(scale > MaxPow5 ? scale - MaxPow5 : scale)];
        const std::int32_t shift = k + scale;
        if (shift >= 0) {
            if (shift >= 64 || p >= (Wide{1} << (63 - shift))) return false;
            floorPart = static_cast<std::uint64_t>(p << shift);
            up = false;
            return true;
        }
        const std::int32_t drop = -shift;
        if (drop >= 128) {
            floorPart = 0;
            up = false;
            return true;
        }
        const Wide whole = p >> drop;
        if (whole >= (Wide{1} << 63)) return false;
        floorPart = static_cast<std::uint64_t>(whole);
        const Wide remainder = p - (whole << drop);
        up = RoundsUp(remainder, Wide{1} << drop);
        return true;
    }
#endif
    if (scale < 0 && scale >= -19) {
        const std::uint64_t unit = Pow10U64[-scale];
        std::uint64_t m = 0;
        std::int32_t k = 0;
        Decompose(magnitude, m, k);
        if (k >= 0) {
            if (k > 39) return false;
            const std::uint64_t whole = m << k;
            floorPart = whole / unit;
            up = RoundsUp(whole % unit, unit);
        } else {
            const std::int32_t shift = -k;
            if (shift >= 63 || unit > (UINT64_MAX >> 1) >> shift) return false;
            const std::uint64_t denominator = unit << shift;
            floorPart = m / denominator;
            up = RoundsUp(m % denominator, denominator);
        }
        return true;
    }
    return false;
}

// value = q * 10^unitExponent.
void FromInteger(std::uint64_t q, std::int32_t unitExponent, RoundedDecimal& x) {
    if (q == 0) {
        x.length = 0;
        x.exponent = 0;
        return;
    }
    char* end = std::to_chars(x.digit, x.digit + 20, q).ptr;
    x.length = static_cast<std::int32_t>(end - x.digit);
    x.exponent = x.length + unitExponent;
}

// The exact decimal expansion of a finite positive float.
void ExactDecimal(float magnitude, RoundedDecimal& x) {
    char text[ExactDigitCount + 16];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<double>(magnitude),
                                      std::chars_format::scientific, ExactDigitCount - 1);
    // text is d.ddd...e+XX
    x.digit[0] = text[0];
    std::memcpy(x.digit + 1, text + 2, ExactDigitCount - 1);
    std::int32_t exponent10 = 0;
    const char* e = text + 2 + (ExactDigitCount - 1) + 1;
    if (*e == '+') ++e;
    std::from_chars(e, result.ptr, exponent10);
    x.exponent = exponent10 + 1;
    x.length = ExactDigitCount;
    while (x.length > 0 && x.digit[x.length - 1] == '0') --x.length;
}

// Keeps the first kept digits of an exact expansion, rounding the rest away half up.
void KeepDigits(RoundedDecimal& x, std::int64_t kept) {
    if (kept >= x.length) return;
    if (kept < 0) {
        x.length = 0;
        return;
    }
    const bool up = RoundsUp(x.digit[kept]);
    x.length = static_cast<std::int32_t>(kept);
    if (!up) return;
    std::int32_t i = x.length - 1;
    while (i >= 0 && x.digit[i] == '9') --i;
    if (i < 0) {
        x.digit[0] = '1';
        x.length = 1;
        x.exponent += 1;
    } else {
        x.digit[i] = static_cast<char>(x.digit[i] + 1);
        x.length = i + 1;
    }
}

// magnitude rounded to a multiple of 10^-decimals.
void RoundToDecimals(float magnitude, std::int32_t decimals, RoundedDecimal& x) {
    if (magnitude == 0.0f) {
        FromInteger(0, 0, x);
        return;
    }
    std::uint64_t floorPart = 0;
    bool up = false;
    if (decimals <= MaxExactScale && ScaledFloor(magnitude, decimals, floorPart, up)) {
        FromInteger(floorPart + (up ? 1u : 0u), -decimals, x);
        return;
    }
    ExactDecimal(magnitude, x);
    KeepDigits(x, static_cast<std::int64_t>(x.exponent) + decimals);
}

// An approximation of 10^e, good enough to pick between two candidate exponents; the exact
// range check after scaling has the last word.
constexpr std::int32_t Pow10NearLow = -50;
constexpr auto Pow10NearTable = [] {
    std::array<double, 100> t{};
    double v = 1.0;
    for (std::int32_t i = 0; i > Pow10NearLow; --i) v /= 10.0;
    for (double& entry : t) {
        entry = v;
        v *= 10.0;
    }
    return t;
}();
double Pow10Near(std::int32_t e) {
    const std::int32_t i = e - Pow10NearLow;
    if (i < 0) return 0.0;
    if (i >= static_cast<std::int32_t>(Pow10NearTable.size())) return Pow10NearTable.back();
    return Pow10NearTable[static_cast<std::size_t>(i)];
}

// magnitude (not zero) rounded to digits (at most MaxIntegerDigits) significant digits by an
// exact shortcut: q has exactly that many digits and magnitude ~ q * 10^(e - digits). A carry
// raises e. False when no shortcut applies.
bool SignificantShortcut(float magnitude, std::int32_t digits, std::uint64_t& q, std::int32_t& e) {
    std::uint64_t m = 0;
    std::int32_t k = 0;
    Decompose(magnitude, m, k);
    const std::int32_t log2 = k + 63 - std::countl_zero(m);
    // 10^(e-1) <= magnitude < 10^e for e = floor(log2 * log10(2)) + 1 or one more.
    e = ((log2 * 78913) >> 18) + 1;
    if (static_cast<double>(magnitude) >= Pow10Near(e)) ++e;
    for (std::int32_t attempt = 0; attempt < 3; ++attempt) {
        std::uint64_t floorPart = 0;
        bool up = false;
        if (!ScaledFloor(magnitude, digits - e, floorPart, up)) return false;
        if (floorPart < Pow10U64[digits - 1]) {
            --e;
            continue;
        }
        if (floorPart >= Pow10U64[digits]) {
            ++e;
            continue;
        }
        q = floorPart + (up ? 1u : 0u);
        if (q == Pow10U64[digits]) {
            q = Pow10U64[digits - 1];
            ++e;
        }
        return true;
    }
    return false;
}

// magnitude (not zero) rounded to digits significant digits; a carry raises the exponent.
void RoundToSignificant(float magnitude, std::int32_t digits, RoundedDecimal& x) {
    std::uint64_t q = 0;
    std::int32_t e = 0;
    if (digits <= MaxIntegerDigits && SignificantShortcut(magnitude, digits, q, e)) {
        FromInteger(q, e - digits, x);
        return;
    }
    ExactDecimal(magnitude, x);
    KeepDigits(x, digits);
}

constexpr char DigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the two digits of pair (below 100) at p.
inline void PutPair(char* p, std::uint32_t pair) {
    p[0] = DigitPairs[pair * 2];
    p[1] = DigitPairs[pair * 2 + 1];
}

// Writes the digits of q, exactly count of them (leading zeros included), at p. Up to nine
// digits go in 32-bit blocks of four, whose pairs do not wait on each other.
void PutDigits(char* p, std::int32_t count, std::uint64_t q) {
    while (count > 9) {
        p[--count] = static_cast<char>('0' + q % 10);
        q /= 10;
    }
    auto v = static_cast<std::uint32_t>(q);
    while (count >= 4) {
        const std::uint32_t block = v % 10000;
        v /= 10000;
        count -= 4;
        PutPair(p + count, block / 100);
        PutPair(p + count + 2, block % 100);
    }
    if (count >= 2) {
        count -= 2;
        PutPair(p + count, v % 100);
        v /= 100;
    }
    if (count == 1) p[0] = static_cast<char>('0' + v);
}

void FillOverflow(char* field, std::int32_t width) { std::memset(field, OverflowFill, static_cast<std::size_t>(width)); }

// Writes text right-justified; false when it does not fit.
bool RightJustify(char* field, std::int32_t width, std::string_view text) {
    const auto length = static_cast<std::int32_t>(text.size());
    if (length > width) return false;
    std::memset(field, ' ', static_cast<std::size_t>(width - length));
    std::memcpy(field + (width - length), text.data(), text.size());
    return true;
}

std::string_view NonFiniteWord(float value) {
    if (std::isnan(value)) return NaNWord;
    return value < 0.0f ? NegativeInfinityWord : InfinityWord;
}

// Writes the exponent part: E+dd, or +ddd when three digits are needed; false beyond that.
bool PutExponent(char* p, std::int32_t exponent) {
    const char sign = exponent < 0 ? '-' : '+';
    const std::int32_t a = exponent < 0 ? -exponent : exponent;
    if (a <= 99) {
        p[0] = 'E';
        p[1] = sign;
        p[2] = static_cast<char>('0' + a / 10);
        p[3] = static_cast<char>('0' + a % 10);
        return true;
    }
    if (a <= 999) {
        p[0] = sign;
        p[1] = static_cast<char>('0' + a / 100);
        p[2] = static_cast<char>('0' + a / 10 % 10);
        p[3] = static_cast<char>('0' + a % 10);
        return true;
    }
    return false;
}

}  // namespace

void FormatInteger(char* field, std::int32_t width, std::int32_t value) {
    char text[12];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    if (!RightJustify(field, width, {text, static_cast<std::size_t>(end - text)})) FillOverflow(field, width);
}

void FormatFixed(char* field, std::int32_t width, std::int32_t decimals, float value) {
    if (!std::isfinite(value)) {
        if (!RightJustify(field, width, NonFiniteWord(value))) FillOverflow(field, width);
        return;
    }
    const bool minus = WritesMinus(value);
    RoundedDecimal x;
    RoundToDecimals(std::fabs(value), decimals, x);
    const std::int32_t intDigits = x.length > 0 && x.exponent > 0 ? x.exponent : 0;
    // Only a field that would hold no digit at all gets a zero before the point.
    const bool zeroDigit = intDigits == 0 && decimals == 0;
    const std::int64_t needed = std::int64_t{minus} + intDigits + std::int64_t{zeroDigit} + 1 + decimals;
    if (needed > width) {
        FillOverflow(field, width);
        return;
    }
    char* p = field;
    const std::size_t blanks = static_cast<std::size_t>(width - needed);
    std::memset(p, ' ', blanks);
    p += blanks;
    if (minus) *p++ = '-';
    for (std::int32_t i = 0; i < intDigits; ++i) *p++ = x.At(i);
    if (zeroDigit) *p++ = '0';
    *p++ = '.';
    for (std::int32_t j = 0; j < decimals; ++j) *p++ = x.At(static_cast<std::int64_t>(x.exponent) + j);
}

void FormatExponent(char* field, std::int32_t width, std::int32_t decimals, float value) {
    if (!std::isfinite(value)) {
        if (!RightJustify(field, width, NonFiniteWord(value))) FillOverflow(field, width);
        return;
    }
    const bool minus = WritesMinus(value);
    const std::int64_t needed = std::int64_t{minus} + 1 + decimals + 4;
    if (decimals < 1 || needed > width) {
        FillOverflow(field, width);
        return;
    }
    char* p = field;
    const std::size_t blanks = static_cast<std::size_t>(width - needed);
    std::memset(p, ' ', blanks);
    p += blanks;
    if (minus) *p++ = '-';
    *p++ = '.';
    std::uint64_t q = 0;
    std::int32_t exponent = 0;
    if (value == 0.0f || (decimals <= MaxIntegerDigits && SignificantShortcut(std::fabs(value), decimals, q, exponent))) {
        PutDigits(p, decimals, q);
    } else {
        RoundedDecimal x;
        RoundToSignificant(std::fabs(value), decimals, x);
        exponent = x.exponent;
        for (std::int32_t i = 0; i < decimals; ++i) p[i] = x.At(i);
    }
    if (!PutExponent(p + decimals, exponent)) FillOverflow(field, width);
}

void FormatFreeReal(char* field, std::int32_t width, float value) {
    if (!std::isfinite(value)) {
        if (!RightJustify(field, width, NonFiniteWord(value))) FillOverflow(field, width);
        return;
    }
    const bool minus = WritesMinus(value);
    // value = 0.ddddddd x 10^exponent, the digits rounded to seven.
    char digit[FreeSignificantDigits];
    std::int32_t exponent = 0;
    std::uint64_t q = 0;
    if (value == 0.0f || SignificantShortcut(std::fabs(value), FreeSignificantDigits, q, exponent)) {
        PutDigits(digit, FreeSignificantDigits, q);
    } else {
        RoundedDecimal x;
        RoundToSignificant(std::fabs(value), FreeSignificantDigits, x);
        exponent = x.exponent;
        for (std::int32_t i = 0; i < FreeSignificantDigits; ++i) digit[i] = x.At(i);
    }
    const bool fixed = value != 0.0f && exponent >= 1 && exponent <= FreeSignificantDigits;
    const std::int32_t shown = value != 0.0f ? exponent - 1 : 0;
    const std::int32_t a = shown < 0 ? -shown : shown;
    const std::int32_t length = std::int32_t{minus} + (fixed ? exponent + 7 : (a > 99 ? 13 : 12));

    // The text goes right-justified into a blank line of 32, then into the field.
    constexpr std::int32_t Line = 32;
    char line[Line];
    std::memset(line, ' ', Line);
    char* p = line + (Line - length);
    if (minus) *p++ = '-';
    if (fixed) {
        // Fixed form: 6 decimals, digits past the seventh significant one written as 0.
        std::int32_t i = 0;
        for (; i < exponent; ++i) *p++ = digit[i];
        *p++ = '.';
        for (; i < FreeSignificantDigits; ++i) *p++ = digit[i];
        for (std::int32_t z = 1; z < exponent; ++z) *p++ = '0';
    } else {
        *p++ = digit[0];
        *p++ = '.';
        for (std::int32_t i = 1; i < FreeSignificantDigits; ++i) *p++ = digit[i];
        *p++ = 'E';
        *p++ = shown < 0 ? '-' : '+';
        if (a > 99) *p++ = static_cast<char>('0' + a / 100);
        *p++ = static_cast<char>('0' + a / 10 % 10);
        *p++ = static_cast<char>('0' + a % 10);
    }
    if (width == FreeRealWidth + 1) {
        std::memcpy(field, line + (Line - FreeRealWidth - 1), FreeRealWidth + 1);
    } else if (width == FreeRealWidth) {
        std::memcpy(field, line + (Line - FreeRealWidth), FreeRealWidth);
    } else if (!RightJustify(field, width, {line + (Line - length), static_cast<std::size_t>(length)})) {
        FillOverflow(field, width);
    }
}

}  // namespace tc::records_detail
