// ComputeElementGeometry: centre point and signed area of every element, and the section's top and
// bottom heights. With the bilinear shape functions of the corners at (r, s) = (+1, +1), (-1, +1),
// (-1, -1), (+1, -1) and the Jacobian J = [dx/dr dy/dr; dx/ds dy/ds]:
//   AREA = sum over the 2 x 2 Gauss points (r, s = -/+0.5773503, weights 1) of det J   (mm2, signed:
//          negative for clockwise corners)
//   CX, CY = the mean of the four corners (not the area centroid), mm
//   YTOP, YBOT = the highest and lowest Y of every node, mm

#include <cstdint>

#include "mesh/mesh.hpp"

namespace tc {

namespace {

bool IsNode(std::int32_t n, std::int32_t nx) { return n >= 1 && n <= nx; }

}  // namespace

SectionHeights ComputeElementGeometry(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                                      std::int32_t nx, std::int32_t nelx, ElementGeometry& geometry) {
    ElementReals& CX = geometry.CX;
    ElementReals& CY = geometry.CY;
    ElementReals& AREA = geometry.AREA;
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

    // Every node counts, used by an element or not; ties move the mark, which changes nothing.
    SectionHeights h{Y(1), Y(1)};
    for (std::int32_t n = 2; n <= nodes; ++n) {
        if (Y(n) >= h.YTOP) h.YTOP = Y(n);
        if (Y(n) <= h.YBOT) h.YBOT = Y(n);
    }
    return h;
}

}  // namespace tc
