// Cooling pipes against solutions known without the code: a pipe on the axis of a square body
// whose outside is held at a fixed temperature carries, in the steady state,
//   q = (T_o - T_in) / (R_film + R_wall + ln(rho / r_o) / (2 pi k)),  rho = 0.5394 s,
// rho the conformal radius of the square of side s at its centre (the shape factor
// 2 pi / ln(1.08 w / D) of Incropera et al., Fundamentals of Heat and Mass Transfer, Table 4.1;
// 0.539353 s from the square's Dirichlet Green's function summed as a sine series), on meshes of
// several sizes with the pipe on a node and inside an element. The film coefficient against
// Gnielinski's equation worked by hand; the heat balance with a pipe that runs for a while; errors.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "heat/pipe_coupling.hpp"
#include "heat/heat_test_support.hpp"
#include "records/run_error.hpp"

namespace tc::heat {
namespace {

using testing::Grid;
using testing::RunHeatCase;

constexpr double Pi = std::numbers::pi;

std::string SquareCase(const std::string& pipe) {
    return R"([concrete]
conductivity = 2.7
density = 2400.0
specific_heat = 1150.0
placing_temperature = 30.0
adiabatic_rise = { K = 0.0, alpha = 1.0 }
[[boundary]]
side = "left"
fixed = 30.0
[[boundary]]
side = "right"
fixed = 30.0
[[boundary]]
side = "bottom"
fixed = 30.0
[[boundary]]
side = "top"
fixed = 30.0
[[pipe]]
)" + pipe + R"(
[output]
ages = [40.0]
)";
}

const std::string PlasticPipe = R"(x = 1000.0
y = 1000.0
diameter = 32.0
wall = { thickness = 2.9, conductivity = 0.4 }
flow = 20.0
inlet = 10.0)";

TEST(Pipes, HeatFlowPerMetreInASquareBodyMatchesTheAnalyticValueOnEveryMesh) {
    const std::string toml = SquareCase(PlasticPipe);
    const HeatSettings settings = ParseHeatSettings(toml, "heat.toml");
    // Water at 10 C (data/water.toml), the film and wall resistances as the analytic solution has them.
    WaterProperties w;
    double low = 0.0, high = 0.0;
    ASSERT_TRUE(Water(10.0, w, low, high));
    const double di = 0.032 - 2 * 0.0029;
    const PipeFilm film = FilmCoefficient(w, di, 20.0);
    const double rFilm = 1.0 / (film.h * Pi * di);
    const double rWall = std::log(0.032 / di) / (2 * Pi * 0.4);
    const double rho = 0.539353 * 2.0;
    const double analytic = (30.0 - 10.0) / (rFilm + rWall + std::log(rho / 0.016) / (2 * Pi * 2.7));

    StepOptions steady;  // backward Euler throughout: the steady state without an oscillation
    steady.maxStep = 0.25;
    steady.eulerSteps = 1000000;
    // On a node (even counts), inside an element (odd counts), and on oblong elements.
    const std::vector<std::pair<int, int>> meshes = {{10, 10}, {15, 15}, {25, 25}, {40, 40}, {20, 12}, {9, 24}};
    for (const auto& [cols, rows] : meshes) {
        const HeatMesh mesh = Grid(cols, rows, 2000.0, 2000.0);
        const testing::History h = RunHeatCase(toml, mesh, steady);
        const ElementMaterials materials = AssignMaterials(settings, mesh);
        const PipeCoupling c = CouplePipes(settings, mesh, materials).front();
        double at = 0.0;
        for (std::size_t i = 0; i < 4; ++i) at += c.weight[i] * h.T.back()[static_cast<std::size_t>(c.nodes[i])];
        const double q = c.conductance * (at - 10.0);
        EXPECT_NEAR(q / analytic, 1.0, 0.03) << cols << " x " << rows << ": " << q << " W/m, analytic " << analytic;
        // The same without the grid's correction is off by more than the tolerance on the coarse mesh.
        if (cols == 10) {
            const double plain = (at - 10.0) / (rFilm + rWall);
            EXPECT_GT(std::abs(plain / analytic - 1.0), 0.03);
        }
    }
}

TEST(Pipes, FilmCoefficientFollowsGnielinskiTurbulentAndTheLaminarLimit) {
    // Re = 10000, Pr = 7 in a 20 mm pipe: by hand f = (0.790 ln 1e4 - 1.64)^-2 = 0.031479,
    // Nu = (f/8)(Re - 1000) Pr / (1 + 12.7 sqrt(f/8)(7^(2/3) - 1)) = 247.90 / 3.1186 = 79.49.
    const WaterProperties w{1000.0, 0.001, 0.6, 4200.0};
    const double flowFor = 10000.0 * Pi * 0.02 * 0.001 / 4.0 / 1000.0 * 60000.0;  // l/min for Re = 10000
    const PipeFilm turbulent = FilmCoefficient(w, 0.02, flowFor);
    EXPECT_NEAR(turbulent.reynolds, 10000.0, 1e-6);
    EXPECT_NEAR(turbulent.prandtl, 7.0, 1e-12);
    EXPECT_NEAR(turbulent.nusselt, 79.49, 0.02);
    EXPECT_NEAR(turbulent.h, 79.49 * 0.6 / 0.02, 1.0);
    EXPECT_DOUBLE_EQ(FilmCoefficient(w, 0.02, flowFor / 10.0).nusselt, 3.66);  // Re 1000
    // The transition joins both ends without a jump.
    const double atLaminarEnd = FilmCoefficient(w, 0.02, flowFor * 0.23).nusselt;
    const double atTurbulentStart = FilmCoefficient(w, 0.02, flowFor * 0.30).nusselt;
    EXPECT_NEAR(atLaminarEnd, 3.66, 1e-9);
    EXPECT_NEAR(FilmCoefficient(w, 0.02, flowFor * 0.2999999).nusselt, atTurbulentStart, 1e-3);
}

