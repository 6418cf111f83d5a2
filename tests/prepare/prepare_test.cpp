// thermocrack prepare: the meshes of each shape (shared nodes, counter-clockwise corners, areas that
// add up to the section's, no hanging nodes), the bars' places and areas, refused layouts, the
// capacity refusal's suggested size, messages naming file, line and key with nothing written, the
// heat-only parts matched by coordinates, and the example wall made again from its description.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <string>

#include "heat/heat_test_support.hpp"
#include "description_support.hpp"
#include "prepare/prepare.hpp"
#include "records/run_error.hpp"
#include "support/child_process.hpp"
#include "test_paths.hpp"

namespace tc::prepare {
namespace {

namespace fs = std::filesystem;

// A description with the given parts, mesh size and bars; the rest fixed.
std::string Describe(const std::string& parts, const std::string& size, const std::string& bars = "") {
    return parts + "\n[mesh]\nsize = " + size + "\n" + bars + R"(
)" + fixtures::ConcreteTable() + fixtures::GivenDeckTables() + R"([ambient]
temperature = 5.0
[[boundary]]
side = "top"
h = 14.0
[output]
ages = [0.5, 1.0, 2.0]
)";
}

std::string Rect(const std::string& name, double x0, double x1, double y0, double y1, bool young = true) {
    char t[256];
    std::snprintf(t, sizeof t, "[[part]]\nname = \"%s\"\nrectangle = { x = [%g, %g], y = [%g, %g] }\n%s", name.c_str(),
                  x0, x1, y0, y1, young ? "" : "young = false\ninitial_temperature = 10.0\n");
    return t;
}

double SignedArea(const heat::HeatMesh& m, const std::array<std::int32_t, 4>& e) {
    double a = 0.0;
    for (std::size_t k = 0; k < 4; ++k) {
        const auto i = static_cast<std::size_t>(e[k]), j = static_cast<std::size_t>(e[(k + 1) % 4]);
        a += m.x[i] * m.y[j] - m.x[j] * m.y[i];
    }
    return a / 2.0;
}

// Checks a mesh: corners counter-clockwise, no two nodes alike, every node used, nodes row by row,
// areas adding up to area, and the edges used by one element only adding up to the perimeter (a
// node hanging on a neighbour's edge would add length there).
void ExpectSoundMesh(const heat::HeatMesh& m, double area, double perimeter) {
    double sum = 0.0;
    std::map<std::pair<std::int32_t, std::int32_t>, int> edges;
    std::vector<int> used(static_cast<std::size_t>(m.NX()), 0);
    for (const auto& e : m.elements) {
        const double a = SignedArea(m, e);
        EXPECT_GT(a, 0.0);
        sum += a;
        for (std::size_t k = 0; k < 4; ++k) {
            used[static_cast<std::size_t>(e[k])] = 1;
            edges[{std::min(e[k], e[(k + 1) % 4]), std::max(e[k], e[(k + 1) % 4])}]++;
        }
    }
    EXPECT_NEAR(sum, area, 1e-9 * area);
    double outline = 0.0;
    for (const auto& [edge, count] : edges) {
        EXPECT_LE(count, 2);
        if (count == 1) {
            const auto a = static_cast<std::size_t>(edge.first), b = static_cast<std::size_t>(edge.second);
            outline += std::hypot(m.x[a] - m.x[b], m.y[a] - m.y[b]);
        }
    }
    EXPECT_NEAR(outline, perimeter, 1e-9 * perimeter);
    std::map<std::pair<double, double>, int> seen;
    for (std::size_t n = 0; n < used.size(); ++n) {
        EXPECT_EQ(used[n], 1) << "node " << n + 1 << " is used by no element";
        const int before = seen[std::make_pair(m.x[n], m.y[n])]++;
        EXPECT_EQ(before, 0) << "node " << n + 1 << " doubles another";
        if (n > 0) {
            EXPECT_TRUE(m.y[n] > m.y[n - 1] || (m.y[n] == m.y[n - 1] && m.x[n] > m.x[n - 1]));
        }
    }
}

TEST(PrepareMesh, EachShapeSharesItsNodesAndAddsUpToTheSection) {
    {  // a rectangle
        const Description d = ParseDescription(Describe(Rect("r", 0, 400, 0, 3000), "[40.0, 100.0]"), "d.toml");
        const SectionMesh m = MeshSection(d);
        EXPECT_EQ(m.mesh.NX(), 341);
        EXPECT_EQ(m.mesh.NELX(), 300);
        EXPECT_EQ(m.mesh.elements[0], (std::array<std::int32_t, 4>{0, 1, 12, 11}));
        ExpectSoundMesh(m.mesh, 400.0 * 3000.0, 2 * (400.0 + 3000.0));
    }
    {  // a wall on a wider footing: the footing's top edge is cut where the wall stands
        const Description d = ParseDescription(
            Describe(Rect("footing", 0, 1000, 0, 300) + Rect("wall", 350, 650, 300, 2300), "75.0"), "d.toml");
        const SectionMesh m = MeshSection(d);
        ExpectSoundMesh(m.mesh, 1000.0 * 300.0 + 300.0 * 2000.0, 2 * (1000.0 + 300.0) + 2 * 2000.0);
    }
    {  // a battered wall on a footing, and alone
        const std::string trap = "[[part]]\nname = \"wall\"\ntrapezoid = { y = [300.0, 3300.0], bottom = [200.0, 800.0], "
                                 "top = [500.0, 800.0] }\n";
        const Description d = ParseDescription(Describe(Rect("footing", 0, 1000, 0, 300) + trap, "100.0"), "d.toml");
        const SectionMesh m = MeshSection(d);
        const double slope = std::hypot(300.0, 3000.0);
        ExpectSoundMesh(m.mesh, 1000.0 * 300.0 + (600.0 + 300.0) / 2.0 * 3000.0,
                        2 * (1000.0 + 300.0) - 600.0 + 300.0 + 3000.0 + slope);
        const Description alone = ParseDescription(Describe(trap, "100.0"), "d.toml");
        ExpectSoundMesh(MeshSection(alone).mesh, (600.0 + 300.0) / 2.0 * 3000.0, 600.0 + 300.0 + 3000.0 + slope);
    }
}

TEST(PrepareMesh, RefusesPartsThatDoNotShareEdgesAndMeshesOverTheCapacity) {
    const auto message = [](const std::string& text) {
        try {
            const Description d = ParseDescription(text, "d.toml");
            MeshSection(d);
        } catch (const RunError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    // Touching at a corner only; apart; overlapping.
    EXPECT_NE(message(Describe(Rect("a", 0, 100, 0, 100) + Rect("b", 100, 200, 100, 200), "50.0"))
                  .find("part \"b\" shares no edge with part \"a\""),
              std::string::npos);
    EXPECT_NE(message(Describe(Rect("a", 0, 100, 0, 100) + Rect("b", 300, 400, 0, 100), "50.0")).find("\"b\" shares no edge"),
              std::string::npos);
    EXPECT_NE(message(Describe(Rect("a", 0, 100, 0, 100) + Rect("b", 50, 150, 50, 150), "50.0"))
                  .find("line 4: part \"b\" overlaps part \"a\""),
              std::string::npos);

    // 400 x 3000 at 10 mm is 12 000 elements; the smallest size that fits is named, and fits.
    const std::string text = Describe(Rect("r", 0, 400, 0, 3000), "10.0");
    const std::string m = message(text);
    EXPECT_NE(m.find("d.toml, line 6: key \"mesh.size\": 10 mm gives 12000 elements"), std::string::npos) << m;
    const auto at = m.find("the smallest size that fits is ");
    ASSERT_NE(at, std::string::npos) << m;
    const double size = std::atof(m.c_str() + at + 31);
    const Description d = ParseDescription(text, "d.toml");
    const auto fits = MeshCounts(d, size, size);
    const auto over = MeshCounts(d, size - 0.1, size - 0.1);
    EXPECT_TRUE(fits[0] <= MaxNodes && fits[1] <= MaxElements) << size;
    EXPECT_FALSE(over[0] <= MaxNodes && over[1] <= MaxElements) << size;
}

TEST(PrepareBars, LayersPlaceBarsAtTheirCoverWithTheirArea) {
    const std::string bars = R"(
[[bars]]
face = "bottom"
cover = 40.0
cover_to = "surface"
diameter = 16.0
spacing = 300.0
[[bars]]
y = 500.0
diameter = 10.0
count = 2
between = [100.0, 500.0]
)";
    const Description d = ParseDescription(Describe(Rect("r", 0, 1000, 0, 600), "100.0", bars), "d.toml");
    const std::vector<Bar> placed = PlaceBars(d);
    ASSERT_EQ(placed.size(), 5u);
    // Three bars over 1000 mm at 300 mm: 200 mm from the ends, 40 + 8 mm up.
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(placed[i].x, 200.0 + 300.0 * static_cast<double>(i));
        EXPECT_DOUBLE_EQ(placed[i].y, 48.0);
        EXPECT_DOUBLE_EQ(placed[i].area, std::numbers::pi * 64.0);
    }
    // Two bars in the middles of the halves of 100..500.
    EXPECT_DOUBLE_EQ(placed[3].x, 200.0);
    EXPECT_DOUBLE_EQ(placed[4].x, 400.0);
    EXPECT_DOUBLE_EQ(placed[4].y, 500.0);
    EXPECT_DOUBLE_EQ(placed[4].area, std::numbers::pi * 25.0);

    // A battered face: bars square to the slope at the cover; a line outside the concrete is refused.
    const std::string trap = "[[part]]\ntrapezoid = { y = [0.0, 3000.0], bottom = [0.0, 600.0], top = [300.0, 600.0] }\n";
    const Description b = ParseDescription(
        Describe(trap, "100.0", "[[bars]]\nface = \"left\"\ncover = 50.0\ncover_to = \"centre\"\ndiameter = 20.0\ncount = 1\n"),
        "d.toml");
    const std::vector<Bar> one = PlaceBars(b);
    ASSERT_EQ(one.size(), 1u);
    const double len = std::hypot(300.0, 3000.0);
    EXPECT_NEAR(one[0].x, 150.0 + 50.0 * 3000.0 / len, 1e-6);
    EXPECT_NEAR(one[0].y, 1500.0 - 50.0 * 300.0 / len, 1e-6);
    const Description out = ParseDescription(
        Describe(Rect("r", 0, 1000, 0, 600), "100.0", "[[bars]]\nface = \"top\"\ncover = 700.0\ncover_to = \"centre\"\ndiameter = 20.0\ncount = 1\n"),
        "d.toml");
    EXPECT_THROW(PlaceBars(out), RunError);
}

TEST(PrepareCommand, ErrorsNameFileLineAndKeyAndWriteNothing) {
    const fs::path dir = fs::temp_directory_path() / "thermocrack-prepare-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string good = Describe(Rect("r", 0, 400, 0, 1000), "100.0");
    const auto run = [&](const std::string& text, const std::string& expected) {
        std::ofstream(dir / "d.toml", std::ios::binary) << text;
        const testing::ProgramRun done =
            testing::RunProgram(testing::BinaryPath(), {"prepare", (dir / "d.toml").string(), "--out", (dir / "job").string()},
                                dir, dir / "out", dir / "err");
        const std::string& err = done.error;
        EXPECT_TRUE(done.exited && done.exitCode != 0);
        EXPECT_NE(err.find(expected), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(dir / "job"));
        EXPECT_FALSE(fs::exists(dir / "job.partial"));
    };
    // The line of the first occurrence of what in text.
    const auto line = [](const std::string& text, const std::string& what) {
        const auto at = text.find(what);
        return "d.toml, line " + std::to_string(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1);
    };
    std::string typo = good;
    typo.replace(typo.find("Rm2 = 0.5\n"), 10, "Rm2 = 0.5\nRm3 = 0.1\n");
    run(typo, line(typo, "Rm3") + ": key \"restraint.Rm3\": is not a known key");
    const std::string bars = good + "[[bars]]\nface = \"left\"\ncover = 60.0\ndiameter = 19.0\nspacing = 200.0\n";
    run(bars, line(bars, "[[bars]]") + ": key \"bars.cover_to\": is missing");
    // A key of the heat analysis's tables: the description's own line.
    std::string side = good;
    side.replace(side.find("side = \"top\""), 12, "side = \"up\"");
    run(side, line(side, "side = \"up\"") + ": key \"boundary.side\"");
    fs::remove_all(dir);
}

TEST(PrepareCommand, HeatOnlyPartsShareTheJobsCoordinatesAndTheExampleWallIsMadeAgain) {
    const Description d = ParseDescription(
        Describe(Rect("ground", 0, 1000, 0, 500, false) + Rect("slab", 0, 1000, 500, 900), "[100.0, 50.0]"), "d.toml");
    const SectionMesh all = MeshSection(d);
    const SectionMesh young = YoungConcreteMesh(d, all);
    EXPECT_EQ(young.mesh.NELX(), 80);
    EXPECT_EQ(all.mesh.NELX(), 180);
    const std::vector<std::int32_t> match = heat::MatchMeshNodes(young.mesh, all.mesh);
    for (std::size_t n = 0; n < match.size(); ++n) {
        EXPECT_EQ(young.mesh.x[n], all.mesh.x[static_cast<std::size_t>(match[n])]);
        EXPECT_EQ(young.mesh.y[n], all.mesh.y[static_cast<std::size_t>(match[n])]);
    }
    ExpectSoundMesh(young.mesh, 1000.0 * 400.0, 2 * 1400.0);
    // heat.toml's region lists exactly the ground's elements of the heat mesh.
    const heat::HeatSettings s = heat::ParseHeatSettings(HeatSettingsText(d, all, "d-heat.dat"), "heat.toml");
    ASSERT_EQ(s.regions.size(), 1u);
    EXPECT_EQ(s.mesh, "d-heat.dat");
    EXPECT_EQ(s.regions[0].elements, (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 100}}));

    const fs::path dir = fs::temp_directory_path() / "thermocrack-prepare-wall";
    fs::remove_all(dir);
    const fs::path source = testing::SourceDir() / "examples";
    fs::create_directories(dir.parent_path());
    const testing::ProgramRun done = testing::RunProgram(
        testing::BinaryPath(), {"prepare", (source / "wall.toml").string(), "--out", dir.string()}, dir.parent_path(),
        dir.parent_path() / "prepare-out.txt", dir.parent_path() / "prepare-err.txt");
    ASSERT_TRUE(done.exited && done.exitCode == 0) << done.error;
    for (const char* name : {"title.dat", "wall.inp", "wall.dat", "heat.toml", "wall.tmp", "derived.toml"}) {
        std::ifstream a(dir / name, std::ios::binary), b(source / "wall" / "job" / name, std::ios::binary);
        const std::string made((std::istreambuf_iterator<char>(a)), {}), kept((std::istreambuf_iterator<char>(b)), {});
        if (std::string(name) == "heat.toml") {  // its comment names the description as given
            EXPECT_EQ(made.substr(made.find("[concrete]")), kept.substr(kept.find("[concrete]")));
        } else if (std::string(name) == "derived.toml") {  // so does its description line
            EXPECT_EQ(made.substr(made.find("\n[")), kept.substr(kept.find("\n[")));
        } else {
            EXPECT_EQ(made, kept) << name;
        }
    }
    fs::remove_all(dir);
}

