// The heat analysis against solutions known without it: the adiabatic curve, the series solution of
// a plane wall cooling by convection, a linear steady state, the energy balance, symmetry.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "heat/heat.hpp"
#include "heat_test_support.hpp"

namespace tc::heat {
namespace {

using testing::Grid;
using testing::History;
using testing::PlaneWall;
using testing::RunHeatCase;

// With no boundary entry no heat leaves: every node follows placing temperature + T_ad(t), on a
// distorted mesh and with a delayed start (t0, beta) as well.
TEST(HeatSolution, InsulatedSectionFollowsTheAdiabaticCurve) {
    HeatMesh mesh = Grid(3, 4, 300.0, 800.0);
    mesh.x[6] += 30.0;
    mesh.y[6] -= 50.0;
    const History h = RunHeatCase(R"(
[concrete]
conductivity = 2.7
density = 2400.0
specific_heat = 1150.0
placing_temperature = 18.0
adiabatic_rise = { K = 45.0, alpha = 1.1, beta = 1.3, t0 = 0.2 }
[output]
start = 0.0
step = 0.3
end = 7.0
)",
                          mesh);
    ASSERT_EQ(h.ages.size(), 25u);
    EXPECT_DOUBLE_EQ(h.ages.back(), 7.0);
    for (std::size_t k = 0; k < h.ages.size(); ++k) {
        const double t = h.ages[k];
        const double expected = 18.0 + (t > 0.2 ? 45.0 * (1.0 - std::exp(-1.1 * std::pow(t - 0.2, 1.3))) : 0.0);
        for (double T : h.T[k]) ASSERT_NEAR(T, expected, 0.005) << "age " << t;
    }
}

// A slab 400 mm thick (Y) cooling through both faces (Bi = h L / k = 2) from age 0.05 on (insulated
// before), one element wide with insulated sides, against the series solution (PlaneWall) with
// Fo = a (t - 0.05) / L^2.
TEST(HeatSolution, PlaneWallWithConvectionMatchesTheSeriesAndConvergesQuadratically) {
    const std::string toml = R"(
[concrete]
conductivity = 2.0
density = 2400.0
specific_heat = 1000.0
placing_temperature = 40.0
adiabatic_rise = { K = 0.0, alpha = 1.0 }
[ambient]
temperature = 20.0
[[boundary]]
side = "top"
h = [[0.05, 20.0]]
[[boundary]]
side = "bottom"
h = [[0.05, 20.0]]
[output]
ages = [0.15, 0.3, 0.55]
)";
    const double L = 0.2, a = 2.0 / (2400.0 * 1000.0), Bi = 20.0 * L / 2.0;
    StepOptions fine;
    fine.maxStep = fine.firstDayStep = 1e-3;
    double worst[2] = {0.0, 0.0};
    for (int level = 0; level < 2; ++level) {
        const int rows = 10 << level;
        const HeatMesh mesh = Grid(1, rows, 50.0, 400.0);
        const History h = RunHeatCase(toml, mesh, fine);
        for (std::size_t k = 0; k < h.ages.size(); ++k) {
            const double Fo = a * (h.ages[k] - 0.05) * 86400.0 / (L * L);
            for (int node : {0, rows / 2 * 2, rows * 2}) {  // bottom face, centre, top face
                const double y = mesh.y[static_cast<std::size_t>(node)] * 0.001 - L;
                const double exact = 20.0 + 20.0 * PlaneWall(Bi, Fo, y / L);
                const double error = std::abs(h.T[k][static_cast<std::size_t>(node)] - exact);
                EXPECT_LT(error, 0.05) << rows << " elements, age " << h.ages[k] << ", y " << y;
                worst[level] = std::max(worst[level], error);
            }
        }
    }
    // Halving the elements cuts the error about fourfold (second order in space).
    EXPECT_GT(worst[0] / worst[1], 3.3) << worst[0] << " " << worst[1];
    EXPECT_LT(worst[0] / worst[1], 4.7) << worst[0] << " " << worst[1];
    RecordProperty("largest_errors", std::to_string(worst[0]) + " " + std::to_string(worst[1]));
}

// Fixed temperatures on two opposite faces of a distorted mesh: the steady state is linear,
// which bilinear elements hold exactly whatever their shape.
TEST(HeatSolution, FixedFacesGiveALinearSteadyState) {
    HeatMesh mesh = Grid(4, 5, 400.0, 500.0);
    for (std::size_t i = 0; i < mesh.x.size(); ++i) {
        const bool inner = mesh.x[i] > 0.0 && mesh.x[i] < 400.0 && mesh.y[i] > 0.0 && mesh.y[i] < 500.0;
        if (inner) {
            mesh.x[i] += 17.0 * std::sin(static_cast<double>(i));
            mesh.y[i] += 23.0 * std::cos(static_cast<double>(i));
        }
    }
    const History h = RunHeatCase(R"(
[concrete]
conductivity = 2.0
density = 2400.0
specific_heat = 1000.0
placing_temperature = 50.0
adiabatic_rise = { K = 0.0, alpha = 1.0 }
[[boundary]]
side = "bottom"
fixed = 10.0
[[boundary]]
y = 500.0
between = [0.0, 400.0]
fixed = [[0.0, 20.0], [1.0, 30.0]]
[output]
ages = [40.0]
)",
                          mesh);
    for (std::size_t i = 0; i < mesh.x.size(); ++i) {
        EXPECT_NEAR(h.T[0][i], 10.0 + 20.0 * mesh.y[i] / 500.0, 0.001) << "node " << i + 1;
    }
}

