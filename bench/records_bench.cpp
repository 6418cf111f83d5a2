// The record layer's throughput: table lines and free-form records written to a file, and
// exponent-form records read back, as a large job writes and reads them.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "records/records.hpp"

namespace tc {
namespace {

constexpr std::int32_t LinesPerIteration = 1000;
constexpr std::int64_t ReopenBytes = std::int64_t{256} << 20;  // keeps the scratch file bounded

std::string ScratchFile(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("tc_records_bench_") + name)).string();
}

// Stresses, strains and heights of the magnitudes a step table holds.
Table<float, 1000> SampleValues() {
    Table<float, 1000> v;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (std::int32_t i = 1; i <= 1000; ++i) {
        const float scale = i % 4 == 0 ? 1.0e-4f : i % 4 == 1 ? 3.0f : i % 4 == 2 ? 250.0f : 1.0e-6f;
        v(i) = unit(random) * scale;
    }
    return v;
}

// Writes count lines per iteration with write(line), reopening the file when it grows large.
template <class WriteLine>
void WriteLoop(benchmark::State& state, const char* name, std::int64_t bytesPerLine, WriteLine writeLine) {
    const std::string file = ScratchFile(name);
    UnitTable units;
    Unit* unit = &units.Open(70, file, OpenStatus::Unknown);
    std::int64_t sinceOpen = 0;
    for (auto _ : state) {
        for (std::int32_t line = 0; line < LinesPerIteration; ++line) writeLine(*unit, line);
        sinceOpen += bytesPerLine * LinesPerIteration;
        if (sinceOpen > ReopenBytes) {
            unit = &units.Open(70, file, OpenStatus::Unknown);
            sinceOpen = 0;
        }
    }
    units.Close(70);
    std::filesystem::remove(file);
    state.SetBytesProcessed(state.iterations() * LinesPerIteration * bytesPerLine);
}

void WriteTableLines(benchmark::State& state) {
    const Table<float, 1000> v = SampleValues();
    WriteLoop(state, "table.out", 78, [&](Unit& unit, std::int32_t line) {
        const std::int32_t first = (line * 5) % 995 + 1;
        Write(unit, "(1X,I5,5(4X,E10.3))", line, Entries(v, first, first + 4));
    });
}
BENCHMARK(WriteTableLines);

void WriteFixedLines(benchmark::State& state) {
    const Table<float, 1000> v = SampleValues();
    WriteLoop(state, "fixed.out", 57, [&](Unit& unit, std::int32_t line) {
        const std::int32_t i = line % 997 + 1;
        Write(unit, "(10X,I5,3F10.2,I10)", line, v(i), v(i + 1), v(i + 2), line);
    });
}
BENCHMARK(WriteFixedLines);

// Eight reals a record: two lines of four, 64 + 2 columns each.
void WriteFreeRecords(benchmark::State& state) {
    const Table<float, 1000> v = SampleValues();
    WriteLoop(state, "free.hss", 132, [&](Unit& unit, std::int32_t line) {
        const std::int32_t first = (line * 8) % 990 + 1;
        WriteFree(unit, Entries(v, first, first + 7));
    });
}
BENCHMARK(WriteFreeRecords);

void ReadExponentRecords(benchmark::State& state) {
    const std::string file = ScratchFile("read.tmp");
    constexpr std::int32_t Records = 100000;
    {
        const Table<float, 1000> v = SampleValues();
        UnitTable units;
        Unit& out = units.Open(56, file, OpenStatus::Unknown);
        for (std::int32_t r = 0; r < Records; ++r) {
            const std::int32_t first = (r * 10) % 990 + 1;
            Write(out, "(10E10.3)", Entries(v, first, first + 9));
        }
    }
    UnitTable units;
    Unit* in = &units.Open(56, file, OpenStatus::Old);
    Table<float, 10> v;
    std::int32_t read = 0;
    for (auto _ : state) {
        for (std::int32_t line = 0; line < LinesPerIteration; ++line) {
            if (read == Records) {
                in = &units.Open(56, file, OpenStatus::Old);
                read = 0;
            }
            Read(*in, "(10E10.3)", Entries(v, 1, 10));
            ++read;
        }
        benchmark::DoNotOptimize(v);
    }
    units.Close(56);
    std::filesystem::remove(file);
    state.SetBytesProcessed(state.iterations() * LinesPerIteration * 102);
}
BENCHMARK(ReadExponentRecords);

}  // namespace
}  // namespace tc
