// Temperature of every bar: the bilinear interpolation of its element's four corner temperatures at
// the bar's local coordinates.

#include <cstdint>

#include "mesh/mesh.hpp"

namespace tc {

void InterpolateBarTemperatures(const BarLocalCoordinates& local, std::int32_t nsteel, const NodeReals& nodeTemp,
                                BarReals& barTemp, std::int32_t iecho, Unit& list) {
    if (iecho >= 1) {
        Write(list,
              "(/,/,5X,'***** Temperature of reinforcement bar *****',/,/,5X,'  No.       TS        T1        T2        T3','        T4')");
    }
    const std::int32_t bars = nsteel < MaxBars ? nsteel : MaxBars;
    for (std::int32_t i = 1; i <= bars; ++i) {
        const std::int32_t n1 = local.node[0](i);
        if (n1 == 0) {
            // A bar with no corners to interpolate between: its temperature is taken as 0.
            barTemp(i) = 0.0f;
            if (iecho >= 1) Write(list, "(5X,I5,5F10.2)", i, barTemp(i), 0.0f, 0.0f, 0.0f, 0.0f);
            continue;
        }
        const float t1 = nodeTemp(n1), t2 = nodeTemp(local.node[1](i)), t3 = nodeTemp(local.node[2](i)),
                    t4 = nodeTemp(local.node[3](i));
        const float xi = local.xi(i);
        const float eta = local.eta(i);

        // One warning per coordinate outside the element; the bar is extrapolated all the same.
        if (xi > 1.0f || xi < -1.0f) Write(list, "(/,/,5X,'***** jacobian error when calculate steel temp ')");
        if (eta > 1.0f || eta < -1.0f) Write(list, "(/,/,5X,'***** jacobian error when calculate steel temp ')");

        const float temp = 0.25f * (1.0f + eta) * (1.0f + xi) * t3 + 0.25f * (1.0f + eta) * (1.0f - xi) * t2 +
                           0.25f * (1.0f - eta) * (1.0f - xi) * t1 + 0.25f * (1.0f - eta) * (1.0f + xi) * t4;
        barTemp(i) = temp;

        if (iecho >= 1) Write(list, "(5X,I5,5F10.2)", i, temp, t4, t1, t2, t3);
    }
}

void InterpolateBarTemperatures(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                                std::int32_t /*nelx*/, std::int32_t nsteel, const BarReals& SX, const BarReals& SY,
                                const BarInts& ELEM, const NodeReals& nodeTemp, BarReals& barTemp,
                                std::int32_t iecho, Unit& list) {
    BarLocalCoordinates local;
    ComputeBarLocalCoordinates(X, Y, elements, nsteel, SX, SY, ELEM, local);
    InterpolateBarTemperatures(local, nsteel, nodeTemp, barTemp, iecho, list);
}

}  // namespace tc
