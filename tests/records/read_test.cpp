// Reading records with layouts: record boundaries, reversion, number and text fields, failures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include "records/number_parse.hpp"
#include "records/records.hpp"
#include "records_test_support.hpp"

namespace tc {
namespace {

using records_detail::FieldStatus;
using records_test::ErrorOf;

class ReadTest : public records_test::InputTest {};

TEST_F(ReadTest, FewerDestinationsSkipTheRestOfTheRecord) {
    Unit& in = In("    7    8    9       1.5\n   42\n");
    std::int32_t a = 0, b = 0;
    Read(in, "(3I5,F10.0)", a);
    Read(in, "(3I5,F10.0)", b);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 42);
    EXPECT_EQ(in.records(), 2);
}

TEST_F(ReadTest, ReadWithoutDestinationsPassesOverOneRecord) {
    Unit& in = In("skip me\n    5\n");
    std::int32_t a = 0;
    Read(in, "(I5)");
    Read(in, "(I5)", a);
    EXPECT_EQ(a, 5);
}

TEST_F(ReadTest, BlankAndShortRecordsReadAsZeros) {
    Unit& in = In("\n   12\n");
    std::int32_t a = -1, b = -1;
    Read(in, "(2I5)", a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 0);
    float x = -1.0f;
    Read(in, "(I5,F10.0)", a, x);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(x, 0.0f);
}

TEST_F(ReadTest, ReversionTakesRecordsOfTheLayoutsLength) {
    std::string text;
    for (std::int32_t r = 0; r < 3; ++r) {
        for (std::int32_t i = 0; i < (r < 2 ? 10 : 5); ++i) text += "  .100E+01";
        text += "\n";
    }
    text += "    99\n";
    Unit& in = In(text);
    Table<float, 25> v;
    Read(in, "(10E10.3)", Entries(v, 1, 25));
    EXPECT_EQ(in.records(), 3);
    EXPECT_EQ(v(25), 1.0f);
    std::int32_t next = 0;
    Read(in, "(I6)", next);
    EXPECT_EQ(next, 99);
}

TEST_F(ReadTest, SevenPerRecord) {
    std::string text;
    for (std::int32_t i = 1; i <= 16; ++i) {
        char field[13];
        std::snprintf(field, sizeof field, "%12d", i);
        text += field;
        if (i % 7 == 0 || i == 16) text += "\n";
    }
    Unit& in = In(text);
    Table<float, 16> v;
    Read(in, "(7E12.5)", Entries(v, 1, 16));
    EXPECT_EQ(in.records(), 3);
    EXPECT_EQ(v(7), 7.0e-5f);  // no point: the last 5 digits are the fraction
    EXPECT_EQ(v(16), 16.0e-5f);
}

TEST_F(ReadTest, CarriageReturnBeforeLineFeedIsNotData) {
    Unit& in = In("abc\r\ndef\nlast");
    Text<5> a, b, c;
    Read(in, "(A5)", a);
    Read(in, "(A5)", b);
    Read(in, "(A5)", c);
    EXPECT_EQ(std::string(a.chars.data(), 5), "abc  ");
    EXPECT_EQ(std::string(b.chars.data(), 5), "def  ");
    EXPECT_EQ(std::string(c.chars.data(), 5), "last ");
    EXPECT_TRUE(in.AtEnd());
}

TEST_F(ReadTest, TextFields) {
    Unit& in = In("c:\\job\n1234567\nxy\n");
    Table<char, 200> line;
    Read(in, "(200A1)", Entries(line, 1, 200));
    EXPECT_EQ(std::string(line.data(), 8), "c:\\job  ");
    EXPECT_EQ(line(200), ' ');
    Text<5> wide, narrow;
    Read(in, "(A7)", wide);  // a wider field gives the rightmost characters
    EXPECT_EQ(std::string(wide.chars.data(), 5), "34567");
    Read(in, "(A3)", narrow);  // a narrower one fills from the left
    EXPECT_EQ(std::string(narrow.chars.data(), 5), "xy   ");
}

TEST_F(ReadTest, EndOfFileNamesUnitRecordAndLayout) {
    Unit& in = In("    1\n");
    std::int32_t a = 0;
    Read(in, "(2I5)", a);
    EXPECT_EQ(ErrorOf([&] { Read(in, "(2I5)", a); }),
              "unit 20 (" + Name() + "), read of record 2: end of file (layout (2I5))");
    Table<float, 20> v;
    Unit& again = In("  1.0  2.0\n");
    EXPECT_EQ(ErrorOf([&] { Read(again, "(2F5.0)", Entries(v, 1, 3)); }),
              "unit 20 (" + Name() + "), read of record 2: end of file (layout (2F5.0))");
}

TEST_F(ReadTest, BadNumberNamesColumnsTextAndLayout) {
    Unit& in = In("         1    12.3.4       5.0\n");
    std::int32_t n = 0;
    float x = 0.0f, y = 0.0f;
    EXPECT_EQ(ErrorOf([&] { Read(in, "(I10,2F10.0)", n, x, y); }),
              "unit 20 (" + Name() + "), read of record 1: columns 11-20 \"12.3.4\" is not a number "
              "(layout (I10,2F10.0))");
}

TEST_F(ReadTest, IntegerBeyond32BitsIsRefused) {
    Unit& in = In("    2147483647 99999999999\n");
    std::int32_t a = 0, b = 0;
    const std::string error = ErrorOf([&] { Read(in, "(I14,I12)", a, b); });
    EXPECT_EQ(a, 2147483647);
    EXPECT_NE(error.find("read of record 1: columns 15-26 \"99999999999\" is out of range (layout (I14,I12))"),
              std::string::npos)
        << error;
}

TEST_F(ReadTest, ControlCharactersInABadFieldAreShown) {
    Unit& in = In(std::string("  1\t2", 5) + std::string(1, '\0') + "\n");
    std::int32_t n = 0;
    const std::string error = ErrorOf([&] { Read(in, "(I6)", n); });
    EXPECT_NE(error.find("columns 1-6 \"1\\t2\\x00\" is not a number"), std::string::npos) << error;
}

TEST_F(ReadTest, KindMismatchIsAProgrammingError) {
    Unit& in = In("    1\n");
    float x = 0.0f;
    EXPECT_NE(ErrorOf([&] { Read(in, "(I5)", x); }).find("a real destination for I5"), std::string::npos);
}

TEST_F(ReadTest, LongRecords) {
    std::string text = "    7" + std::string(9995, 'x') + "\n   42\n";
    Unit& in = In(text + std::string(100000, ' ') + "   3\n");
    std::int32_t a = 0, b = 0, c = 0;
    Read(in, "(I5)", a);
    Read(in, "(I5)", b);
    Read(in, "(10(10000X),I4)", c);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 42);
    EXPECT_EQ(c, 3);
}

