// ComputeBarWidths: the crack width of every bar inside the band, its total strain spread over twice
// the bar length at its height. Bars outside the band keep the width they had.

#include "cracking/cracking.hpp"

namespace tc {

void ComputeBarWidths(std::int32_t nsteel, const BarReals& SY, const MaterialParameters& P,
                      const BarReals& ThermalStrainS, const BarReals& epsilonS, float hmax, float hmin,
                      BarReals& width) {
    const float lsb = P.lsb;
    const float lsu = P.lsu;

    // A bar inside the band (top edge included) implies hmax > hmin, so the division is safe.
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        if (hmin < SY(j) && SY(j) <= hmax) {
            const float t = SY(j) - hmin;
            const float ls = (lsu - lsb) * t / (hmax - hmin) + lsb;
            width(j) = (epsilonS(j) + ThermalStrainS(j)) * ls * 2.0f;
        }
    }
}

}  // namespace tc
