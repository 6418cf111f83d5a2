// JudgeCracks: raises the count of every element over its cracking limit and gives the band of
// heights covered by all cracked elements:
//   element e is over its limit when sigma-C(e) judge > ft
//   cracked: CrackCount(e) >= 1 (a count only grows)
//   hmax = the highest corner, hmin = the lowest corner of all cracked elements

#include "cracking/cracking.hpp"

namespace tc {

CrackJudgement JudgeCracks(const Section& s, const ElementReals& sigmaC, float ft, CrackBand previous,
                           ElementInts& CrackCount) {
    const ElementTable& elements = s.elements;
    const NodeReals& Y = s.Y;
    const float judge = s.P.judge;
    // The band starts inverted so that the first cracked element sets both of its edges.
    float top = s.YBOT;
    float bottom = s.YTOP;
    std::int32_t cracked = 0;
    for (std::int32_t e = 1; e <= s.nelx; ++e) {
        std::int32_t count = CrackCount(e);
        if (sigmaC(e) * judge > ft) {
            count += 1;
            CrackCount(e) = count;
        }
        if (count < 1) {
            continue;
        }
        cracked += 1;
        float emax = Y(elements.node[0](e));
        float emin = emax;
        for (std::size_t k = 1; k < 4; ++k) {
            const float y = Y(elements.node[k](e));
            if (y > emax) {
                emax = y;
            }
            if (y < emin) {
                emin = y;
            }
        }
        if (top <= emax) {
            top = emax;
        }
        if (bottom >= emin) {
            bottom = emin;
        }
    }

    CrackJudgement j{previous, cracked};
    if (cracked != 0) {
        j.band = {top, bottom};
    }
    return j;
}

}  // namespace tc
