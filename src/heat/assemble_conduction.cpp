// Conductivity and capacity of the bilinear four-node elements, 2 x 2 Gauss points:
//   K_ij = sum_g k (dN_i/dx dN_j/dx + dN_i/dy dN_j/dy) |J| w_g
//   C_i  = sum_g rho c N_i |J| w_g          (lumped: the row sums of the consistent capacity)
// Coordinates in m. The capacity is lumped: every node's balance then depends on its own
// temperature change alone, so a heat pulse can raise no neighbour below its start (no
// undershoot at the sudden start of the heat release) and an insulated section follows the
// adiabatic curve exactly.

#include <cmath>
#include <string>

#include "heat/heat_system.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

ConductionSystem AssembleConduction(const HeatMesh& mesh, const ElementMaterials& materials) {
    const auto n = static_cast<Eigen::Index>(mesh.NX());
    ConductionSystem s;
    s.capacity.assign(static_cast<std::size_t>(n), 0.0);
    std::vector<Eigen::Triplet<double>> entries;
    entries.reserve(mesh.elements.size() * 16);

    const double g = 1.0 / std::sqrt(3.0);
    const double xiCorner[4] = {-1.0, 1.0, 1.0, -1.0};
    const double etaCorner[4] = {-1.0, -1.0, 1.0, 1.0};

    for (std::size_t e = 0; e < mesh.elements.size(); ++e) {
        const auto& c = mesh.elements[e];
        const Material& m = *materials.of[e];
        double x[4], y[4];
        for (std::size_t k = 0; k < 4; ++k) {
            x[k] = mesh.x[static_cast<std::size_t>(c[k])] * MetresPerMm;
            y[k] = mesh.y[static_cast<std::size_t>(c[k])] * MetresPerMm;
        }
        double ke[4][4] = {};
        double ce[4] = {};
        for (double xi : {-g, g}) {
            for (double eta : {-g, g}) {
                double dxi[4], deta[4], N[4];
                for (std::size_t k = 0; k < 4; ++k) {
                    N[k] = 0.25 * (1.0 + xiCorner[k] * xi) * (1.0 + etaCorner[k] * eta);
                    dxi[k] = 0.25 * xiCorner[k] * (1.0 + etaCorner[k] * eta);
                    deta[k] = 0.25 * etaCorner[k] * (1.0 + xiCorner[k] * xi);
                }
                double j11 = 0.0, j12 = 0.0, j21 = 0.0, j22 = 0.0;
                for (std::size_t k = 0; k < 4; ++k) {
                    j11 += dxi[k] * x[k];
                    j12 += dxi[k] * y[k];
                    j21 += deta[k] * x[k];
                    j22 += deta[k] * y[k];
                }
                const double det = j11 * j22 - j12 * j21;
                if (!(std::abs(det) > 0.0)) {
                    throw RunError(mesh.file + ": element " + std::to_string(e + 1) +
                                   " has no area (its corners lie on a line or coincide)");
                }
                double dx[4], dy[4];
                for (std::size_t k = 0; k < 4; ++k) {
                    dx[k] = (j22 * dxi[k] - j12 * deta[k]) / det;
                    dy[k] = (-j21 * dxi[k] + j11 * deta[k]) / det;
                }
                const double w = std::abs(det);
                for (std::size_t a = 0; a < 4; ++a) {
                    ce[a] += m.density * m.specificHeat * N[a] * w;
                    for (std::size_t b = 0; b < 4; ++b) ke[a][b] += m.conductivity * (dx[a] * dx[b] + dy[a] * dy[b]) * w;
                }
            }
        }
        for (std::size_t a = 0; a < 4; ++a) {
            s.capacity[static_cast<std::size_t>(c[a])] += ce[a];
            for (std::size_t b = 0; b < 4; ++b) entries.emplace_back(c[a], c[b], ke[a][b]);
        }
        if (m.heat) {
            HeatSource* source = nullptr;
            for (HeatSource& h : s.sources) {
                if (h.material == &m) source = &h;
            }
            if (source == nullptr) {
                s.sources.push_back({&m, std::vector<double>(static_cast<std::size_t>(n), 0.0)});
                source = &s.sources.back();
            }
            for (std::size_t a = 0; a < 4; ++a) source->capacity[static_cast<std::size_t>(c[a])] += ce[a];
        }
    }
    s.K.resize(n, n);
    s.K.setFromTriplets(entries.begin(), entries.end());
    return s;
}

}  // namespace tc::heat
