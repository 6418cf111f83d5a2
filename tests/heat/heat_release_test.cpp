// Heat released on the equivalent age against solutions known without the code: an insulated
// section against the hydration ODE solved here, the adiabatic curve on its own test's clock, the
// energy balance; the mix model's parameters; the refusals of a heat source.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "heat/heat.hpp"
#include "heat/read_heat_release.hpp"
#include "heat_test_support.hpp"
#include "records/run_error.hpp"

namespace tc::heat {
namespace {

using testing::Grid;
using testing::History;
using testing::RunHeatCase;

std::string Insulated(double placing, const std::string& source) {
    return "[concrete]\nconductivity = 2.7\ndensity = 2400.0\nspecific_heat = 1000.0\nplacing_temperature = " +
           std::to_string(placing) + "\n" + source + "\n[output]\nages = [0.25, 0.5, 1.0, 1.5, 2.0, 3.0, 5.0, 7.0, 14.0, 40.0]\n";
}

// rho c dT/dt = Hu C dalpha/dt_e exp((E/R)(1/T_r - 1/T)), alpha = alpha_u exp(-(tau/t_e)^beta), by
// the classical Runge-Kutta method in steps of 5 s on (T, t_e).
std::vector<double> HydrationOde(double placing, const std::vector<double>& ages) {
    const double Hu = 450000.0, C = 350.0, au = 0.75, tau = 14.0, beta = 0.9, E = 42000.0, Tr = 21.1, rc = 2400.0 * 1000.0;
    const auto rate = [&](double T) { return std::exp(E / 8.314 * (1.0 / (Tr + 273.15) - 1.0 / (T + 273.15))); };
    const auto dAlpha = [&](double te) {  // per hour of equivalent age
        if (te <= 0.0) return 0.0;
        return au * std::exp(-std::pow(tau / te, beta)) * beta / te * std::pow(tau / te, beta);
    };
    const auto f = [&](double T, double te, double& dT, double& dte) {  // per hour
        dte = rate(T);
        dT = Hu * C * dAlpha(te) * dte / rc;
    };
    std::vector<double> out;
    double T = placing, te = 0.0, t = 0.0;
    const double h = 5.0 / 3600.0;
    for (double age : ages) {
        while (t < age * 24.0 - 1e-9) {
            double a1, b1, a2, b2, a3, b3, a4, b4;
            f(T, te, a1, b1);
            f(T + h / 2 * a1, te + h / 2 * b1, a2, b2);
            f(T + h / 2 * a2, te + h / 2 * b2, a3, b3);
            f(T + h * a3, te + h * b3, a4, b4);
            T += h / 6 * (a1 + 2 * a2 + 2 * a3 + a4);
            te += h / 6 * (b1 + 2 * b2 + 2 * b3 + b4);
            t += h;
        }
        out.push_back(T);
    }
    return out;
}

TEST(HeatRelease, InsulatedHydrationFollowsTheIndependentSolutionAtTwoPlacingTemperatures) {
    const HeatMesh mesh = Grid(2, 2, 400.0, 400.0);
    for (double placing : {10.0, 30.0}) {
        const History h = RunHeatCase(Insulated(placing, "hydration = { Hu = 450000.0, cementitious = 350.0, alpha_u = 0.75, "
                                                         "tau = 14.0, beta = 0.9, activation_energy = 42000.0, "
                                                         "reference_temperature = 21.1 }"),
                                      mesh);
        const std::vector<double> expected = HydrationOde(placing, h.ages);
        for (std::size_t k = 0; k < h.ages.size(); ++k) {
            for (double T : h.T[k]) ASSERT_NEAR(T, expected[k], 0.01) << "placed at " << placing << ", age " << h.ages[k];
        }
    }
}

// Placed at the test's own temperature, an insulated section follows the test's curve; placed 10 C
// colder it heats more slowly and reaches the same final rise later.
TEST(HeatRelease, AdiabaticCurveOnTheEquivalentAgeKeepsTheTestsCourse) {
    const HeatMesh mesh = Grid(1, 2, 300.0, 300.0);
    const std::string source =
        "adiabatic_rise = { K = 45.0, alpha = 1.1, beta = 1.2, t0 = 0.1, activation_energy = 40000.0, "
        "test_placing_temperature = 20.0 }";
    const History warm = RunHeatCase(Insulated(20.0, source), mesh);
    const History cold = RunHeatCase(Insulated(10.0, source), mesh);
    for (std::size_t k = 0; k < warm.ages.size(); ++k) {
        const double t = warm.ages[k];
        const double curve = t > 0.1 ? 45.0 * (1.0 - std::exp(-1.1 * std::pow(t - 0.1, 1.2))) : 0.0;
        ASSERT_NEAR(warm.T[k][0], 20.0 + curve, 0.01) << "age " << t;
        if (t <= 3.0) {
            EXPECT_LT(cold.T[k][0] - 10.0, warm.T[k][0] - 20.0 - 1.0) << "age " << t;
        }
    }
    EXPECT_NEAR(cold.T.back()[0] - 10.0, 45.0, 0.01);
}

// What the section stores and loses balances the heat released, with a hydration source in the
// concrete and a mix in a region cast with it, under convection and a fixed face.
TEST(HeatRelease, EnergyBalanceHoldsOnTheEquivalentAge) {
    const HeatMesh mesh = Grid(4, 6, 400.0, 600.0);
    const History h = RunHeatCase(R"(
[concrete]
conductivity = 2.7
density = 2400.0
specific_heat = 1150.0
placing_temperature = 20.0
hydration = { Hu = 460000.0, cementitious = 330.0, alpha_u = 0.72, tau = 15.0, beta = 0.9, activation_energy = 42000.0, reference_temperature = 21.1 }
[ambient]
temperature = { mean = 10.0, amplitude = 5.0, peak = 0.6 }
[[boundary]]
side = "left"
h = [[0.0, 6.0], [2.5, 14.0]]
[[boundary]]
side = "bottom"
fixed = 12.0
[[region]]
elements = [[1, 8]]
heat = true
initial_temperature = 25.0
[region.mix]
cement = 300.0
composition = { C3S = 0.55, C2S = 0.18, C3A = 0.10, C4AF = 0.08, SO3 = 0.03, free_CaO = 0.01, MgO = 0.02, blaine = 370.0 }
fly_ash = 100.0
fly_ash_CaO = 0.2
water = 180.0
[output]
start = 0.0
step = 0.5
end = 10.0
)",
                                  mesh);
    const double area = 0.1 * 0.1;
    std::vector<double> C(mesh.x.size(), 0.0);
    for (const auto& e : mesh.elements) {
        for (int n : e) C[static_cast<std::size_t>(n)] += 2400.0 * 1150.0 * area / 4.0;
    }
    double stored = 0.0;
    for (std::size_t i = 0; i < C.size(); ++i) stored += C[i] * (h.T.back()[i] - h.T.front()[i]);
    ASSERT_GT(h.balance.released, 0.0);
    EXPECT_NEAR(h.balance.released, stored + h.balance.lost, 1e-6 * h.balance.released);
}

// The mix model's parameters for a cement of C3S 55, C2S 18, C3A 10, C4AF 8, SO3 3, free CaO 1,
// MgO 2 %, Blaine 370 m2/kg, worked by hand from the model's equations (README): alone, and with fly
// ash (CaO 20 %) and slag.
TEST(HeatRelease, MixGivesTheModelsParameters) {
    MixDesign mix;
    mix.cement = 400.0;
    mix.water = 180.0;
    mix.composition = {0.55, 0.18, 0.10, 0.08, 0.03, 0.01, 0.02, 370.0};
    DerivedHydration d = DeriveMixHydration(mix);
    EXPECT_NEAR(d.hydration.Hu, 489580.0, 1.0);
    EXPECT_NEAR(d.hydration.alphaU, 1.031 * 0.45 / (0.194 + 0.45), 1e-12);  // 0.7204
    EXPECT_NEAR(d.hydration.tau, 14.87, 0.01);
    EXPECT_NEAR(d.hydration.beta, 0.676, 0.001);
    EXPECT_NEAR(d.activationEnergy, 46670.0, 5.0);
    EXPECT_DOUBLE_EQ(d.referenceTemperature, 21.1);
    mix.cement = 300.0;
    mix.flyAsh = 100.0;
    mix.flyAshCaO = 0.2;
    mix.slag = 50.0;
    d = DeriveMixHydration(mix);
    EXPECT_NEAR(d.hydration.Hu, 457608.9, 0.1);
    EXPECT_NEAR(d.hydration.cementitious, 450.0, 1e-12);
    EXPECT_NEAR(d.hydration.alphaU, 0.838721, 1e-6);
    EXPECT_NEAR(d.hydration.tau, 28.9182, 1e-4);
    EXPECT_NEAR(d.hydration.beta, 0.629107, 1e-6);
    EXPECT_NEAR(d.activationEnergy, 43299.15, 0.01);
}

// A refused heat source names the file, the line and the key.
TEST(HeatRelease, SourceErrorsNameFileLineAndKey) {
    const std::string head = "[concrete]\nconductivity = 2.7\ndensity = 2400.0\nspecific_heat = 1150.0\nplacing_temperature = 20.0\n";
    const std::string tail = "[output]\nages = [1.0]\n";
    const std::string mix = "[concrete.mix]\ncement = 300.0\ncement_type = \"CEM I typical (BS EN 197-1)\"\nblaine = 380.0\nwater = 160.0\n";
    const auto replaced = [&](std::string s, const std::string& from, const std::string& to) {
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    struct Case {
        std::string toml, message;
    };
    const Case cases[] = {
        {head + "adiabatic_rise = { K = 40.0, alpha = 1.0 }\n" + mix + tail,
         "heat.toml, line 7: key \"concrete.mix\": give only one heat source (adiabatic_rise, hydration or mix); "
         "concrete.adiabatic_rise is given at line 6"},
        {head + replaced(mix, "cement = 300.0\n", "") + tail, "heat.toml, line 6: key \"concrete.mix.cement\": is missing"},
        {head + replaced(mix, "cement = 300.0", "cement = 0.0") + tail,
         "heat.toml, line 7: key \"concrete.mix.cement\": must be above 0 kg/m3"},
        {head + replaced(mix, "water = 160.0", "water = 160.0\nfly_ash = 80.0\nfly_ash_CaO = 12.0") + tail,
         "heat.toml, line 12: key \"concrete.mix.fly_ash_CaO\": is a share of the mass and must lie between 0 and 1"},
        {head + replaced(mix, "cement_type = \"CEM I typical (BS EN 197-1)\"\nblaine = 380.0",
                         "composition = { C3S = 0.6, C2S = 0.3, C3A = 0.1, C4AF = 0.1, SO3 = 0.03, blaine = 380.0 }") + tail,
         "heat.toml, line 8: key \"concrete.mix.composition\": the phases add up to 113 %, above 100 %"},
        {head + replaced(mix, "CEM I typical (BS EN 197-1)", "Type I") + tail,
         "heat.toml, line 8: key \"concrete.mix.cement_type\": \"Type I\" is not a known cement type (known: "
         "\"CEM I typical (BS EN 197-1)\")"},
        {head + "adiabatic_rise = { K = 40.0, alpha = 1.0, activation_energy = 40000.0 }\n" + tail,
         "heat.toml, line 6: key \"concrete.adiabatic_rise.test_placing_temperature\": is missing"},
        {head + "hydration = { Hu = 450.0, cementitious = 350.0, alpha_u = 0.75, tau = 14.0, beta = 0.9, "
                "activation_energy = 42000.0, reference_temperature = 21.1 }\n" + tail,
         "heat.toml, line 6: key \"concrete.hydration.Hu\": is in J per kg of cementitious material"},
    };
    for (const Case& c : cases) {
        try {
            ParseHeatSettings(c.toml, "heat.toml");
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const RunError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace tc::heat
