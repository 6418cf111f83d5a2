// CommitStep: the step's working values become the committed state:
//   SigmaCPrev = sigma-C, EpsilonCPrev = epsilon-C, SigmaSPrev = sigma-S, EpsilonSPrev = epsilon-S
//   hmax0 = hmax, hmin0 = hmin,  OpeningSum1 = Opening1 + OpeningSum1 (and 2 alike)
// and with a cracked band the section forces from the uncracked elements (CY < hmin or CY > hmax)
// and every bar, about the stiffness centroid yc = SectionCentroidY:
//   SectionN = sum sigma A,  SectionM = sum (y - yc) sigma A        (elements first, then bars)

#include "cracking/cracking.hpp"

namespace tc {

void CommitStep(const Section& s, StepState& t) {
    SectionState& st = t.state;
    for (std::int32_t e = 1; e <= s.nelx; ++e) {
        st.SigmaCPrev(e) = t.sigmaC(e);
        st.EpsilonCPrev(e) = t.epsilonC(e);
    }
    for (std::int32_t j = 1; j <= s.nsteel; ++j) {
        st.SigmaSPrev(j) = t.sigmaS(j);
        st.EpsilonSPrev(j) = t.epsilonS(j);
    }
    st.previous = t.band;
    st.OpeningSum.u1 = t.Opening1 + st.OpeningSum.u1;
    st.OpeningSum.u2 = t.Opening2 + st.OpeningSum.u2;

    if (t.Cracked()) {
        // Only the uncracked elements carry force; every bar does.
        const ElementReals& CY = s.geometry.CY;
        const ElementReals& AREA = s.geometry.AREA;
        const BarReals& SY = s.bars.SY;
        const BarReals& areaS = s.bars.AREA;
        const CrackBand band = t.band;
        const float yc = t.increments.SectionCentroidY;
        float n = 0.0f;
        float m = 0.0f;
        for (std::int32_t e = 1; e <= s.nelx; ++e) {
            const float cy = CY(e);
            if (ElementUncracked(band, cy)) {
                const float sigma = t.sigmaC(e);
                const float area = AREA(e);
                n = n + sigma * area;
                m = m + (cy - yc) * sigma * area;
            }
        }
        for (std::int32_t j = 1; j <= s.nsteel; ++j) {
            const float sigma = t.sigmaS(j);
            const float area = areaS(j);
            n = n + sigma * area;
            m = m + (SY(j) - yc) * sigma * area;
        }
        st.SectionN = n;
        st.SectionM = m;
    }
}

}  // namespace tc
