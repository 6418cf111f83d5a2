// Units: opening by status, cutting at the first write, buffering, flushing and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "records/records.hpp"
#include "records_test_support.hpp"

namespace tc {
namespace {

using records_test::ErrorOf;
using records_test::ReadFile;
using records_test::TempFolder;
using records_test::WriteFile;

TEST(Units, OldRequiresTheFile) {
    TempFolder folder;
    UnitTable units;
    const std::string name = folder.File("missing.inp");
    EXPECT_EQ(ErrorOf([&] { units.Open(10, name, OpenStatus::Old); }), "unit 10 (" + name + "), open: file not found");
    EXPECT_FALSE(units.IsOpen(10));
    EXPECT_FALSE(FileExists(name));
}

TEST(Units, UnknownCreatesAMissingFile) {
    TempFolder folder;
    UnitTable units;
    const std::string name = folder.File("new.out");
    units.Open(70, name, OpenStatus::Unknown);
    EXPECT_TRUE(FileExists(name));
    EXPECT_TRUE(units[70].AtEnd());
}

TEST(Units, ExistingFileKeptUntilTheFirstWriteCutsIt) {
    TempFolder folder;
    const std::string kept = folder.File("kept.hss");
    const std::string cut = folder.File("cut.hss");
    const std::string old(5000, 'o');
    WriteFile(kept, old);
    WriteFile(cut, old);
    {
        UnitTable units;
        units.Open(80, kept, OpenStatus::Unknown);
        units.Open(81, cut, OpenStatus::Unknown);
        const std::int32_t n = 42;
        Write(units[81], "(I3)", n);
    }
    EXPECT_EQ(ReadFile(kept), old);
    EXPECT_EQ(ReadFile(cut), " 42\r\n");
}

TEST(Units, FirstWriteAfterReadingCutsWhereTheReadingStopped) {
    TempFolder folder;
    const std::string name = folder.File("mixed.dat");
    WriteFile(name, "first\nsecond\nthird\n");
    UnitTable units;
    Unit& u = units.Open(4, name, OpenStatus::Unknown);
    Read(u, "()");
    Write(u, "('new')");
    units.Close(4);
    EXPECT_EQ(ReadFile(name), "first\nnew\r\n");
}

TEST(Units, WritingAfterTheLastRecordReadAppendsAndNewFilesStartEmpty) {
    TempFolder folder;
    const std::string read = folder.File("whole.dat");
    WriteFile(read, "first\n");
    const std::string fresh = folder.File("fresh.out");
    UnitTable units;
    Unit& u = units.Open(4, read, OpenStatus::Unknown);
    Read(u, "()");
    Write(u, "('next')");
    Write(units.Open(6, fresh, OpenStatus::Unknown), "('one')");
    units.Close(4);
    units.Close(6);
    EXPECT_EQ(ReadFile(read), "first\nnext\r\n");
    EXPECT_EQ(ReadFile(fresh), "one\r\n");
}

TEST(Units, ReadOnlyInputIsReadable) {
    TempFolder folder;
    const std::string name = folder.File("w.dat");
    WriteFile(name, "    9\n");
    std::filesystem::permissions(name, std::filesystem::perms::owner_read);
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    UnitTable units;
    std::int32_t n = 0;
    Read(units.Open(4, name, OpenStatus::Unknown), "(I5)", n);
    EXPECT_EQ(n, 9);
}

TEST(Units, FileBusyForWritingIsStillReadable) {
    // A running program cannot be opened for writing, not even by the superuser.
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) GTEST_SKIP() << "no /proc/self/exe on this host";
    UnitTable units;
    Unit& u = units.Open(4, self.string(), OpenStatus::Unknown);
    EXPECT_FALSE(u.AtEnd());
    Read(u, "()");
    EXPECT_EQ(u.records(), 1);
}

TEST(Units, NameWithANulByteNamesNoFile) {
    TempFolder folder;
    const std::string real = folder.File("deck.inp");
    WriteFile(real, "kept\n");
    const std::string cut = real + std::string(1, '\0') + ".out";
    EXPECT_FALSE(FileExists(cut));
    UnitTable units;
    EXPECT_NE(ErrorOf([&] { units.Open(70, cut, OpenStatus::Unknown); }).find("NUL"), std::string::npos);
    EXPECT_EQ(ReadFile(real), "kept\n");
}

TEST(Units, RecordsAreCountedPerUnit) {
    TempFolder folder;
    UnitTable units;
    Unit& a = units.Open(1, folder.File("a"), OpenStatus::Unknown);
    Unit& b = units.Open(2, folder.File("b"), OpenStatus::Unknown);
    Write(a, "('x',/,'y')");
    WriteFree(b, 1.0f);
    EXPECT_EQ(a.records(), 2);
    EXPECT_EQ(b.records(), 1);
}

TEST(Units, LargeOutputPassesThroughTheBuffer) {
    TempFolder folder;
    const std::string name = folder.File("big.out");
    std::string expected;
    {
        UnitTable units;
        Unit& u = units.Open(70, name, OpenStatus::Unknown);
        for (std::int32_t i = 0; i < 20000; ++i) {
            Write(u, "(I8)", i);
            char line[16];
            std::snprintf(line, sizeof line, "%8d\r\n", i);
            expected += line;
        }
        const std::string huge(200000, 'h');  // longer than the buffer
        Write(u, "(A)", huge);
        expected += huge + "\r\n";
        for (std::int32_t i = 0; i < 10000; ++i) {
            Write(u, "(I3)", i % 1000);
            char line[16];
            std::snprintf(line, sizeof line, "%3d\r\n", i % 1000);
            expected += line;
        }
    }
    EXPECT_EQ(ReadFile(name), expected);
}

// Output that starts where the reading stopped, mid-chunk, still goes out whole and in order.
TEST(Units, LargeOutputAfterReadingKeepsEveryByte) {
    TempFolder folder;
    const std::string name = folder.File("mixed.out");
    WriteFile(name, "first\nsecond\n");
    std::string expected = "first\n";
    {
        UnitTable units;
        Unit& u = units.Open(70, name, OpenStatus::Unknown);
        Read(u, "()");
        for (std::int32_t i = 0; i < 50000; ++i) {
            const std::int32_t width = 1 + i % 11;
            Write(u, "(A)", std::string(static_cast<std::size_t>(width), static_cast<char>('a' + i % 26)));
            expected += std::string(static_cast<std::size_t>(width), static_cast<char>('a' + i % 26)) + "\r\n";
        }
    }
    EXPECT_EQ(ReadFile(name), expected);
}

TEST(Units, FlushAllKeepsWhatWasWrittenBeforeAnError) {
    TempFolder folder;
    const std::string name = folder.File("list.out");
    UnitTable units;
    Write(units.Open(70, name, OpenStatus::Unknown), "('before the error')");
    EXPECT_EQ(ReadFile(name), "");
    units.FlushAll();
    EXPECT_EQ(ReadFile(name), "before the error\r\n");
}

TEST(Units, AReplacingUnitTakesTheNameOnlyWhenPutInPlace) {
    TempFolder folder;
    const std::string name = folder.File("r.out");
    const std::string fresh = folder.File("fresh.out");
    { std::ofstream(name, std::ios::binary) << "earlier\r\n"; }
    {
        UnitTable units;
        Write(units.Open(60, name, OpenStatus::Replace), "('new')");
        units.Open(61, fresh, OpenStatus::Replace);
        units.FlushAll();
        EXPECT_EQ(ReadFile(name), "earlier\r\n");
        EXPECT_EQ(ReadFile(name + ".partial-run"), "new\r\n");
        // A second replacing unit on the same name is refused while the first holds its new file.
        EXPECT_NE(ErrorOf([&] { units.Open(62, name, OpenStatus::Replace); }).find("cannot create its new file"),
                  std::string::npos);
        units.PutInPlace(60);
        EXPECT_FALSE(units.IsOpen(60));
    }
    EXPECT_EQ(ReadFile(name), "new\r\n");
    // Never put in place: its new file went with the table, and no file took the name.
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_FALSE(std::filesystem::exists(fresh + ".partial-run"));
    EXPECT_FALSE(std::filesystem::exists(name + ".partial-run"));
}

TEST(Units, WriteFailureNamesUnitAndFile) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
    UnitTable units;
    Unit& u = units.Open(85, "/dev/full", OpenStatus::Unknown);
    WriteFree(u, 1.0f);
    const std::string error = ErrorOf([&] { u.Flush(); });
    // The record that did not reach the file, not the next one.
    EXPECT_EQ(error.rfind("unit 85 (/dev/full), write of record 1: ", 0), 0u) << error;
    WriteFree(u, 2.0f);
    units.FlushAll();  // never throws
}

