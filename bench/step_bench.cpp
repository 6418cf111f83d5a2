// One step of the section computation on the large job's mesh (25 x 25 elements, 200 bars) with
// the top rows cracked, operation by operation and as a whole, and the step's prints and result
// records written to /dev/null.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "cracking/cracking.hpp"
#include "cracking/section_state.hpp"
#include "mesh/mesh.hpp"
#include "records/records.hpp"
#include "run/job_input.hpp"
#include "run/mesh_listing.hpp"
#include "run/result_files.hpp"
#include "run/step_loop.hpp"

namespace tc {
namespace {

// The mesh of bench/make_large_job.py: a 5000 x 1500 mm mat section, two mats of 50 bars near
// each face.
constexpr std::int32_t Columns = 25;
constexpr std::int32_t Rows = 25;
constexpr float Width = 5000.0f;
constexpr float Depth = 1500.0f;
constexpr float BarLayers[4] = {80.0f, 130.0f, Depth - 130.0f, Depth - 80.0f};
constexpr std::int32_t CrackedRows = 4;  // the top rows of elements are cracked

struct LargeSection {
    JobInput job;
    ElementGeometry g;
    float YTOP = 0.0f;
    float YBOT = 0.0f;
    StepTables t;
};

void BuildMesh(JobInput& job) {
    const float dx = Width / Columns;
    const float dy = Depth / Rows;
    job.IECHO = 0;
    job.NX = (Columns + 1) * (Rows + 1);
    job.NELX = Columns * Rows;
    for (std::int32_t j = 0; j <= Rows; ++j) {
        for (std::int32_t i = 0; i <= Columns; ++i) {
            const std::int32_t n = j * (Columns + 1) + i + 1;
            job.nodes.X(n) = static_cast<float>(i) * dx;
            job.nodes.Y(n) = static_cast<float>(j) * dy;
        }
    }
    for (std::int32_t j = 0; j < Rows; ++j) {
        for (std::int32_t i = 0; i < Columns; ++i) {
            const std::int32_t e = j * Columns + i + 1;
            const std::int32_t n1 = j * (Columns + 1) + i + 1;
            job.elements.node[0](e) = n1;
            job.elements.node[1](e) = n1 + 1;
            job.elements.node[2](e) = n1 + 1 + (Columns + 1);
            job.elements.node[3](e) = n1 + (Columns + 1);
            job.elements.thickness(e) = 1000.0f;
        }
    }
    job.NSTEEL = 0;
    for (const float y : BarLayers) {
        for (std::int32_t k = 0; k < 50; ++k) {
            job.NSTEEL = job.NSTEEL + 1;
            job.bars.SX(job.NSTEEL) = 50.0f + 100.0f * static_cast<float>(k);
            job.bars.SY(job.NSTEEL) = y;
            job.bars.AREA(job.NSTEEL) = 286.5f;
        }
    }
    job.material = {40.0f,  4.5f,   0.95f,  0.44f,  4700.0f, 1.0e-5f, 300.0f, 500.0f,
                    150.0f, 250.0f, 2.0e5f, 1.0e-5f, 0.7f,   0.6f,    0.5f,    1.0f};
}

// A step a week into the cooling: the top rows cracked and in tension, the core in compression,
// every member cooling a little faster near the top face.
std::unique_ptr<LargeSection> MakeCrackedSection() {
    auto s = std::make_unique<LargeSection>();
    JobInput& job = s->job;
    StepState& t = s->t.step;
    BuildMesh(job);
    const SectionHeights heights =
        ComputeElementGeometry(job.nodes.X, job.nodes.Y, job.elements, job.NX, job.NELX, s->g);
    s->YTOP = heights.YTOP;
    s->YBOT = heights.YBOT;
    LocateBars(job.nodes.X, job.nodes.Y, job.elements, job.NELX, job.NSTEEL, job.bars.SX, job.bars.SY,
               job.bars.ELEM);

    t.Nstep = 250;
    s->t.Age = 7.75f;
    t.concrete = ConcreteLaw(job.material, s->t.Age, t.Nstep);
    const float crackHeight = Depth - CrackedRows * (Depth / Rows);
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        const float h = s->g.CY(e) / Depth;
        t.DT(e) = -0.2f - 0.15f * h;
        t.state.SigmaCPrev(e) = 3.0f * h - 1.2f;
        t.state.EpsilonCPrev(e) = t.state.SigmaCPrev(e) / t.concrete.Ec;
        t.state.CrackCount(e) = s->g.CY(e) > crackHeight ? 1 : 0;
        t.state.depsc0(e) = s->g.CY(e) > crackHeight ? 2.0e-5f : 0.0f;
        t.sigmaC(e) = t.state.SigmaCPrev(e);
    }
    for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
        const float h = job.bars.SY(j) / Depth;
        t.DTS(j) = -0.2f - 0.15f * h;
        t.state.SigmaSPrev(j) = 40.0f * h - 20.0f;
        t.state.EpsilonSPrev(j) = t.state.SigmaSPrev(j) / job.material.Es;
        t.state.ThermalStrainS(j) = -1.0e-4f;
        t.sigmaS(j) = t.state.SigmaSPrev(j);
        t.epsilonS(j) = t.state.EpsilonSPrev(j);
        t.ZoneSigmaS(j) = job.bars.SY(j) > crackHeight ? t.state.SigmaSPrev(j) : 0.0f;
    }
    for (std::int32_t e = 1; e <= job.NELX; ++e) t.ZoneSigmaC(e) = t.sigmaC(e);
    t.band = {Depth, crackHeight};
    t.state.previous = t.band;
    t.CrackedCount = CrackedRows * Columns;
    t.state.SectionN = -2.0e5f;
    t.state.SectionM = 1.0e7f;
    t.increments.SectionCentroidY = 600.0f;
    t.increments.RestraintN = job.material.Rn;
    t.increments.RestraintM = job.material.Rm1;
    return s;
}

