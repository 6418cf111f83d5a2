// SetStartValues: the step's working stresses and strains from the committed state and the
// increments:
//   sigma-C = SigmaCPrev + DSigmaC, but SigmaCPrev for an element inside the previous band
//   epsilon-C = EpsilonCPrev + DEpsilonC
//   sigma-S = SigmaSPrev + DSigmaS, but SigmaSPrev for a bar inside the previous band
//   epsilon-S = EpsilonSPrev + DEpsilonS
// Inside the previous band (hmin0..hmax0, of some height) is strictly between its edges; in the
// second form a bar exactly at hmax0 counts as inside.

#include "cracking/cracking.hpp"

namespace tc {

void SetStartValues(const Section& s, StepState& t, bool secondForm) {
    const SectionState& st = t.state;
    const StressIncrements& inc = t.increments;
    const ElementReals& CY = s.geometry.CY;
    const BarReals& SY = s.bars.SY;
    const CrackBand previous = st.previous;
    const bool band = HasHeight(previous);
    for (std::int32_t e = 1; e <= s.nelx; ++e) {
        const float prev = st.SigmaCPrev(e);
        t.sigmaC(e) = band && ElementInBand(previous, CY(e)) ? prev : prev + inc.DSigmaC(e);
        t.epsilonC(e) = st.EpsilonCPrev(e) + inc.DEpsilonC(e);
    }
    for (std::int32_t j = 1; j <= s.nsteel; ++j) {
        const float prev = st.SigmaSPrev(j);
        const float y = SY(j);
        const bool inside = band && (secondForm ? BarInBand(previous, y) : ElementInBand(previous, y));
        t.sigmaS(j) = inside ? prev : prev + inc.DSigmaS(j);
        t.epsilonS(j) = st.EpsilonSPrev(j) + inc.DEpsilonS(j);
    }
}

}  // namespace tc
