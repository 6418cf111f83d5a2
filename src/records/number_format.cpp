// Number fields of output records: integer, fixed, exponent and free-form reals.
//
// A real is rounded from its exact binary value m * 2^k (m below 2^24), scaled by a power of ten
// in integers: m * 5^s shifted down by -(k + s) for s >= 0 (64 bits, or 128 for tiny values), or
// (m * 2^k) divided by 10^-s for s < 0. The bits shifted or divided out are the exact dropped
// part, so ties round exactly. The short roads of the common fields (F with d up to 3, E with d
// of 3 and 5, free form) take a float whose scaled value fits 64 bits with no branch on the
// digits; any other value takes the general routines, and values beyond those integers the slow
// ones, which round the whole decimal expansion (from std::to_chars) digit by digit.
#include "records/number_format.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "records/number_style.hpp"

namespace tc::records_detail {
namespace {

constexpr auto Pow10 = [] {
    std::array<std::uint64_t, 20> table{};
    table[0] = 1;
    for (std::size_t i = 1; i < table.size(); ++i) table[i] = table[i - 1] * 10;
    return table;
}();
constexpr std::int32_t MaxNarrowScale = 17;  // m * 5^17 stays below 2^64
constexpr std::int32_t MaxDivisorScale = 19;  // 10^19 is the largest power of ten below 2^64
constexpr std::int32_t MaxShiftedUp = 40;     // m * 2^40 stays below 2^64
constexpr auto Pow5 = [] {
    std::array<std::uint64_t, MaxNarrowScale + 1> table{};
    table[0] = 1;
    for (std::size_t i = 1; i < table.size(); ++i) table[i] = table[i - 1] * 5;
    return table;
}();
#ifdef __SIZEOF_INT128__
__extension__ typedef unsigned __int128 Wide;
constexpr std::int32_t MaxWideScale = 44;  // m * 5^44 stays below 2^128
constexpr auto Pow5Wide = [] {
    std::array<Wide, MaxWideScale + 1> table{};
    table[0] = 1;
    for (std::size_t i = 1; i < table.size(); ++i) table[i] = table[i - 1] * 5;
    return table;
}();
#endif
// Significant digits and decimals the fast routines handle: their results stay below 10^18.
constexpr std::int32_t MaxFastDigits = 17;
constexpr std::int32_t ExactDigitCount = 121;  // a float's expansion has at most 112 digits

// ---- Exact integer scaling ----

// magnitude = m * 2^k exactly, for a finite float of positive sign.
struct Binary {
    std::uint64_t m;
    std::int32_t k;
};
inline Binary Decompose(float magnitude) {
    const auto bits = std::bit_cast<std::uint32_t>(magnitude);
    const std::uint32_t biased = (bits >> 23) & 0xffu;
    const std::uint32_t fraction = bits & 0x7fffffu;
    if (biased == 0) return {fraction, -149};
    return {fraction | 0x800000u, static_cast<std::int32_t>(biased) - 150};
}

// floor(m * 2^k * 10^s) for m > 0, and whether the dropped part is worth rounding up; false
// when the integers used here cannot hold the result.
[[gnu::always_inline]] inline bool Scale(Binary x, std::int32_t s, std::uint64_t& floorPart, bool& up) {
    if (s >= 0 && s <= MaxNarrowScale) {
        const std::uint64_t p = x.m * Pow5[static_cast<std::size_t>(s)];
        const std::int32_t shift = x.k + s;
        if (shift >= 0) {
            if (shift > std::countl_zero(p)) return false;
            floorPart = p << shift;
            up = false;
            return true;
        }
        const std::int32_t drop = -shift;
        if (drop >= 64) {
            if (drop == 64) return false;
            floorPart = 0;
            up = false;
            return true;
        }
        floorPart = p >> drop;
        up = RoundsUpAtBit(p, drop);
        return true;
    }
    if (s < 0) {
        // m * 2^k / 10^t: the dropped bits of m * 2^k never decide, as 10^t / 2 is whole.
        const std::int32_t t = -s;
        if (t > MaxDivisorScale || x.k > MaxShiftedUp) return false;
        const std::uint64_t whole = x.k >= 0 ? x.m << x.k : (x.k > -64 ? x.m >> -x.k : 0);
        const std::uint64_t unit = Pow10[static_cast<std::size_t>(t)];
        floorPart = whole / unit;
        up = RoundsUp(whole - floorPart * unit, unit);
        return true;
    }
#ifdef __SIZEOF_INT128__
    if (s <= MaxWideScale) {
        const Wide p = static_cast<Wide>(x.m) * Pow5Wide[static_cast<std::size_t>(s)];
        const std::int32_t drop = -(x.k + s);
        if (drop <= 0 || drop >= 128) return false;
        const Wide whole = p >> drop;
        if (whole >> 64 != 0) return false;
        floorPart = static_cast<std::uint64_t>(whole);
        const Wide unit = Wide{1} << drop;
        up = RoundsUp(p & (unit - 1), unit);
        return true;
    }
#endif
    return false;
}

// Where each binade of normal floats (biased exponent b, values m * 2^(b-150) with m from 2^23
// to 2^24) meets the decades: e with 10^(e-1) <= 2^(b-127) < 10^e, and the least m that reaches
// 10^e (2^24 when none does). Worked out in doubles, so a rare entry may be one off: the range
// check after scaling has the last word.
struct Decade {
    std::int32_t e;
    std::uint32_t m;
};
constexpr std::int32_t NoDecade = 1000;  // the entry of subnormal floats: no scale suits it
constexpr auto Decades = [] {
    std::array<Decade, 256> table{};
    for (std::int32_t b = 1; b <= 254; ++b) {
        double low = 1.0;
        for (std::int32_t i = 127; i < b; ++i) low *= 2.0;
        for (std::int32_t i = b; i < 127; ++i) low /= 2.0;
        std::int32_t e = 0;
        double p = 1.0;
        if (low >= 1.0) {
            e = 1;
            p = 10.0;
            while (low >= p) {
                p *= 10.0;
                ++e;
            }
        } else {
            while (p / 10.0 > low) {
                p /= 10.0;
                --e;
            }
        }
        double scaled = p;  // p / 2^(b-150)
        for (std::int32_t i = b; i < 150; ++i) scaled *= 2.0;
        for (std::int32_t i = 150; i < b; ++i) scaled /= 2.0;
        std::uint32_t m = std::uint32_t{1} << 24;
        if (scaled < static_cast<double>(m)) {
            m = static_cast<std::uint32_t>(scaled);
            if (static_cast<double>(m) < scaled) ++m;
        }
        table[static_cast<std::size_t>(b)] = {e, m};
    }
    table[0] = {NoDecade, std::uint32_t{1} << 24};
    return table;
}();

// An approximation of 10^e for the exponent of a subnormal float.
constexpr std::int32_t Pow10NearLow = -50;
constexpr auto Pow10NearTable = [] {
    std::array<double, 20> t{};
    double v = 1.0;
    for (std::int32_t i = 0; i > Pow10NearLow; --i) v /= 10.0;
    for (double& entry : t) {
        entry = v;
        v *= 10.0;
    }
    return t;
}();

// A finite float magnitude rounded to some significant digits: q has exactly that many digits and
// the magnitude is about 0.q * 10^e. found is false when Scale could not work it out.
struct Rounded {
    std::uint64_t q;
    std::int32_t e;
    bool found;
};

// The magnitude (its bits, not zero) rounded to digits significant digits; a carry raises e.
[[gnu::noinline, gnu::cold]] Rounded SignificantAnyway(std::uint32_t bits, std::int32_t digits) {
    const std::uint32_t biased = bits >> 23;
    Binary x{};
    std::int32_t e = 0;
    if (biased != 0) {
        x = {(bits & 0x7fffffu) | 0x800000u, static_cast<std::int32_t>(biased) - 150};
        const Decade& decade = Decades[biased];
        e = decade.e + (x.m >= decade.m ? 1 : 0);
    } else {
        x = {bits, -149};
        const std::int32_t log2 = x.k + 63 - std::countl_zero(x.m);
        // 10^(e-1) <= magnitude < 10^e for e = floor(log2 * log10(2)) + 1 or one more.
        e = ((log2 * 78913) >> 18) + 1;
        const auto magnitude = static_cast<double>(std::bit_cast<float>(bits));
        if (magnitude >= Pow10NearTable[static_cast<std::size_t>(e - Pow10NearLow)]) ++e;
    }
    const std::uint64_t low = Pow10[static_cast<std::size_t>(digits - 1)];
    const std::uint64_t high = Pow10[static_cast<std::size_t>(digits)];
    for (std::int32_t attempt = 0; attempt < 3; ++attempt) {
        std::uint64_t floorPart = 0;
        bool up = false;
        if (!Scale(x, digits - e, floorPart, up)) break;
        if (floorPart < low) {
            --e;
            continue;
        }
        if (floorPart >= high) {
            ++e;
            continue;
        }
        const std::uint64_t q = floorPart + (up ? 1u : 0u);
        if (q == high) return {low, e + 1, true};
        return {q, e, true};
    }
    return {0, 0, false};
}

// The same for Digits known when compiled, for a normal float whose decade the table gets right
// and that is scaled up (below 10^Digits) within 64 bits; found is false for any other value.
// For Digits significant digits and each binade: the multiplier 5^s and the shift of both decades
// a float of the binade may lie in, so that picking one waits on a single compare. A decade whose
// scaling does not fit 64 bits has multiplier 0, which no range check lets through.
struct DigitsScale {
    std::uint64_t five[2];  // 5^s for the decade of the table, and the one after it
    std::uint32_t m;        // the least m of the decade after it
    std::int32_t e;         // the decade of the table
    std::uint8_t drop[2];   // the bits shifted out of m * 5^s, 1 to 63
};
template <std::int32_t Digits>
constexpr auto Scales = [] {
    std::array<DigitsScale, 256> table{};
    for (std::int32_t b = 0; b < 256; ++b) {
        DigitsScale& scale = table[static_cast<std::size_t>(b)];
        scale.m = Decades[static_cast<std::size_t>(b)].m;
        scale.e = Decades[static_cast<std::size_t>(b)].e;
        for (std::int32_t next = 0; next < 2; ++next) {
            const std::int32_t s = Digits - (scale.e + next);
            const std::int32_t drop = 150 - b - s;
            const bool fits = b != 0 && s >= 0 && s <= MaxNarrowScale && drop >= 1 && drop <= 63;
            scale.five[next] = fits ? Pow5[static_cast<std::size_t>(s)] : 0;
            scale.drop[next] = static_cast<std::uint8_t>(fits ? drop : 1);
        }
    }
    return table;
}();

template <std::int32_t Digits>
[[gnu::always_inline]] inline Rounded Significant(std::uint32_t bits) {
    constexpr std::uint64_t Low = Pow10[Digits - 1];
    constexpr std::uint64_t High = Pow10[Digits];
    const std::uint64_t m = (bits & 0x7fffffu) | 0x800000u;
    const DigitsScale& scale = Scales<Digits>[bits >> 23];
    // Both products are worked out while the compare picks one, in arithmetic: which decade a
    // value lies in is a coin toss near its start, that a branch would often guess wrong.
    const std::uint64_t p0 = m * scale.five[0];
    const std::uint64_t p1 = m * scale.five[1];
    const std::uint64_t next = m >= scale.m ? 1 : 0;
    const std::uint64_t pick = 0 - next;  // all ones for the decade after
    const std::uint64_t p = p0 ^ ((p0 ^ p1) & pick);
    const std::int32_t drop = scale.drop[0] ^ ((scale.drop[0] ^ scale.drop[1]) & static_cast<std::int32_t>(pick));
    const std::uint64_t floorPart = p >> drop;
    if (floorPart - Low < High - Low) [[likely]] {
        // A carry into a new leading digit raises the exponent; worked out in arithmetic, as
        // rounding up or not is a coin toss that a branch would often guess wrong.
        const std::uint64_t q = floorPart + std::uint64_t{RoundsUpAtBit(p, drop)};
        const std::uint64_t carry = q >= High ? 1 : 0;
        return {q - ((0 - carry) & (High - Low)), scale.e + static_cast<std::int32_t>(next) + static_cast<std::int32_t>(carry),
                true};
    }
    return {0, 0, false};
}

// ---- Characters ----

// The number of decimal digits of q; 0 for 0.
inline std::int32_t DigitCount(std::uint64_t q) {
    const std::int32_t bits = 64 - std::countl_zero(q | 1);
    const std::int32_t guess = (bits * 1233) >> 12;
    return guess + (q >= Pow10[static_cast<std::size_t>(guess)] ? 1 : 0);
}

constexpr char DigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the two digits of pair (below 100) at p.
inline void PutPair(char* p, std::uint32_t pair) { std::memcpy(p, DigitPairs + pair * 2, 2); }

// Writes the digits of q, exactly count of them (leading zeros included), at p. Up to nine
// digits go in 32-bit blocks of four, whose pairs do not wait on each other.
inline void PutDigits(char* p, std::int32_t count, std::uint64_t q) {
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

[[gnu::noinline, gnu::cold]] void FillOverflow(char* field, std::int32_t width) { std::memset(field, OverflowFill, static_cast<std::size_t>(width)); }

// Writes text right-justified over the whole field; false when it does not fit.
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

[[gnu::noinline, gnu::cold]] void PutNonFinite(char* field, std::int32_t width, float value) {
    if (!RightJustify(field, width, NonFiniteWord(value))) FillOverflow(field, width);
}

// Writes the exponent part: E+dd, or +ddd when three digits are needed; false beyond that.
inline bool PutExponentPart(char* p, std::int32_t exponent) {
    const char sign = exponent < 0 ? '-' : '+';
    const std::int32_t a = exponent < 0 ? -exponent : exponent;
    if (a <= 99) {
        p[0] = 'E';
        p[1] = sign;
        PutPair(p + 2, static_cast<std::uint32_t>(a));
        return true;
    }
    if (a <= 999) {
        p[0] = sign;
        p[1] = static_cast<char>('0' + a / 100);
        PutPair(p + 2, static_cast<std::uint32_t>(a % 100));
        return true;
    }
    return false;
}

// Characters put as one word: the first character in the lowest byte.
inline void PutWord(char* p, std::uint64_t word, std::size_t count) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &word, count);
    } else {
        for (std::size_t i = 0; i < count; ++i) p[i] = static_cast<char>(word >> (8 * i));
    }
}

