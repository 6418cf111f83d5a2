// Writing records with layouts: record boundaries, reversion, literals, text and number fields.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "records/number_format.hpp"
#include "records/records.hpp"
#include "records_test_support.hpp"

namespace tc {
namespace {

using records_test::ErrorOf;

class WriteTest : public records_test::OutputTest {};

// Values of other types would be converted into temporaries that die before the statement runs.
template <class T>
concept Writable = requires(const T& v) { records_detail::MakeValue(v); };
static_assert(Writable<float> && Writable<std::int32_t> && Writable<char> && Writable<std::string>);
static_assert(Writable<Text<3>> && Writable<EntryRun<const float>> && Writable<const char*>);
static_assert(!Writable<double> && !Writable<std::int64_t> && !Writable<bool>);

TEST_F(WriteTest, StepHeadingByteForByte) {
    const std::int32_t nstep = 1;
    const float age = 2.5f;
    Write(Out(), "(/,/,5X,'*** Nstep=',I3,5X,'Age=',F7.3,'***',/)", nstep, age);
    EXPECT_EQ(Written(), "\r\n\r\n     *** Nstep=  1     Age=  2.500***\r\n\r\n");
}

TEST_F(WriteTest, TableLineOf76Columns) {
    Table<float, 5> v;
    v(1) = 12.5f;
    v(2) = 0.0f;
    v(3) = -9.9996f;
    v(4) = 1.0e-10f;
    v(5) = 123456.0f;
    const std::int32_t node = 17;
    Write(Out(), "(1X,I5,5(4X,E10.3))", node, Entries(v, 1, 5));
    const std::string line = "    17      .125E+02      .000E+00     -.100E+02      .100E-09      .123E+06";
    ASSERT_EQ(line.size(), 76u);
    EXPECT_EQ(Written(), line + "\r\n");
}

// Single values take the short road of a table row only when their kinds and number match the
// row's fields; any other statement of single values is written field by field, to the same bytes.
TEST_F(WriteTest, SingleValuesInRowsAndInOtherLayouts) {
    const std::int32_t node = 17;
    const float a = 12.5f, b = -0.5f, c = 3.0f;
    Write(Out(), "(1X,I5,3(4X,E10.3))", node, a, b, c);
    Write(Out(), "(1X,I5,3(4X,E10.3))", node, a, b);
    Write(Out(), "(1X,I5,/,3E10.3)", node, a, b, c);
    Write(Out(), "(1X,I5,(E10.3))", node, a, b, c);
    Table<float, 3> v;
    v(1) = a;
    v(2) = b;
    v(3) = c;
    Write(Out(), "(1X,I5,3(4X,E10.3))", node, Entries(v, 1, 3));
    const std::string row = "    17      .125E+02     -.500E+00      .300E+01\r\n";
    EXPECT_EQ(Written(), row + "    17      .125E+02     -.500E+00    \r\n" + "    17\r\n  .125E+02 -.500E+00  .300E+01\r\n" +
                             "    17  .125E+02\r\n -.500E+00\r\n  .300E+01\r\n" + row);
    EXPECT_NE(ErrorOf([&] { Write(Out(), "(1X,I5,E10.3)", node, node); }).find("an integer value for E10.3"),
              std::string::npos);
}

TEST_F(WriteTest, ReversionStartsNewRecords) {
    Table<float, 16> v;
    for (std::int32_t i = 1; i <= 16; ++i) v(i) = static_cast<float>(i);
    Write(Out(), "(7E12.5)", Entries(v, 1, 16));
    const std::string text = Written();
    std::vector<std::size_t> lengths;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lengths.push_back(end - start);
    }
    EXPECT_EQ(lengths, (std::vector<std::size_t>{84, 84, 24}));
    EXPECT_EQ(text.substr(0, 24), "  .10000E+01  .20000E+01");
}

TEST_F(WriteTest, ReversionGoesBackToTheLastGroupWithItsRepeatCount) {
    Table<std::int32_t, 6> v;
    for (std::int32_t i = 1; i <= 6; ++i) v(i) = i;
    Write(Out(), "('h',I2,2(' g',I2))", Entries(v, 1, 6));
    // The last record stops at the field that finds no value, after the literal before it.
    EXPECT_EQ(Written(), "h 1 g 2 g 3\r\n g 4 g 5\r\n g 6 g\r\n");
}

TEST_F(WriteTest, ValuesRunningOutStopAtTheNextDataField) {
    const std::int32_t one = 1;
    Write(Out(), "(5X,'a=',I2,' b=',I2,' end')", one);
    Write(Out(), "('only text',/,'second')");
    Write(Out(), "(I5,/)", one);
    Write(Out(), "()");
    EXPECT_EQ(Written(), "     a= 1 b=\r\nonly text\r\nsecond\r\n    1\r\n\r\n\r\n");
}

TEST_F(WriteTest, TextFields) {
    Text<5> name;
    name.chars = {'a', 'b', 'c', ' ', ' '};
    Table<char, 4> letters;
    letters(1) = 'w';
    letters(2) = 'x';
    letters(3) = 'y';
    letters(4) = 'z';
    Write(Out(), "(A,'|',A7,'|',A2,'|',4A1,'|',A3)", name, name, name, Entries(letters, 1, 4), letters(1));
    Write(Out(), "(A,1X,A)", "free text", std::string_view("view"));
    EXPECT_EQ(Written(), "abc  |  abc  |ab|wxyz|  w\r\nfree text view\r\n");
}

TEST_F(WriteTest, IntegerFields) {
    const std::int32_t values[] = {0, -5, 1000, INT32_MIN};
    Write(Out(), "(I3,I3,I3,I11)", values[0], values[1], values[2], values[3]);
    EXPECT_EQ(Written(), "  0 -5***-2147483648\r\n");
}

TEST_F(WriteTest, KindMismatchIsAProgrammingError) {
    const float x = 1.0f;
    const std::string error = ErrorOf([&] { Write(Out(), "(I5)", x); });
    EXPECT_NE(error.find("a real value for I5 (layout (I5))"), std::string::npos) << error;
    const std::int32_t i = 1;
    EXPECT_NE(ErrorOf([&] { Write(Out(), "(A3)", i); }).find("an integer value for A3"), std::string::npos);
}

TEST_F(WriteTest, LayoutWithoutFieldsForTheValuesIsRefused) {
    const std::int32_t i = 1;
    EXPECT_NE(ErrorOf([&] { Write(Out(), "('x')", i); }).find("no field"), std::string::npos);
    EXPECT_NE(ErrorOf([&] { Write(Out(), "(I5,(1X))", i, i); }).find("no field"), std::string::npos);
}

TEST_F(WriteTest, RuntimeLayout) {
    const Layout layout = ParseLayout("(2F6.1)");
    const float a = 1.25f, b = -3.0f;
    Write(Out(), layout, a, b);
    EXPECT_EQ(Written(), "   1.3  -3.0\r\n");
}

// ---- number fields, through the formatting routines ----

std::string Fixed(std::int32_t w, std::int32_t d, float v) {
    std::string field(static_cast<std::size_t>(w), '?');
    records_detail::FormatFixed(field.data(), w, d, v);
    return field;
}

std::string Exponent(std::int32_t w, std::int32_t d, float v) {
    std::string field(static_cast<std::size_t>(w), '?');
    records_detail::FormatExponent(field.data(), w, d, v);
    return field;
}

TEST(FixedField, NoZeroBeforeThePoint) {
    EXPECT_EQ(Fixed(10, 3, 0.5f), "      .500");
    EXPECT_EQ(Fixed(10, 3, 0.0f), "      .000");
    EXPECT_EQ(Fixed(10, 0, 0.0f), "        0.");
    EXPECT_EQ(Fixed(10, 0, 0.3f), "        0.");
    EXPECT_EQ(Fixed(10, 3, 12.5f), "    12.500");
    EXPECT_EQ(Fixed(10, 1, -3.0f), "      -3.0");
    EXPECT_EQ(Fixed(7, 3, 2.5f), "  2.500");
}

TEST(FixedField, TiesGoAwayFromZero) {
    EXPECT_EQ(Fixed(10, 3, 2.0625f), "     2.063");
    EXPECT_EQ(Fixed(10, 3, -2.0625f), "    -2.063");
    EXPECT_EQ(Fixed(10, 2, 0.125f), "       .13");
    EXPECT_EQ(Fixed(10, 0, 0.5f), "        1.");
    EXPECT_EQ(Fixed(10, 0, 2.5f), "        3.");
    EXPECT_EQ(Fixed(10, 1, 0.25f), "        .3");
    // 0.15f lies just above 0.15, 0.35f just below 0.35: the exact binary value decides.
    EXPECT_EQ(Fixed(10, 1, 0.15f), "        .2");
    EXPECT_EQ(Fixed(10, 1, 0.35f), "        .3");
    EXPECT_EQ(Fixed(10, 0, 4194304.5f), "  4194305.");
    // 2^-14 has 14 decimals; 13 of them go beyond the double shortcut.
    EXPECT_EQ(Fixed(20, 13, 0.00006103515625f), "      .0000610351563");
}

TEST(FixedField, SignOfZero) {
    EXPECT_EQ(Fixed(10, 3, -0.0004f), "     -.000");
    EXPECT_EQ(Fixed(10, 3, -0.0f), "      .000");
    EXPECT_EQ(Fixed(10, 0, -0.2f), "       -0.");
}

TEST(FixedField, AsterisksWhenTheValueDoesNotFit) {
    EXPECT_EQ(Fixed(10, 3, 1234567.0f), "**********");
    EXPECT_EQ(Fixed(10, 3, 123456.0f), "123456.000");
    EXPECT_EQ(Fixed(10, 3, -123456.0f), "**********");
    EXPECT_EQ(Fixed(4, 3, 0.5f), ".500");
    EXPECT_EQ(Fixed(3, 3, 0.5f), "***");
    EXPECT_EQ(Fixed(10, 3, 3.0e38f), "**********");
    EXPECT_EQ(Fixed(8, 3, 9999.9996f), "********");  // rounds up to 10000.000
    EXPECT_EQ(Fixed(9, 3, 9999.9996f), "10000.000");
}

TEST(FixedField, NonFiniteValues) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Fixed(10, 3, inf), "  Infinity");
    EXPECT_EQ(Fixed(10, 3, -inf), " -Infinity");
    EXPECT_EQ(Fixed(10, 3, std::numeric_limits<float>::quiet_NaN()), "       NaN");
    EXPECT_EQ(Fixed(7, 3, inf), "*******");
}

