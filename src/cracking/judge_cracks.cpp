// JudgeCracks: raises the count of every element over its cracking limit and gives the band of
// heights covered by all cracked elements.

#include "cracking/cracking.hpp"

namespace tc {

void JudgeCracks(std::int32_t nelx, const ElementTable& elements, const NodeReals& Y, const ElementReals& sigmaC,
                 float ft, float& hmax, float& hmin, ElementInts& CrackCount, std::int32_t& CrackZoneFlag,
                 float YTOP, float YBOT, float judge, std::int32_t& CrackedCount) {
    CrackedCount = 0;
    for (std::int32_t e = 1; e <= nelx; ++e) {
        if (sigmaC(e) * judge > ft) {
            CrackCount(e) += 1;
        }
        if (CrackCount(e) >= 1) {
            CrackedCount += 1;
        }
    }

    if (CrackedCount != 0) {
        // The band starts inverted so that the first cracked element sets both of its edges.
        hmax = YBOT;
        hmin = YTOP;
        for (std::int32_t e = 1; e <= nelx; ++e) {
            if (CrackCount(e) < 1) {
                continue;
            }
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
            if (hmax <= emax) {
                hmax = emax;
            }
            if (hmin >= emin) {
                hmin = emin;
            }
        }
    }

    CrackZoneFlag = CrackedCount != 0 ? 1 : 0;
}

}  // namespace tc
