// Records written from a layout's plan are the records written item by item: the same layouts and
// values through both roads, including values that run out, reversion, texts and errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/records.hpp"
#include "records/write_plan.hpp"
#include "records_test_support.hpp"

namespace tc {
namespace {

using records_test::ReadFile;
using records_test::TempFolder;

class WritePlanTest : public ::testing::Test {
protected:
    // Writes the values with the layout as parsed (planned) and with its plan dropped, and
    // expects the same bytes and the same error, if any.
    template <class... Val>
    void ExpectSameBothWays(const std::string& text, const Val&... values) {
        const Layout planned = ParseLayout(text);
        ASSERT_NE(planned.writePlan, nullptr) << text;
        Layout itemByItem = planned;
        itemByItem.writePlan = nullptr;
        const std::string errorPlanned = Run(70, planned, values...);
        const std::string errorItems = Run(71, itemByItem, values...);
        EXPECT_EQ(errorPlanned, errorItems) << text;
    }

    // Both files, the units closed.
    void ExpectSameFiles() {
        units_.Close(70);
        units_.Close(71);
        const std::string planned = ReadFile(folder_.File("planned.txt"));
        EXPECT_EQ(planned, ReadFile(folder_.File("items.txt")));
        EXPECT_FALSE(planned.empty());
    }

    Unit& Out(std::int32_t unit) {
        if (!units_.IsOpen(unit)) {
            units_.Open(unit, folder_.File(unit == 70 ? "planned.txt" : "items.txt"), OpenStatus::Unknown);
        }
        return units_[unit];
    }

private:
    template <class... Val>
    std::string Run(std::int32_t unit, const Layout& layout, const Val&... values) {
        try {
            Write(Out(unit), layout, values...);
        } catch (const RunError& e) {
            // The unit's name differs between the two files; the rest of the message must not.
            const std::string message = e.what();
            return message.substr(message.find(')'));
        }
        return {};
    }

