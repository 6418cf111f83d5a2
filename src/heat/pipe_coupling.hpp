#pragma once
// A cooling pipe in the heat analysis: a line sink through the section, tied to the concrete at the
// pipe's centre p through the conductance per metre G (W/(m K)):
//   q = G (T(p) - T_in(t)),   T(p) = sum N_i(p) T_i over the element holding p (bilinear N_i),
// which adds G N N^T to the system's matrix and G N T_in(t) to its load while the pipe runs.
// 1/G = R = R_film + R_wall + R_grid (per metre of pipe, K m / W):
//   R_film = 1 / (h pi d_i),  h = Nu k_w / d_i  (Nu = 3.66 laminar, Gnielinski 1976 turbulent)
//   R_wall = ln(d_o / d_i) / (2 pi k_wall)
//   R_grid = ln(r_eq / r_o) / (2 pi k): the concrete between the pipe's outside (r_o) and the radius
//            r_eq at which the mesh's value T(p) holds (the grid's equivalent radius, see
//            PipeEquivalentRadius), so that q does not depend on the element size.
// With the pipe's length L the water warms along it by heat balance (the concrete along the pipe
// taken as the section's): G = m c (1 - exp(-L / (R m c))) / L, the mean over the length.

#include <array>
#include <cstdint>
#include <vector>

#include "heat/heat.hpp"

namespace tc::heat {

// Liquid water at temperature T (C), from data/water.toml, linear between its rows.
struct WaterProperties {
    double density = 0.0, viscosity = 0.0, conductivity = 0.0, specificHeat = 0.0;  // kg/m3, Pa s, W/(m K), J/(kg K)
};
// Refuses (returns false) a temperature outside the table; low and high are then its span.
bool Water(double T, WaterProperties& w, double& low, double& high);

// The film coefficient of water flowing through a pipe of inside diameter d (m) at flow (l/min):
// Nu = 3.66 for Re < 2300 (fully developed laminar flow, constant wall temperature); Gnielinski
// (1976) for Re >= 3000, Nu = (f/8)(Re - 1000) Pr / (1 + 12.7 sqrt(f/8) (Pr^(2/3) - 1)) with
// f = (0.790 ln Re - 1.64)^-2 (Petukhov); linear in Re between the two in the transition.
struct PipeFilm {
    double reynolds = 0.0, prandtl = 0.0, nusselt = 0.0, h = 0.0;  // h in W/(m2 K)
};
PipeFilm FilmCoefficient(const WaterProperties& w, double insideDiameter, double flowLitresPerMinute);

// The equivalent radius (in the units of hx, hy) of a node sink in a uniform grid of hx x hy
// bilinear elements, for a sink at (sx, sy) in its element (fractions 0..1 across and up): the
// radius at which the exact solution of a line source has the grid's interpolated value at the
// sink. At a node (a Peaceman-type radius) r_0 = 0.1146 h for square elements; off the nodes
// ln r_eq = ln r_0 + 2 pi sum_ij N_i N_j g(x_i - x_j), g the grid's Green's function difference.
double PipeEquivalentRadius(double hx, double hy, double sx, double sy);

// A pipe tied to the mesh.
struct PipeCoupling {
    const PipeEntry* pipe = nullptr;
    std::array<std::int32_t, 4> nodes{};
    std::array<double, 4> weight{};  // N_i(p)
    double conductance = 0.0;        // G, W/(m K) per metre
    PipeFilm film;
    double equivalentRadius = 0.0;   // mm
    double resistance = 0.0;         // R = 1 / G without the water's warming, K m / W
    double filmResistance = 0.0, wallResistance = 0.0, gridResistance = 0.0;  // its parts
    bool On(double t) const;         // runs over [from, to)
};

// Ties every pipe to the element holding its centre; refuses (naming file, line and key) a pipe
// outside the mesh, one whose circle crosses into another material or out of the mesh, an element
// that is not a rectangle, a grid finer than the pipe, and an inlet temperature outside the water table.
std::vector<PipeCoupling> CouplePipes(const HeatSettings& settings, const HeatMesh& mesh, const ElementMaterials& materials);

}  // namespace tc::heat
