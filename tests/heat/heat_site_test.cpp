// Surfaces from their cover, the sun and the sky, the site's clock and its weather file, each against
// a solution worked out here without the program: the series solution of a plane wall with the
// combined coefficient 1 / (1 / h_c + sum t / k), the surface energy balance of a steady slab solved
// by bisection, and a weather file against the [[age, C]] tables it stands for.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <numbers>
#include <string>

#include "heat/heat.hpp"
#include "heat/weather.hpp"
#include "heat_test_support.hpp"
#include "records/run_error.hpp"

namespace tc::heat {
namespace {

using testing::Grid;
using testing::History;
using testing::PlaneWall;
using testing::RunHeatCase;

// A slab 400 mm thick cooling through both faces, each under plywood-like softwood 18 mm, 20 mm of a
// board of 0.04 W/(m K) and a sheet of 0.05 m2 K/W in a wind of 3 m/s (no long-wave exchange:
// emissivity 0): U = 1 / (1 / (4.5 + 1.6 * 3) + 0.018 / 0.13 + 0.020 / 0.04 + 0.05), the series
// solution with Bi = U L / k.
TEST(HeatSite, LayeredCoverGivesTheSeriesSolutionWithTheCombinedCoefficient) {
    const std::string cover = R"(cover = [{ from = 0.05, layers = [{ material = "softwood", thickness = 18.0 },
  { conductivity = 0.04, thickness = 20.0 }, { resistance = 0.05 }] }]
emissivity = 0.0
)";
    const std::string toml = R"(
[concrete]
conductivity = 2.0
density = 2400.0
specific_heat = 1000.0
placing_temperature = 40.0
adiabatic_rise = { K = 0.0, alpha = 1.0 }
[ambient]
temperature = 20.0
wind = 3.0
[[boundary]]
side = "top"
)" + cover + "[[boundary]]\nside = \"bottom\"\n" + cover + "[output]\nages = [0.5, 2.0, 5.0]\n";
    const double U = 1.0 / (1.0 / (4.5 + 1.6 * 3.0) + 0.018 / 0.13 + 0.020 / 0.04 + 0.05);
    const double L = 0.2, a = 2.0 / (2400.0 * 1000.0), Bi = U * L / 2.0;
    StepOptions fine;
    fine.maxStep = fine.firstDayStep = 2e-3;
    const int rows = 20;
    const HeatMesh mesh = Grid(1, rows, 50.0, 400.0);
    const History h = RunHeatCase(toml, mesh, fine);
    double worst = 0.0;
    for (std::size_t k = 0; k < h.ages.size(); ++k) {
        const double Fo = a * (h.ages[k] - 0.05) * 86400.0 / (L * L);
        for (int node : {0, rows, rows * 2}) {
            const double y = mesh.y[static_cast<std::size_t>(node)] * 0.001 - L;
            const double exact = 20.0 + 20.0 * PlaneWall(Bi, Fo, y / L);
            EXPECT_NEAR(h.T[k][static_cast<std::size_t>(node)], exact, 0.01) << "age " << h.ages[k] << ", y " << y;
            worst = std::max(worst, std::abs(h.T[k][static_cast<std::size_t>(node)] - exact));
        }
    }
    RecordProperty("largest_error_c", std::to_string(worst));
}

// The sky's temperature, worked here: Swinbank's clear sky T_s = 0.0552 T_a^1.5, its emissivity
// (T_s / T_a)^4, the cloud term e = (1 - 0.84 c) e_clear + 0.84 c (kelvin).
double Sky(double airC, double c) {
    const double Ta = airC + 273.15;
    const double clear = std::pow(0.0552 * std::pow(Ta, 1.5) / Ta, 4.0);
    return std::pow((1.0 - 0.84 * c) * clear + 0.84 * c, 0.25) * Ta - 273.15;
}