// "E+dd" and "E-dd" for the exponents -99 to 99 as words (the first character in the lowest
// byte): every normal or subnormal float's decimal exponent lies well inside.
constexpr std::int32_t ExponentTextLimit = 99;
constexpr auto ExponentWords = [] {
    std::array<std::uint32_t, 2 * ExponentTextLimit + 1> table{};
    for (std::int32_t e = -ExponentTextLimit; e <= ExponentTextLimit; ++e) {
        const std::int32_t a = e < 0 ? -e : e;
        table[static_cast<std::size_t>(e + ExponentTextLimit)] =
            std::uint32_t{'E'} | std::uint32_t(e < 0 ? '-' : '+') << 8 | std::uint32_t('0' + a / 10) << 16 |
            std::uint32_t('0' + a % 10) << 24;
    }
    return table;
}();
inline std::uint32_t ExponentWord(std::int32_t exponent) {
    return ExponentWords[static_cast<std::size_t>(exponent + ExponentTextLimit)];
}

// ".000" to ".999": the point and three digits of an E field with d = 3, four characters each.
constexpr auto PointAndThreeDigits = [] {
    std::array<char, 4 * 1000> table{};
    for (std::int32_t q = 0; q < 1000; ++q) {
        char* p = table.data() + 4 * q;
        p[0] = '.';
        p[1] = static_cast<char>('0' + q / 100);
        p[2] = static_cast<char>('0' + q / 10 % 10);
        p[3] = static_cast<char>('0' + q % 10);
    }
    return table;
}();