Section View(const LargeSection& s) {
    return {s.job.NELX, s.job.NSTEEL, s.job.elements, s.job.nodes.Y, s.g, s.job.bars, s.YTOP, s.YBOT, s.job.material};
}

void Stress(LargeSection& s) {
    StepState& t = s.t.step;
    ComputeStressIncrements(View(s), t.DT, t.DTS, t.concrete.Ec, t.Nstep, t.state.CrackCount, t.state.curvature,
                            t.increments);
}

void Judge(LargeSection& s) { JudgeStep(View(s), s.t.step); }

void Solve(LargeSection& s) {
    StepState& t = s.t.step;
    t.state.u = SolveCrackZone(View(s), t.concrete.Ec, t.band, t.ZoneSigmaC, t.ZoneSigmaS, t.state, t.correction1);
}

void Redistribute(LargeSection& s) {
    StepState& t = s.t.step;
    const Redistribution r = RedistributeUncracked(View(s), t.concrete.Ec, t.band, t.sigmaC, t.sigmaS, t.increments,
                                                   t.state.SectionN, t.state.SectionM, t.state.u, t.correction2);
    t.state.u = r.u;
    t.Opening1 = r.Opening1;
    t.Opening2 = r.Opening2;
}

void Widths(LargeSection& s) {
    StepState& t = s.t.step;
    ComputeBarWidths(View(s), t.band, t.state.ThermalStrainS, t.epsilonS, t.width);
}

// The openings add up from call to call; start every repetition from the same ones.
void ResetOpenings(LargeSection& s) { s.t.step.state.u = {}; }

void SetCounters(benchmark::State& state, const LargeSection& s) {
    state.counters["elements"] = s.job.NELX;
    state.counters["bars"] = s.job.NSTEEL;
}

// Bytes that one call of write puts on the list unit, found by writing once to a temporary file.
template <class Write>
std::int64_t BytesOfOneWrite(Write write) {
    namespace fs = std::filesystem;
    const fs::path file = fs::temp_directory_path() / ("thermocrack_bench_" + std::to_string(::getpid()));
    std::int64_t bytes = 0;
    {
        UnitTable units;
        Unit& list = units.Open(unit::List, file.string(), OpenStatus::Unknown);
        write(list);
        list.Flush();
        bytes = static_cast<std::int64_t>(fs::file_size(file));
    }
    fs::remove(file);
    return bytes;
}

void BM_ComputeStressIncrements(benchmark::State& state) {
    auto s = MakeCrackedSection();
    for (auto _ : state) {
        Stress(*s);
        benchmark::DoNotOptimize(s->t.step.increments.DSigmaC.data());
    }
    SetCounters(state, *s);
}
BENCHMARK(BM_ComputeStressIncrements);

void BM_JudgeCracks(benchmark::State& state) {
    auto s = MakeCrackedSection();
    for (auto _ : state) {
        Judge(*s);
        benchmark::DoNotOptimize(s->t.step.band.hmin);
    }
    SetCounters(state, *s);
}
BENCHMARK(BM_JudgeCracks);

void BM_SolveCrackZone(benchmark::State& state) {
    auto s = MakeCrackedSection();
    for (auto _ : state) {
        ResetOpenings(*s);
        Solve(*s);
        benchmark::DoNotOptimize(s->t.step.correction1.depsc.data());
    }
    SetCounters(state, *s);
}
BENCHMARK(BM_SolveCrackZone);

void BM_RedistributeUncracked(benchmark::State& state) {
    auto s = MakeCrackedSection();
    for (auto _ : state) {
        ResetOpenings(*s);
        Redistribute(*s);
        benchmark::DoNotOptimize(s->t.step.correction2.depsc.data());
    }
    SetCounters(state, *s);
}
BENCHMARK(BM_RedistributeUncracked);

