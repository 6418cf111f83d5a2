// LocateBars: the element of every bar, by the coordinate box of the element's four corners:
//   bar b lies in element e when  xmin(e) <= SX(b) <= xmax(e)  and  ymin(e) <= SY(b) <= ymax(e)
// (bounds included); of all elements whose box holds the bar, the highest-numbered one is taken.

#include <cstdint>

#include "mesh/mesh.hpp"

namespace tc {

namespace {

bool IsNode(std::int32_t n) { return n >= 1 && n <= MaxNodes; }

}  // namespace

void LocateBars(const NodeReals& X, const NodeReals& Y, const ElementTable& elements, std::int32_t nelx,
                std::int32_t nsteel, const BarReals& SX, const BarReals& SY, BarInts& ELEM) {
    const std::int32_t bars = nsteel < MaxBars ? nsteel : MaxBars;
    const std::int32_t elems = nelx < MaxElements ? nelx : MaxElements;
    for (std::int32_t b = 1; b <= bars; ++b) {
        // Every element is tried: of all boxes holding the bar, the highest-numbered one wins.
        for (std::int32_t e = 1; e <= elems; ++e) {
            const std::int32_t n1 = elements.node[0](e);
            const std::int32_t n2 = elements.node[1](e);
            const std::int32_t n3 = elements.node[2](e);
            const std::int32_t n4 = elements.node[3](e);
            if (!IsNode(n1) || !IsNode(n2) || !IsNode(n3) || !IsNode(n4)) continue;

            float xmin = X(n1), xmax = X(n1), ymin = Y(n1), ymax = Y(n1);
            for (const std::int32_t n : {n2, n3, n4}) {
                if (X(n) < xmin) xmin = X(n);
                if (X(n) > xmax) xmax = X(n);
                if (Y(n) < ymin) ymin = Y(n);
                if (Y(n) > ymax) ymax = Y(n);
            }
            // The box's bounds count as inside, so a bar on a shared edge goes to the later element.
            if (xmin <= SX(b) && SX(b) <= xmax && ymin <= SY(b) && SY(b) <= ymax) ELEM(b) = e;
        }
    }
}

}  // namespace tc
