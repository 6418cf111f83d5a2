// ComputeSectionStep: the section computation of one step, in order:
//   the increments from the temperature change (ComputeStressIncrements);
//   SectionN = SectionN + DSectionN,  SectionM = SectionM + DSectionM;
//   the start values (first form), the judgement index ft / sigma-C, the crack check;
//   the zone iteration (IterateCrackZone);
//   inside the band (of some height):  depsc0 = depsc1 + depsc0 + depsc2,
//     Depsc2InZone = Depsc2InZone + depsc2  (elements strictly inside, bars up to the top edge,
//     depss0 = depss0 + depss2 + depss1);
//   for every bar  ThermalStrainS = ThermalStrainS + DTS alphaS;
//   with a cracked band, the widths at the bars (ComputeBarWidths).

#include "cracking/cracking.hpp"

namespace tc {

void ComputeSectionStep(const Section& s, StepState& t) {
    SectionState& st = t.state;
    ComputeStressIncrements(s, t.DT, t.DTS, t.concrete.Ec, t.Nstep, st.CrackCount, st.curvature, t.increments);
    st.SectionN = st.SectionN + t.increments.DSectionN;
    st.SectionM = st.SectionM + t.increments.DSectionM;

    SetStartValues(s, t, false);
    // The index that decides the step's new cracks, kept before the band's balance moves the stresses.
    for (std::int32_t e = 1; e <= s.nelx; ++e) t.judgementIndex(e) = t.concrete.ft / t.sigmaC(e);
    JudgeStep(s, t);
    t.passes = IterateCrackZone(s, t);

    const CrackBand band = t.band;
    const bool height = HasHeight(band);
    const ElementReals& CY = s.geometry.CY;
    const BarReals& SY = s.bars.SY;
    const float alphaS = s.P.alphaS;
    for (std::int32_t e = 1; e <= s.nelx; ++e) {
        if (height && ElementInBand(band, CY(e))) {
            st.depsc0(e) = t.correction1.depsc(e) + st.depsc0(e) + t.correction2.depsc(e);
            st.Depsc2InZone(e) = st.Depsc2InZone(e) + t.correction2.depsc(e);
        }
    }
    for (std::int32_t j = 1; j <= s.nsteel; ++j) {
        st.ThermalStrainS(j) = st.ThermalStrainS(j) + t.DTS(j) * alphaS;
        if (height && BarInBand(band, SY(j))) {
            st.depss0(j) = st.depss0(j) + t.correction2.depss(j) + t.correction1.depss(j);
            st.Depss2InZone(j) = st.Depss2InZone(j) + t.correction2.depss(j);
        }
    }
    if (t.Cracked()) {
        ComputeBarWidths(s, band, st.ThermalStrainS, t.epsilonS, t.width);
    }
}

}  // namespace tc
