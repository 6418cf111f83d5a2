#pragma once
// The cooling pipes' terms of the discrete heat equation (see pipe_coupling.hpp).

#include <vector>

#include <Eigen/SparseCore>

#include "heat/pipe_coupling.hpp"

namespace tc::heat {

// Which pipes run at age t.
std::vector<char> PipesOn(const std::vector<PipeCoupling>& pipes, double t);
// sum over running pipes of G N N^T (W/K per metre), n x n.
Eigen::SparseMatrix<double> AssemblePipes(const std::vector<PipeCoupling>& pipes, const std::vector<char>& on, Eigen::Index n);
// f += G N T_in(t) for every running pipe.
void AddPipeLoad(const std::vector<PipeCoupling>& pipes, const std::vector<char>& on, double t, Eigen::VectorXd& f);
// The heat the running pipes take out at age t (W per metre): sum G (T(p) - T_in(t)).
double PipeLoss(const std::vector<PipeCoupling>& pipes, const std::vector<char>& on, double t, const Eigen::VectorXd& T);

}  // namespace tc::heat
