// Number fields of input records: integers and reals read from the exact text of their columns.
#include "records/number_parse.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <string>

#include <fast_float/fast_float.h>

namespace tc::records_detail {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Exponents beyond this make every float zero or infinite; clamping keeps the arithmetic small.
constexpr std::int64_t ExponentClamp = 100000;

// Builds the normalised text "[-]digits[.digits]e<exponent>" for fast_float, which rounds it to
// the nearest float as std::from_chars does (and as every standard library does not yet offer).
class RealText {
public:
    void Put(char c) {
        if (length_ < sizeof small_) {
            small_[length_++] = c;
            return;
        }
        if (large_.empty()) large_.assign(small_, length_);
        large_ += c;
        ++length_;
    }
    const char* data() const { return large_.empty() ? small_ : large_.data(); }
    std::size_t size() const { return length_; }

private:
    char small_[128];
    std::size_t length_ = 0;
    std::string large_;
};

constexpr std::uint64_t MaxExactMantissa = std::uint64_t{1} << 24;  // integers a float holds exactly
constexpr float Pow10Float[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};  // exact

// The common field: at most 7 significant digits and a small exponent. The digits and the power
// of ten are then exact floats, and one multiplication or division rounds correctly to the
// nearest float. Returns false for anything else, valid or not, so that the full reading decides.
bool ShortReal(std::string_view field, std::int32_t decimals, float& value) {
    const char* p = field.data();
    const char* const end = p + field.size();
    while (p != end && *p == ' ') ++p;
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    std::uint64_t mantissa = 0;
    std::int32_t digits = 0, fraction = 0;
    bool point = false;
    for (; p != end; ++p) {
        const char c = *p;
        if (IsDigit(c)) {
            if (mantissa >= MaxExactMantissa) return false;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            ++digits;
            fraction += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else if (c != ' ') {
            break;
        }
    }
    if (digits == 0) return false;
    std::int32_t exponent = 0;
    if (p != end) {
        if (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd') ++p;
        while (p != end && *p == ' ') ++p;
        bool expNegative = false;
        if (p != end && (*p == '-' || *p == '+')) expNegative = *p++ == '-';
        std::int32_t expDigits = 0;
        for (; p != end; ++p) {
            if (*p == ' ') continue;
            if (!IsDigit(*p) || expDigits == 3) return false;
            exponent = exponent * 10 + (*p - '0');
            ++expDigits;
        }
        if (expDigits == 0) return false;
        if (expNegative) exponent = -exponent;
    }
    if (mantissa > MaxExactMantissa) return false;
    exponent -= point ? fraction : decimals;
    float v = static_cast<float>(mantissa);
    if (mantissa != 0) {
        if (exponent > 10 || exponent < -10) return false;
        v = exponent >= 0 ? v * Pow10Float[exponent] : v / Pow10Float[-exponent];
    }
    value = negative ? -v : v;
    return true;
}

}  // namespace

FieldStatus ParseIntegerField(std::string_view field, std::int32_t& value) {
    std::int64_t magnitude = 0;
    bool negative = false;
    bool sign = false;
    bool digits = false;
    for (const char c : field) {
        if (c == ' ') continue;
        if (IsDigit(c)) {
            digits = true;
            magnitude = magnitude * 10 + (c - '0');
            if (magnitude > std::int64_t{INT32_MAX} + 1) return FieldStatus::OutOfRange;
        } else if ((c == '+' || c == '-') && !sign && !digits) {
            sign = true;
            negative = c == '-';
        } else {
            return FieldStatus::NotANumber;
        }
    }
    if (sign && !digits) return FieldStatus::NotANumber;
    if (!negative && magnitude > INT32_MAX) return FieldStatus::OutOfRange;
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return FieldStatus::Ok;
}

bool WordReal(std::string_view field, std::int32_t decimals, float& value, RealShape* shape) {
    using namespace word_real;
    if constexpr (std::endian::native != std::endian::little) return false;
    const std::size_t n = field.size();
    if (n - 9 > 7) return false;
    Word word = Load(field.data() + n - 8);  // the last eight columns
    // The columns before them in the top bytes, xor-ed with blanks: zero where blank.
    Word head = (Load(field.data()) ^ Blanks) << (8 * (16 - n));
    const Word key[] = {word, head};
    int shift = 0;
    if ((word >> 56) == ' ') {
        // Trailing blanks: the text moves to the right end.
        const Word other = word ^ Blanks;
        const Word nonBlank = (((other & Low7) + Low7) | other) & High;
        if (nonBlank == 0) return false;
        shift = std::countl_zero(nonBlank);  // 8 bits a trailing blank, 8 to 56
        word = (word << shift) | ((head ^ Blanks) >> (64 - shift));
        head <<= shift;
    }
    std::int32_t exponent = 0;
    const bool exponentField = ((word >> 32) & 0xdfu) - 'D' <= 1;
    bool exponentNegative = false;
    if (exponentField) {
        // An exponent letter four columns from the end: a sign and two digits follow.
        const Word sign = (word >> 40) & 0xffu;
        const Word digits = (word >> 48) ^ 0x3030u;
        if ((sign != '+' && sign != '-') || (digits & 0xf0f0u) != 0 || ((digits + 0x7676u) & 0x8080u) != 0) {
            return false;
        }
        exponentNegative = sign == '-';
        exponent = static_cast<std::int32_t>((digits & 0xffu) * 10 + (digits >> 8));
        if (exponentNegative) exponent = -exponent;
        word = (word << 32) | ((head ^ Blanks) >> 32);
        head <<= 32;
    }
    // Before the word, blanks and at most a sign right before it.
    const bool signBefore = head != 0;
    if (signBefore && ((head << 8) != 0 || ((head >> 56) != ('+' ^ ' ') && (head >> 56) != ('-' ^ ' ')))) {
        return false;
    }
    bool negative = (head >> 56) == ('-' ^ ' ');

    const Word t = word ^ Zeros;  // digit values in the digits' bytes
    const Word nonDigit = NonDigits(t);
    if (nonDigit == High) return false;  // no digit
    // The last column that is not a digit is the point, if there is one; the others lead.
    const int last = 56 - std::countl_zero(nonDigit | 0x80u);  // 8 bits a column
    const bool point = ((word >> last) & 0xffu) == '.';
    const Word before = point ? (Word{1} << last) - 1 : 0;  // the columns before the point
    const Word after = point ? ~before << 8 : ~Word{0};      // and those after it
    const Word lead = point ? nonDigit & before : nonDigit;
    const Word leadBytes = (lead >> 7) * 0xffu;
    if ((leadBytes & (leadBytes + 1)) != 0) return false;  // a non-digit between digits
    const Word text = (word ^ Blanks) & leadBytes;  // zero but for a sign
    if (text != 0) {
        // A sign, the last of the leading columns, after blanks only and no sign before.
        const int at = 56 - std::countl_zero(lead);
        const Word sign = text >> at;
        if (signBefore || text != sign << at || (sign != ('+' ^ ' ') && sign != ('-' ^ ' '))) return false;
        negative = sign == ('-' ^ ' ');
    } else if (signBefore && lead != 0) {
        return false;  // blanks between a sign and the digits
    }
    Word digits = t & ~leadBytes;
    digits = ((digits & before) << 8) | (digits & after);  // the columns before the point move over it
    const std::int32_t fraction = point ? 7 - last / 8 : decimals;
    if (!ScaleExact(EightDigits(digits), exponent - fraction, negative, value)) return false;
    // A shape is remembered only when the columns before the last eight hold no digit: a field
    // of the shape is read from the digits of its last eight columns.
    if (shape != nullptr && NonDigits(key[1] ^ Blanks ^ Zeros) == High) {
        const Word digitValues = (key[0] ^ Zeros) & ~((NonDigits(key[0] ^ Zeros) >> 7) * 0xffu);
        *shape = {RealShapes::WidthKey(n, decimals), key[1], key[0] ^ digitValues, shift, -fraction,
                  exponentField, exponentNegative, negative, ~leadBytes, before, after};
    }
    return true;
}

FieldStatus ParseRealField(std::string_view field, std::int32_t decimals, float& value) {
    if (WordReal(field, decimals, value, nullptr)) return FieldStatus::Ok;
    return ParseRealText(field, decimals, value);
}

FieldStatus ParseRealText(std::string_view field, std::int32_t decimals, float& value) {
    if (ShortReal(field, decimals, value)) return FieldStatus::Ok;
    RealText text;
    std::size_t i = 0;
    const std::size_t n = field.size();
    auto skipBlanks = [&] {
        while (i < n && field[i] == ' ') ++i;
    };
    skipBlanks();
    if (i == n) {
        value = 0.0f;
        return FieldStatus::Ok;
    }
    bool negative = false;
    if (field[i] == '+' || field[i] == '-') {
        negative = field[i] == '-';
        if (negative) text.Put('-');
        ++i;
    }
    // Mantissa: leading zeros before the point are dropped.
    bool point = false;
    std::int64_t digits = 0;
    bool significant = false;
    for (; i < n; ++i) {
        const char c = field[i];
        if (c == ' ') continue;
        if (IsDigit(c)) {
            ++digits;
            if (c != '0') significant = true;
            if (significant || point) text.Put(c);
        } else if (c == '.' && !point) {
            point = true;
            text.Put('.');
        } else {
            break;
        }
    }
    if (digits == 0) return FieldStatus::NotANumber;
    if (!significant) text.Put('0');
    // Exponent.
    std::int64_t exponent = 0;
    if (i < n) {
        const char c = field[i];
        const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
        if (!letter && c != '+' && c != '-') return FieldStatus::NotANumber;
        if (letter) ++i;
        skipBlanks();
        bool expNegative = false;
        if (i < n && (field[i] == '+' || field[i] == '-')) {
            expNegative = field[i] == '-';
            ++i;
        }
        bool expDigits = false;
        for (; i < n; ++i) {
            const char e = field[i];
            if (e == ' ') continue;
            if (!IsDigit(e)) return FieldStatus::NotANumber;
            expDigits = true;
            if (exponent < ExponentClamp) exponent = exponent * 10 + (e - '0');
        }
        if (!expDigits) return FieldStatus::NotANumber;
        if (expNegative) exponent = -exponent;
    }
    // Without a point the last d digits are the fraction.
    if (!point) exponent -= decimals;
    text.Put('e');
    char expText[24];
    const char* expEnd = std::to_chars(expText, expText + sizeof expText, exponent).ptr;
    for (const char* p = expText; p != expEnd; ++p) text.Put(*p);

    float result = 0.0f;
    const char* end = text.data() + text.size();
    const auto parsed = fast_float::from_chars(text.data(), end, result, fast_float::chars_format::general);
    if (parsed.ec != std::errc() || parsed.ptr != end) return FieldStatus::NotANumber;
    // Below the smallest float the nearest value is a zero of the field's sign; above the largest
    // the reader gives infinity, which is refused.
    if (std::isinf(result)) return FieldStatus::OutOfRange;
    value = result;
    return FieldStatus::Ok;
}

}  // namespace tc::records_detail
