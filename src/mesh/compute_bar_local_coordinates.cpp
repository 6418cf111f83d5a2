// ComputeBarLocalCoordinates: where every bar stands in its element, found once from the mesh: the
// element's corner nodes and the bar's local coordinates, by inverting the element's bilinear map
//   x(xi, eta) = sum_k Nk(xi, eta) xk,  y(xi, eta) = sum_k Nk(xi, eta) yk,
//   Nk = (1 + xi xik) (1 + eta etak) / 4, corners 1 to 4 at (xik, etak) = (-1, -1), (-1, 1), (1, 1), (1, -1)
// for (xi, eta) at the bar's (SX, SY): a quadratic in xi, solved in closed form where that is usable.

#include <cmath>
#include <cstdint>

#include "mesh/mesh.hpp"

namespace tc {

namespace {

// Four times the coefficients of the bilinear map: aXi*xi + aEta*eta + aXiEta*xi*eta = a0 for x,
// the same with b for y.
struct MapCoefficients {
    float aXi, aEta, aXiEta, a0;
    float bXi, bEta, bXiEta, b0;
};

bool InSquare(float xi, float eta) { return xi >= -1.0f && xi <= 1.0f && eta >= -1.0f && eta <= 1.0f; }

// True when (xi, eta) maps onto the bar to within a thousandth of the element's size: rejects
// coordinates that the closed form has wrecked by cancellation in a nearly degenerate element.
bool MapsOntoBar(const MapCoefficients& c, float xi, float eta) {
    if (!std::isfinite(xi) || !std::isfinite(eta)) return false;
    const float ra = c.aXi * xi + c.aEta * eta + c.aXiEta * xi * eta - c.a0;
    const float rb = c.bXi * xi + c.bEta * eta + c.bXiEta * xi * eta - c.b0;
    const float size = std::fabs(c.aXi) + std::fabs(c.aEta) + std::fabs(c.aXiEta) + std::fabs(c.bXi) +
                       std::fabs(c.bEta) + std::fabs(c.bXiEta);
    return std::fabs(ra) + std::fabs(rb) <= 0.001f * size;
}

// The iteration stops within its tolerance of the root, so a bar on an element's edge or corner
// may come out a hair outside [-1, 1] and be warned of as outside its element: a coordinate that
// far outside is put on the edge.
float OntoEdge(float v) {
    constexpr float Hair = 1.0e-4f;
    if (v > 1.0f && v - 1.0f <= Hair) return 1.0f;
    if (v < -1.0f && -1.0f - v <= Hair) return -1.0f;
    return v;
}

// Newton iteration on the bilinear map from the element's centre. Where the map is singular (an
// element without width or height) the iteration stops where it stands, at worst at the centre.
void SolveByNewton(const MapCoefficients& c, float& xi, float& eta) {
    float x = 0.0f;
    float h = 0.0f;
    for (std::int32_t pass = 0; pass < 50; ++pass) {
        const float fa = c.aXi * x + c.aEta * h + c.aXiEta * x * h - c.a0;
        const float fb = c.bXi * x + c.bEta * h + c.bXiEta * x * h - c.b0;
        const float j11 = c.aXi + c.aXiEta * h;
        const float j12 = c.aEta + c.aXiEta * x;
        const float j21 = c.bXi + c.bXiEta * h;
        const float j22 = c.bEta + c.bXiEta * x;
        const float det = j11 * j22 - j12 * j21;
        if (det == 0.0f || !std::isfinite(det)) break;
        const float dx = (fa * j22 - fb * j12) / det;
        const float dh = (j11 * fb - j21 * fa) / det;
        if (!std::isfinite(dx) || !std::isfinite(dh)) break;
        x = x - dx;
        h = h - dh;
        if (std::fabs(dx) + std::fabs(dh) <= 1.0e-6f) break;
    }
    xi = OntoEdge(x);
    eta = OntoEdge(h);
}

// An element whose sides at eta = -1 and eta = +1 are parallel (a parallelogram or a trapezoid):
// eliminating the xi*eta term leaves no xi, so eta follows from a linear equation, and xi from the
// better-conditioned of the two map equations. False where the element is degenerate.
bool SolveTrapezoid(const MapCoefficients& c, float& xi, float& eta) {
    if (c.aXiEta == 0.0f && c.bXiEta == 0.0f) {
        // A parallelogram: the map is affine.
        const float det = c.aXi * c.bEta - c.aEta * c.bXi;
        if (det == 0.0f) return false;
        xi = (c.a0 * c.bEta - c.aEta * c.b0) / det;
        eta = (c.aXi * c.b0 - c.a0 * c.bXi) / det;
        return true;
    }
    const float divisor = c.bXiEta * c.aEta - c.aXiEta * c.bEta;
    if (divisor == 0.0f) return false;
    const float h = (c.bXiEta * c.a0 - c.aXiEta * c.b0) / divisor;
    const float da = c.aXi + c.aXiEta * h;
    const float db = c.bXi + c.bXiEta * h;
    if (da == 0.0f && db == 0.0f) return false;
    const float x = std::fabs(da) >= std::fabs(db) ? (c.a0 - c.aEta * h) / da : (c.b0 - c.bEta * h) / db;
    if (!MapsOntoBar(c, x, h)) return false;
    xi = x;
    eta = h;
    return true;
}

// The bar's local coordinates. The closed form decides wherever it gives a usable answer; a zero
// divisor, no real root, or a root outside the element while the other lies inside, is mended.
void LocalCoordinates(const MapCoefficients& c, float& xi, float& eta) {
    const float tolerance = 0.001f;
    bool special = false;
    bool solved = false;

    // X does not vary with xi.
    if (std::fabs(c.aXi) < tolerance && std::fabs(c.aXiEta) < tolerance) {
        special = true;
        if (c.aEta != 0.0f) {
            const float h = c.a0 / c.aEta;
            const float divisor = c.bXiEta * h + c.bXi;
            if (divisor != 0.0f) {
                eta = h;
                xi = (c.b0 - c.bEta * h) / divisor;
                solved = true;
            }
        }
    }
    // Y does not vary with eta; where both hold, this one stands.
    if (std::fabs(c.bEta) < tolerance && std::fabs(c.bXiEta) < tolerance) {
        special = true;
        if (c.bXi != 0.0f) {
            const float x = c.b0 / c.bXi;
            const float divisor = c.aXiEta * x + c.aEta;
            if (divisor != 0.0f) {
                xi = x;
                eta = (c.a0 - c.aXi * x) / divisor;
                solved = true;
            }
        }
    }
    if (special) {
        if (!solved) SolveByNewton(c, xi, eta);
        return;
    }

    const float delta = c.bXiEta * c.aXi - c.bXi * c.aXiEta;
    if (delta == 0.0f) {
        if (!SolveTrapezoid(c, xi, eta)) SolveByNewton(c, xi, eta);
        return;
    }

    // Eliminating xi = P - Q*eta leaves qa*eta^2 + qb*eta + qc = 0.
    const float P = (c.bXiEta * c.a0 - c.b0 * c.aXiEta) / delta;
    const float Q = (c.bXiEta * c.aEta - c.bEta * c.aXiEta) / delta;
    const float qa = -c.aXiEta * Q;
    const float qb = c.aXiEta * P + (c.aEta - c.aXi * Q);
    const float qc = c.aXi * P - c.a0;

    if (qa == 0.0f) {
        // The equation for eta is linear.
        const float h = qb != 0.0f ? -qc / qb : 0.0f;
        const float x = P - Q * h;
        if (qb != 0.0f && MapsOntoBar(c, x, h)) {
            xi = x;
            eta = h;
        } else {
            SolveByNewton(c, xi, eta);
        }
        return;
    }

    const float D = qb * qb - 4.0f * qa * qc;
    if (D < 0.0f) {
        SolveByNewton(c, xi, eta);
        return;
    }
    const float root = std::sqrt(D);
    const float etaPlus = (-qb + root) / (2.0f * qa);
    const float xiPlus = P - Q * etaPlus;
    const bool plusMaps = MapsOntoBar(c, xiPlus, etaPlus);
    if (plusMaps && InSquare(xiPlus, etaPlus)) {
        xi = xiPlus;
        eta = etaPlus;
        return;
    }
    // The other root, where it lies inside the element.
    const float etaMinus = (-qb - root) / (2.0f * qa);
    const float xiMinus = P - Q * etaMinus;
    if (MapsOntoBar(c, xiMinus, etaMinus) && InSquare(xiMinus, etaMinus)) {
        xi = xiMinus;
        eta = etaMinus;
        return;
    }
    // A bar outside its element keeps the first root and is extrapolated.
    if (plusMaps) {
        xi = xiPlus;
        eta = etaPlus;
        return;
    }
    SolveByNewton(c, xi, eta);
}

}  // namespace

void ComputeBarLocalCoordinates(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                                std::int32_t nsteel, const BarReals& SX, const BarReals& SY, const BarInts& ELEM,
                                BarLocalCoordinates& local) {
    const std::int32_t bars = nsteel < MaxBars ? nsteel : MaxBars;
    for (std::int32_t i = 1; i <= bars; ++i) {
        const std::int32_t e = ELEM(i);
        std::int32_t n[4] = {0, 0, 0, 0};
        bool valid = e >= 1 && e <= MaxElements;
        for (std::size_t k = 0; k < 4 && valid; ++k) {
            n[k] = elements.node[k](e);
            valid = n[k] >= 1 && n[k] <= MaxNodes;
        }
        if (!valid) {
            // A bar in no element (or an element with a corner that is no node): no corners.
            for (std::size_t k = 0; k < 4; ++k) local.node[k](i) = 0;
            local.xi(i) = 0.0f;
            local.eta(i) = 0.0f;
            continue;
        }
        for (std::size_t k = 0; k < 4; ++k) local.node[k](i) = n[k];

        const float x1 = X(n[0]), x2 = X(n[1]), x3 = X(n[2]), x4 = X(n[3]);
        const float y1 = Y(n[0]), y2 = Y(n[1]), y3 = Y(n[2]), y4 = Y(n[3]);

        // Node-1 .. Node-4 stand at (xi, eta) = (-1, -1), (-1, +1), (+1, +1), (+1, -1).
        MapCoefficients c{};
        c.aXi = x3 + x4 - x1 - x2;
        c.aEta = x2 + x3 - x1 - x4;
        c.aXiEta = x1 + x3 - x2 - x4;
        c.a0 = 4.0f * SX(i) - (x1 + x2 + x3 + x4);
        c.bXi = y3 + y4 - y1 - y2;
        c.bEta = y2 + y3 - y1 - y4;
        c.bXiEta = y1 + y3 - y2 - y4;
        c.b0 = 4.0f * SY(i) - (y1 + y2 + y3 + y4);

        float xi = 0.0f;
        float eta = 0.0f;
        LocalCoordinates(c, xi, eta);
        local.xi(i) = xi;
        local.eta(i) = eta;
    }
}

}  // namespace tc