// The heat a face at To gives to the weather (W/m2): convection, long-wave to the sky (share F of
// its view) and to surroundings at the air's temperature, less the sun it absorbs.
double Given(double To, double air, double wind, double solar, double cloud, double F, double sun) {
    const double s = 5.670374419e-8, e = 0.9, alpha = 0.7;
    const auto k4 = [](double c) { return std::pow(c + 273.15, 4.0); };
    return (4.5 + 1.6 * wind) * (To - air) + e * s * (F * (k4(To) - k4(Sky(air, cloud))) + (1.0 - F) * (k4(To) - k4(air))) -
           alpha * sun * solar;
}

double Bisect(const std::function<double(double)>& f, double lo, double hi) {
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        (f(lo) * f(mid) <= 0.0 ? hi : lo) = mid;
    }
    return 0.5 * (lo + hi);
}

// Steady states with sun and sky: a slab without heat of its own, its back face insulated, in the
// sun under a partly clouded sky, reaches the temperature of the surface energy balance
// Given(T) = 0; with its back face held at 35 C under a 10 mm board on a vertical face (half the sky,
// 0.4 of the sun), the flux through the slab, k (35 - T_s) / L, equals (T_s - T_o) / R = Given(T_o).
TEST(HeatSite, SteadySlabInSunAndSkyMatchesTheSurfaceEnergyBalance) {
    const std::string head = R"(
[concrete]
conductivity = 2.5
density = 2400.0
specific_heat = 1000.0
placing_temperature = 20.0
adiabatic_rise = { K = 0.0, alpha = 1.0 }
[ambient]
temperature = 18.0
wind = 2.0
solar = 600.0
cloud = 0.3
)";
    const HeatMesh mesh = Grid(1, 8, 50.0, 200.0);
    {
        const History h = RunHeatCase(head + "[[boundary]]\nside = \"top\"\ncover = [{ from = 0.0 }]\n"
                                             "[output]\nages = [20.0]\n",
                                      mesh);
        const double expected = Bisect([](double T) { return Given(T, 18.0, 2.0, 600.0, 0.3, 1.0, 1.0); }, -50.0, 100.0);
        double worst = 0.0;
        for (double T : h.T.back()) {
            EXPECT_NEAR(T, expected, 0.01);
            worst = std::max(worst, std::abs(T - expected));
        }
        RecordProperty("insulated_back", std::to_string(expected) + " C, largest error " + std::to_string(worst));
    }
    {
        const History h = RunHeatCase(head + "[[boundary]]\nx = 200.0\ncover = [{ from = 0.0, layers = [{ conductivity = 0.2, "
                                             "thickness = 10.0 }] }]\nsun = 0.4\n[[boundary]]\nx = 0.0\nfixed = 35.0\n"
                                             "[output]\nages = [20.0]\n",
                                      Grid(8, 1, 200.0, 50.0));
        const double L = 0.2, k = 2.5, R = 0.010 / 0.2;
        const auto flux = [&](double To) { return Given(To, 18.0, 2.0, 600.0, 0.3, 0.5, 0.4); };
        const double To = Bisect([&](double o) { return k * (35.0 - (o + R * flux(o))) / L - flux(o); }, -50.0, 100.0);
        const double Ts = To + R * flux(To);
        EXPECT_NEAR(h.T.back()[8], Ts, 0.01);
        EXPECT_NEAR(h.T.back()[4], (Ts + 35.0) / 2.0, 0.01);
        RecordProperty("held_back", std::to_string(Ts) + " C at the face, error " + std::to_string(h.T.back()[8] - Ts));
    }
}

std::string WriteFile(const std::string& name, const std::string& text) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path) << text;
    return path.string();
}

