// The covered faces' terms of the heat equation for one step, each edge with its exchange x fixed at
// the step's start (see LineariseFace):
//   H_e = U L / 6 [2 1; 1 2],   f_e = U L / 2 T_eq(t) [1; 1],   loss = U L ((T_a + T_b) / 2 - T_eq(t))
// and the exchange of every covered edge at age t, about the mean of its nodes' temperatures.

#include "heat/faces.hpp"

#include <algorithm>
#include <cmath>

namespace tc::heat {

std::vector<FaceExchange> LineariseFaces(const HeatSettings& settings, const BoundaryGroups& groups,
                                         const std::vector<std::int32_t>& phase, double t, const Eigen::VectorXd& T) {
    std::vector<FaceExchange> faces(groups.edges.size());
    for (std::size_t e = 0; e < groups.edges.size(); ++e) {
        const auto k = static_cast<std::size_t>(groups.entry[e]);
        const BoundaryEntry& b = settings.boundaries[k];
        if (!b.cover.given || phase[k] < 0) continue;
        const double surface = 0.5 * (T(groups.edges[e].a) + T(groups.edges[e].b));
        faces[e] = LineariseFace(settings, b, b.cover.stages[static_cast<std::size_t>(phase[k])], t, surface);
    }
    return faces;
}

bool FacesDiffer(const std::vector<FaceExchange>& a, const std::vector<FaceExchange>& b, double tolerance) {
    if (a.size() != b.size()) return true;
    for (std::size_t e = 0; e < a.size(); ++e) {
        if (std::abs(a[e].U - b[e].U) > tolerance * std::max(a[e].U, b[e].U)) return true;
    }
    return false;
}

Eigen::SparseMatrix<double> AssembleFaces(const HeatMesh& mesh, const BoundaryGroups& groups,
                                          const std::vector<FaceExchange>& faces) {
    return EdgeExchangeMatrix(mesh, groups, [&](std::size_t e) { return faces[e].U; });
}

void AddFaceLoad(const HeatSettings& settings, const BoundaryGroups& groups, const std::vector<FaceExchange>& faces,
                 double t, Eigen::VectorXd& f) {
    for (std::size_t e = 0; e < groups.edges.size(); ++e) {
        if (faces[e].U == 0.0) continue;
        const BoundaryEntry& b = settings.boundaries[static_cast<std::size_t>(groups.entry[e])];
        const double load = faces[e].U * groups.length[e] / 2.0 * faces[e].Surroundings(settings, b, t);
        f(groups.edges[e].a) += load;
        f(groups.edges[e].b) += load;
    }
}

double FaceLoss(const HeatSettings& settings, const BoundaryGroups& groups, const std::vector<FaceExchange>& faces,
                double t, const Eigen::VectorXd& T) {
    double loss = 0.0;
    for (std::size_t e = 0; e < groups.edges.size(); ++e) {
        if (faces[e].U == 0.0) continue;
        const BoundaryEntry& b = settings.boundaries[static_cast<std::size_t>(groups.entry[e])];
        const BoundaryEdge& edge = groups.edges[e];
        loss += faces[e].U * groups.length[e] * ((T(edge.a) + T(edge.b)) / 2.0 - faces[e].Surroundings(settings, b, t));
    }
    return loss;
}

}  // namespace tc::heat
