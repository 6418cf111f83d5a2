#pragma once
// Section cracking: the operations of one step's section computation, and the step itself. Each
// operation works only on what it is handed; tables it fills belong to the caller (a step's results
// are kept in the caller's StepState, so no table is copied), small results come back by value.

#include <cstdint>

#include "core/table.hpp"
#include "cracking/section.hpp"
#include "cracking/section_state.hpp"

namespace tc {

// Stress and strain increments of the step from the temperature increments, by the plane section
// fitted to the free thermal strains of the uncracked concrete and all bars, with external restraint.
// Carries the curvature history on; leaves SectionCentroidY as it was when no plane is found.
void ComputeStressIncrements(const Section& s, const ElementReals& DT, const BarReals& DTS, float Ec,
                             std::int32_t nstep, const ElementInts& CrackCount, CurvatureHistory& curvature,
                             StressIncrements& out);

// Counts every element over its cracking limit (raising its CrackCount) and gives the band covering
// every cracked element's corners; the previous band when no element is cracked.
CrackJudgement JudgeCracks(const Section& s, const ElementReals& sigmaC, float ft, CrackBand previous,
                           ElementInts& CrackCount);

// Crack openings u1 (at hmax) and u2 (at hmin) that balance the band's concrete against its bars,
// and the strain corrections of the band's members (depsc1, depss1). An unsolvable band gives zero
// corrections and the openings the state holds.
CrackOpenings SolveCrackZone(const Section& s, float Ec, CrackBand band, const ElementReals& ZoneSigmaC,
                             const BarReals& ZoneSigmaS, const SectionState& state, StrainCorrections& out);

// Plane strain increment of the uncracked part that restores the section forces (depsc2, depss2),
// and the openings it adds at the band's edges to the openings u.
Redistribution RedistributeUncracked(const Section& s, float Ec, CrackBand band, const ElementReals& sigmaC,
                                     const BarReals& sigmaS, const StressIncrements& increments, float SectionN,
                                     float SectionM, const CrackOpenings& u, StrainCorrections& out);

// Crack width of every bar inside the band; bars outside keep the width they had.
void ComputeBarWidths(const Section& s, CrackBand band, const BarReals& ThermalStrainS,
                      const BarReals& epsilonS, BarReals& width);

// The crack check within a step: raises the counts and keeps the band and the count in the step.
inline void JudgeStep(const Section& s, StepState& t) {
    const CrackJudgement j = JudgeCracks(s, t.sigmaC, t.concrete.ft, t.band, t.state.CrackCount);
    t.band = j.band;
    t.CrackedCount = j.CrackedCount;
}

// The step's working stresses and strains from the committed state and the increments. In the second
// form bars at the previous band's top edge count as inside it.
void SetStartValues(const Section& s, StepState& t, bool secondForm);

// Balances the cracked band and redistributes to the uncracked part until the band's height repeats
// exactly, or the pass limit is passed; gives the number of passes.
std::int32_t IterateCrackZone(const Section& s, StepState& t);

// The section computation of one step, once its temperature changes and concrete properties are set:
// increments, start values, crack check, zone iteration, the step's crack and thermal strains and the
// widths. The step is then written out, and committed by CommitStep.
void ComputeSectionStep(const Section& s, StepState& t);

// Commits the step's stresses, strains and band, adds up the openings and, after a step with a crack,
// works the section forces out again from the uncracked part.
void CommitStep(const Section& s, StepState& t);

}  // namespace tc
