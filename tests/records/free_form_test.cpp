// Free-form records: field widths, the 7-digit real forms, continuation lines, ReadFree.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "records/number_format.hpp"
#include "records/records.hpp"
#include "records_test_support.hpp"

namespace tc {
namespace {

using records_test::ErrorOf;

std::string FreeReal(float v) {
    std::string field(15, '?');
    records_detail::FormatFreeReal(field.data(), 15, v);
    return field;
}

TEST(FreeReal, FixedFormFromOneToTenMillion) {
    EXPECT_EQ(FreeReal(12.5f), "      12.500000");
    EXPECT_EQ(FreeReal(1234.567f), "    1234.567000");
    EXPECT_EQ(FreeReal(1.0f), "       1.000000");
    EXPECT_EQ(FreeReal(-1.016795f), "      -1.016795");
    EXPECT_EQ(FreeReal(9999999.0f), " 9999999.000000");
    EXPECT_EQ(FreeReal(-9999999.0f), "-9999999.000000");
}

TEST(FreeReal, ExponentFormOtherwise) {
    EXPECT_EQ(FreeReal(0.5f), "   5.000000E-01");
    EXPECT_EQ(FreeReal(0.0f), "   0.000000E+00");
    EXPECT_EQ(FreeReal(-0.0f), "   0.000000E+00");
    EXPECT_EQ(FreeReal(12345678.0f), "   1.234568E+07");
    EXPECT_EQ(FreeReal(10000000.0f), "   1.000000E+07");
    EXPECT_EQ(FreeReal(-4.920379e-1f), "  -4.920379E-01");
    EXPECT_EQ(FreeReal(0.99999994f), "   9.999999E-01");
    EXPECT_EQ(FreeReal(1.0e-30f), "   1.000000E-30");
    EXPECT_EQ(FreeReal(1.4e-45f), "   1.401298E-45");
    EXPECT_EQ(FreeReal(3.4028235e38f), "   3.402823E+38");
}

TEST(FreeReal, SeventhDigitTiesRoundUp) {
    EXPECT_EQ(FreeReal(1234568.5f), " 1234569.000000");
    EXPECT_EQ(FreeReal(10000005.0f), "   1.000001E+07");
    EXPECT_EQ(FreeReal(-10000005.0f), "  -1.000001E+07");
}

TEST(FreeReal, NonFiniteWords) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(FreeReal(inf), "       Infinity");
    EXPECT_EQ(FreeReal(-inf), "      -Infinity");
    EXPECT_EQ(FreeReal(std::numeric_limits<float>::quiet_NaN()), "            NaN");
}

class FreeFormTest : public records_test::OutputTest {};

TEST_F(FreeFormTest, WidthRecordMixesTextAndNumbers) {
    const std::int32_t j = 3;
    const float width = 0.25f;
    WriteFree(Out(), "width(", j, ")=", width);
    EXPECT_EQ(Written(), " width(          3)=    2.500000E-01\r\n");
}

TEST_F(FreeFormTest, FourRealsALineAndFieldsAfterTheFirstOneWider) {
    Table<float, 10> v;
    for (std::int32_t i = 1; i <= 10; ++i) v(i) = static_cast<float>(i) + 0.5f;
    WriteFree(Out(), v(1), Entries(v, 2, 10));
    const std::string field15 = "       1.500000";
    const std::string expected = " " + field15 + "        2.500000        3.500000        4.500000\r\n" +
                                 "        5.500000        6.500000        7.500000        8.500000\r\n" +
                                 "        9.500000       10.500000\r\n";
    EXPECT_EQ(Written(), expected);
}

TEST_F(FreeFormTest, IntegersTakeElevenColumns) {
    Table<std::int32_t, 7> n;
    for (std::int32_t i = 1; i <= 7; ++i) n(i) = i == 7 ? INT32_MIN : -i;
    WriteFree(Out(), Entries(n, 1, 7));
    // 1 + 11 + 5 * 12 = 72 columns; the seventh field (12) would pass column 79.
    EXPECT_EQ(Written(), "          -1          -2          -3          -4          -5          -6\r\n"
                         " -2147483648\r\n");
}

TEST_F(FreeFormTest, TextThatDoesNotFitContinuesOnTheNextRecord) {
    const std::string text(100, 'a');
    const float x = 1.0f;
    WriteFree(Out(), text, x);
    EXPECT_EQ(Written(), " " + std::string(78, 'a') + "\r\n " + std::string(22, 'a') + "       1.000000\r\n");
}

TEST_F(FreeFormTest, FirstNumberAfterALongTextStartsANewRecord) {
    const std::string text(70, 't');
    const std::int32_t n = 5;
    const float x = 2.0f;
    WriteFree(Out(), text, n, x);
    EXPECT_EQ(Written(), " " + text + "\r\n           5        2.000000\r\n");
}

TEST_F(FreeFormTest, RecordOfExactlySeventyNineColumns) {
    const std::int32_t n = 4;
    WriteFree(Out(), n, n, n, n, n, n, "1234567", n);
    const std::string field12 = "           4";
    EXPECT_EQ(Written(), "           4" + field12 + field12 + field12 + field12 + field12 + "1234567\r\n" +
                             "           4\r\n");
}

TEST_F(FreeFormTest, ManyRecordsPassTheUnitsBuffer) {
    // Records are built in the unit's buffer; the ones that meet its end go to a fresh buffer.
    Table<float, 5> v;
    std::string expected;
    for (std::int32_t r = 0; r < 3000; ++r) {
        for (std::int32_t i = 1; i <= 5; ++i) v(i) = static_cast<float>(r % 10 + i);
        WriteFree(Out(), r, Entries(v, 1, 5));
        std::string line = std::to_string(r);
        line = " " + std::string(11 - line.size(), ' ') + line;
        for (std::int32_t i = 1; i <= 5; ++i) {
            // The fifth field starts a new record, its leading blank standing for the wider field.
            if (i == 5) line += "\r\n ";
            const std::string value = std::to_string(r % 10 + i) + ".000000";
            line += std::string((i == 5 ? 15 : 16) - value.size(), ' ') + value;
        }
        expected += line + "\r\n";
    }
    const std::string written = Written();
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected) << "first difference at byte " << std::mismatch(written.begin(), written.end(), expected.begin()).first - written.begin();
}