// Heat released = heat stored + heat lost through the boundary over a whole run, with convection
// whose coefficient and surroundings change, a fixed edge and a region that releases no heat: the
// heat released counts the concrete elements alone.
TEST(HeatSolution, EnergyBalanceHoldsAndARegionWithoutHeatReleasesNone) {
    const HeatMesh mesh = Grid(4, 6, 400.0, 600.0);
    const History h = RunHeatCase(R"(
[concrete]
conductivity = 2.7
density = 2400.0
specific_heat = 1150.0
placing_temperature = 20.0
adiabatic_rise = { K = 40.0, alpha = 1.2, beta = 1.1 }
[ambient]
temperature = [[0.0, 15.0], [2.0, 5.0], [5.0, 10.0]]
[[boundary]]
side = "left"
h = [[0.0, 6.0], [2.5, 14.0]]
[[boundary]]
side = "top"
h = 12.0
ambient = { mean = 10.0, amplitude = 5.0, peak = 0.6 }
[[boundary]]
side = "bottom"
fixed = 12.0
[[region]]
elements = [[1, 8], 12]
conductivity = 2.0
density = 2300.0
specific_heat = 900.0
initial_temperature = 12.0
[output]
start = 0.0
step = 0.5
end = 10.0
)",
                          mesh);
    // Lumped capacities and the heat of the concrete elements (not 1 to 8 and 12), from the
    // element areas: 100 x 100 mm.
    const double area = 0.1 * 0.1;
    std::vector<double> C(mesh.x.size(), 0.0);
    double released = 0.0;
    for (std::size_t e = 0; e < mesh.elements.size(); ++e) {
        const bool region = e < 8 || e == 11;
        const double rc = region ? 2300.0 * 900.0 : 2400.0 * 1150.0;
        for (int n : mesh.elements[e]) C[static_cast<std::size_t>(n)] += rc * area / 4.0;
        if (!region) released += rc * area * 40.0 * (1.0 - std::exp(-1.2 * std::pow(10.0, 1.1)));
    }
    double stored = 0.0;
    for (std::size_t i = 0; i < C.size(); ++i) stored += C[i] * (h.T.back()[i] - h.T.front()[i]);
    EXPECT_NEAR(h.balance.released, released, 1e-9 * released);
    EXPECT_NEAR(released, stored + h.balance.lost, 1e-6 * released) << stored << " " << h.balance.lost;
    // The region starts at its own temperature; nodes it shares with the concrete start fresh.
    EXPECT_DOUBLE_EQ(h.T.front()[7], 12.0);
    EXPECT_DOUBLE_EQ(h.T.front()[12], 20.0);
}

// An output age a rounding error after the formwork comes off still gets its block.
TEST(HeatSolution, OutputAgeARoundingErrorAfterAChangeIsWritten) {
    const History h = RunHeatCase(R"(
[concrete]
conductivity = 2.7
density = 2400.0
specific_heat = 1150.0
placing_temperature = 20.0
adiabatic_rise = { K = 40.0, alpha = 1.2 }
[ambient]
temperature = 10.0
[[boundary]]
side = "left"
h = [[0.0, 8.0], [3.0, 14.0]]
[output]
ages = [2.5, 3.0000000000000004]
)",
                                  Grid(2, 2, 200.0, 200.0));
    ASSERT_EQ(h.ages.size(), 2u);
    EXPECT_EQ(h.ages.back(), 3.0000000000000004);
}

// A section symmetric about x = 300 with symmetric boundaries and a symmetric region gives
// symmetric temperatures.
TEST(HeatSolution, SymmetricSectionGivesSymmetricTemperatures) {
    const HeatMesh mesh = Grid(6, 5, 600.0, 500.0);
    const History h = RunHeatCase("\n[concrete]\n" + testing::ThermalKeys("25.0") + R"([ambient]
temperature = 10.0
[[boundary]]
side = "left"
h = [[0.0, 8.0], [3.0, 14.0]]
[[boundary]]
side = "right"
h = [[0.0, 8.0], [3.0, 14.0]]
[[boundary]]
side = "top"
between = [100.0, 500.0]
h = 12.0
[[region]]
elements = [[1, 6]]
heat = false
[output]
ages = [0.5, 1.0, 3.5, 10.0]
)",
                          mesh);
    for (std::size_t k = 0; k < h.ages.size(); ++k) {
        for (std::size_t i = 0; i < mesh.x.size(); ++i) {
            const std::size_t mirror = i - i % 7 + (6 - i % 7);
            ASSERT_NEAR(h.T[k][i], h.T[k][mirror], 1e-9) << "node " << i + 1 << ", age " << h.ages[k];
        }
    }
    EXPECT_GT(h.T[1][3 * 7 + 3], 30.0);  // the core heats
}

}  // namespace
}  // namespace tc::heat
