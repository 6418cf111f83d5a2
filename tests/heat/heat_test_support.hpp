#pragma once
// Meshes and settings for the heat analysis tests.

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "heat/heat.hpp"

namespace tc::heat::testing {

// A grid of cols x rows rectangular elements over [0, width] x [0, height] (mm), nodes row by row
// from the bottom left, elements counter-clockwise.
inline HeatMesh Grid(int cols, int rows, double width, double height) {
    HeatMesh m;
    m.file = "grid.dat";
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= cols; ++i) {
            m.x.push_back(width * i / cols);
            m.y.push_back(height * j / rows);
        }
    }
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < cols; ++i) {
            const int n = j * (cols + 1) + i;
            m.elements.push_back({n, n + 1, n + cols + 2, n + cols + 1});
        }
    }
    return m;
}

// The thermal keys of [concrete] that most cases share (conductivity 2.7 W/(m K), density 2400
// kg/m3, specific heat 1150 J/(kg K), T_ad = 45 (1 - exp(-1.1 t)) C), placed at placing (C): one key
// a line, so that the lines of the text around them keep their numbers.
inline std::string ThermalKeys(const std::string& placing) {
    return "conductivity = 2.7\ndensity = 2400.0\nspecific_heat = 1150.0\nplacing_temperature = " + placing +
           "\nadiabatic_rise = { K = 45.0, alpha = 1.1 }\n";
}

// A plane wall cooling by convection through both faces, the series solution:
//   (T - T_amb) / (T_i - T_amb) = sum C_n exp(-z_n^2 Fo) cos(z_n y / L),  z_n tan z_n = Bi,
//   C_n = 4 sin z_n / (2 z_n + sin 2 z_n),  ratio = y / L.
inline double PlaneWall(double Bi, double Fo, double ratio) {
    double sum = 0.0;
    for (int n = 0; n < 200; ++n) {
        double lo = n * std::numbers::pi + 1e-12;
        double hi = n * std::numbers::pi + std::numbers::pi / 2.0 - 1e-12;
        for (int i = 0; i < 200; ++i) {
            const double z = 0.5 * (lo + hi);
            (z * std::tan(z) < Bi ? lo : hi) = z;
        }
        const double z = 0.5 * (lo + hi);
        sum += 4.0 * std::sin(z) / (2.0 * z + std::sin(2.0 * z)) * std::exp(-z * z * Fo) * std::cos(z * ratio);
    }
    return sum;
}

// Every node's temperature at every output age.
struct History {
    std::vector<double> ages;
    std::vector<std::vector<double>> T;
    HeatBalance balance;
};

inline History RunHeatCase(const std::string& toml, const HeatMesh& mesh, const StepOptions& options = {}) {
    History h;
    const HeatSettings settings = ParseHeatSettings(toml, "heat.toml");
    h.balance = RunHeatAnalysis(
        settings, mesh,
        [&](double age, const std::vector<double>& T) {
            h.ages.push_back(age);
            h.T.push_back(T);
        },
        options);
    return h;
}

}  // namespace tc::heat::testing
