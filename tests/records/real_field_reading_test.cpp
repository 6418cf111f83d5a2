// Real fields of the usual forms, and near misses of them, read against the standard library's
// correctly rounded reading of the same number written plainly: same value to the bit, and no
// field, however damaged, read past its columns or taken for a number it is not.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

#include "records/number_parse.hpp"

namespace tc {
namespace {

using records_detail::FieldStatus;

// A field of the usual forms (blanks, sign, digits around a point, an exponent, blanks) and the
// same number written plainly, "-123.45e-3", for the reference reading.
struct Field {
    std::string text;
    std::string plain;
};

Field CommonField(std::mt19937& random, std::size_t width, std::int32_t decimals) {
    auto pick = [&](std::int32_t n) { return std::uniform_int_distribution<std::int32_t>(0, n - 1)(random); };
    Field f;
    if (pick(3) == 0) {
        f.text += pick(2) ? '-' : '+';
        if (f.text == "-") f.plain += '-';
    }
    const std::int32_t whole = pick(6), fraction = pick(6);
    if (whole + fraction == 0) return {};  // a point or a sign alone is no number (tested below)
    std::string digits;
    for (std::int32_t i = 0; i < whole + fraction; ++i) digits += static_cast<char>('0' + pick(10));
    const bool point = pick(5) != 0;
    f.text += digits.substr(0, static_cast<std::size_t>(whole));
    if (point) f.text += '.';
    f.text += digits.substr(static_cast<std::size_t>(whole));
    // Without a point the last d digits are the fraction.
    f.plain += digits;
    std::int32_t exponent = point ? -fraction : -decimals;
    if (pick(2) == 0) {
        f.text += "EeDd"[pick(4)];
        const char sign = "+- "[pick(3)];
        f.text += sign;
        std::int32_t e = 0;
        for (std::int32_t i = 0, n = 1 + pick(2); i < n; ++i) {
            const std::int32_t digit = pick(10);
            f.text += static_cast<char>('0' + digit);
            e = e * 10 + digit;
        }
        exponent += sign == '-' ? -e : e;
    }
    f.plain += "e" + std::to_string(exponent);
    const std::size_t trailing = pick(4) == 0 ? static_cast<std::size_t>(pick(4)) : 0;
    if (f.text.size() + trailing > width) return {};
    f.text = std::string(width - f.text.size() - trailing, ' ') + f.text + std::string(trailing, ' ');
    return f;
}

TEST(RealFieldReading, AgreesWithTheLibrarysReading) {
#if !defined(__cpp_lib_to_chars) || __cpp_lib_to_chars < 201611L
    GTEST_SKIP() << "this standard library reads no floats with from_chars";
#else
    std::mt19937 random(2024);
    std::int32_t compared = 0;
    for (const std::int32_t d : {0, 3, 7}) {
        for (std::int32_t n = 0; n < 40000; ++n) {
            const Field f = CommonField(random, 9 + static_cast<std::size_t>(n % 8), d);
            if (f.text.empty()) continue;
            float expected = 0.0f;
            const char* end = f.plain.data() + f.plain.size();
            const auto [ptr, ec] = std::from_chars(f.plain.data(), end, expected);
            if (ec != std::errc() || ptr != end) continue;  // beyond a float's range
            float got = 0.0f;
            ASSERT_EQ(records_detail::ParseRealField(f.text, d, got), FieldStatus::Ok) << '"' << f.text << '"';
            // A zero of either sign is zero; every other value to the bit.
            if (expected == 0.0f) {
                ASSERT_EQ(got, 0.0f) << '"' << f.text << '"';
            } else {
                ASSERT_EQ(std::bit_cast<std::uint32_t>(got), std::bit_cast<std::uint32_t>(expected))
                    << '"' << f.text << "\" read as " << f.plain;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 50000);
#endif
}

TEST(RealFieldReading, NearMissesAreNoNumbers) {
    // One character of a common field changed: read or refused, never taken past the field's end
    // (the sanitizers' builds see to that); the refusals named here are certain.
    std::mt19937 random(7);
    const char mutations[] = {' ', '+', '-', '.', '0', '5', '9', 'E', 'd', 'x', '\t', '\0', '\x80', '\xb9'};
    for (std::int32_t n = 0; n < 30000; ++n) {
        const std::size_t width = 9 + static_cast<std::size_t>(n % 8);
        std::string field = CommonField(random, width, 3).text;
        if (field.empty()) continue;
        const char m = mutations[random() % sizeof mutations];
        field[random() % width] = m;
        float v = 0.0f;
        const FieldStatus s = records_detail::ParseRealField(field, 3, v);
        if (m == 'x' || m == '\t' || m == '\0' || m == '\x80' || m == '\xb9') {
            EXPECT_EQ(s, FieldStatus::NotANumber) << '"' << field << '"';
        }
    }
    const char* const refused[] = {"    2x.765", "    2\xb9.765", " -.0\0\0E+01", "  -.      ", "  1.5E+0x9"};
    for (const char* field : refused) {
        float v = 0.0f;
        EXPECT_EQ(records_detail::ParseRealField(std::string(field, 10), 3, v), FieldStatus::NotANumber) << field;
    }
}

}  // namespace
}  // namespace tc
