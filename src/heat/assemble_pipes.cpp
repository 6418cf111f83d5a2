// The cooling pipes' terms of the heat equation (per metre, see pipe_coupling.hpp): while a pipe
// runs, G N N^T in the matrix, G N T_in(t) in the load, and G (N.T - T_in(t)) the heat it takes out.

#include "heat/pipe_terms.hpp"

namespace tc::heat {

std::vector<char> PipesOn(const std::vector<PipeCoupling>& pipes, double t) {
    std::vector<char> on;
    for (const PipeCoupling& p : pipes) on.push_back(p.On(t) ? 1 : 0);
    return on;
}

Eigen::SparseMatrix<double> AssemblePipes(const std::vector<PipeCoupling>& pipes, const std::vector<char>& on, Eigen::Index n) {
    std::vector<Eigen::Triplet<double>> entries;
    for (std::size_t k = 0; k < pipes.size(); ++k) {
        if (!on[k]) continue;
        const PipeCoupling& p = pipes[k];
        for (std::size_t i = 0; i < 4; ++i) {
            for (std::size_t j = 0; j < 4; ++j) {
                const double v = p.conductance * p.weight[i] * p.weight[j];
                if (v != 0.0) entries.emplace_back(p.nodes[i], p.nodes[j], v);
            }
        }
    }
    Eigen::SparseMatrix<double> H(n, n);
    H.setFromTriplets(entries.begin(), entries.end());
    return H;
}

void AddPipeLoad(const std::vector<PipeCoupling>& pipes, const std::vector<char>& on, double t, Eigen::VectorXd& f) {
    for (std::size_t k = 0; k < pipes.size(); ++k) {
        if (!on[k]) continue;
        const PipeCoupling& p = pipes[k];
        const double load = p.conductance * p.pipe->inlet.At(t);
        for (std::size_t i = 0; i < 4; ++i) f(p.nodes[i]) += load * p.weight[i];
    }
}

double PipeLoss(const std::vector<PipeCoupling>& pipes, const std::vector<char>& on, double t, const Eigen::VectorXd& T) {
    double loss = 0.0;
    for (std::size_t k = 0; k < pipes.size(); ++k) {
        if (!on[k]) continue;
        const PipeCoupling& p = pipes[k];
        double at = 0.0;
        for (std::size_t i = 0; i < 4; ++i) at += p.weight[i] * T(p.nodes[i]);
        loss += p.conductance * (at - p.pipe->inlet.At(t));
    }
    return loss;
}

}  // namespace tc::heat
