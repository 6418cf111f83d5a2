#pragma once
// What one step hands to the next, the working state of a step, and the reading of a starting state.

#include <cstdint>

#include "core/table.hpp"
#include "cracking/concrete_law.hpp"
#include "cracking/section.hpp"
#include "records/records.hpp"

namespace tc {

// Carried from step to step; the initial state file sets its first part.
struct SectionState {
    ElementReals SigmaCPrev;    // committed concrete stress, N/mm2
    ElementReals EpsilonCPrev;  // committed concrete strain
    ElementReals depsc0;        // accumulated crack strain of each element
    ElementInts CrackCount;     // crack checks over the limit; above 0 means cracked
    BarReals SigmaSPrev;        // committed bar stress, N/mm2
    BarReals EpsilonSPrev;      // committed bar strain
    BarReals depss0;            // accumulated crack strain of each bar
    BarReals ThermalStrainS;    // accumulated free thermal strain of each bar
    float SectionN = 0.0f;      // axial force carried by the section, N
    float SectionM = 0.0f;      // bending moment carried by the section, N mm
    CrackOpenings u;            // crack openings at the band's edges
    CrackBand previous;         // the band at the end of the previous step (hmax0, hmin0)
    CurvatureHistory curvature; // the last curvature and the switch of the bending restraint to Rm2
    float AgeOffset = 0.0f;     // added to every age of the temperature file, days

    // Not in the initial state file: zero at the start of a run.
    ElementReals Depsc2InZone;  // sum of depsc2 over the steps that closed with the element in the band
    BarReals Depss2InZone;      // the same of depss2 for the bars
    CrackOpenings OpeningSum;   // sums of the redistribution's openings over the closed steps
};

// The working state of one step, from its temperature change to its commitment.
struct StepState {
    std::int32_t Nstep = 0;       // step number as read
    ConcreteProperties concrete;  // fc, ft, Ec and the modulus factor at the step's age
    ElementReals DT;              // temperature change of every element, C
    BarReals DTS;                 // temperature change of every bar, C
    StressIncrements increments;  // from the temperature change

    ElementReals sigmaC, epsilonC;  // working concrete stress (N/mm2) and strain
    BarReals sigmaS, epsilonS;      // working bar stress (N/mm2) and strain
    ElementReals ZoneSigmaC;        // concrete stress handed to the band's balance
    BarReals ZoneSigmaS;            // bar stress handed to the band's balance
    StrainCorrections correction1;  // depsc1, depss1: of the band's balance
    StrainCorrections correction2;  // depsc2, depss2: of the redistribution
    BarReals width;                 // crack width at every bar, mm
    ElementReals judgementIndex;    // ft / sigma-C as first judged in the step, before the band's balance

    CrackBand band;                 // the band of the latest check (hmax, hmin)
    std::int32_t CrackedCount = 0;  // elements cracked at the latest check
    float Opening1 = 0.0f;          // openings of the latest redistribution at the top and bottom edges, mm
    float Opening2 = 0.0f;
    std::int32_t passes = 0;        // passes of the zone iteration in the step

    SectionState state;

    bool Cracked() const { return CrackedCount != 0; }
};

// Sets the starting state: zeros when iinit is 0 (no file is opened), else the nine groups of the
// initial state file "w.dat" in the current folder, opened on unit 4 and closed again. A missing
// file is refused before anything is created.
void ReadInitialState(UnitTable& units, std::int32_t iinit, std::int32_t nelx, std::int32_t nsteel,
                      SectionState& state);

}  // namespace tc
