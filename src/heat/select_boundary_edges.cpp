// The boundary edges (edges of one element only) that each [[boundary]] entry takes: those on a
// side of the section's bounding box or on the line x = value / y = value, both nodes within
// 0.001 mm of it, and with "between" both nodes within that range of the other coordinate. An edge
// taken by several entries belongs to the last.

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>

#include "heat/heat.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

namespace {

constexpr double Tolerance = 0.001;  // mm

std::vector<BoundaryEdge> FindBoundaryEdges(const HeatMesh& mesh) {
    std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> count;
    std::vector<BoundaryEdge> order;
    for (const auto& corners : mesh.elements) {
        for (std::size_t k = 0; k < 4; ++k) {
            const std::int32_t a = corners[k];
            const std::int32_t b = corners[(k + 1) % 4];
            if (++count[{std::min(a, b), std::max(a, b)}] == 1) order.push_back({a, b});
        }
    }
    std::vector<BoundaryEdge> edges;
    for (const BoundaryEdge& e : order) {
        if (count[{std::min(e.a, e.b), std::max(e.a, e.b)}] == 1) edges.push_back(e);
    }
    return edges;
}

}  // namespace

BoundaryGroups SelectBoundaryEdges(const HeatSettings& settings, const HeatMesh& mesh) {
    const auto [xmin, xmax] = std::minmax_element(mesh.x.begin(), mesh.x.end());
    const auto [ymin, ymax] = std::minmax_element(mesh.y.begin(), mesh.y.end());
    const std::vector<BoundaryEdge> edges = FindBoundaryEdges(mesh);
    std::vector<std::int32_t> owner(edges.size(), -1);

    for (std::size_t k = 0; k < settings.boundaries.size(); ++k) {
        const EdgeSelector& w = settings.boundaries[k].where;
        // The coordinate the line fixes (along) and the other one (across).
        const bool onX = w.kind == EdgeSelector::Kind::Left || w.kind == EdgeSelector::Kind::Right ||
                         w.kind == EdgeSelector::Kind::LineX;
        double line = w.value;
        if (w.kind == EdgeSelector::Kind::Top) line = *ymax;
        if (w.kind == EdgeSelector::Kind::Bottom) line = *ymin;
        if (w.kind == EdgeSelector::Kind::Left) line = *xmin;
        if (w.kind == EdgeSelector::Kind::Right) line = *xmax;
        const std::vector<double>& fixedCoordinate = onX ? mesh.x : mesh.y;
        const std::vector<double>& otherCoordinate = onX ? mesh.y : mesh.x;
        const auto takes = [&](std::int32_t n) {
            const auto i = static_cast<std::size_t>(n);
            if (std::abs(fixedCoordinate[i] - line) > Tolerance) return false;
            return !w.ranged || (otherCoordinate[i] >= w.low - Tolerance && otherCoordinate[i] <= w.high + Tolerance);
        };
        bool any = false;
        for (std::size_t e = 0; e < edges.size(); ++e) {
            if (takes(edges[e].a) && takes(edges[e].b)) {
                owner[e] = static_cast<std::int32_t>(k);
                any = true;
            }
        }
        if (!any) {
            throw RunError(settings.file + ", line " + std::to_string(settings.boundaries[k].line) +
                           ": key \"boundary\": this entry takes no boundary edge of " + mesh.file);
        }
    }
    BoundaryGroups groups;
    for (std::size_t e = 0; e < edges.size(); ++e) {
        if (owner[e] < 0) continue;
        groups.edges.push_back(edges[e]);
        groups.entry.push_back(owner[e]);
        const auto a = static_cast<std::size_t>(edges[e].a);
        const auto b = static_cast<std::size_t>(edges[e].b);
        groups.length.push_back(std::hypot(mesh.x[a] - mesh.x[b], mesh.y[a] - mesh.y[b]) * 0.001);
    }
    return groups;
}

}  // namespace tc::heat
