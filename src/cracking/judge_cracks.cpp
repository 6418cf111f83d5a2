// JudgeCracks: raises the count of every element over its cracking limit and gives the band of
// heights covered by all cracked elements.

#include "cracking/cracking.hpp"

namespace tc {

void JudgeCracks(std::int32_t nelx, const ElementTable& elements, const NodeReals& Y, const ElementReals& sigmaC,
                 float ft, float& hmax, float& hmin, ElementInts& CrackCount, std::int32_t& CrackZoneFlag,
                 float YTOP, float YBOT, float judge, std::int32_t& CrackedCount) {
    // The band starts inverted so that the first cracked element sets both of its edges.
    float top = YBOT;
    float bottom = YTOP;
    std::int32_t cracked = 0;
    for (std::int32_t e = 1; e <= nelx; ++e) {
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

    CrackedCount = cracked;
    if (cracked != 0) {
        hmax = top;
        hmin = bottom;
    }
    CrackZoneFlag = cracked != 0 ? 1 : 0;
}

}  // namespace tc