TEST(Pipes, HeatBalanceHoldsWithAPipeThatRunsForAWhileAlongItsLength) {
    const HeatMesh mesh = Grid(8, 8, 1600.0, 1600.0);
    const testing::History h = RunHeatCase(R"([concrete]
conductivity = 2.7
density = 2400.0
specific_heat = 1150.0
placing_temperature = 20.0
adiabatic_rise = { K = 40.0, alpha = 1.2 }
[ambient]
temperature = 15.0
[[boundary]]
side = "top"
h = 10.0
[[pipe]]
x = 700.0
y = 900.0
diameter = 32.0
wall = { thickness = 2.0, material = "steel" }
flow = 15.0
inlet = [[0.0, 12.0], [3.0, 18.0]]
operating = [0.5, 4.0]
length = 120.0
[output]
start = 0.0
step = 0.5
end = 8.0
)",
                                           mesh);
    const double area = 0.2 * 0.2, rc = 2400.0 * 1150.0;
    std::vector<double> C(mesh.x.size(), 0.0);
    for (const auto& e : mesh.elements) {
        for (int n : e) C[static_cast<std::size_t>(n)] += rc * area / 4.0;
    }
    double stored = 0.0;
    for (std::size_t i = 0; i < C.size(); ++i) stored += C[i] * (h.T.back()[i] - h.T.front()[i]);
    const double released = rc * 2.56 * 40.0 * (1.0 - std::exp(-1.2 * 8.0));
    EXPECT_NEAR(h.balance.released, released, 1e-9 * released);
    EXPECT_NEAR(released, stored + h.balance.lost, 1e-6 * released);
    // The pipe cools the node next to it while it runs, and not before.
    const std::size_t near = 4 * 9 + 3;  // (600, 800)
    const std::size_t far = 8;           // (1600, 0)
    EXPECT_NEAR(h.T[1][near] - h.T[1][far], 0.0, 0.05);  // 0.5 days: not yet running
    EXPECT_LT(h.T[6][near], h.T[6][far] - 3.0);           // 3 days
}

TEST(Pipes, RefusedWithFileLineAndKey) {
    const HeatMesh mesh = Grid(10, 10, 2000.0, 2000.0);
    const auto error = [&](const std::string& pipe, const std::string& extra = "") {
        try {
            const HeatSettings s = ParseHeatSettings(SquareCase(pipe) + extra, "heat.toml");
            (void)CouplePipes(s, mesh, AssignMaterials(s, mesh));
        } catch (const RunError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const std::string rest = "\ndiameter = 32.0\nwall = { thickness = 2.9, conductivity = 0.4 }\nflow = 20.0\ninlet = 10.0";
    EXPECT_NE(error("x = 2500.0\ny = 1000.0" + rest).find("heat.toml, line 19: key \"pipe.x\": the pipe at (2500, 1000) mm lies outside the mesh"),
              std::string::npos);
    EXPECT_NE(error("x = 1990.0\ny = 1000.0" + rest).find("reaches out of the mesh"), std::string::npos);
    // Elements 1 to 50 (the lower half) are another material: a pipe on their top edge crosses it.
    const std::string region = "[[region]]\nelements = [[1, 50]]\nconductivity = 1.5\n";
    EXPECT_NE(error("x = 1100.0\ny = 1005.0" + rest, region).find("crosses the edge between element"), std::string::npos);
    EXPECT_NE(error("x = 1000.0\ny = 1000.0\ndiameter = 250.0\nwall = { thickness = 20.0, conductivity = 0.4 }\nflow = 20.0\ninlet = 10.0")
                  .find("key \"pipe.diameter\": the elements around the pipe"),
              std::string::npos);
    EXPECT_NE(error("x = 1000.0\ny = 1000.0\ndiameter = 32.0\nwall = { thickness = 2.0, material = \"copper\" }\nflow = 20.0\ninlet = 10.0")
                  .find("key \"pipe.wall.material\": \"copper\" is not a known pipe wall (known: \"steel\", \"stainless steel\""),
              std::string::npos);
    EXPECT_NE(error("x = 1000.0\ny = 1000.0\ndiameter = 32.0\nwall = { thickness = 2.0, material = \"steel\" }\nflow = 20.0\ninlet = 50.0")
                  .find("key \"pipe.inlet\": the water's properties are known from 0 to 35 C, not at 50 C"),
              std::string::npos);
    EXPECT_NE(error(PlasticPipe + "\n[[pipe]]\n" + PlasticPipe).find("heat.toml, line 26: key \"pipe.x\": the pipe at "
                                                                  "(1000, 1000) mm overlaps the pipe of line 19"),
              std::string::npos);
    EXPECT_NE(error(PlasticPipe + "\noperating = [5.0, 2.0]").find("key \"pipe.operating\""), std::string::npos);
}

}  // namespace
}  // namespace tc::heat
