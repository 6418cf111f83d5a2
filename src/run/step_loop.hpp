#pragma once
// The step loop: walks the temperature history one moment at a time, runs the section computation
// of every step and writes its prints and records.

#include <cstdint>

#include "check/temperature_watch.hpp"
#include "core/table.hpp"
#include "cracking/section_state.hpp"
#include "mesh/mesh.hpp"
#include "records/records.hpp"
#include "run/job_input.hpp"

namespace tc {

// Every table and value of the loop; owned by the run driver, zero at the start of the run.
struct StepTables {
    std::int32_t StepCount = 0;  // blocks in the temperature file
    float Age = 0.0f;            // age of the step, offset included, days

    NodeReals NodeTemp;        // node temperatures of the block, C
    ElementReals TempElm0;     // element temperatures at the previous moment, C
    ElementReals TempElm;      // and at this one
    BarReals TS0, TS;          // bar temperatures at the previous moment and at this one, C
    BarLocalCoordinates barLocal;  // where every bar stands in its element; found once for the run

    ElementReals crackIndex;   // ft / sigma-C, for the result record
    ElementInts CrackedList;   // numbers of the cracked elements, ascending
    std::int32_t CrackedListCount = 0;

    StepState step;            // the section computation's working state and the committed state
};

// Reads the temperature header and first block, the starting state, then runs every step with its
// prints and result records; every block read goes past the watch, when there is one.
void RunStepLoop(UnitTable& units, const JobInput& job, const ElementGeometry& geometry, float YTOP, float YBOT,
                 StepTables& t, check::TemperatureWatch* watch = nullptr);

}  // namespace tc
