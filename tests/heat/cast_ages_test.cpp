// Parts cast at other ages: a lift cast on the young concrete at day 3 and an old base cast 14 days
// before it. Each enters at its placing temperature, covers the face it is cast on, releases its
// own heat on its own clock, and the heat stored at the end is the heat at the start plus what the
// casts brought in and released, less what the surfaces took: to 1e-6 of the heat moved.

#include <gtest/gtest.h>

#include <cmath>

#include "heat/heat_test_support.hpp"

namespace tc::heat {
namespace {

using testing::Grid;

// Per node, rho c times its share of the area (J/(K m)) of the elements whose first number (from 1)
// lies in [first, last]: a grid of 100 x 100 mm elements.
std::vector<double> Capacity(const HeatMesh& mesh, int first, int last, double rhoC) {
    std::vector<double> C(mesh.x.size(), 0.0);
    for (int e = first; e <= last; ++e) {
        for (std::int32_t n : mesh.elements[static_cast<std::size_t>(e - 1)]) C[static_cast<std::size_t>(n)] += rhoC * 0.01 / 4.0;
    }
    return C;
}

double Stored(const std::vector<double>& C, const std::vector<double>& T) {
    double s = 0.0;
    for (std::size_t i = 0; i < C.size(); ++i) s += C[i] * T[i];
    return s;
}

TEST(HeatCasts, ALiftCastLaterEntersAtItsPlacingTemperatureAndConservesEnergy) {
    // 4 x 8 elements of 100 mm: the young concrete below y = 400, the lift above it from day 3.
    const HeatMesh mesh = Grid(4, 8, 400.0, 800.0);
    const std::string toml = "[concrete]\n" + testing::ThermalKeys("20.0") + R"(
[ambient]
temperature = 5.0
[[boundary]]
y = 400.0
h = 10.0
[[boundary]]
side = "top"
h = 10.0
[[region]]
elements = [[17, 32]]
heat = true
initial_temperature = 25.0
adiabatic_rise = { K = 30.0, alpha = 0.8 }
cast = 3.0
[output]
ages = [0.0, 1.0, 2.999, 3.0, 3.5, 7.0]
)";
    const testing::History h = testing::RunHeatCase(toml, mesh);
    ASSERT_EQ(h.ages.size(), 6u);
    const double rhoC = 2400.0 * 1150.0;
    const std::vector<double> young = Capacity(mesh, 1, 16, rhoC);
    const std::vector<double> all = Capacity(mesh, 1, 32, rhoC);
    // Before the cast the open top of the young concrete cools: its top row is below its core.
    EXPECT_LT(h.T[2][4 * 5 + 2], h.T[2][2 * 5 + 2]);
    // At the cast the lift's own nodes hold its placing temperature; the joint mixes the two.
    for (std::size_t i = 5 * 5; i < mesh.x.size(); ++i) EXPECT_NEAR(h.T[3][i], 25.0, 1e-9) << i;
    const std::size_t joint = 4 * 5 + 2;
    const double mixed = (young[joint] * h.T[2][joint] + (all[joint] - young[joint]) * 25.0) / all[joint];
    EXPECT_NEAR(h.T[3][joint], mixed, 0.05);
    // The lift heats on its own clock: half a day after its cast its core is above its placing.
    EXPECT_GT(h.T[4][6 * 5 + 2], 27.0) << h.T[4][6 * 5 + 2];
    // Energy: stored at the end = stored at 0 + brought in + released - lost.
    const double start = Stored(young, h.T[0]);
    const double end = Stored(all, h.T[5]);
    const HeatBalance& b = h.balance;
    EXPECT_NEAR(b.entered, Stored(std::vector<double>(all.size(), 0.0), h.T[0]) +
                               [&] {
                                   double s = 0.0;
                                   for (std::size_t i = 0; i < all.size(); ++i) s += (all[i] - young[i]) * 25.0;
                                   return s;
                               }(),
                1e-6 * b.entered);
    EXPECT_GT(b.released, 0.0);
    EXPECT_GT(b.lost, 0.0);
    EXPECT_NEAR(end, start + b.entered + b.released - b.lost, 1e-6 * (b.entered + b.released));
}

TEST(HeatCasts, AnOldBaseCastEarlierStartsTheRunAndKeepsReleasingItsHeat) {
    // The base (rows 1 to 4) cast 14 days before the young concrete (rows 5 to 8), everything insulated.
    const HeatMesh mesh = Grid(4, 8, 400.0, 800.0);
    const std::string region = R"(
[[region]]
elements = [[1, 16]]
heat = true
initial_temperature = 15.0
adiabatic_rise = { K = 40.0, alpha = 0.1 }
)";
    const std::string rest = "\n[output]\nages = [0.0, 1.0]\n";
    const std::string head = "[concrete]\n" + testing::ThermalKeys("20.0");
    const testing::History h = testing::RunHeatCase(head + region + "cast = -14.0\n" + rest, mesh);
    ASSERT_EQ(h.ages.size(), 2u);
    // Insulated, the base alone follows its adiabatic curve over its 14 days.
    const double base = 15.0 + 40.0 * (1.0 - std::exp(-0.1 * 14.0));
    EXPECT_NEAR(h.T[0][0], base, 1e-6);
    // The young concrete's own nodes start at its placing temperature.
    for (std::size_t i = 5 * 5; i < mesh.x.size(); ++i) EXPECT_NEAR(h.T[0][i], 20.0, 1e-9) << i;
    const double rhoC = 2400.0 * 1150.0;
    const std::vector<double> baseC = Capacity(mesh, 1, 16, rhoC);
    const std::vector<double> all = Capacity(mesh, 1, 32, rhoC);
    const std::vector<double> placed(mesh.x.size(), 15.0);
    const double end = Stored(all, h.T[1]);
    const HeatBalance& b = h.balance;
    EXPECT_NEAR(end, Stored(baseC, placed) + b.entered + b.released - b.lost, 1e-6 * (b.entered + b.released));
    EXPECT_EQ(b.lost, 0.0);
    // Cast at 0 instead, the base would be cooler at the young concrete's age 0.
    const testing::History same = testing::RunHeatCase(head + region + rest, mesh);
    EXPECT_NEAR(same.T[0][0], 15.0, 1e-9);
}

}  // namespace
}  // namespace tc::heat
