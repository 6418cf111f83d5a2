// Centre point and signed area of every element, and the section's top and bottom heights.

#include <cstdint>

#include "mesh/mesh.hpp"

namespace tc {

namespace {

bool IsNode(std::int32_t n, std::int32_t nx) { return n >= 1 && n <= nx; }

}  // namespace

void ComputeElementGeometry(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                            std::int32_t nx, std::int32_t nelx, ElementReals& CX, ElementReals& CY,
                            ElementReals& AREA, float& YTOP, float& YBOT, std::int32_t iecho, Unit& list) {
    // The two Gauss points of the 2 x 2 area integration, each with weight 1.
    const float gauss[2] = {-0.5773503f, 0.5773503f};
    const float weight = 1.0f;
    const std::int32_t nodes = nx < MaxNodes ? nx : MaxNodes;
    const std::int32_t elems = nelx < MaxElements ? nelx : MaxElements;

    for (std::int32_t e = 1; e <= elems; ++e) {
        float x[4];
        float y[4];
        bool valid = true;
        for (std::int32_t k = 0; k < 4; ++k) {
            const std::int32_t n = elements.node[static_cast<std::size_t>(k)](e);
            valid = valid && IsNode(n, nodes);
            x[k] = valid ? X(n) : 0.0f;
            y[k] = valid ? Y(n) : 0.0f;
        }
        if (!valid) {
            // A corner that is no node of the mesh: the element has no geometry.
            CX(e) = 0.0f;
            CY(e) = 0.0f;
            AREA(e) = 0.0f;
            continue;
        }

        // Corners 1 to 4 stand at (r, s) = (+1, +1), (-1, +1), (-1, -1), (+1, -1).
        float area = 0.0f;
        for (const float r : gauss) {
            for (const float s : gauss) {
                const float dNdr[4] = {(1.0f + s) / 4.0f, -(1.0f + s) / 4.0f, -(1.0f - s) / 4.0f,
                                       (1.0f - s) / 4.0f};
                const float dNds[4] = {(1.0f + r) / 4.0f, (1.0f - r) / 4.0f, -(1.0f - r) / 4.0f,
                                       -(1.0f + r) / 4.0f};
                float J11 = 0.0f;
                float J12 = 0.0f;
                float J21 = 0.0f;
                float J22 = 0.0f;
                for (std::int32_t k = 0; k < 4; ++k) {
                    J11 = J11 + dNdr[k] * x[k];
                    J12 = J12 + dNdr[k] * y[k];
                    J21 = J21 + dNds[k] * x[k];
                    J22 = J22 + dNds[k] * y[k];
                }
                const float detJ = J11 * J22 - J21 * J12;
                area = area + weight * weight * detJ;
            }
        }
        AREA(e) = area;
        // The mean of the corners, not the area centroid.
        CX(e) = 0.25f * (x[0] + x[1] + x[2] + x[3]);
        CY(e) = 0.25f * (y[0] + y[1] + y[2] + y[3]);
    }

    if (iecho >= 1) {
        Write(list,
              "(/,/,2X,'***** Coordinate of Center point of each element','  and Area  *****',/,/,5X,' ELEM        CX        CY      AREA')");
        for (std::int32_t e = 1; e <= elems; ++e) Write(list, "(5X,I5,3F15.3)", e, CX(e), CY(e), AREA(e));
    }

    // Every node counts, used by an element or not; ties move the mark, which changes nothing.
    YTOP = Y(1);
    YBOT = Y(1);
    for (std::int32_t n = 2; n <= nodes; ++n) {
        if (Y(n) >= YTOP) YTOP = Y(n);
        if (Y(n) <= YBOT) YBOT = Y(n);
    }
}

}  // namespace tc
