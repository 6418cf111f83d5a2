// Convection on the boundary edges, -k dT/dn = h (T - T_amb(t)), with the consistent edge matrix:
//   H_e = h L / 6 [2 1; 1 2],   f_e = h L / 2 T_amb(t) [1; 1]   (L the edge length in m)
// and the heat the edges give off, h L ((T_a + T_b) / 2 - T_amb). An edge whose coefficient has not
// started yet (phase -1) or is 0 is insulated.

#include <cmath>

#include "heat/heat_system.hpp"

namespace tc::heat {

namespace {

// The coefficient of edge group k at the phase given, or 0 for a fixed, covered (see
// assemble_faces.cpp) or not yet started group.
double Coefficient(const HeatSettings& settings, const std::vector<std::int32_t>& phase, std::int32_t k) {
    const BoundaryEntry& b = settings.boundaries[static_cast<std::size_t>(k)];
    const std::int32_t p = phase[static_cast<std::size_t>(k)];
    if (b.fixed || b.cover.given || p < 0) return 0.0;
    return b.h.values[static_cast<std::size_t>(p)];
}

// Every group's surrounding temperature at age t (unused for fixed groups).
std::vector<double> Surroundings(const HeatSettings& settings, double t) {
    const double common = settings.ambient.At(t);
    std::vector<double> around;
    for (const BoundaryEntry& b : settings.boundaries) around.push_back(b.ownAmbient ? b.ambient.At(t) : common);
    return around;
}

}  // namespace

Eigen::SparseMatrix<double> EdgeExchangeMatrix(const HeatMesh& mesh, const BoundaryGroups& groups,
                                               const std::function<double(std::size_t edge)>& coefficient) {
    std::vector<Eigen::Triplet<double>> entries;
    for (std::size_t e = 0; e < groups.edges.size(); ++e) {
        const double h = coefficient(e);
        if (h == 0.0) continue;
        const double hl = h * groups.length[e] / 6.0;
        const BoundaryEdge& edge = groups.edges[e];
        entries.emplace_back(edge.a, edge.a, 2.0 * hl);
        entries.emplace_back(edge.b, edge.b, 2.0 * hl);
        entries.emplace_back(edge.a, edge.b, hl);
        entries.emplace_back(edge.b, edge.a, hl);
    }
    Eigen::SparseMatrix<double> H(mesh.NX(), mesh.NX());
    H.setFromTriplets(entries.begin(), entries.end());
    return H;
}

Eigen::SparseMatrix<double> AssembleConvection(const HeatSettings& settings, const HeatMesh& mesh,
                                               const BoundaryGroups& groups, const std::vector<std::int32_t>& phase) {
    return EdgeExchangeMatrix(mesh, groups, [&](std::size_t e) { return Coefficient(settings, phase, groups.entry[e]); });
}

void AddConvectionLoad(const HeatSettings& settings, const BoundaryGroups& groups,
                       const std::vector<std::int32_t>& phase, double t, Eigen::VectorXd& f) {
    const std::vector<double> around = Surroundings(settings, t);
    for (std::size_t e = 0; e < groups.edges.size(); ++e) {
        const double h = Coefficient(settings, phase, groups.entry[e]);
        if (h == 0.0) continue;
        const double load = h * groups.length[e] / 2.0 * around[static_cast<std::size_t>(groups.entry[e])];
        f(groups.edges[e].a) += load;
        f(groups.edges[e].b) += load;
    }
}

double ConvectionLoss(const HeatSettings& settings, const BoundaryGroups& groups,
                      const std::vector<std::int32_t>& phase, double t, const Eigen::VectorXd& T) {
    const std::vector<double> around = Surroundings(settings, t);
    double loss = 0.0;
    for (std::size_t e = 0; e < groups.edges.size(); ++e) {
        const double h = Coefficient(settings, phase, groups.entry[e]);
        if (h == 0.0) continue;
        const BoundaryEdge& edge = groups.edges[e];
        loss += h * groups.length[e] * ((T(edge.a) + T(edge.b)) / 2.0 - around[static_cast<std::size_t>(groups.entry[e])]);
    }
    return loss;
}

}  // namespace tc::heat
