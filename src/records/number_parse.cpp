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

FieldStatus ParseRealField(std::string_view field, std::int32_t decimals, float& value) {
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