// ---- The slow, exact routines ----

// A rounded decimal value 0.d1 d2 ... x 10^exponent; digits past length are zeros. Zero has
// length 0.
struct RoundedDecimal {
    char digit[ExactDigitCount + 7];
    std::int32_t length;
    std::int32_t exponent;
    char At(std::int64_t i) const { return i >= 0 && i < length ? digit[i] : '0'; }
};

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
        x.length = 0;
        x.exponent = 0;
        return;
    }
    ExactDecimal(magnitude, x);
    KeepDigits(x, static_cast<std::int64_t>(x.exponent) + decimals);
}

// magnitude (not zero) rounded to digits significant digits; a carry raises the exponent.
void RoundToSignificant(float magnitude, std::int32_t digits, RoundedDecimal& x) {
    ExactDecimal(magnitude, x);
    KeepDigits(x, digits);
}

}  // namespace

// ---- Fields in blank room ----

namespace {

// The digits of q (not zero), written backwards so that the last one lands before p; returns
// the position of the first.
inline char* PutWholeBackwards(char* p, std::uint32_t q) {
    while (q >= 100) {
        p -= 2;
        PutPair(p, q % 100);
        q /= 100;
    }
    if (q >= 10) {
        p -= 2;
        PutPair(p, q);
    } else {
        *--p = static_cast<char>('0' + q);
    }
    return p;
}
inline char* PutWholeBackwards(char* p, std::uint64_t q) {
    while (q > UINT32_MAX) {
        p -= 2;
        PutPair(p, static_cast<std::uint32_t>(q % 100));
        q /= 100;
    }
    return PutWholeBackwards(p, static_cast<std::uint32_t>(q));
}

constexpr std::uint32_t OneBits = 0x3f800000u;  // 1.0f

void PutFixedAny(char* field, std::int32_t width, std::int32_t decimals, float value);
void PutExponentAny(char* field, std::int32_t width, std::int32_t decimals, float value);

// The eight digits of x (below 10^8) as a word, worked out in lanes of one register: 4-digit
// halves in 32-bit lanes, 2-digit quarters in 16-bit lanes, then single digits in bytes.
inline std::uint64_t EightDigitsWord(std::uint32_t x) {
    const std::uint32_t high = x / 10000;
    std::uint64_t v = high | static_cast<std::uint64_t>(x - high * 10000) << 32;
    const std::uint64_t hundreds = ((v * 10486) >> 20) & 0x0000007f0000007full;  // lane / 100
    v = hundreds | (v - hundreds * 100) << 16;
    const std::uint64_t tens = ((v * 103) >> 10) & 0x000f000f000f000full;  // lane / 10
    v = tens | (v - tens * 10) << 8;
    return v + 0x3030303030303030ull;
}

// The three columns before the point of an F field with decimals and its point, for a whole part
// below 100: the digits right-justified and the minus sign, if any, before them.
constexpr auto SignedWhole = [] {
    std::array<char, 2 * 100 * 4> table{};
    for (std::int32_t minus = 0; minus < 2; ++minus) {
        for (std::int32_t w = 0; w < 100; ++w) {
            char* p = table.data() + 4 * (100 * minus + w);
            const char sign = minus != 0 ? '-' : ' ';
            p[0] = w >= 10 ? sign : ' ';
            p[1] = w >= 10 ? static_cast<char>('0' + w / 10) : (w >= 1 ? sign : ' ');
            p[2] = w >= 1 ? static_cast<char>('0' + w % 10) : sign;
            p[3] = '.';
        }
    }
    return table;
}();

// Fw.d with d known when compiled (the common d of the program's layouts).
template <std::int32_t Decimals>
[[gnu::always_inline]] inline void PutFixedOf(char* field, std::int32_t width, std::int32_t /*decimals*/, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value) & 0x7fffffffu;
    if (bits >= 0x7f800000u) [[unlikely]] {
        PutNonFinite(field, width, value);
        return;
    }
    // |value| * 10^d = m * 5^d * 2^(k + d): for the values of a field, m * 5^d shifted down.
    const std::uint32_t biased = bits >> 23;
    const std::uint64_t m = biased != 0 ? (bits & 0x7fffffu) | 0x800000u : bits;
    const std::int32_t drop = (biased != 0 ? 150 - static_cast<std::int32_t>(biased) : 149) - Decimals;
    const std::uint64_t p = m * Pow5[Decimals];
    std::uint64_t n = 0;
    if (static_cast<std::uint32_t>(drop - 1) < 63) [[likely]] {
        n = (p >> drop) + std::uint64_t{RoundsUpAtBit(p, drop)};
    } else if (drop <= 0 || drop == 64) {
        // A value too large for the shift, or a tie at the 64th bit: the general route.
        PutFixedAny(field, width, Decimals, value);
        return;
    }
    constexpr std::uint64_t Unit = Pow10[Decimals];
    const std::uint64_t whole = n / Unit;
    const auto fraction = static_cast<std::uint32_t>(n - whole * Unit);
    const bool minus = WritesMinus(value);
    char* point = field + (width - Decimals - 1);
    if (Decimals > 0 && whole < 100 && width - Decimals - 1 >= 3) [[likely]] {
        // Sign, whole digits and point in one store; the field is wide enough for any of them.
        std::memcpy(point - 3, SignedWhole.data() + 4 * (100 * std::int32_t{minus} + static_cast<std::int32_t>(whole)), 4);
    } else {
        // Columns left for the whole part; only a field that would hold no digit at all gets a
        // zero before the point.
        const std::int32_t room = width - Decimals - 1 - std::int32_t{minus};
        if (room < (Decimals == 0 ? 1 : 0) || (room < 20 && whole >= Pow10[static_cast<std::size_t>(room)])) [[unlikely]] {
            FillOverflow(field, width);
            return;
        }
        *point = '.';
        char* p = point;
        if (whole != 0) {
            p = whole <= UINT32_MAX ? PutWholeBackwards(point, static_cast<std::uint32_t>(whole))
                                    : PutWholeBackwards(point, whole);
        } else if (Decimals == 0) {
            *--p = '0';
        }
        if (minus) p[-1] = '-';
    }
    if constexpr (Decimals == 3) {
        std::memcpy(point, PointAndThreeDigits.data() + 4 * fraction, 4);
    } else {
        PutDigits(point + 1, Decimals, fraction);
    }
}