TEST(Units, UnitNumbersAndBindings) {
    TempFolder folder;
    UnitTable units;
    EXPECT_EQ(ErrorOf([&] { units[5]; }), "unit 5: not open");
    EXPECT_NE(ErrorOf([&] { units.Open(100, folder.File("x"), OpenStatus::Unknown); }).find("not a unit number"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { units.Open(3, folder.path().string(), OpenStatus::Old); }).find("folder"), std::string::npos);
    EXPECT_FALSE(FileExists(folder.path().string()));

    // Opening a bound unit again closes the first file, which keeps its records.
    const std::string first = folder.File("first");
    Write(units.Open(7, first, OpenStatus::Unknown), "('one')");
    units.Open(7, folder.File("second"), OpenStatus::Unknown);
    EXPECT_EQ(ReadFile(first), "one\r\n");
    units.Close(7);
    EXPECT_FALSE(units.IsOpen(7));
}

TEST(Units, AtEndOfEmptyAndExhaustedFiles) {
    TempFolder folder;
    WriteFile(folder.File("empty"), "");
    WriteFile(folder.File("one"), "\n");
    UnitTable units;
    EXPECT_TRUE(units.Open(30, folder.File("empty"), OpenStatus::Old).AtEnd());
    Unit& one = units.Open(31, folder.File("one"), OpenStatus::Old);
    EXPECT_FALSE(one.AtEnd());
    Read(one, "()");
    EXPECT_TRUE(one.AtEnd());
}

}  // namespace
}  // namespace tc
