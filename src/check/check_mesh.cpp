// The mesh's elements and nodes. For corners p1..p4 the signed area is
//   A = 1/2 sum_k (x_k y_k+1 - x_k+1 y_k)
// and the turn at corner k is c_k = (p_k - p_k-1) x (p_k+1 - p_k). A sound element has A > 0 and
// every c_k > 0 (counter-clockwise and convex); all c_k < 0 is a clockwise element, c_k of both
// signs a concave or folded one, and A = 0 or a c_k = 0 a degenerate one.

#include <algorithm>
#include <cmath>
#include <numeric>

#include "check/checks.hpp"

namespace tc::check {

namespace {

// Node coordinates are equal within this (mm).
constexpr double SamePlace = 0.001;

double Cross(Point a, Point b, Point c) { return (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x); }

// What is wrong with an element's shape, or "" when nothing is.
std::string ShapeFault(const MeshFacts& mesh, const std::array<std::int32_t, 4>& corner) {
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            if (corner[i] == corner[j]) {
                return "is degenerate: node " + std::to_string(corner[i]) + " is two of its corners";
            }
        }
    }
    std::array<Point, 4> p;
    double scale = 0.0;
    for (int k = 0; k < 4; ++k) p[k] = mesh.nodes[static_cast<std::size_t>(corner[k] - 1)];
    double twiceArea = 0.0;
    for (int k = 0; k < 4; ++k) {
        const Point a = p[k];
        const Point b = p[(k + 1) % 4];
        twiceArea += a.x * b.y - b.x * a.y;
        scale = std::max(scale, std::hypot(b.x - a.x, b.y - a.y));
    }
    const double tolerance = 1e-9 * scale * scale;
    bool left = false;
    bool right = false;
    bool straight = false;
    for (int k = 0; k < 4; ++k) {
        const double turn = Cross(p[(k + 3) % 4], p[k], p[(k + 1) % 4]);
        left = left || turn > tolerance;
        right = right || turn < -tolerance;
        straight = straight || std::fabs(turn) <= tolerance;
    }
    if (left && right) return "is concave or folded: its corners do not all turn the same way";
    if (std::fabs(twiceArea) <= tolerance) return "is degenerate: its area is zero";
    if (straight) return "is degenerate: three of its corners lie on one line";
    if (twiceArea < 0.0) {
        return "runs clockwise (area " + Show(static_cast<float>(twiceArea / 2.0)) +
               " mm2): list its corners counter-clockwise, e.g. " + std::to_string(corner[0]) + " " +
               std::to_string(corner[3]) + " " + std::to_string(corner[2]) + " " + std::to_string(corner[1]);
    }
    return "";
}

std::string At(Point p) {
    return "(" + Show(static_cast<float>(p.x)) + ", " + Show(static_cast<float>(p.y)) + ")";
}

}  // namespace

MeshFacts CheckMesh(const JobText& text, std::vector<Warning>& warnings) {
    MeshFacts mesh;
    const auto nx = text.Integer(2, 1, 5);
    const auto nelx = text.Integer(2, 6, 10);
    if (!nx || !nelx || *nx < 1 || *nelx < 1 || *nx > 100000 || *nelx > 100000) return mesh;
    for (std::int32_t i = 1; i <= *nx; ++i) {
        const std::int64_t r = 3 + i;
        const auto x = text.RealField(r, 11, 20, 0);
        const auto y = text.RealField(r, 21, 30, 0);
        if (!x || !y) return mesh;
        mesh.nodes.push_back({x->value, y->value});
        mesh.nodeRecord.push_back(r);
    }
    std::vector<std::int32_t> uses(static_cast<std::size_t>(*nx) + 1, 0);
    Capped shapes(warnings, "elements of a doubtful shape");
    for (std::int32_t e = 1; e <= *nelx; ++e) {
        const std::int64_t r = 3 + *nx + e;
        std::array<std::int32_t, 4> corner{};
        for (int k = 0; k < 4; ++k) {
            const auto n = text.Integer(r, 11 + 6 * k, 16 + 6 * k);
            if (!n || *n < 1 || *n > *nx) return mesh;
            corner[static_cast<std::size_t>(k)] = *n;
            ++uses[static_cast<std::size_t>(*n)];
        }
        mesh.elements.push_back(corner);
        mesh.elementRecord.push_back(r);
        const std::string fault = ShapeFault(mesh, corner);
        if (!fault.empty()) shapes.Add({text.name(), r, 11, 34, "element " + std::to_string(e) + " " + fault});
    }
    shapes.Close(text.name());
    mesh.complete = true;

    Capped unused(warnings, "nodes used by no element");
    for (std::int32_t i = 1; i <= *nx; ++i) {
        if (uses[static_cast<std::size_t>(i)] == 0) {
            unused.Add({text.name(), mesh.nodeRecord[static_cast<std::size_t>(i - 1)], 11, 30,
                        "node " + std::to_string(i) + " " + At(mesh.nodes[static_cast<std::size_t>(i - 1)]) +
                            " is used by no element"});
        }
    }
    unused.Close(text.name());

    // Nodes in order of X, then Y: nodes at one place are neighbours within a run of equal X.
    std::vector<std::int32_t> order(static_cast<std::size_t>(*nx));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        const Point& p = mesh.nodes[static_cast<std::size_t>(a)];
        const Point& q = mesh.nodes[static_cast<std::size_t>(b)];
        return p.x != q.x ? p.x < q.x : (p.y != q.y ? p.y < q.y : a < b);
    });
    Capped twins(warnings, "nodes at the place of another");
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Point& p = mesh.nodes[static_cast<std::size_t>(order[i])];
        for (std::size_t j = i + 1; j < order.size(); ++j) {
            const Point& q = mesh.nodes[static_cast<std::size_t>(order[j])];
            if (q.x - p.x > SamePlace) break;
            if (std::fabs(q.y - p.y) > SamePlace) continue;
            const std::int32_t later = std::max(order[i], order[j]) + 1;
            const std::int32_t earlier = std::min(order[i], order[j]) + 1;
            twins.Add({text.name(), mesh.nodeRecord[static_cast<std::size_t>(later - 1)], 11, 30,
                       "node " + std::to_string(later) + " stands at the place of node " + std::to_string(earlier) +
                           " " + At(p) + ": elements that meet there are not joined"});
        }
    }
    twins.Close(text.name());
    return mesh;
}

}  // namespace tc::check
