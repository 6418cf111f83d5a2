// thermocrack heat on job folders: the temperature file it writes, a second mesh matched to the
// job's nodes, refused settings (file, line and key named; nothing written), the mark that keeps
// another program's file, and the example's independence of the internal time steps.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "heat/heat.hpp"
#include "heat_test_support.hpp"
#include "test_paths.hpp"

namespace tc::heat {
namespace {

namespace fs = std::filesystem;
using testing::Grid;

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// A mesh file in the job's layout; order lists the mesh's nodes in the order to write them.
void WriteMesh(const fs::path& p, const HeatMesh& m, const std::vector<int>& order) {
    std::vector<int> position(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) position[static_cast<std::size_t>(order[k])] = static_cast<int>(k);
    std::string text;
    char line[128];
    std::snprintf(line, sizeof line, "    1\n%5d%5d\n    1    1    4\n", m.NX(), m.NELX());
    text += line;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto i = static_cast<std::size_t>(order[k]);
        std::snprintf(line, sizeof line, "%10zu%10.1f%10.1f\n", k + 1, m.x[i], m.y[i]);
        text += line;
    }
    for (std::size_t e = 0; e < m.elements.size(); ++e) {
        const auto& c = m.elements[e];
        std::snprintf(line, sizeof line, "%10zu%6d%6d%6d%6d%8.1f\n", e + 1, position[static_cast<std::size_t>(c[0])] + 1,
                      position[static_cast<std::size_t>(c[1])] + 1, position[static_cast<std::size_t>(c[2])] + 1,
                      position[static_cast<std::size_t>(c[3])] + 1, 1.0);
        text += line;
    }
    WriteText(p, text);
}

std::vector<int> InOrder(const HeatMesh& m) {
    std::vector<int> order(static_cast<std::size_t>(m.NX()));
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    return order;
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome RunHeat(const fs::path& folder, bool force = false) {
    std::string f = folder.string();
    std::vector<std::string> args = {"heat", f};
    if (force) args.push_back("--force");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    Outcome o;
    o.status = HeatMain(static_cast<int>(argv.size()), argv.data());
    o.out = ::testing::internal::GetCapturedStdout();
    o.err = ::testing::internal::GetCapturedStderr();
    return o;
}

// The blocks of a temperature file: ages and node temperatures.
struct Blocks {
    std::vector<double> ages;
    std::vector<std::vector<double>> T;
};

Blocks ReadBlocks(const fs::path& p, int nx) {
    std::ifstream in(p);
    std::string line;
    Blocks b;
    std::getline(in, line);
    std::getline(in, line);
    const int count = std::stoi(line.substr(0, 5));
    std::getline(in, line);
    for (int k = 0; k < count; ++k) {
        std::getline(in, line);
        b.ages.push_back(std::stod(line.substr(5, 10)));
        b.T.emplace_back();
        while (static_cast<int>(b.T.back().size()) < nx) {
            std::getline(in, line);
            for (std::size_t c = 0; c + 10 <= line.size(); c += 10) b.T.back().push_back(std::stod(line.substr(c, 10)));
        }
    }
    return b;
}

class HeatCommand : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("thermocrack-heat-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        WriteText(folder / "title.dat", "wall\n");
        WriteMesh(folder / "wall.dat", job, InOrder(job));
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
    HeatMesh job = Grid(2, 3, 200.0, 300.0);
};

const std::string Settings = "\n[concrete]\n" + testing::ThermalKeys("20.0") + R"([ambient]
temperature = 10.0
[[boundary]]
side = "left"
h = [[0.0, 8.0], [2.0, 14.0]]
[[boundary]]
side = "top"
h = 14.0
[output]
ages = [0.25, 1.0, 2.5, 7.0]
)";

// The same section meshed a second time with its nodes in another order and a footing below that
// is only a fixed-temperature edge: the job's nodes get the same temperatures as on its own mesh.
TEST_F(HeatCommand, SecondMeshIsMatchedToTheJobNodes) {
    WriteText(folder / "heat.toml", Settings);
    ASSERT_EQ(RunHeat(folder).status, 0);
    const Blocks own = ReadBlocks(folder / "wall.tmp", job.NX());
    const std::string header = ReadText(folder / "wall.tmp").substr(0, 59);
    EXPECT_EQ(header, "   12     thermocrack heat\r\n    4\r\n    6\r\n    1     .2500\r\n");

    std::vector<int> reversed = InOrder(job);
    std::reverse(reversed.begin(), reversed.end());
    WriteMesh(folder / "again.dat", job, reversed);
    WriteText(folder / "heat.toml", std::string("mesh = \"again.dat\"\n") + Settings);
    ASSERT_EQ(RunHeat(folder).status, 0);
    const Blocks matched = ReadBlocks(folder / "wall.tmp", job.NX());
    ASSERT_EQ(matched.T.size(), 4u);
    for (std::size_t k = 0; k < own.T.size(); ++k) {
        for (std::size_t i = 0; i < own.T[k].size(); ++i) EXPECT_NEAR(matched.T[k][i], own.T[k][i], 0.0011);
    }
    EXPECT_GT(own.T[1][4], 20.0);

    // A job node that the second mesh lacks is refused by number; the file stays as it was.
    const std::string before = ReadText(folder / "wall.tmp");
    WriteMesh(folder / "again.dat", Grid(2, 2, 200.0, 200.0), InOrder(Grid(2, 2, 200.0, 200.0)));
    const Outcome o = RunHeat(folder);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("wall.dat: node 10 (X 0.000000, Y 300.000000 mm) has no node of the heat mesh"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(ReadText(folder / "wall.tmp"), before);
}

// Refused settings name the file, the line and the key, and nothing is written.
TEST_F(HeatCommand, SettingsErrorsNameFileLineAndKeyAndWriteNothing) {
    const std::string good = Settings;
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    struct Case {
        std::string toml;
        std::string message;
    };
    const Case cases[] = {
        {replaced("density =", "densty ="), "heat.toml, line 4: key \"concrete.densty\": is not a known key"},
        {replaced("h = 14.0", "h = \"14\""), "heat.toml, line 15: key \"boundary.h\": must be a number or a list"},
        {replaced("specific_heat = 1150.0\n", ""), "heat.toml, line 2: key \"concrete.specific_heat\": is missing"},
        {good + "[[region]]\nelements = [[5, 7]]\nheat = false\n",
         "heat.toml, line 19: key \"region.elements\": elements 5 to 7 lie outside the elements 1 to 6"},
        {replaced("[0.25, 1.0, 2.5, 7.0]", "[0.25, 2.5, 1.0]"),
         "heat.toml, line 17: key \"output.ages\": the ages must increase (1 follows 2.5)"},
        {replaced("side = \"top\"", "side = \"up\""), "heat.toml, line 14: key \"boundary.side\": \"up\" is not one of"},
        {replaced("[output]", "[output\n"), "heat.toml, line 16: "},
    };
    for (const Case& c : cases) {
        WriteText(folder / "heat.toml", c.toml);
        const Outcome o = RunHeat(folder);
        EXPECT_EQ(o.status, 2) << c.message;
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 3) << c.message;
    }
}

// A temperature file that another program wrote is kept unless --force is given.
TEST_F(HeatCommand, ForeignTemperatureFileIsKeptWithoutForce) {
    WriteText(folder / "heat.toml", Settings);
    WriteText(folder / "wall.tmp", "    1\n    1\n    0\n");
    const Outcome o = RunHeat(folder);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("wall.tmp was not written by thermocrack heat"), std::string::npos) << o.err;
    EXPECT_EQ(ReadText(folder / "wall.tmp"), "    1\n    1\n    0\n");
    EXPECT_EQ(RunHeat(folder, true).status, 0);
    EXPECT_EQ(RunHeat(folder).status, 0);
    EXPECT_EQ(ReadBlocks(folder / "wall.tmp", job.NX()).ages.back(), 7.0);
}

