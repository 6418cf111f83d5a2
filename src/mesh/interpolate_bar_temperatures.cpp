// InterpolateBarTemperatures: temperature of every bar, the bilinear interpolation of its element's
// corner temperatures T1..T4 at the bar's local coordinates (xi, eta):
//   TS = 0.25 (1 + eta) (1 + xi) T3 + 0.25 (1 + eta) (1 - xi) T2 + 0.25 (1 - eta) (1 - xi) T1
//      + 0.25 (1 - eta) (1 + xi) T4                                                          C
// A bar without corners takes 0; one outside its element, |xi| or |eta| above 1, is extrapolated.

#include <cstdint>

#include "mesh/mesh.hpp"

namespace tc {

void InterpolateBarTemperatures(const BarLocalCoordinates& local, std::int32_t nsteel, const NodeReals& nodeTemp,
                                BarReals& barTemp) {
    const std::int32_t bars = nsteel < MaxBars ? nsteel : MaxBars;
    for (std::int32_t i = 1; i <= bars; ++i) {
        const std::int32_t n1 = local.node[0](i);
        if (n1 == 0) {
            // A bar with no corners to interpolate between: its temperature is taken as 0.
            barTemp(i) = 0.0f;
            continue;
        }
        const float t1 = nodeTemp(n1), t2 = nodeTemp(local.node[1](i)), t3 = nodeTemp(local.node[2](i)),
                    t4 = nodeTemp(local.node[3](i));
        const float xi = local.xi(i);
        const float eta = local.eta(i);

        const float temp = 0.25f * (1.0f + eta) * (1.0f + xi) * t3 + 0.25f * (1.0f + eta) * (1.0f - xi) * t2 +
                           0.25f * (1.0f - eta) * (1.0f - xi) * t1 + 0.25f * (1.0f - eta) * (1.0f + xi) * t4;
        barTemp(i) = temp;
    }
}

void InterpolateBarTemperatures(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                                std::int32_t /*nelx*/, std::int32_t nsteel, const BarReals& SX, const BarReals& SY,
                                const BarInts& ELEM, const NodeReals& nodeTemp, BarReals& barTemp) {
    BarLocalCoordinates local;
    ComputeBarLocalCoordinates(X, Y, elements, nsteel, SX, SY, ELEM, local);
    InterpolateBarTemperatures(local, nsteel, nodeTemp, barTemp);
}

}  // namespace tc