// Ew.d with d known when compiled; the layouts hold only d = 3 and d = 5.
template <std::int32_t Decimals>
[[gnu::always_inline]] inline void PutExponentOf(char* field, std::int32_t width, std::int32_t /*decimals*/, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value) & 0x7fffffffu;
    if (bits >= 0x7f800000u) [[unlikely]] {
        PutNonFinite(field, width, value);
        return;
    }
    const bool minus = WritesMinus(value);
    if (std::int32_t{minus} + Decimals + 5 > width) [[unlikely]] {
        FillOverflow(field, width);
        return;
    }
    // Zero takes the road of 1.0 and keeps none of its digits, so that nothing waits on a branch.
    const std::uint32_t keep = 0u - std::uint32_t{bits != 0};  // all ones, or none for zero
    const Rounded r = Significant<Decimals>(bits | (OneBits & ~keep));
    if (!r.found) [[unlikely]] {
        PutExponentAny(field, width, Decimals, value);
        return;
    }
    const std::uint64_t q = r.q & keep;
    char* p = field + (width - Decimals - 5);
    if constexpr (Decimals == 3) {
        std::memcpy(p, PointAndThreeDigits.data() + 4 * q, 4);
    } else {
        p[0] = '.';
        PutDigits(p + 1, Decimals, q);
    }
    PutWord(p + 1 + Decimals, ExponentWord(r.e & static_cast<std::int32_t>(keep)), 4);
    // The minus sign before the point, or the point written again.
    p[-std::int32_t{minus}] = minus ? '-' : '.';
}

