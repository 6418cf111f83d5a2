// Deferred units: statements written by another thread leave the same bytes, in the same order,
// and their failures are reported with the same messages, only later.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>

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
// reals, a layout built at run time and a statement too large to be queued.
void WriteMixture(Unit& u, std::int32_t rounds) {
    Table<float, 700> reals;
    Table<std::int32_t, 10> integers;
    for (std::int32_t i = 1; i <= 700; ++i) reals(i) = static_cast<float>(i) * 0.37f - 90.0f;
    for (std::int32_t i = 1; i <= 10; ++i) integers(i) = i * i - 7;
    const Layout runtime = ParseLayout("(2X,I4,F8.3)");
    const std::string large(300000, 'q');
    for (std::int32_t r = 1; r <= rounds; ++r) {
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

class DeferredUnit : public ::testing::Test {
protected:
    // The file a plain unit writes, and the one a deferred unit writes.
    std::string Plain(std::int32_t rounds) {
        const std::string name = folder_.File("plain.out");
        {
            UnitTable units;
            WriteMixture(units.Open(6, name, OpenStatus::Unknown), rounds);
        }
        return ReadFile(name);
    }
    std::string Deferred(std::int32_t rounds) {
        const std::string name = folder_.File("deferred.out");
        {
            UnitTable units;
            units.Open(6, name, OpenStatus::Unknown);
            units.Defer(6);
            if (std::thread::hardware_concurrency() > 1) {
                EXPECT_NE(units[6].deferred(), nullptr);
            }
            WriteMixture(units[6], rounds);
        }
        return ReadFile(name);
    }
    TempFolder folder_;
};

TEST_F(DeferredUnit, WritesTheSameBytesAsAPlainUnit) {
    // Enough rounds to go round the ring many times over.
    const std::string plain = Plain(400);
    ASSERT_GT(plain.size(), std::size_t{4} << 20);
    EXPECT_TRUE(Deferred(400) == plain);
}

TEST_F(DeferredUnit, FlushAndCloseWriteEverythingQueued) {
    const std::string name = folder_.File("list.out");
    UnitTable units;
    units.Open(6, name, OpenStatus::Unknown);
    units.Defer(6);
    const std::int32_t n = 42;
    Write(units[6], "(I5)", n);
    units[6].Flush();
    EXPECT_EQ(ReadFile(name), "   42\r\n");
    WriteFree(units[6], "last");
    units.Close(6);
    EXPECT_EQ(ReadFile(name), "   42\r\n last\r\n");
    // Opened again, the unit writes its own records until deferred again.
    units.Open(6, name, OpenStatus::Unknown);
    EXPECT_EQ(units[6].deferred(), nullptr);
}

// The first failure of a unit on a full device: a plain unit reports it at the statement whose
// record does not fit the buffer, a deferred one at a later statement or when flushed.
std::string FirstFailure(bool deferred) {
    UnitTable units;
    units.Open(85, "/dev/full", OpenStatus::Unknown);
    if (deferred) units.Defer(85);
    const std::int32_t i = 1;
    std::string error;
    for (std::int32_t k = 0; k < 100000 && error.empty(); ++k) error = ThrownBy([&] { Write(units[85], "(I70)", i); });
    if (error.empty()) error = ThrownBy([&] { units[85].Flush(); });
    if (deferred) {
        // Reported once: what follows is written, or fails afresh, without the old message.
        EXPECT_EQ(ThrownBy([&] { WriteFree(units[85], 2.0f); }), "");
    }
    units.FlushAll();  // never throws
    return error;
}

TEST(DeferredUnitFailure, IsReportedOnceWithThePlainMessage) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
    const std::string plain = FirstFailure(false);
    EXPECT_EQ(plain.rfind("unit 85 (/dev/full), write of record ", 0), 0u) << plain;
    EXPECT_EQ(FirstFailure(true), plain);
}

TEST_F(DeferredUnit, AStatementThatDoesNotFitItsLayoutIsReportedLater) {
    UnitTable units;
    units.Open(6, folder_.File("list.out"), OpenStatus::Unknown);
    units.Defer(6);
    const float x = 1.0f;
    Write(units[6], "(I5)", x);
    const std::string error = ErrorOf([&] { units[6].Flush(); });
    EXPECT_NE(error.find("a real value for I5 (layout (I5))"), std::string::npos) << error;
}

}  // namespace
}  // namespace tc
