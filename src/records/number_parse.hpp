#pragma once
// Number fields of input records.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tc::records_detail {

enum class FieldStatus { Ok, NotANumber, OutOfRange };

// Iw: blanks anywhere are ignored, an all-blank field is 0, an optional sign precedes the digits.
FieldStatus ParseIntegerField(std::string_view field, std::int32_t& value);

// Fw.d and Ew.d: blanks are ignored; optional sign, digits with an optional point, and an optional
// exponent (E or D and a signed or unsigned integer, or a sign and an integer). Without a point
// the last d digits are the fraction. The value is the float nearest to the decimal text.
FieldStatus ParseRealField(std::string_view field, std::int32_t decimals, float& value);

// The same reading character by character, without the word-wide road for common fields.
FieldStatus ParseRealText(std::string_view field, std::int32_t decimals, float& value);

namespace word_real {

// Eight columns held in a word, the first column in the lowest byte. Byte masks carry 0x80 in
// the bytes they select; the arithmetic never carries from one byte into the next.
using Word = std::uint64_t;
inline constexpr Word Ones = 0x0101010101010101u;
inline constexpr Word High = Ones * 0x80u;
inline constexpr Word Low7 = Ones * 0x7fu;
inline constexpr Word Blanks = Ones * ' ';
inline constexpr Word Zeros = Ones * '0';
inline constexpr std::uint32_t MaxExact = std::uint32_t{1} << 24;  // integers a float holds exactly
inline constexpr float Pow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};  // exact

inline Word Load(const char* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// 0x80 in the bytes of t = text ^ Zeros that are not digits.
inline Word NonDigits(Word t) { return (((t & Low7) + Ones * 0x76u) | t) & High; }

// The number written by eight digit values, one a byte, the first the most significant.
inline std::uint32_t EightDigits(Word v) {
    v = v * 10 + (v >> 8);
    v = ((v & 0x000000ff000000ffu) * (100 + (Word{1000000} << 32)) +
         ((v >> 16) & 0x000000ff000000ffu) * (1 + (Word{10000} << 32))) >>
        32;
    return static_cast<std::uint32_t>(v);
}

// mantissa * 10^exponent with one correctly rounded multiplication or division, when both are
// exact floats; false when they are not.
inline bool ScaleExact(std::uint32_t mantissa, std::int32_t exponent, bool negative, float& value) {
    if (mantissa > MaxExact) return false;
    float v = static_cast<float>(mantissa);
    if (mantissa != 0) {
        if (exponent > 10 || exponent < -10) return false;
        v = exponent >= 0 ? v * Pow10[exponent] : v / Pow10[-exponent];
    }
    value = negative ? -v : v;
    return true;
}

}  // namespace word_real

// What the word-wide reading of a real field found out, for every field of the same shape: the
// same width and decimals, and the same characters in the same columns but for the digits.
struct RealShape {
    // The key.
    word_real::Word width = 0;     // width and decimals
    word_real::Word head = 0;      // the columns before the last eight, xor-ed with blanks
    word_real::Word skeleton = 0;  // the last eight columns with every digit made '0'
    // The reading.
    std::int32_t shift = 0;        // bits the text moves right over trailing blanks
    std::int32_t exponent = 0;     // the power of ten but for an exponent field's digits
    bool exponentField = false;    // two exponent digits end the text, their sign negative or not
    bool exponentNegative = false;
    bool negative = false;
    word_real::Word keep = 0;      // the mantissa's digit columns
    word_real::Word before = 0;    // the columns before the point, moved over it
    word_real::Word after = 0;     // the columns after the point
};

// The common field of 9 to 16 columns read a word at a time: blanks, an optional sign, digits
// with at most one point, optionally E, D, e or d with a sign and two digits, then blanks, the
// mantissa within eight columns but for its sign, the digits and the power of ten exact floats.
// Returns false for anything else, valid or not, and the general reading decides. On success
// fills shape, when given, so that fields of the same shape take RealShapes::Read; but only if
// the columns before the last eight hold no digit.
bool WordReal(std::string_view field, std::int32_t decimals, float& value, RealShape* shape);

// The shapes of the last few fields of a statement; a field of one of them is read straight
// from its digits.
class RealShapes {
public:
    // False when the field's shape is not among them or its value leaves the short road.
    bool Read(std::string_view field, std::int32_t decimals, float& value) const {
        using namespace word_real;
        if constexpr (std::endian::native != std::endian::little) return false;
        const std::size_t n = field.size();
        if (n - 9 > 7) return false;
        const Word word = Load(field.data() + n - 8);
        const Word head = (Load(field.data()) ^ Blanks) << (8 * (16 - n));
        const Word t = word ^ Zeros;
        // A byte of 0x80 or more may carry into the next and make a digit look like none; such a
        // field matches no shape, so the carry does no harm here.
        const Word digitValues = t & ~(((((t + Ones * 0x76u) | t) & High) >> 7) * 0xffu);
        const Word skeleton = word ^ digitValues;
        const RealShape& s = shapes_[Slot(skeleton, head)];
        if (((s.skeleton ^ skeleton) | (s.head ^ head) | (s.width ^ WidthKey(n, decimals))) != 0) return false;
        Word digits = digitValues << s.shift;
        std::int32_t exponent = s.exponent;
        if (s.exponentField) {
            const auto e = static_cast<std::int32_t>(((digits >> 48) & 0xffu) * 10 + (digits >> 56));
            exponent += s.exponentNegative ? -e : e;
            digits <<= 32;
        }
        digits &= s.keep;
        digits = ((digits & s.before) << 8) | (digits & s.after);
        return ScaleExact(EightDigits(digits), exponent, s.negative, value);
    }

    void Learn(const RealShape& shape) { shapes_[Slot(shape.skeleton, shape.head)] = shape; }

    static word_real::Word WidthKey(std::size_t width, std::int32_t decimals) {
        return static_cast<word_real::Word>(width) | static_cast<word_real::Word>(static_cast<std::uint32_t>(decimals)) << 32;
    }

private:
    static std::size_t Slot(word_real::Word skeleton, word_real::Word head) {
        return static_cast<std::size_t>(((skeleton ^ head) * 0x9e3779b97f4a7c15u) >> 62);
    }
    RealShape shapes_[4];
};

// ParseRealField that reads fields of a known shape straight away and learns new shapes.
inline FieldStatus ParseRealField(std::string_view field, std::int32_t decimals, float& value, RealShapes& shapes) {
    if (shapes.Read(field, decimals, value)) return FieldStatus::Ok;
    RealShape shape;
    if (WordReal(field, decimals, value, &shape)) {
        shapes.Learn(shape);
        return FieldStatus::Ok;
    }
    return ParseRealText(field, decimals, value);
}

}  // namespace tc::records_detail
