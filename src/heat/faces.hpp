#pragma once
// The covered faces' terms of the heat equation (see assemble_faces.cpp): per boundary edge its
// exchange with the weather for one step (U = 0 for edges of no covered entry).

#include <Eigen/SparseCore>

#include "heat/heat_system.hpp"
#include "heat/weather.hpp"

namespace tc::heat {

std::vector<FaceExchange> LineariseFaces(const HeatSettings& settings, const BoundaryGroups& groups,
                                         const std::vector<std::int32_t>& phase, double t, const Eigen::VectorXd& T);
// Whether some edge's U differs by more than tolerance (relative) between a and b.
bool FacesDiffer(const std::vector<FaceExchange>& a, const std::vector<FaceExchange>& b, double tolerance);
Eigen::SparseMatrix<double> AssembleFaces(const HeatMesh& mesh, const BoundaryGroups& groups,
                                          const std::vector<FaceExchange>& faces);
void AddFaceLoad(const HeatSettings& settings, const BoundaryGroups& groups, const std::vector<FaceExchange>& faces,
                 double t, Eigen::VectorXd& f);
double FaceLoss(const HeatSettings& settings, const BoundaryGroups& groups, const std::vector<FaceExchange>& faces,
                double t, const Eigen::VectorXd& T);

}  // namespace tc::heat
