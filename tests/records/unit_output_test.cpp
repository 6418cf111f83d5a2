// Output through a unit's buffer: the bytes do not depend on when the buffer is written out, what is
// buffered reaches the file at a flush or close, and a failing file reports its failure once.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "records/records.hpp"
#include "records_test_support.hpp"

namespace tc {
namespace {

using records_test::ErrorOf;
using records_test::ReadFile;
using records_test::TempFolder;
using records_test::ThrownBy;

// Every kind of statement the run writes to its list file, and some it does not: table rows,
// layouts of several records and reversion, free-form records of texts, integers and runs of
// reals, a layout built at run time and a record larger than the unit's buffer.
void WriteMixture(Unit& u, std::int32_t rounds, std::int32_t first = 1) {
    Table<float, 700> reals;
    Table<std::int32_t, 10> integers;
    for (std::int32_t i = 1; i <= 700; ++i) reals(i) = static_cast<float>(i) * 0.37f - 90.0f;
    for (std::int32_t i = 1; i <= 10; ++i) integers(i) = i * i - 7;
    const Layout runtime = ParseLayout("(2X,I4,F8.3)");
    const std::string large(300000, 'q');
    for (std::int32_t r = first; r < first + rounds; ++r) {
        const float x = static_cast<float>(r) * 1.25e-3f;
        const float y = -static_cast<float>(r) * 3.5f;
        Write(u, "(/,/,5X,'*** Nstep=',I3,5X,'Age=',F7.3,'***',/)", r, x);
        Write(u, "(1X,I5,5(4X,E10.3))", r, x, y, x * y, 0.0f, y);
        Write(u, "(10X,I5,3F10.2)", r, y, x, y);
        Write(u, "(7E12.5)", Entries(reals, 1 + r % 50, 20 + r % 50));
        Write(u, "(1X,'hmax=',E10.3,'hmin=',E10.3)", x, y);
        WriteFree(u, "width(", r, ")=", y);
        WriteFree(u, x, Entries(reals, 1, 700));
        WriteFree(u, Entries(integers, 1, 10), 'c', std::string("text"));
        Write(u, runtime, r, x);
        if (r % 97 == 0) Write(u, "(A)", large);
    }
}

class UnitOutput : public ::testing::Test {
protected:
    // The file a unit writes, flushed only when its buffer is full or after every round.
    std::string Written(std::int32_t rounds, bool flushEveryRound) {
        const std::string name = folder_.File(flushEveryRound ? "flushed.out" : "plain.out");
        {
            UnitTable units;
            Unit& u = units.Open(6, name, OpenStatus::Unknown);
            for (std::int32_t r = 1; r <= rounds; ++r) {
                WriteMixture(u, 1, r);
                if (flushEveryRound) u.Flush();
            }
        }
        return ReadFile(name);
    }
    TempFolder folder_;
};

TEST_F(UnitOutput, BytesDoNotDependOnWhereTheBufferIsWrittenOut) {
    const std::string plain = Written(400, false);
    ASSERT_GT(plain.size(), std::size_t{4} << 20);
    EXPECT_TRUE(Written(400, true) == plain);
}

TEST_F(UnitOutput, FlushAndCloseWriteEverythingBuffered) {
    const std::string name = folder_.File("list.out");
    UnitTable units;
    units.Open(6, name, OpenStatus::Unknown);
    const std::int32_t n = 42;
    Write(units[6], "(I5)", n);
    units[6].Flush();
    EXPECT_EQ(ReadFile(name), "   42\r\n");
    WriteFree(units[6], "last");
    units.Close(6);
    EXPECT_EQ(ReadFile(name), "   42\r\n last\r\n");
}

TEST(UnitOutputFailure, IsReportedOnce) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
    UnitTable units;
    units.Open(85, "/dev/full", OpenStatus::Unknown);
    const std::int32_t i = 1;
    std::string error;
    for (std::int32_t k = 0; k < 100000 && error.empty(); ++k) error = ThrownBy([&] { Write(units[85], "(I70)", i); });
    EXPECT_EQ(error.rfind("unit 85 (/dev/full), write of record ", 0), 0u) << error;
    // What follows is buffered, or fails afresh, without the old message.
    EXPECT_EQ(ThrownBy([&] { WriteFree(units[85], 2.0f); }), "");
    units.FlushAll();  // never throws
}

TEST_F(UnitOutput, AStatementThatDoesNotFitItsLayoutIsReported) {
    UnitTable units;
    units.Open(6, folder_.File("list.out"), OpenStatus::Unknown);
    const float x = 1.0f;
    const std::string error = ErrorOf([&] { Write(units[6], "(I5)", x); });
    EXPECT_NE(error.find("a real value for I5 (layout (I5))"), std::string::npos) << error;
}

}  // namespace
}  // namespace tc