TEST_F(FreeFormTest, EmptyStatementWritesALeadingBlank) {
    WriteFree(Out());
    EXPECT_EQ(Written(), " \r\n");
}

class ReadFreeTest : public records_test::InputTest {};

std::string Value(const Text<8>& t) { return std::string(t.chars.data(), 8); }

TEST_F(ReadFreeTest, UnquotedValueEndsAtBlankCommaOrSlash) {
    Unit& in = In("  beam1  more words\nab,cd\nx/y\nlongername12\n");
    Text<8> t;
    ReadFree(in, t);
    EXPECT_EQ(Value(t), "beam1   ");
    ReadFree(in, t);
    EXPECT_EQ(Value(t), "ab      ");
    ReadFree(in, t);
    EXPECT_EQ(Value(t), "x       ");
    ReadFree(in, t);
    EXPECT_EQ(Value(t), "longerna");
}

TEST_F(ReadFreeTest, QuotedValuesMayHoldBlanks) {
    Unit& in = In("'my beam' rest\n\"a, b/c\"\n'it''s'\n");
    Text<8> t;
    ReadFree(in, t);
    EXPECT_EQ(Value(t), "my beam ");
    ReadFree(in, t);
    EXPECT_EQ(Value(t), "a, b/c  ");
    ReadFree(in, t);
    EXPECT_EQ(Value(t), "it's    ");
}

TEST_F(ReadFreeTest, BlankRecordsBeforeTheValueArePassedOver) {
    Unit& in = In("\r\n   \n\t\nname\r\n");
    Text<8> t;
    ReadFree(in, t);
    EXPECT_EQ(Value(t), "name    ");
    EXPECT_EQ(in.records(), 4);
}

TEST_F(ReadFreeTest, EndOfFileWithoutAValue) {
    Unit& in = In("\n  \n");
    Text<8> t;
    EXPECT_EQ(ErrorOf([&] { ReadFree(in, t); }), "unit 20 (" + Name() + "), read of record 3: end of file, no value");
}

}  // namespace
}  // namespace tc