void BM_ComputeBarWidths(benchmark::State& state) {
    auto s = MakeCrackedSection();
    for (auto _ : state) {
        Widths(*s);
        benchmark::DoNotOptimize(s->t.step.width.data());
    }
    SetCounters(state, *s);
}
BENCHMARK(BM_ComputeBarWidths);

// The computing part of one step with one pass of the zone iteration: increments, judgement, band
// balance, redistribution, the closing judgement and the widths.
void BM_SectionStep(benchmark::State& state) {
    auto s = MakeCrackedSection();
    for (auto _ : state) {
        ResetOpenings(*s);
        Stress(*s);
        Judge(*s);
        Solve(*s);
        Redistribute(*s);
        Judge(*s);
        Widths(*s);
        benchmark::DoNotOptimize(s->t.step.width.data());
    }
    SetCounters(state, *s);
}
BENCHMARK(BM_SectionStep);

void BM_InterpolateBarTemperatures(benchmark::State& state) {
    auto s = MakeCrackedSection();
    JobInput& job = s->job;
    UnitTable units;
    Unit& list = units.Open(unit::List, "/dev/null", OpenStatus::Unknown);
    for (std::int32_t n = 1; n <= job.NX; ++n) s->t.NodeTemp(n) = 20.0f + 0.01f * job.nodes.Y(n);
    const std::int32_t iecho = static_cast<std::int32_t>(state.range(0));
    // A run finds the bars' local coordinates once; a step only interpolates.
    BarLocalCoordinates local;
    ComputeBarLocalCoordinates(job.nodes.X, job.nodes.Y, job.elements, job.NSTEEL, job.bars.SX, job.bars.SY,
                               job.bars.ELEM, local);
    for (auto _ : state) {
        InterpolateBarTemperatures(local, job.NSTEEL, s->t.NodeTemp, s->t.TS);
        WriteBarTemperatures(list, local, job.NSTEEL, s->t.NodeTemp, s->t.TS, iecho);
        benchmark::DoNotOptimize(s->t.TS.data());
    }
    SetCounters(state, *s);
}
BENCHMARK(BM_InterpolateBarTemperatures)->Arg(0)->Arg(1);

// The list file's part of a step: concrete and bar tables, zone line and 200 width lines.
void BM_WriteStepTables(benchmark::State& state) {
    auto s = MakeCrackedSection();
    Solve(*s);
    Redistribute(*s);
    Widths(*s);
    UnitTable units;
    Unit& list = units.Open(unit::List, "/dev/null", OpenStatus::Unknown);
    const auto write = [&s](Unit& unit) { WriteStepTables(unit, s->job, s->t); };
    for (auto _ : state) write(list);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * BytesOfOneWrite(write));
    SetCounters(state, *s);
}
BENCHMARK(BM_WriteStepTables);

// The element temperature table written at IECHO 2.
void BM_WriteElementTemperatureTable(benchmark::State& state) {
    auto s = MakeCrackedSection();
    UnitTable units;
    Unit& list = units.Open(unit::List, "/dev/null", OpenStatus::Unknown);
    const auto write = [&s](Unit& unit) {
        WriteElementTemperatureHeading(unit);
        for (std::int32_t e = 1; e <= s->job.NELX; ++e) {
            WriteElementTemperatureRow(unit, e, s->t.step.DT(e) + 21.5f, s->t.step.DT(e) + 21.75f, s->t.step.DT(e));
        }
    };
    for (auto _ : state) write(list);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * BytesOfOneWrite(write));
    SetCounters(state, *s);
}
BENCHMARK(BM_WriteElementTemperatureTable);

// One free-form record to each of the six result files.
void BM_WriteResultRecords(benchmark::State& state) {
    auto s = MakeCrackedSection();
    Solve(*s);
    Redistribute(*s);
    Widths(*s);
    s->t.CrackedListCount = 0;
    for (std::int32_t e = 1; e <= s->job.NELX; ++e) {
        if (s->t.step.state.CrackCount(e) >= 1) {
            s->t.CrackedListCount = s->t.CrackedListCount + 1;
            s->t.CrackedList(s->t.CrackedListCount) = e;
        }
    }
    UnitTable units;
    for (const std::int32_t u : {unit::BarStress, unit::CrackIndex, unit::CrackWidth, unit::CrackedList,
                                 unit::ZoneDepth, unit::ConcreteStress}) {
        units.Open(u, "/dev/null", OpenStatus::Unknown);
    }
    for (auto _ : state) WriteResultRecords(units, s->job, s->t);
    SetCounters(state, *s);
}
BENCHMARK(BM_WriteResultRecords);

}  // namespace
}  // namespace tc
