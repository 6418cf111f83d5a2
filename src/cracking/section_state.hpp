#pragma once
// What one step hands to the next, and the reading of a starting state.

#include <cstdint>

#include "core/table.hpp"
#include "records/records.hpp"

namespace tc {

struct SectionState {
    ElementReals SigmaCPrev;    // committed concrete stress
    ElementReals EpsilonCPrev;  // committed concrete strain
    ElementReals depsc0;        // accumulated crack strain of each element
    ElementInts CrackCount;     // crack checks over the limit; above 0 means cracked
    BarReals SigmaSPrev;        // committed bar stress
    BarReals EpsilonSPrev;      // committed bar strain
    BarReals depss0;            // accumulated crack strain of each bar
    BarReals ThermalStrainS;    // accumulated free thermal strain of each bar
    float SectionN = 0.0f;      // axial force carried by the section
    float SectionM = 0.0f;      // bending moment carried by the section
    float u1 = 0.0f;            // crack opening at the top edge of the cracked zone
    float u2 = 0.0f;            // crack opening at the bottom edge
    float hmax0 = 0.0f;         // cracked zone at the end of the previous step
    float hmin0 = 0.0f;
    std::int32_t RmSwitch = 0;  // 1 once the bending restraint has changed to Rm2
    float AgeOffset = 0.0f;     // added to every age of the temperature file
};

// Sets the starting state: zeros when iinit is 0 (no file is opened), else the nine groups of the
// initial state file "w.dat" in the current folder, opened on unit 4 and closed again. A missing
// file is refused before anything is created.
void ReadInitialState(UnitTable& units, std::int32_t iinit, std::int32_t nelx, std::int32_t nsteel,
                      SectionState& state);

}  // namespace tc