// Fw.d for any d, and any value.
[[gnu::noinline]] void PutFixedAny(char* field, std::int32_t width, std::int32_t decimals, float value) {
    if (!std::isfinite(value)) {
        PutNonFinite(field, width, value);
        return;
    }
    const bool minus = WritesMinus(value);
    std::uint64_t n = 0;
    if (decimals > MaxFastDigits) {
        FormatFixedExact(field, width, decimals, value);
        return;
    }
    if (value != 0.0f) {
        std::uint64_t floorPart = 0;
        bool up = false;
        if (!Scale(Decompose(std::fabs(value)), decimals, floorPart, up)) {
            FormatFixedExact(field, width, decimals, value);
            return;
        }
        n = floorPart + (up ? 1u : 0u);
    }
    const std::uint64_t unit = Pow10[static_cast<std::size_t>(decimals)];
    const std::uint64_t whole = n / unit;
    const std::int32_t intDigits = DigitCount(whole);
    // Only a field that would hold no digit at all gets a zero before the point.
    const bool zeroDigit = intDigits == 0 && decimals == 0;
    const std::int32_t needed = std::int32_t{minus} + intDigits + std::int32_t{zeroDigit} + 1 + decimals;
    if (needed > width) {
        FillOverflow(field, width);
        return;
    }
    char* p = field + (width - needed);
    if (minus) *p++ = '-';
    PutDigits(p, intDigits, whole);
    p += intDigits;
    if (zeroDigit) *p++ = '0';
    *p++ = '.';
    PutDigits(p, decimals, n - whole * unit);
}

