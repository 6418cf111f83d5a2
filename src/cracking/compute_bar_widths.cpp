// ComputeBarWidths: the crack width of every bar inside the band, its total strain spread over twice
// the bar length at its height:
//   t = SY - hmin,  ls = (lsu - lsb) t / (hmax - hmin) + lsb
//   width = (epsilon-S + ThermalStrainS) ls 2        mm
// Bars outside the band keep the width they had.

#include "cracking/cracking.hpp"

namespace tc {

void ComputeBarWidths(const Section& s, CrackBand band, const BarReals& ThermalStrainS,
                      const BarReals& epsilonS, BarReals& width) {
    const BarReals& SY = s.bars.SY;
    const float lsb = s.P.lsb;
    const float lsu = s.P.lsu;
    const float hmax = band.hmax;
    const float hmin = band.hmin;

    // A bar inside the band (top edge included) implies hmax > hmin, so the division is safe.
    for (std::int32_t j = 1; j <= s.nsteel; ++j) {
        if (BarInBand(band, SY(j))) {
            const float t = SY(j) - hmin;
            const float ls = (lsu - lsb) * t / (hmax - hmin) + lsb;
            width(j) = (epsilonS(j) + ThermalStrainS(j)) * ls * 2.0f;
        }
    }
}

}  // namespace tc
