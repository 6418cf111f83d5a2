// The step loop allocates nothing once it runs: every table is fixed, layouts are parsed on their
// first use only, and the units write through buffers opened with them. This file replaces the
// global allocation functions of the test program with counting ones, runs the loop of a small
// cracking job with 1 step and with 40 steps, and requires both runs to allocate the same number
// of times, so that steps 2 to 40 allocate nothing.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <numbers>
#include <string>

#ifdef _WIN32
#include <malloc.h>
#endif

#include "mesh/mesh.hpp"
#include "records/records.hpp"
#include "run/input_deck.hpp"
#include "run/job_files.hpp"
#include "run/job_input.hpp"
#include "run/mesh_listing.hpp"
#include "run/step_loop.hpp"
#include "support/child_process.hpp"

namespace {
std::atomic<long long> allocations{0};

void* Allocate(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + a - 1) / a * a;
#ifdef _WIN32
    void* p = _aligned_malloc(rounded != 0 ? rounded : a, a);
#else
    void* p = std::aligned_alloc(a, rounded != 0 ? rounded : a);
#endif
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

// Windows frees aligned blocks with a call of their own.
void FreeAligned(void* p) {
#ifdef _WIN32
    _aligned_free(p);
#else
    std::free(p);
#endif
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }

namespace tc {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t Columns = 3;
constexpr std::int32_t Rows = 4;
constexpr double Width = 300.0;
constexpr double Depth = 400.0;
constexpr std::int32_t LongSteps = 40;

std::string Line(const char* format, auto... values) {
    char text[200];
    std::snprintf(text, sizeof text, format, values...);
    return std::string(text) + "\n";
}

// A section poured warm whose top face cools first: it cracks within the first week.
double Temperature(double y, double age) {
    const double shape = std::sin(std::numbers::pi * (y + 300.0) / (Depth + 450.0));
    const double pulse = (age / 2.0) * std::exp(1.0 - age / 2.0);
    return 20.0 + 25.0 * shape * pulse;
}

// Writes the job "small" at IECHO 2 into folder; its temperature file holds LongSteps + 1 blocks
// but its header names only blockCount of them.
void WriteSmallJob(const fs::path& folder, std::int32_t blockCount) {
    fs::create_directories(folder);
    const std::int32_t nx = (Columns + 1) * (Rows + 1);
    const double bars[4][2] = {{50.0, 50.0}, {250.0, 50.0}, {50.0, 350.0}, {250.0, 350.0}};

    std::ofstream deck(folder / "small.inp", std::ios::binary);
    deck << Line("%5d%5d", 2, 0) << Line("%5d", 4);
    deck << "        40.0         4.5        0.95        0.44      4700.0     1.0E-05\n"
         << "       300.0       500.0       150.0       250.0\n"
         << "    200000.0         1.0\n"
         << "         0.7         0.6         0.5\n";
    for (int b = 0; b < 4; ++b) deck << Line("%5d%15.1f%15.1f%15.1f", b + 1, bars[b][0], bars[b][1], 198.6);

    std::ofstream mesh(folder / "small.dat", std::ios::binary);
    mesh << Line("%5d%5d%5d%10.1f", 1, 0, 0, 0.0) << Line("%5d%5d%5d%10.1f", nx, Columns * Rows, 4, 0.0)
         << Line("%5d%5d%5d%10.1f", 1, 1, 4, 1.0);
    for (std::int32_t j = 0; j <= Rows; ++j) {
        for (std::int32_t i = 0; i <= Columns; ++i) {
            mesh << Line("%10d%10.1f%10.1f", j * (Columns + 1) + i + 1, i * Width / Columns, j * Depth / Rows);
        }
    }
    for (std::int32_t j = 0; j < Rows; ++j) {
        for (std::int32_t i = 0; i < Columns; ++i) {
            const std::int32_t n1 = j * (Columns + 1) + i + 1;
            mesh << Line("%10d%6d%6d%6d%6d%8.1f", j * Columns + i + 1, n1, n1 + 1, n1 + Columns + 2, n1 + Columns + 1,
                         1000.0);
        }
    }

    std::ofstream temperatures(folder / "small.tmp", std::ios::binary);
    temperatures << Line("%5d%5d%5d", nx, Columns * Rows, 1) << Line("%5d%10.3f", blockCount, 0.25) << Line("%5d", 0);
    for (std::int32_t k = 0; k <= LongSteps; ++k) {
        const double age = 0.5 + 0.25 * k;
        temperatures << Line("%5d%10.4f", k + 1, age);
        for (std::int32_t n = 0; n < nx; ++n) {
            char field[32];
            std::snprintf(field, sizeof field, "%10.3f", Temperature((n / (Columns + 1)) * Depth / Rows, age));
            temperatures << field << ((n + 1) % 10 == 0 || n + 1 == nx ? "\n" : "");
        }
    }

    std::ofstream(folder / "title.dat", std::ios::binary) << "small\n";
}

struct LoopRun {
    long long allocations = 0;  // made inside RunStepLoop
    std::int32_t crackedCount = 0;
    float zone = 0.0f;
};

// Reads the job as the run driver does and counts the allocations of its step loop alone.
LoopRun RunLoop(const fs::path& folder) {
    RunOutputs outputs;
    UnitTable units;
    OpenJobFiles(units, outputs, folder.string() + "/", "small");
    auto job = std::make_unique<JobInput>();
    auto geometry = std::make_unique<ElementGeometry>();
    auto tables = std::make_unique<StepTables>();
    ReadInputDeck(units[unit::Deck], units[unit::Mesh], units[unit::List], *job);
    const SectionHeights heights =
        ComputeElementGeometry(job->nodes.X, job->nodes.Y, job->elements, job->NX, job->NELX, *geometry);
    if (job->IECHO >= 1) WriteElementGeometry(units[unit::List], job->NELX, *geometry);

    LoopRun run;
    const long long before = allocations.load();
    RunStepLoop(units, *job, *geometry, heights.YTOP, heights.YBOT, *tables);
    run.allocations = allocations.load() - before;
    run.crackedCount = tables->step.CrackedCount;
    run.zone = tables->step.band.hmax - tables->step.band.hmin;
    return run;
}

TEST(StepLoop, StepsAfterTheFirstAllocateNothing) {
    const fs::path root = testing::MakeTemporaryFolder("thermocrack_no_allocation_");
    WriteSmallJob(root / "short", 2);
    WriteSmallJob(root / "long", LongSteps + 1);

    // The counting functions are the ones in use.
    const long long start = allocations.load();
    auto probe = std::make_unique<int>(1);
    ASSERT_GT(allocations.load(), start);

    RunLoop(root / "long");  // parses every layout of the loop once
    const LoopRun one = RunLoop(root / "short");
    const LoopRun many = RunLoop(root / "long");
    fs::remove_all(root);

    // The long run must go through cracking, the zone iteration and the width lines.
    EXPECT_GT(many.crackedCount, 0);
    EXPECT_GT(many.zone, 0.0f);
    EXPECT_EQ(many.allocations, one.allocations)
        << "steps 2 to " << LongSteps << " allocated " << (many.allocations - one.allocations) << " times";
}

}  // namespace
}  // namespace tc