TEST_F(ReadTest, AbsurdlyLongRecordIsRefused) {
    Unit& in = In(std::string(MaxRecordLength + 10, '1') + "\n");
    std::int32_t a = 0;
    const std::string error = ErrorOf([&] { Read(in, "(I5)", a); });
    EXPECT_NE(error.find("read of record 1: record longer than 1048576 characters"), std::string::npos) << error;
}

// ---- number fields ----

std::int32_t Int(std::string_view field) {
    std::int32_t v = -12345;
    EXPECT_EQ(records_detail::ParseIntegerField(field, v), FieldStatus::Ok) << field;
    return v;
}

float Real(std::string_view field, std::int32_t d) {
    float v = -12345.0f;
    EXPECT_EQ(records_detail::ParseRealField(field, d, v), FieldStatus::Ok) << field;
    return v;
}

TEST(IntegerInput, BlanksSignsAndLimits) {
    EXPECT_EQ(Int("     "), 0);
    EXPECT_EQ(Int(""), 0);
    EXPECT_EQ(Int("  -12"), -12);
    EXPECT_EQ(Int(" + 1 2"), 12);
    EXPECT_EQ(Int("1 2  "), 12);
    EXPECT_EQ(Int("2147483647"), 2147483647);
    EXPECT_EQ(Int("-2147483648"), INT32_MIN);
    std::int32_t v = 0;
    EXPECT_EQ(records_detail::ParseIntegerField("2147483648", v), FieldStatus::OutOfRange);
    EXPECT_EQ(records_detail::ParseIntegerField("-99999999999999999999", v), FieldStatus::OutOfRange);
    for (const char* bad : {"1.5", "-", " + ", "1-", "12a", "--1", "1e3", "\t1"}) {
        EXPECT_EQ(records_detail::ParseIntegerField(bad, v), FieldStatus::NotANumber) << bad;
    }
}