TEST(ExponentField, Forms) {
    EXPECT_EQ(Exponent(10, 3, 12.5f), "  .125E+02");
    EXPECT_EQ(Exponent(10, 3, 0.0f), "  .000E+00");
    EXPECT_EQ(Exponent(10, 3, -0.0f), "  .000E+00");
    EXPECT_EQ(Exponent(10, 3, -12.5f), " -.125E+02");
    EXPECT_EQ(Exponent(10, 3, 1.0e-5f), "  .100E-04");
    EXPECT_EQ(Exponent(10, 3, 200000.0f), "  .200E+06");
    EXPECT_EQ(Exponent(10, 3, 1.0e-40f), "  .100E-39");  // a subnormal float
    EXPECT_EQ(Exponent(12, 5, 3.4028235e38f), "  .34028E+39");
}

TEST(ExponentField, RoundingCarryRaisesTheExponent) {
    EXPECT_EQ(Exponent(10, 3, 9.9996f), "  .100E+02");
    EXPECT_EQ(Exponent(10, 3, 0.09996f), "  .100E+00");
    EXPECT_EQ(Exponent(10, 3, 999.6f), "  .100E+04");
    EXPECT_EQ(Exponent(10, 3, 999.4f), "  .999E+03");
}

TEST(ExponentField, TiesGoAwayFromZero) {
    EXPECT_EQ(Exponent(10, 2, 0.125f), "   .13E+00");
    EXPECT_EQ(Exponent(10, 2, -0.125f), "  -.13E+00");
    EXPECT_EQ(Exponent(11, 4, 2.0625f), "  .2063E+01");
    EXPECT_EQ(Exponent(11, 4, 12345.0f), "  .1235E+05");        // scaled down, fraction bits
    EXPECT_EQ(Exponent(10, 2, 125000000.0f), "   .13E+09");      // scaled down, whole number
    EXPECT_EQ(Exponent(20, 13, 9.5367431640625e-7f), "  .9536743164063E-06");  // exact digits
}

TEST(ExponentField, AsterisksWhenTheValueDoesNotFit) {
    EXPECT_EQ(Exponent(8, 3, 12.5f), ".125E+02");
    EXPECT_EQ(Exponent(8, 3, -12.5f), "********");
    EXPECT_EQ(Exponent(10, 0, 12.5f), "**********");
    EXPECT_EQ(Exponent(10, 3, std::numeric_limits<float>::infinity()), "  Infinity");
    EXPECT_EQ(Exponent(5, 3, std::numeric_limits<float>::quiet_NaN()), "  NaN");
}

}  // namespace
}  // namespace tc

namespace tc {
namespace {

// An empty text with no storage behind it writes blanks (or nothing) and touches no memory.
TEST(EmptyText, WritesOnlyItsBlanks) {
    records_test::TempFolder folder;
    {
        UnitTable units;
        Unit& out = units.Open(70, folder.File("empty.txt"), OpenStatus::Unknown);
        Write(out, "('[',A,']',A3,'|')", std::string_view(), std::string_view());
    }
    EXPECT_EQ(records_test::ReadFile(folder.File("empty.txt")), "[]   |\r\n");
}

}  // namespace
}  // namespace tc
