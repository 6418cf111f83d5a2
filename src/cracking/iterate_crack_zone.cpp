// IterateCrackZone: the zone iteration of a step. Each pass, with a cracked band:
//   ZoneSigmaC = SigmaCPrev - DT alphaC Ec inside the previous band, else sigma-C
//   ZoneSigmaS = SigmaSPrev - DTS alphaS Es inside the previous band, else 0
//   the band's balance (SolveCrackZone) gives depsc1, depss1; then
//     sigma-C = depsc1 Ec + sigma-C,  epsilon-C = epsilon-C + depsc1   (bars likewise with Es)
//   the redistribution (RedistributeUncracked) gives depsc2, depss2, applied the same way;
// without one the corrections are zero. Then the crack check again: the iteration ends when the
// band's height hmax - hmin equals the previous pass's exactly, or when the pass counter (tested
// before it is raised) is above ZonePassLimit; otherwise the start values are set again (second
// form) and the next pass begins.

#include "cracking/cracking.hpp"

namespace tc {

namespace {

// A step runs at most this plus two passes.
constexpr std::int32_t ZonePassLimit = 100;

void ApplyCorrections(const Section& s, StepState& t, const StrainCorrections& c) {
    const float Ec = t.concrete.Ec;
    const float Es = s.P.Es;
    for (std::int32_t e = 1; e <= s.nelx; ++e) {
        const float d = c.depsc(e);
        t.sigmaC(e) = d * Ec + t.sigmaC(e);
        t.epsilonC(e) = t.epsilonC(e) + d;
    }
    for (std::int32_t j = 1; j <= s.nsteel; ++j) {
        const float d = c.depss(j);
        t.sigmaS(j) = d * Es + t.sigmaS(j);
        t.epsilonS(j) = t.epsilonS(j) + d;
    }
}

// The band's members start from their committed stress less the step's free thermal stress.
void SetZoneStresses(const Section& s, StepState& t) {
    const SectionState& st = t.state;
    const ElementReals& CY = s.geometry.CY;
    const BarReals& SY = s.bars.SY;
    const float alphaC = s.P.alphaC;
    const float alphaS = s.P.alphaS;
    const float Es = s.P.Es;
    const float Ec = t.concrete.Ec;
    const CrackBand previous = st.previous;
    const bool band = HasHeight(previous);
    for (std::int32_t e = 1; e <= s.nelx; ++e) {
        t.ZoneSigmaC(e) = band && ElementInBand(previous, CY(e)) ? st.SigmaCPrev(e) - t.DT(e) * alphaC * Ec
                                                                  : t.sigmaC(e);
    }
    for (std::int32_t j = 1; j <= s.nsteel; ++j) {
        t.ZoneSigmaS(j) = band && ElementInBand(previous, SY(j)) ? st.SigmaSPrev(j) - t.DTS(j) * alphaS * Es
                                                                  : 0.0f;
    }
}

void ClearCorrections(const Section& s, StepState& t) {
    for (std::int32_t e = 1; e <= s.nelx; ++e) {
        t.correction1.depsc(e) = 0.0f;
        t.correction2.depsc(e) = 0.0f;
    }
    for (std::int32_t j = 1; j <= s.nsteel; ++j) {
        t.correction1.depss(j) = 0.0f;
        t.correction2.depss(j) = 0.0f;
    }
}

}  // namespace

std::int32_t IterateCrackZone(const Section& s, StepState& t) {
    SectionState& st = t.state;
    float zonePrev = t.band.hmax - t.band.hmin;
    std::int32_t counter = 0;
    for (;;) {
        if (t.Cracked()) {
            SetZoneStresses(s, t);
            // SolveCrackZone and RedistributeUncracked set every correction themselves.
            st.u = SolveCrackZone(s, t.concrete.Ec, t.band, t.ZoneSigmaC, t.ZoneSigmaS, st, t.correction1);
            ApplyCorrections(s, t, t.correction1);
            const Redistribution r = RedistributeUncracked(s, t.concrete.Ec, t.band, t.sigmaC, t.sigmaS, t.increments,
                                                           st.SectionN, st.SectionM, st.u, t.correction2);
            st.u = r.u;
            t.Opening1 = r.Opening1;
            t.Opening2 = r.Opening2;
            ApplyCorrections(s, t, t.correction2);
        } else {
            ClearCorrections(s, t);
            ApplyCorrections(s, t, t.correction1);
            ApplyCorrections(s, t, t.correction2);
        }
        JudgeStep(s, t);
        const float zone = t.band.hmax - t.band.hmin;
        if (zone == zonePrev || counter > ZonePassLimit) break;
        counter = counter + 1;
        zonePrev = zone;
        SetStartValues(s, t, true);
    }
    return counter + 1;
}

}  // namespace tc