TEST(RealInput, ImpliedDecimalsAndExponents) {
    EXPECT_EQ(Real("        12", 0), 12.0f);
    EXPECT_EQ(Real("        12", 2), 0.12f);
    EXPECT_EQ(Real("         5", 3), 0.005f);
    EXPECT_EQ(Real("       1.5E3", 5), 1500.0f);
    EXPECT_EQ(Real("1.5D3", 0), 1500.0f);
    EXPECT_EQ(Real("1.5e+3", 0), 1500.0f);
    EXPECT_EQ(Real("1.5+3", 0), 1500.0f);
    EXPECT_EQ(Real("15-1", 0), 1.5f);
    EXPECT_EQ(Real("15E1", 2), 1.5f);  // the implied point applies before the exponent
    EXPECT_EQ(Real("  .100E+01", 3), 1.0f);
    EXPECT_EQ(Real(" - .5", 3), -0.5f);
    EXPECT_EQ(Real("1 2 . 5", 0), 12.5f);
    EXPECT_EQ(Real("5.", 2), 5.0f);
    EXPECT_EQ(Real("          ", 2), 0.0f);
    EXPECT_EQ(Real("000000000000000000000000000000001.25", 0), 1.25f);
    EXPECT_TRUE(std::signbit(Real("-0", 0)));
}

TEST(RealInput, NearestFloatWithoutDoubleRounding) {
    // Just above the midpoint between 1 and the next float: through double it would round to 1.
    EXPECT_EQ(Real("1.00000005960464477550", 0), std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(Real("0.1", 0), 0.1f);
    EXPECT_EQ(Real("3.4028235E38", 0), 3.4028235e38f);
    EXPECT_EQ(Real("1.0E-45", 0), std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(Real("1.0E-50", 0), 0.0f);
    EXPECT_TRUE(std::signbit(Real("-1.0E-50", 0)));
}

TEST(RealInput, RefusedFields) {
    float v = 0.0f;
    for (const char* bad : {"12.3.4", "abc", "-", "+", ".", "E5", "1E", "1E+", "1.5E3.0", "1,5", "1\t5",
                            "inf", "nan", "0x10", "1E5E5", "1-+2"}) {
        EXPECT_EQ(records_detail::ParseRealField(bad, 0, v), FieldStatus::NotANumber) << bad;
    }
    EXPECT_EQ(records_detail::ParseRealField(std::string_view("1\0", 2), 0, v), FieldStatus::NotANumber);
    EXPECT_EQ(records_detail::ParseRealField("1E39", 0, v), FieldStatus::OutOfRange);
    EXPECT_EQ(records_detail::ParseRealField("1E99999999999", 0, v), FieldStatus::OutOfRange);
}

}  // namespace
}  // namespace tc

namespace tc {
namespace {

// Fields of every common shape, compared with the correctly rounded reading of the same number.
TEST(RealInput, AgreesWithCorrectRoundingOnManyFields) {
    std::mt19937 random(99);
    std::uniform_int_distribution<std::int32_t> digitsOf(1, 12), exponentOf(-45, 40), coin(0, 1);
    std::uniform_int_distribution<std::int32_t> digit(0, 9);
    for (std::int32_t n = 0; n < 100000; ++n) {
        const std::int32_t digits = digitsOf(random);
        std::string mantissa;
        for (std::int32_t i = 0; i < digits; ++i) mantissa += static_cast<char>('0' + digit(random));
        const auto pointAt = static_cast<std::size_t>(std::uniform_int_distribution<std::int32_t>(0, digits)(random));
        const std::string withPoint = mantissa.substr(0, pointAt) + "." + mantissa.substr(pointAt);
        const std::int32_t exponent = coin(random) ? exponentOf(random) : exponentOf(random) / 8;
        const std::string sign = coin(random) ? "-" : "";
        const std::string field = sign + withPoint + "E" + std::to_string(exponent);
        // The C library's reader, correctly rounded and independent of the program's, is the
        // reference; values beyond the float range are left to other tests.
        errno = 0;
        const float expected = std::strtof(field.c_str(), nullptr);
        if (errno == ERANGE) continue;
        float got = 1.0f;
        ASSERT_EQ(records_detail::ParseRealField(field, 0, got), FieldStatus::Ok) << field;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(got), std::bit_cast<std::uint32_t>(expected)) << field;
        // The same digits without a point, the point implied by d.
        const std::string implied = sign + mantissa + "E" + std::to_string(exponent);
        const auto d = static_cast<std::int32_t>(mantissa.size() - pointAt);
        ASSERT_EQ(records_detail::ParseRealField(implied, d, got), FieldStatus::Ok) << implied;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(got), std::bit_cast<std::uint32_t>(expected)) << implied << " d=" << d;
    }
}

}  // namespace
}  // namespace tc
