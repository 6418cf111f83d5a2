// Convection on the boundary edges, -k dT/dn = h (T - T_amb(t)), with the consistent edge matrix:
//   H_e = h L / 6 [2 1; 1 2],   f_e = h L / 2 T_amb(t) [1; 1]   (L the edge length in m)
// and the heat the edges give off, h L ((T_a + T_b) / 2 - T_amb). An edge whose coefficient has not
// started yet (phase -1) or is 0 is insulated.

#include <cmath>

#include "heat/heat_system.hpp"

namespace tc::heat {

namespace {

// The coefficient of edge group k at the phase given, or 0 for a fixed or not yet started group.
double Coefficient(const HeatSettings& settings, const std::vector<std::int32_t>& phase, std::int32_t k) {
    const BoundaryEntry& b = settings.boundaries[static_cast<std::size_t>(k)];
    const std::int32_t p = phase[static_cast<std::size_t>(k)];
    if (b.fixed || p < 0) return 0.0;
    return b.h.values[static_cast<std::size_t>(p)];
}

double Surroundings(const HeatSettings& settings, std::int32_t k, double t) {
    const BoundaryEntry& b = settings.boundaries[static_cast<std::size_t>(k)];
    return b.ownAmbient ? b.ambient.At(t) : settings.ambient.At(t);
}

}  // namespace

double EdgeLength(const HeatMesh& mesh, const BoundaryEdge& edge) {
    const auto a = static_cast<std::size_t>(edge.a);
    const auto b = static_cast<std::size_t>(edge.b);
    return std::hypot(mesh.x[a] - mesh.x[b], mesh.y[a] - mesh.y[b]) * MetresPerMm;
}

Eigen::SparseMatrix<double> AssembleConvection(const HeatSettings& settings, const HeatMesh& mesh,
                                               const BoundaryGroups& groups, const std::vector<std::int32_t>& phase) {
    std::vector<Eigen::Triplet<double>> entries;
    for (std::size_t e = 0; e < groups.edges.size(); ++e) {
        const double h = Coefficient(settings, phase, groups.entry[e]);
        if (h == 0.0) continue;
        const double hl = h * EdgeLength(mesh, groups.edges[e]) / 6.0;
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

void AddConvectionLoad(const HeatSettings& settings, const HeatMesh& mesh, const BoundaryGroups& groups,
                       const std::vector<std::int32_t>& phase, double t, Eigen::VectorXd& f) {
    for (std::size_t e = 0; e < groups.edges.size(); ++e) {
        const double h = Coefficient(settings, phase, groups.entry[e]);
        if (h == 0.0) continue;
        const double load = h * EdgeLength(mesh, groups.edges[e]) / 2.0 * Surroundings(settings, groups.entry[e], t);
        f(groups.edges[e].a) += load;
        f(groups.edges[e].b) += load;
    }
}

double ConvectionLoss(const HeatSettings& settings, const HeatMesh& mesh, const BoundaryGroups& groups,
                      const std::vector<std::int32_t>& phase, double t, const Eigen::VectorXd& T) {
    double loss = 0.0;
    for (std::size_t e = 0; e < groups.edges.size(); ++e) {
        const double h = Coefficient(settings, phase, groups.entry[e]);
        if (h == 0.0) continue;
        const BoundaryEdge& edge = groups.edges[e];
        loss += h * EdgeLength(mesh, edge) *
                ((T(edge.a) + T(edge.b)) / 2.0 - Surroundings(settings, groups.entry[e], t));
    }
    return loss;
}

}  // namespace tc::heat
