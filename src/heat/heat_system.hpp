#pragma once
// The discrete heat equation of the heat analysis (per metre of section length, SI units):
//   C dT/dt + (K + H) T = Q + f
// C lumped capacity (J/K per node), K conductivity (W/K), H convection (W/K), Q heat of hydration
// (W), f convection from the surroundings (W).

#include <functional>

#include <Eigen/SparseCore>

#include "heat/heat.hpp"

namespace tc::heat {

inline constexpr double SecondsPerDay = 86400.0;
inline constexpr double MetresPerMm = 0.001;

// The heat-releasing elements of one material and their share of every node's capacity.
struct HeatSource {
    const Material* material = nullptr;
    std::vector<double> capacity;  // J/K per node
};

struct ConductionSystem {
    Eigen::SparseMatrix<double> K;
    std::vector<double> capacity;  // J/K per node (row sums of the consistent capacity matrix)
    std::vector<HeatSource> sources;
};

// K from 2 x 2 Gauss integration of k grad N . grad N over every bilinear element, and the lumped
// capacity C_i = sum over elements of rho c * integral of N_i (exact for the bilinear shape).
ConductionSystem AssembleConduction(const HeatMesh& mesh, const ElementMaterials& materials);

// The convection matrix of the edges whose coefficient is above 0 at phase[entry]:
// h * L / 6 * [2 1; 1 2] per edge (L in m).
Eigen::SparseMatrix<double> AssembleConvection(const HeatSettings& settings, const HeatMesh& mesh,
                                               const BoundaryGroups& groups, const std::vector<std::int32_t>& phase);

// The exchange matrix of the boundary edges with a coefficient above 0 (W/(m2 K), per edge):
// h * L / 6 * [2 1; 1 2] per edge (L in m).
Eigen::SparseMatrix<double> EdgeExchangeMatrix(const HeatMesh& mesh, const BoundaryGroups& groups,
                                               const std::function<double(std::size_t edge)>& coefficient);

// f at age t: h * L / 2 * T_amb(t) at both nodes of every convective edge (W per metre).
void AddConvectionLoad(const HeatSettings& settings, const BoundaryGroups& groups,
                       const std::vector<std::int32_t>& phase, double t, Eigen::VectorXd& f);

// The heat that the convective edges give off at age t with node temperatures T (W per metre):
// sum of h * L * ((T_a + T_b) / 2 - T_amb(t)).
double ConvectionLoss(const HeatSettings& settings, const BoundaryGroups& groups,
                      const std::vector<std::int32_t>& phase, double t, const Eigen::VectorXd& T);

}  // namespace tc::heat