// Hourly records from 06:00 over three days, placing at 07:30: the weather file drives exactly the
// temperatures of [ambient]'s tables at the ages (time - placing) / 1 day, and the heat released is
// stored or given off; a daily cycle's warmest hour at 15:00 is the age 7.5 / 24.
TEST(HeatSite, WeatherFileDrivesTheTemperaturesOfTheEquivalentTables) {
    std::string csv = "# site log\ntime,temperature,wind,solar,cloud\n";
    std::string air = "[", wind = "[", solar = "[", cloud = "[";
    for (int hour = 0; hour <= 72; ++hour) {
        const double T = 15.0 + 6.0 * std::sin(hour * 0.26), v = 1.0 + (hour % 5), G = hour % 24 > 6 && hour % 24 < 19 ? 400.0 + 10.0 * (hour % 7) : 0.0;
        const double c = (hour % 4) * 0.25;
        const int day = 1 + (hour + 6) / 24, clock = (hour + 6) % 24;
        char cells[4][32];
        std::snprintf(cells[0], sizeof cells[0], "%.2f", T);
        std::snprintf(cells[1], sizeof cells[1], "%.1f", v);
        std::snprintf(cells[2], sizeof cells[2], "%.1f", G);
        std::snprintf(cells[3], sizeof cells[3], "%.2f", c);
        char line[160];
        std::snprintf(line, sizeof line, "2026-06-%02dT%02d:00, %s,%s,%s,%s\n", day, clock, cells[0], cells[1], cells[2],
                      cells[3]);
        csv += line;
        const double age = (hour * 60.0 - 90.0) / 1440.0;
        const auto pair = [&](const char* value) {
            char p[80];
            std::snprintf(p, sizeof p, "%s[%.17g, %s]", hour ? ", " : "", age, value);
            return std::string(p);
        };
        air += pair(cells[0]);
        wind += pair(cells[1]);
        solar += pair(cells[2]);
        cloud += pair(cells[3]);
    }
    const std::string file = WriteFile("tc_weather_test.csv", csv);
    const std::string body = R"(
[[boundary]]
side = "top"
cover = [{ from = 0.0, layers = [{ material = "softwood", thickness = 18.0 }] }, { from = 1.0 }]
[[boundary]]
side = "bottom"
h = 6.0
[output]
ages = [0.5, 1.0, 1.5, 2.0, 2.5]
)";
    const std::string concrete = "[concrete]\n" + testing::ThermalKeys("20.0");
    const HeatMesh mesh = Grid(1, 6, 50.0, 300.0);
    const History byFile = RunHeatCase(concrete + "[site]\nplacing = 2026-06-01T07:30:00\nweather = '" + file + "'\n" + body, mesh);
    const History byTable = RunHeatCase(concrete + "[ambient]\ntemperature = " + air + "]\nwind = " + wind + "]\nsolar = " +
                                            solar + "]\ncloud = " + cloud + "]\n" + body,
                                        mesh);
    ASSERT_EQ(byFile.T.size(), byTable.T.size());
    // Heat released = heat stored + heat given to the weather, with the coefficients moving every step
    // (J per metre; each element gives a quarter of its capacity to each of its nodes).
    double stored = 0.0;
    for (const auto& e : mesh.elements) {
        for (int n : e) stored += 2400.0 * 1150.0 * 0.05 * 0.05 / 4.0 * (byFile.T.back()[static_cast<std::size_t>(n)] - 20.0);
    }
    EXPECT_NEAR(byFile.balance.released - byFile.balance.lost, stored, 1e-6 * byFile.balance.released);
    for (std::size_t k = 0; k < byFile.T.size(); ++k) {
        for (std::size_t i = 0; i < byFile.T[k].size(); ++i) EXPECT_NEAR(byFile.T[k][i], byTable.T[k][i], 1e-9);
    }
    const HeatSettings daily = ParseHeatSettings(concrete + "[site]\nplacing = \"2026-06-01T07:30\"\n[ambient]\n"
                                                 "temperature = { mean = 15.0, amplitude = 5.0, peak_hour = 15.0 }\n"
                                                 "[output]\nages = [1.0]\n",
                                                 "heat.toml");
    EXPECT_NEAR(daily.ambient.peak, 7.5 / 24.0, 1e-12);
    EXPECT_EQ(ClockText(*ParseClock("2028-02-29T23:59")), "2028-02-29T23:59");
    std::filesystem::remove(file);
}