    TempFolder folder_;
    UnitTable units_;
};

TEST_F(WritePlanTest, TablesAndReversion) {
    Table<float, 40> v;
    for (std::int32_t i = 1; i <= 40; ++i) v(i) = static_cast<float>(i) * (i % 2 == 0 ? -1.5e-4f : 37.25f);
    const std::int32_t node = 17;
    ExpectSameBothWays("(1X,I5,5(4X,E10.3))", node, Entries(v, 1, 5));
    ExpectSameBothWays("(1X,I5,5(4X,E10.3))", node, Entries(v, 1, 23));  // reversion into the group
    ExpectSameBothWays("(1X,I5,5(4X,E10.3))", node, Entries(v, 1, 2));   // values run out
    ExpectSameBothWays("(7E12.5)", Entries(v, 1, 16));
    ExpectSameBothWays("(10X,I5,3F10.2)", node, v(3), v(4), v(5));
    ExpectSameBothWays("(5F10.2)", Entries(v, 1, 12));
    ExpectSameFiles();
}

TEST_F(WritePlanTest, LiteralsSlashesAndValuesRunningOut) {
    const std::int32_t one = 1, two = 2;
    const float age = 2.5f;
    ExpectSameBothWays("(/,/,5X,'*** Nstep=',I3,5X,'Age=',F7.3,'***',/)", one, age);
    ExpectSameBothWays("(/,/,5X,'*** Nstep=',I3,5X,'Age=',F7.3,'***',/)", one);
    ExpectSameBothWays("('h',I2,2(' g',I2))", one, two, one, two, one, two);
    ExpectSameBothWays("(5X,'a=',I2,' b=',I2,' end')", one);
    ExpectSameBothWays("('only text',/,'second')");
    ExpectSameBothWays("(I5,/)", one);
    ExpectSameBothWays("()");
    ExpectSameBothWays("(//)");
    ExpectSameBothWays("(I3,'it''s',/,I3)", one, two, one);
    ExpectSameFiles();
}

TEST_F(WritePlanTest, TextFields) {
    Text<5> name;
    name.chars = {'a', 'b', 'c', ' ', ' '};
    Table<char, 4> letters;
    letters(1) = 'w';
    letters(2) = 'x';
    letters(3) = 'y';
    letters(4) = 'z';
    ExpectSameBothWays("(A5,'|',A7,'|',A2,'|',4A1,'|',A3)", name, name, name, Entries(letters, 1, 4), letters(1));
    ExpectSameBothWays("(' error: ',A40)", std::string_view("a message"));
    ExpectSameFiles();
}

TEST_F(WritePlanTest, RecordLengthsAroundTheImageBlocks) {
    // The line end lands right before, on and after each block boundary of the record's image.
    const std::int32_t n = -7;
    for (std::int32_t blanks = 0; blanks <= 3 * records_detail::ImageBlock; ++blanks) {
        ExpectSameBothWays("(" + std::to_string(blanks + 1) + "X,I2)", n);
        ExpectSameBothWays("(" + std::to_string(blanks + 1) + "X,I2)");
    }
    ExpectSameFiles();
}

TEST_F(WritePlanTest, ManyRecordsPassTheUnitsBuffer) {
    Table<float, 5> v;
    for (std::int32_t line = 0; line < 3000; ++line) {
        for (std::int32_t i = 1; i <= 5; ++i) v(i) = static_cast<float>(line * i) / 7.0f;
        ExpectSameBothWays("(1X,I5,5(4X,E10.3))", line, Entries(v, 1, 5));
    }
    ExpectSameFiles();
}

TEST_F(WritePlanTest, ColumnsRepeatingTheirValues) {
    // Values that repeat down a column, values of the same text but other bits (zero and negative
    // zero, -0.0004 and -0.0 in F10.2), and a column that changes every row.
    const float set[] = {0.0f, -0.0f, -0.0004f, 12.5f, 12.5f, -3.0e-5f, 1.0e-38f, 999.99f};
    for (std::int32_t row = 0; row < 400; ++row) {
        const float a = set[row % 8];
        const float b = set[(row / 3) % 8];
        const float c = static_cast<float>(row) * 0.37f;
        ExpectSameBothWays("(1X,I5,2F10.2,F10.3,2(4X,E10.3),E12.5)", row, a, b, c, a, b, c);
    }
    ExpectSameFiles();
}

TEST_F(WritePlanTest, ErrorsLeaveTheSameBytes) {
    const std::int32_t i = 1;
    const float x = 2.0f;
    ExpectSameBothWays("(2X,I5,1X,F5.1)", i, i);   // an integer for an F field
    ExpectSameBothWays("(2X,A3)", x);              // a real for an A field
    ExpectSameBothWays("('x')", i);                // no field for the value
    ExpectSameBothWays("(I5,(1X))", i, i);         // none after the reversion either
    ExpectSameFiles();
}

TEST(WritePlan, LayoutsWrittenItemByItem) {
    // A without width takes the text's length; a record wider than a plan holds is not planned.
    EXPECT_EQ(ParseLayout("(A,1X,A)").writePlan, nullptr);
    EXPECT_EQ(ParseLayout("(5000X,I5)").writePlan, nullptr);
    EXPECT_NE(ParseLayout("(4000X,I5)").writePlan, nullptr);
}

class AlternatingLayoutsTest : public records_test::OutputTest {};

TEST_F(AlternatingLayoutsTest, EachKeepsItsOwnForm) {
    // Two planned layouts taking the same values in turn: each writes them in its own form.
    const Layout first = ParseLayout("(E10.3)");
    const Layout sharing = ParseLayout("(F12.4)");
    const float x = 1.5f;
    const float y = -2.25f;
    Write(Out(), first, x);
    Write(Out(), sharing, x);
    Write(Out(), first, x);
    Write(Out(), sharing, y);
    Write(Out(), sharing, y);
    Write(Out(), first, y);
    EXPECT_EQ(Written(), "  .150E+01\r\n      1.5000\r\n  .150E+01\r\n     -2.2500\r\n     -2.2500\r\n -.225E+01\r\n");
}

class WideLayoutTest : public records_test::OutputTest {};

TEST_F(WideLayoutTest, WrittenItemByItem) {
    const std::int32_t one = 1;
    Write(Out(), "(5000X,I5)", one);
    Write(Out(), "(A,'|',A)", "free", std::string_view("text"));
    EXPECT_EQ(Written(), std::string(5000, ' ') + "    1\r\nfree|text\r\n");
}

}  // namespace
}  // namespace tc