// Ew.d for any d.
[[gnu::noinline]] void PutExponentAny(char* field, std::int32_t width, std::int32_t decimals, float value) {
    if (!std::isfinite(value)) {
        PutNonFinite(field, width, value);
        return;
    }
    const bool minus = WritesMinus(value);
    const std::int64_t needed = std::int64_t{minus} + 1 + decimals + 4;
    if (decimals < 1 || needed > width) {
        FillOverflow(field, width);
        return;
    }
    const auto bits = std::bit_cast<std::uint32_t>(value) & 0x7fffffffu;
    Rounded r{0, 0, true};
    if (bits != 0) r = decimals <= MaxFastDigits ? SignificantAnyway(bits, decimals) : Rounded{0, 0, false};
    if (!r.found) {
        FormatExponentExact(field, width, decimals, value);
        return;
    }
    const std::uint64_t q = r.q;
    const std::int32_t exponent = r.e;
    char* p = field + (width - needed);
    if (minus) *p++ = '-';
    *p++ = '.';
    PutDigits(p, decimals, q);
    if (!PutExponentPart(p + decimals, exponent)) FillOverflow(field, width);
}

}  // namespace

namespace {

[[gnu::always_inline]] inline void PutIntegerOf(char* field, std::int32_t width, std::int32_t value) {
    const bool minus = value < 0;
    const std::uint32_t a = minus ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    const std::int32_t digits = a == 0 ? 1 : DigitCount(a);
    if (std::int32_t{minus} + digits > width) [[unlikely]] {
        FillOverflow(field, width);
        return;
    }
    char* p = PutWholeBackwards(field + width, a);
    if (minus) p[-1] = '-';
}

// The field routines of the write plans take the value's bits: an int32_t's, or a float's.
void IntegerFromBits(char* field, std::int32_t width, std::int32_t /*decimals*/, std::uint32_t bits) {
    PutIntegerOf(field, width, static_cast<std::int32_t>(bits));
}

template <void (*Put)(char*, std::int32_t, std::int32_t, float)>
void RealFromBits(char* field, std::int32_t width, std::int32_t decimals, std::uint32_t bits) {
    Put(field, width, decimals, std::bit_cast<float>(bits));
}

}  // namespace