// Refused inputs name the file, the line and the key, or the record and the column.
TEST(HeatSite, ErrorsNameFileLineAndKeyOrColumn) {
    const std::string concrete = "[concrete]\n" + testing::ThermalKeys("20.0");  // lines 1 to 6
    const std::string tail = "[output]\nages = [2.0]\n";
    const std::string ambient = "[ambient]\ntemperature = 15.0\nwind = 2.0\nsolar = 300.0\n";  // lines 7 to 10
    const auto refused = [](const std::string& toml) {
        try {
            ParseHeatSettings(toml, "heat.toml");
        } catch (const RunError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refused(concrete + ambient + "[[boundary]]\nside = \"top\"\ncover = [{ from = 1.0 }, { from = 1.0 }]\n" + tail),
              "heat.toml, line 13: key \"boundary.cover.from\": the ages must increase (1 follows 1)");
    const std::string unknown =
        refused(concrete + ambient + "[[boundary]]\nside = \"top\"\ncover = [{ from = 0.0, layers = [{ material = \"plywod\", "
                                     "thickness = 18.0 }] }]\n" + tail);
    EXPECT_NE(unknown.find("heat.toml, line 13: key \"boundary.cover.layers.material\": \"plywod\" is not in the table of "
                           "materials (known: \"steel\""),
              std::string::npos)
        << unknown;
    EXPECT_NE(unknown.find("\"softwood\""), std::string::npos) << unknown;
    EXPECT_EQ(refused(concrete + ambient + "[[boundary]]\nside = \"left\"\ncover = [{ from = 0.0 }]\n" + tail),
              "heat.toml, line 11: key \"boundary.sun\": is missing: a vertical face takes the share of the global "
              "horizontal radiation given here (0 in shade)");
    EXPECT_EQ(refused(concrete + "[ambient]\ntemperature = 15.0\n[[boundary]]\nside = \"top\"\ncover = [{ from = 0.0 }]\n" + tail),
              "heat.toml, line 11: key \"boundary.cover\": needs the wind speed: give [ambient] wind (m/s), or a weather "
              "file ([site] weather)");
    EXPECT_EQ(refused(concrete + "[ambient]\ntemperature = { mean = 15.0, amplitude = 5.0, peak_hour = 15.0 }\n" + tail),
              "heat.toml, line 8: key \"ambient.temperature.peak_hour\": needs [site] placing (the clock time of age 0)");

    const std::string bad = WriteFile("tc_weather_bad.csv", "time,temperature,wind,solar\n2026-06-01T06:00,15,2,0\n"
                                                            "2026-06-01T07:00,16,2.x,0\n");
    EXPECT_EQ(refused(concrete + "[site]\nplacing = 2026-06-01T06:30:00\nweather = '" + bad + "'\n" + tail),
              bad + ", line 3, column 3 (wind): \"2.x\" is not a number");
    const std::string order = WriteFile("tc_weather_order.csv", "time,temperature,wind,solar\n2026-06-01T06:00,15,2,0\n"
                                                                "2026-06-01T05:00,16,2,0\n");
    EXPECT_EQ(refused(concrete + "[site]\nplacing = 2026-06-01T06:30:00\nweather = '" + order + "'\n" + tail),
              order + ", line 3, column 1 (time): 2026-06-01T05:00 does not follow the record before (2026-06-01T06:00)");
    const std::string shortFile = WriteFile("tc_weather_short.csv", "time,temperature,wind,solar\n2026-06-01T06:00,15,2,0\n"
                                                                    "2026-06-02T06:00,16,2,900\n");
    EXPECT_EQ(refused(concrete + "[site]\nplacing = 2026-06-01T06:30:00\nweather = '" + shortFile + "'\n" + tail),
              shortFile + ": its records span 2026-06-01T06:00 to 2026-06-02T06:00, but the heat analysis runs from "
                          "placing 2026-06-01T06:30 to 2026-06-03T06:30 (age 2 days): ages outside the file's span are refused");
    for (const std::string& f : {bad, order, shortFile}) std::filesystem::remove(f);
}

}  // namespace
}  // namespace tc::heat
