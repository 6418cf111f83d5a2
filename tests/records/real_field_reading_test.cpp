// The short roads for real fields (word-wide reading, remembered shapes) checked against the
// general character-by-character reading: same status, same bits, on fields that look common
// and on near misses.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>

#include "records/number_parse.hpp"

namespace tc {
namespace {

using records_detail::FieldStatus;

struct Outcome {
    FieldStatus status;
    std::uint32_t bits;
};

Outcome Text(const std::string& field, std::int32_t d) {
    float v = 0.0f;
    const FieldStatus s = records_detail::ParseRealText(field, d, v);
    return {s, s == FieldStatus::Ok ? std::bit_cast<std::uint32_t>(v) : 0u};
}

void ExpectSame(const std::string& field, std::int32_t d, records_detail::RealShapes& shapes) {
    const Outcome expected = Text(field, d);
    float v = 0.0f;
    FieldStatus s = records_detail::ParseRealField(field, d, v);
    ASSERT_EQ(s, expected.status) << '"' << field << "\" d=" << d;
    if (s == FieldStatus::Ok) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(v), expected.bits) << '"' << field << '"';
    }
    s = records_detail::ParseRealField(field, d, v, shapes);
    ASSERT_EQ(s, expected.status) << '"' << field << "\" d=" << d << " (shapes)";
    if (s == FieldStatus::Ok) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(v), expected.bits) << '"' << field << "\" (shapes)";
    }
}

// A field of the usual forms: blanks, sign, digits around a point, an exponent, blanks.
std::string CommonField(std::mt19937& random, std::size_t width) {
    auto pick = [&](std::int32_t n) { return std::uniform_int_distribution<std::int32_t>(0, n - 1)(random); };
    std::string text;
    if (pick(3) == 0) text += pick(2) ? '-' : '+';
    const std::int32_t whole = pick(6), fraction = pick(6);
    for (std::int32_t i = 0; i < whole; ++i) text += static_cast<char>('0' + pick(10));
    if (pick(5) != 0) text += '.';
    for (std::int32_t i = 0; i < fraction; ++i) text += static_cast<char>('0' + pick(10));
    if (pick(2) == 0) {
        text += "EeDd"[pick(4)];
        text += "+- "[pick(3)];
        for (std::int32_t i = 0, n = 1 + pick(3); i < n; ++i) text += static_cast<char>('0' + pick(10));
    }
    const std::size_t trailing = pick(4) == 0 ? static_cast<std::size_t>(pick(4)) : 0;
    if (text.size() + trailing > width) return text.substr(0, width);
    return std::string(width - text.size() - trailing, ' ') + text + std::string(trailing, ' ');
}

TEST(RealFieldRoads, AgreeWithTheGeneralReading) {
    std::mt19937 random(2024);
    const char mutations[] = {' ', '+', '-', '.', '0', '5', '9', 'E', 'd', 'x', '\t', '\0', '\x80', '\xb9'};
    for (const std::int32_t d : {0, 3, 7, 12}) {
        records_detail::RealShapes shapes;
        for (std::int32_t n = 0; n < 60000; ++n) {
            const std::size_t width = 9 + static_cast<std::size_t>(n % 8);
            std::string field = CommonField(random, width);
            if (n % 3 == 0) {
                // One character changed: most such fields are near misses of a common shape.
                field[random() % width] = mutations[random() % sizeof mutations];
            }
            ExpectSame(field, d, shapes);
        }
    }
}

TEST(RealFieldRoads, RememberedShapesReadOtherDigits) {
    // The same shape with other digits, and fields that differ from it only where the digits are.
    records_detail::RealShapes shapes;
    const char* const fields[] = {"    25.765", "    26.029", "    99.999", "    00.000", "   -25.765", "    2x.765",
                              "    2\xb9.765", "    2 .765", "  .123E+02", "  .999E+99", "  .000E+99", " -.456E-01",
                              " -.456E-99", "  .123E-12", "  .123E+12", " -.0\0\0E+01", "  12345678", "  16777216",
                              "  16777217", "  99999999", "  1.5E+03 ", "  1.5E+09 ", "   -.5    ", "  -.      ",
                              "-12345.678", "  +1234.56", "  -1234.56", " 1.000E+00", " 1.700E+01", "-1.000E+00",
                              "-2.500E-01", " 1.250E-01", "1.5E+03   ", "7.5E+03   "};
    for (const std::int32_t d : {0, 3}) {
        for (const char* field : fields) ExpectSame(std::string(field, 10), d, shapes);  // ten columns each
    }
    // Fields with NUL bytes inside, where a digit of a remembered shape stands.
    ExpectSame(std::string("    25.7\0" "5", 10), 3, shapes);
    ExpectSame(std::string("    \0" "5.765", 10), 3, shapes);
}

}  // namespace
}  // namespace tc