// A description's [site], covers and weather reach heat.toml as ages: the heat.toml written gives the
// same temperatures as the description's own settings, and a cover stays a cover.
TEST(PrepareCommand, SiteCoversAndWeatherReachHeatToml) {
    std::string text = Describe(Rect("slab", 0, 400, 0, 300), "[100.0, 100.0]") +
                       "[site]\nplacing = 2026-06-01T07:00:00\n";
    const auto replace = [&](const std::string& from, const std::string& to) { text.replace(text.find(from), from.size(), to); };
    replace("temperature = 5.0", "temperature = { mean = 5.0, amplitude = 3.0, peak_hour = 14.0 }\nwind = 3.0\nsolar = 500.0");
    replace("h = 14.0", "cover = [{ from = 0.0, layers = [{ material = \"softwood\", thickness = 18.0 }] }, { from = 1.0 }]\n"
                        "exposure = \"leeward\"");
    const Description d = ParseDescription(text, "d.toml");
    const SectionMesh all = MeshSection(d);
    const heat::HeatSettings written = heat::ParseHeatSettings(HeatSettingsText(d, all, ""), "heat.toml");
    ASSERT_TRUE(written.boundaries[0].cover.given);
    EXPECT_EQ(written.boundaries[0].cover.exposure, "leeward");
    EXPECT_NEAR(written.ambient.peak, 7.0 / 24.0, 1e-12);
    std::vector<std::vector<double>> runs[2];
    for (int k = 0; k < 2; ++k) {
        heat::RunHeatAnalysis(k == 0 ? d.heat : written, all.mesh,
                              [&](double, const std::vector<double>& T) { runs[k].push_back(T); });
    }
    ASSERT_EQ(runs[0].size(), runs[1].size());
    for (std::size_t b = 0; b < runs[0].size(); ++b) {
        for (std::size_t n = 0; n < runs[0][b].size(); ++n) EXPECT_NEAR(runs[0][b][n], runs[1][b][n], 1e-9);
    }
}

}  // namespace
}  // namespace tc::prepare