void PutInteger(char* field, std::int32_t width, std::int32_t value) { PutIntegerOf(field, width, value); }

FieldRoutine IntegerRoutine() { return IntegerFromBits; }

FieldRoutine FixedRoutine(std::int32_t decimals) {
    switch (decimals) {
        case 0:
            return RealFromBits<PutFixedOf<0>>;
        case 1:
            return RealFromBits<PutFixedOf<1>>;
        case 2:
            return RealFromBits<PutFixedOf<2>>;
        case 3:
            return RealFromBits<PutFixedOf<3>>;
        default:
            return RealFromBits<PutFixedAny>;
    }
}

FieldRoutine ExponentRoutine(std::int32_t decimals) {
    switch (decimals) {
        case 3:
            return RealFromBits<PutExponentOf<3>>;
        case 5:
            return RealFromBits<PutExponentOf<5>>;
        default:
            return RealFromBits<PutExponentAny>;
    }
}

void PutFixed(char* field, std::int32_t width, std::int32_t decimals, float value) {
    FixedRoutine(decimals)(field, width, decimals, std::bit_cast<std::uint32_t>(value));
}

void PutExponent(char* field, std::int32_t width, std::int32_t decimals, float value) {
    ExponentRoutine(decimals)(field, width, decimals, std::bit_cast<std::uint32_t>(value));
}

namespace {

// A free-form real rounded to q (seven digits) and exponent, put right-justified in blank room
// of FreeRealWidth or more that ends at end.
inline void PutFreeDigits(char* end, bool minus, bool zero, std::uint32_t q, std::int32_t exponent) {
    // The seven digits, the first in the lowest byte.
    const std::uint64_t digits = EightDigitsWord(q) >> 8;
    char* first = nullptr;  // the first character of the number
    if (!zero && exponent >= 1 && exponent <= FreeSignificantDigits) {
        // Fixed form: exponent whole digits, the point, 6 decimals, digits past the seventh
        // significant one written as 0. The seven columns before the point take the whole
        // digits right-justified, blanks before them.
        char* point = end - 7;
        const std::int32_t blanks = 8 * (FreeSignificantDigits - exponent);
        const std::uint64_t blankMask = (std::uint64_t{1} << blanks) - 1;
        const std::uint64_t whole = (digits << blanks | (0x2020202020202020ull & blankMask)) & 0x00ffffffffffffffull;
        PutWord(point - 7, whole | std::uint64_t{'.'} << 56, 8);
        PutWord(point + 1, digits >> (8 * exponent) | (0x3030303030303030ull & ~blankMask), 6);
        first = point - exponent;
    } else {
        // Exponent form: one digit, the point, 6 digits, E and the exponent.
        first = end - 12;
        PutWord(first, (digits & 0xff) | std::uint64_t{'.'} << 8 | (digits >> 8) << 16, 8);
        PutWord(end - 4, ExponentWord(zero ? 0 : exponent - 1), 4);
    }
    // The minus sign before the number, or its first digit written again.
    first[-std::int32_t{minus}] = minus ? '-' : static_cast<char>(digits & 0xff);
}

// A free-form real that the short road does not take.
[[gnu::noinline, gnu::cold]] void PutFreeRealAny(char* field, std::int32_t width, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value) & 0x7fffffffu;
    if (width >= FreeRealWidth && bits != 0 && bits < 0x7f800000u) {
        const Rounded r = SignificantAnyway(bits, FreeSignificantDigits);
        if (r.found) {
            PutFreeDigits(field + width, WritesMinus(value), false, static_cast<std::uint32_t>(r.q), r.e);
            return;
        }
    }
    FormatFreeRealExact(field, width, value);
}

}  // namespace

void PutFreeReal(char* field, std::int32_t width, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value) & 0x7fffffffu;
    if (bits - 1 >= 0x7f7fffffu || width < FreeRealWidth) [[unlikely]] {
        // Zero, a non-finite value or a narrow field.
        if (bits == 0 && width >= FreeRealWidth) {
            PutFreeDigits(field + width, false, true, 0, 0);
        } else {
            PutFreeRealAny(field, width, value);
        }
        return;
    }
    // value = 0.ddddddd x 10^exponent, the digits rounded to seven.
    const Rounded r = Significant<FreeSignificantDigits>(bits);
    if (!r.found) [[unlikely]] {
        PutFreeRealAny(field, width, value);
        return;
    }
    PutFreeDigits(field + width, WritesMinus(value), false, static_cast<std::uint32_t>(r.q), r.e);
}

