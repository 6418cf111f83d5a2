#pragma once
// The step loop: walks the temperature history one moment at a time and runs the section
// computation of every step.

#include <cstdint>

#include "check/temperature_watch.hpp"
#include "core/table.hpp"
#include "cracking/concrete_law.hpp"
#include "cracking/section_state.hpp"
#include "mesh/mesh.hpp"
#include "records/records.hpp"
#include "run/job_input.hpp"

namespace tc {

// Every table and value of the loop; owned by the run driver, zero at the start of the run.
struct StepTables {
    // Values of one step.
    std::int32_t StepCount = 0;
    std::int32_t Nstep = 0;
    float Age = 0.0f;
    ConcreteProperties concrete;  // fc, ft, Ec and the modulus factor at the step's age

    NodeReals NodeTemp;

    // Element tables.
    ElementReals TempElm0, TempElm, DT;
    ElementReals DSigmaC, DEpsilonC;
    ElementReals sigmaC, epsilonC;
    ElementReals ZoneSigmaC;
    ElementReals depsc1, depsc2, Depsc2InZone;
    ElementReals crackIndex;  // ft / sigma-C, for the result record
    ElementReals judgementIndex;  // ft / sigma-C as first judged in the step, before any redistribution

    // Where every bar stands in its element; found once for the run.
    BarLocalCoordinates barLocal;

    // Bar tables.
    BarReals TS0, TS, DTS;
    BarReals DSigmaS, DEpsilonS;
    BarReals sigmaS, epsilonS;
    BarReals ZoneSigmaS;
    BarReals depss1, depss2, Depss2InZone;
    BarReals width;

    SectionState state;

    // Section values kept for the whole run.
    float hmax = 0.0f, hmin = 0.0f;
    std::int32_t CrackZoneFlag = 0;
    std::int32_t CrackedCount = 0;
    float DSectionN = 0.0f, DSectionM = 0.0f;
    float SectionCentroidY = 0.0f;
    float PrevCurvature = 0.0f;
    float RestraintN = 0.0f, RestraintM = 0.0f;
    float OpeningSum1 = 0.0f, OpeningSum2 = 0.0f;
    float Opening1 = 0.0f, Opening2 = 0.0f;

    // Numbers of the cracked elements, ascending.
    ElementInts CrackedList;
    std::int32_t CrackedListCount = 0;
};

// Reads the temperature header and first block, the starting state, then runs every step with its
// prints and result records; every block read goes past the watch, when there is one.
void RunStepLoop(UnitTable& units, const JobInput& job, const ElementGeometry& geometry, float YTOP, float YBOT,
                 StepTables& t, check::TemperatureWatch* watch = nullptr);

}  // namespace tc
