// The list file's tables of the mesh: element centres and areas, bar temperatures and the warnings
// for bars outside their element.

#include "run/mesh_listing.hpp"

namespace tc {

void WriteElementGeometry(Unit& list, std::int32_t nelx, const ElementGeometry& geometry) {
    const std::int32_t elems = nelx < MaxElements ? nelx : MaxElements;
    Write(list,
          "(/,/,2X,'***** Coordinate of Center point of each element','  and Area  *****',/,/,5X,' ELEM        CX        CY      AREA')");
    for (std::int32_t e = 1; e <= elems; ++e) {
        Write(list, "(5X,I5,3F15.3)", e, geometry.CX(e), geometry.CY(e), geometry.AREA(e));
    }
}

void WriteBarTemperatures(Unit& list, const BarLocalCoordinates& local, std::int32_t nsteel,
                          const NodeReals& nodeTemp, const BarReals& barTemp, std::int32_t iecho) {
    if (iecho >= 1) {
        Write(list,
              "(/,/,5X,'***** Temperature of reinforcement bar *****',/,/,5X,'  No.       TS        T1        T2        T3','        T4')");
    }
    const std::int32_t bars = nsteel < MaxBars ? nsteel : MaxBars;
    for (std::int32_t i = 1; i <= bars; ++i) {
        const std::int32_t n1 = local.node[0](i);
        if (n1 == 0) {
            if (iecho >= 1) Write(list, "(5X,I5,5F10.2)", i, barTemp(i), 0.0f, 0.0f, 0.0f, 0.0f);
            continue;
        }
        // One warning per coordinate outside the element; the bar is extrapolated all the same.
        const float xi = local.xi(i);
        const float eta = local.eta(i);
        if (xi > 1.0f || xi < -1.0f) Write(list, "(/,/,5X,'***** jacobian error when calculate steel temp ')");
        if (eta > 1.0f || eta < -1.0f) Write(list, "(/,/,5X,'***** jacobian error when calculate steel temp ')");
        if (iecho >= 1) {
            Write(list, "(5X,I5,5F10.2)", i, barTemp(i), nodeTemp(local.node[3](i)), nodeTemp(n1),
                  nodeTemp(local.node[1](i)), nodeTemp(local.node[2](i)));
        }
    }
}

}  // namespace tc