// ---- Whole fields ----

void FormatInteger(char* field, std::int32_t width, std::int32_t value) {
    std::memset(field, ' ', static_cast<std::size_t>(width));
    PutInteger(field, width, value);
}

void FormatFixed(char* field, std::int32_t width, std::int32_t decimals, float value) {
    std::memset(field, ' ', static_cast<std::size_t>(width));
    PutFixed(field, width, decimals, value);
}

void FormatExponent(char* field, std::int32_t width, std::int32_t decimals, float value) {
    std::memset(field, ' ', static_cast<std::size_t>(width));
    PutExponent(field, width, decimals, value);
}

void FormatFreeReal(char* field, std::int32_t width, float value) {
    std::memset(field, ' ', static_cast<std::size_t>(width));
    PutFreeReal(field, width, value);
}

// ---- Whole fields, the slow way ----

[[gnu::noinline, gnu::cold]] void FormatFixedExact(char* field, std::int32_t width, std::int32_t decimals, float value) {
    if (!std::isfinite(value)) {
        PutNonFinite(field, width, value);
        return;
    }
    const bool minus = WritesMinus(value);
    RoundedDecimal x;
    RoundToDecimals(std::fabs(value), decimals, x);
    const std::int32_t intDigits = x.length > 0 && x.exponent > 0 ? x.exponent : 0;
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

[[gnu::noinline, gnu::cold]] void FormatExponentExact(char* field, std::int32_t width, std::int32_t decimals, float value) {
    if (!std::isfinite(value)) {
        PutNonFinite(field, width, value);
        return;
    }
    const bool minus = WritesMinus(value);
    const std::int64_t needed = std::int64_t{minus} + 1 + decimals + 4;
    if (decimals < 1 || needed > width) {
        FillOverflow(field, width);
        return;
    }
    RoundedDecimal x{};
    if (value != 0.0f) RoundToSignificant(std::fabs(value), decimals, x);
    char* p = field;
    const std::size_t blanks = static_cast<std::size_t>(width - needed);
    std::memset(p, ' ', blanks);
    p += blanks;
    if (minus) *p++ = '-';
    *p++ = '.';
    for (std::int32_t i = 0; i < decimals; ++i) p[i] = x.At(i);
    if (!PutExponentPart(p + decimals, x.exponent)) FillOverflow(field, width);
}

[[gnu::noinline, gnu::cold]] void FormatFreeRealExact(char* field, std::int32_t width, float value) {
    if (!std::isfinite(value)) {
        PutNonFinite(field, width, value);
        return;
    }
    const bool minus = WritesMinus(value);
    RoundedDecimal x{};
    if (value != 0.0f) RoundToSignificant(std::fabs(value), FreeSignificantDigits, x);
    const std::int32_t exponent = x.exponent;
    const bool fixed = value != 0.0f && exponent >= 1 && exponent <= FreeSignificantDigits;
    const std::int32_t shown = value != 0.0f ? exponent - 1 : 0;
    const std::int32_t a = shown < 0 ? -shown : shown;
    const std::int32_t length = std::int32_t{minus} + (fixed ? exponent + 7 : (a > 99 ? 13 : 12));

    char text[16];
    char* p = text;
    if (minus) *p++ = '-';
    if (fixed) {
        // Fixed form: 6 decimals, digits past the seventh significant one written as 0.
        std::int32_t i = 0;
        for (; i < exponent; ++i) *p++ = x.At(i);
        *p++ = '.';
        for (; i < FreeSignificantDigits; ++i) *p++ = x.At(i);
        for (std::int32_t z = 1; z < exponent; ++z) *p++ = '0';
    } else {
        *p++ = x.At(0);
        *p++ = '.';
        for (std::int32_t i = 1; i < FreeSignificantDigits; ++i) *p++ = x.At(i);
        *p++ = 'E';
        *p++ = shown < 0 ? '-' : '+';
        if (a > 99) *p++ = static_cast<char>('0' + a / 100);
        *p++ = static_cast<char>('0' + a / 10 % 10);
        *p++ = static_cast<char>('0' + a % 10);
    }
    if (!RightJustify(field, width, {text, static_cast<std::size_t>(length)})) FillOverflow(field, width);
}

}  // namespace tc::records_detail