// Halving the internal time steps moves no temperature of the example wall (on the concrete's age)
// or of the example footing (its mix released on the equivalent age) by 0.02 C or more.
TEST(HeatSteps, ExamplesDoNotDependOnTheInternalSteps) {
    for (const auto& [job, mesh] : {std::pair<std::string, std::string>{"wall", "wall.dat"}, {"footing", "footing-heat.dat"}}) {
        const fs::path example = tc::testing::SourceDir() / "examples" / job / "job";
        const HeatSettings settings = ReadHeatSettings((example / "heat.toml").string());
        const HeatMesh nodes = ReadHeatMesh((example / mesh).string());
        const auto run = [&](const StepOptions& options) {
            std::vector<std::vector<double>> blocks;
            RunHeatAnalysis(settings, nodes, [&](double, const std::vector<double>& T) { blocks.push_back(T); }, options);
            return blocks;
        };
        const StepOptions standard;
        StepOptions halved;
        halved.maxStep = standard.maxStep / 2.0;
        halved.firstDayStep = standard.firstDayStep / 2.0;
        const auto a = run(standard);
        const auto b = run(halved);
        double change = 0.0;
        for (std::size_t k = 0; k < a.size(); ++k) {
            for (std::size_t i = 0; i < a[k].size(); ++i) change = std::max(change, std::abs(a[k][i] - b[k][i]));
        }
        EXPECT_LT(change, 0.02) << job;
        RecordProperty("largest_change_" + job, std::to_string(change));
        std::printf("%s: largest change of a temperature with the steps halved %.4f C\n", job.c_str(), change);
    }
}

}  // namespace
}  // namespace tc::heat
