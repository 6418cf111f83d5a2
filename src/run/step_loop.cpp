// RunStepLoop: the run's walk through the temperature history. Per step: the block's temperatures,
// the step heading, the concrete at age + AgeOffset, the bar temperatures, the changes
//   DT = TempElm - TempElm0 (elements),  DTS = TS - TS0 (bars)
// then the section computation, the step's tables and result records, and the commitment.

#include "run/step_loop.hpp"

#include <string>

#include "cracking/concrete_law.hpp"
#include "cracking/cracking.hpp"
#include "mesh/mesh.hpp"
#include "run/mesh_listing.hpp"
#include "run/result_files.hpp"

namespace tc {

namespace {

void RunStep(UnitTable& units, const JobInput& job, const Section& section, StepTables& t, std::int32_t block,
             check::TemperatureWatch* watch) {
    Unit& list = units[unit::List];
    Unit& temperatures = units[unit::Temperature];
    StepState& step = t.step;

    const std::int64_t stepRecord = temperatures.records() + 1;
    ReadTemperatureBlock(temperatures, job.NX, job.NELX, job.elements, t.Age, t.NodeTemp, t.TempElm, step.Nstep);
    if (watch != nullptr) watch->Block(stepRecord, block, t.Age, t.NodeTemp.data(), job.NX);
    WriteStepHeading(list, step.Nstep, t.Age);
    t.Age = t.Age + step.state.AgeOffset;
    try {
        step.concrete = ConcreteLaw(job.material, t.Age, step.Nstep);
    } catch (const RunError& refusal) {
        // An age without strength comes from the step record: say where it stands.
        throw RunError(temperatures.Place("read", stepRecord) + ": Age (columns 6-15): " + refusal.what());
    }
    WritePropertyLine(list, t);

    InterpolateBarTemperatures(t.barLocal, job.NSTEEL, t.NodeTemp, t.TS);
    WriteBarTemperatures(list, t.barLocal, job.NSTEEL, t.NodeTemp, t.TS, job.IECHO);
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        step.DT(e) = t.TempElm(e) - t.TempElm0(e);
    }
    if (job.IECHO == 2) {
        WriteElementTemperatureHeading(list);
        for (std::int32_t e = 1; e <= job.NELX; ++e) {
            WriteElementTemperatureRow(list, e, t.TempElm(e), t.TempElm0(e), step.DT(e));
        }
    }
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        t.TempElm0(e) = t.TempElm(e);
    }
    for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
        step.DTS(j) = t.TS(j) - t.TS0(j);
        t.TS0(j) = t.TS(j);
    }

    ComputeSectionStep(section, step);
    WriteStepTables(list, job, t);
    std::int32_t cracked = 0;
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        if (step.state.CrackCount(e) >= 1) {
            cracked = cracked + 1;
            t.CrackedList(cracked) = e;
        }
    }
    t.CrackedListCount = cracked;
    WriteResultRecords(units, job, t);
    CommitStep(section, step);
}

}  // namespace

void RunStepLoop(UnitTable& units, const JobInput& job, const ElementGeometry& geometry, float YTOP, float YBOT,
                 StepTables& t, check::TemperatureWatch* watch) {
    Unit& temperatures = units[unit::Temperature];
    ReadTemperatureHeader(temperatures, t.StepCount);
    float firstAge = 0.0f;
    std::int32_t firstStep = 0;
    const std::int64_t firstRecord = temperatures.records() + 1;
    ReadTemperatureBlock(temperatures, job.NX, job.NELX, job.elements, firstAge, t.NodeTemp, t.TempElm0, firstStep);
    if (watch != nullptr) watch->Block(firstRecord, 1, firstAge, t.NodeTemp.data(), job.NX);
    ComputeBarLocalCoordinates(job.nodes.X, job.nodes.Y, job.elements, job.NSTEEL, job.bars.SX, job.bars.SY,
                               job.bars.ELEM, t.barLocal);
    InterpolateBarTemperatures(t.barLocal, job.NSTEEL, t.NodeTemp, t.TS0);
    WriteBarTemperatures(units[unit::List], t.barLocal, job.NSTEEL, t.NodeTemp, t.TS0, job.IECHO);
    ReadInitialState(units, job.Iinit, job.NELX, job.NSTEEL, t.step.state);

    const Section section{job.NELX, job.NSTEEL, job.elements, job.nodes.Y, geometry,
                          job.bars, YTOP, YBOT, job.material};
    for (std::int32_t k = 1; k <= t.StepCount - 1; ++k) RunStep(units, job, section, t, k + 1, watch);
}

}  // namespace tc
