// Bars against the section. A bar of area A has the radius r = sqrt(A / pi); it lies in the
// concrete when its centre is in an element and at least r from every boundary edge (an edge that
// belongs to one element only).

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <numbers>
#include <utility>

#include "check/checks.hpp"

namespace tc::check {

namespace {

double SquaredDistanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = p.x - (a.x + t * dx);
    const double ey = p.y - (a.y + t * dy);
    return ex * ex + ey * ey;
}

std::array<Point, 4> Corners(const MeshFacts& mesh, const std::array<std::int32_t, 4>& element) {
    std::array<Point, 4> p;
    for (std::size_t k = 0; k < 4; ++k) p[k] = mesh.nodes[static_cast<std::size_t>(element[k] - 1)];
    return p;
}

// Inside or on the edge of the quadrilateral (either orientation), by the crossing number.
bool InElement(Point q, const std::array<Point, 4>& p) {
    bool inside = false;
    for (std::size_t k = 0; k < 4; ++k) {
        const Point a = p[k];
        const Point b = p[(k + 1) % 4];
        if (SquaredDistanceToSegment(q, a, b) <= 1e-12) return true;
        if ((a.y > q.y) != (b.y > q.y) && q.x < a.x + (q.y - a.y) * (b.x - a.x) / (b.y - a.y)) inside = !inside;
    }
    return inside;
}

bool InSection(Point q, const MeshFacts& mesh) {
    return std::any_of(mesh.elements.begin(), mesh.elements.end(),
                       [&](const auto& element) { return InElement(q, Corners(mesh, element)); });
}

// A length to a tenth of a millimetre.
std::string Millimetres(double v) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}

std::string At(Point p) {
    return "(" + Show(static_cast<float>(p.x)) + ", " + Show(static_cast<float>(p.y)) + ")";
}

}  // namespace

void CheckBars(const JobText& deck, const std::vector<Bar>& bars, const MeshFacts& mesh,
               std::vector<Warning>& warnings) {
    if (!mesh.complete || bars.empty()) return;
    std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> edgeUses;
    for (const auto& element : mesh.elements) {
        for (std::size_t k = 0; k < 4; ++k) {
            const std::int32_t a = element[k];
            const std::int32_t b = element[(k + 1) % 4];
            ++edgeUses[{std::min(a, b), std::max(a, b)}];
        }
    }
    Capped outside(warnings, "bars outside the section");
    Capped exposed(warnings, "bars closer to a face than their radius");
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const Bar& bar = bars[i];
        const std::string name = "bar " + std::to_string(i + 1);
        if (!InSection(bar.at, mesh)) {
            Warning w{deck.name(), bar.record, 6, 35, name + " at " + At(bar.at) + " mm lies outside the section"};
            const bool slipped = bar.written.x != bar.at.x || bar.written.y != bar.at.y;
            if (slipped && InSection(bar.written, mesh)) {
                w.what += ": a coordinate without a decimal point has its last digit read as a decimal; "
                          "write it with a point for " + At(bar.written) + " mm";
            }
            outside.Add(std::move(w));
            continue;
        }
        const double radius = std::sqrt(static_cast<double>(bar.area) / std::numbers::pi);
        double nearest = INFINITY;  // squared, until the loop ends
        for (const auto& [edge, count] : edgeUses) {
            if (count != 1) continue;
            nearest = std::min(nearest, SquaredDistanceToSegment(bar.at, mesh.nodes[static_cast<std::size_t>(edge.first - 1)],
                                                          mesh.nodes[static_cast<std::size_t>(edge.second - 1)]));
        }
        nearest = std::sqrt(nearest);
        if (nearest < radius) {
            exposed.Add({deck.name(), bar.record, 6, 50,
                         name + " at " + At(bar.at) + " mm, area " + Show(bar.area) + " mm2 (radius " +
                             Millimetres(radius) + " mm), is " + Millimetres(nearest) +
                             " mm from the section's face: it would stick out of the concrete"});
        }
    }
    outside.Close(deck.name());
    exposed.Close(deck.name());
}

}  // namespace tc::check
