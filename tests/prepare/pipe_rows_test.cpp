// Cooling pipes in a description: rows placed like bars (a line by spacing, a face by cover and
// count), written to heat.toml and read back the same; a pipe outside the concrete or over a
// part's edge refused naming the file, line and key.

#include <gtest/gtest.h>

#include <string>

#include "prepare/description_support.hpp"
#include "prepare/prepare.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {
namespace {

std::string WithPipes(const std::string& pipes) {
    return R"([[part]]
name = "ground"
rectangle = { x = [0.0, 4000.0], y = [0.0, 1500.0] }
young = false
[[part]]
name = "footing"
rectangle = { x = [0.0, 4000.0], y = [1500.0, 3500.0] }
[mesh]
size = [250.0, 250.0]
)" + fixtures::ConcreteTable() + fixtures::GivenDeckTables() + R"([ambient]
temperature = 5.0
[[boundary]]
side = "top"
h = 14.0
[output]
ages = [0.5, 1.0, 2.0]
)" + pipes;
}

const std::string Water = R"(diameter = 32.0
wall = { thickness = 2.9, conductivity = 0.4 }
flow = 20.0
)";

TEST(PreparePipes, RowsArePlacedLikeBarsAndWrittenToHeatSettings) {
    const Description d = ParseDescription(WithPipes("[[pipe]]\ny = 2500.0\nspacing = 1500.0\n" + Water +
                                                     "inlet = [[0.0, 12.0], [5.0, 16.0]]\noperating = [0.0, 7.0]\nlength = 150.0\n"
                                                     "[[pipe]]\nface = \"top\"\ncover = 484.0\ncover_to = \"surface\"\ncount = 4\n" +
                                                     Water + "inlet = 15.0\n"),
                                           "f.toml");
    ASSERT_EQ(d.heat.pipes.size(), 6u);
    // Two by spacing 1500 over 4000 mm: 500 mm from the ends; four in equal shares of the top.
    EXPECT_DOUBLE_EQ(d.heat.pipes[0].x, 1250.0);
    EXPECT_DOUBLE_EQ(d.heat.pipes[1].x, 2750.0);
    EXPECT_DOUBLE_EQ(d.heat.pipes[0].y, 2500.0);
    EXPECT_DOUBLE_EQ(d.heat.pipes[2].x, 500.0);
    EXPECT_DOUBLE_EQ(d.heat.pipes[5].x, 3500.0);
    EXPECT_DOUBLE_EQ(d.heat.pipes[2].y, 3500.0 - 484.0 - 16.0);
    EXPECT_EQ(d.heat.pipes[0].line, 41);

    // heat.toml gets every pipe, and reads back as the description gave it.
    const SectionMesh all = MeshSection(d);
    const heat::HeatSettings back = heat::ParseHeatSettings(HeatSettingsText(d, all, "f-heat.dat"), "heat.toml");
    ASSERT_EQ(back.pipes.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        const heat::PipeEntry &a = d.heat.pipes[i], &b = back.pipes[i];
        EXPECT_EQ(a.x, b.x);
        EXPECT_EQ(a.y, b.y);
        EXPECT_EQ(a.diameter, b.diameter);
        EXPECT_EQ(a.wallConductivity, b.wallConductivity);
        EXPECT_EQ(a.flow, b.flow);
        EXPECT_EQ(a.inlet.At(2.5), b.inlet.At(2.5));
        EXPECT_EQ(a.from, b.from);
        EXPECT_EQ(a.to, b.to);
        EXPECT_EQ(a.length, b.length);
    }
}

TEST(PreparePipes, APipeOutsideTheConcreteOrOverAPartsEdgeIsRefusedByFileLineAndKey) {
    const auto error = [](const std::string& row) {
        try {
            (void)ParseDescription(WithPipes("[[pipe]]\n" + row + Water + "inlet = 10.0\n"), "f.toml");
        } catch (const RunError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    // On the joint of ground and footing: its circle reaches into both.
    EXPECT_EQ(error("y = 1510.0\ncount = 2\n"),
              "f.toml, line 41: key \"pipe\": pipe 1 of this row at (1000.0, 1510.0) mm of diameter 32 mm crosses the "
              "edge of part \"footing\"");
    // Too close to the footing's side.
    EXPECT_NE(error("x = 3990.0\ncount = 2\n").find("pipe 1 of this row at (3990.0, 2000.0) mm of diameter 32 mm crosses"),
              std::string::npos);
    // Beyond the concrete: a face cover deeper than the section.
    EXPECT_EQ(error("face = \"left\"\ncover = 4100.0\ncover_to = \"centre\"\ncount = 1\n"),
              "f.toml, line 41: key \"pipe\": pipe 1 of this row at (4100.0, 2500.0) mm lies outside the concrete");
    EXPECT_EQ(error("x = 5000.0\ncount = 1\n"), "f.toml, line 41: key \"pipe\": the line misses the young concrete");
    EXPECT_EQ(error("y = 2500.0\ncount = 1\n" + Water + "inlet = 10.0\n[[pipe]]\ny = 2520.0\ncount = 1\n"),
              "f.toml, line 48: key \"pipe\": pipe 1 of this row at (2000.0, 2520.0) mm overlaps the pipe at (2000.0, "
              "2500.0) mm of the row of line 41");
    EXPECT_NE(error("y = 2500.0\ncount = 1\ncolour = 1\n").find("key \"pipe.colour\": is not a known key"), std::string::npos);
}

}  // namespace
}  // namespace tc::prepare
