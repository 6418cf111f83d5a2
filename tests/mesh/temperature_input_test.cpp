// Reading the temperature file: header, blocks of node temperatures, element temperatures.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "mesh/mesh.hpp"
#include "mesh_test_support.hpp"

namespace tc {
namespace {

// One block: the step record and nx temperatures, ten to a record.
std::string Block(const char* stepRecord, std::int32_t nx, float first, float increment) {
    std::string text = std::string(stepRecord) + "\n";
    for (std::int32_t n = 1; n <= nx; ++n) {
        char field[16];
        std::snprintf(field, sizeof field, "%10.3f", static_cast<double>(first + increment * static_cast<float>(n - 1)));
        text += field;
        if (n % 10 == 0 || n == nx) text += "\n";
    }
    return text;
}

class TemperatureInputTest : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    UnitTable units;
    test::Mesh mesh;

    Unit& OpenTemperatures(const std::string& text) {
        const std::string name = folder.File("job.tmp");
        test::WriteFile(name, text);
        return units.Open(56, name, OpenStatus::Old);
    }
};

TEST_F(TemperatureInputTest, HeaderGivesTheBlockCountFromColumnsOneToFive) {
    Unit& tmp = OpenTemperatures("   63   48   xx junk\n    4  999 text 1.5\n   12 more junk\n");
    std::int32_t stepCount = 0;
    ReadTemperatureHeader(tmp, stepCount);
    EXPECT_EQ(stepCount, 4);
}

TEST_F(TemperatureInputTest, ReadsBlocksOfTenTemperaturesToARecord) {
    for (std::int32_t n = 1; n <= 25; ++n) mesh.AddNode(0.0f, 0.0f);
    mesh.AddElement(1, 2, 3, 4);
    mesh.AddElement(25, 21, 11, 10);
    const std::string text = "   25    1\n    2\n    0\n" + Block("    0    0.5000", 25, 1.0f, 1.0f) +
                             Block("    1         7", 25, 10.0f, 10.0f) + "not a block\n";
    Unit& tmp = OpenTemperatures(text);

    std::int32_t stepCount = 0;
    ReadTemperatureHeader(tmp, stepCount);
    ASSERT_EQ(stepCount, 2);

    float age = -1.0f;
    std::int32_t nstep = -1;
    NodeReals nodeTemp;
    ElementReals elementTemp;
    ReadTemperatureBlock(tmp, mesh.nx, mesh.nelx, mesh.elements, age, nodeTemp, elementTemp, nstep);
    EXPECT_EQ(nstep, 0);
    EXPECT_EQ(age, 0.5f);
    EXPECT_EQ(nodeTemp(10), 10.0f);
    EXPECT_EQ(nodeTemp(11), 11.0f);
    EXPECT_EQ(nodeTemp(25), 25.0f);
    EXPECT_EQ(nodeTemp(26), 0.0f);
    EXPECT_EQ(elementTemp(1), 2.5f);

    // The second block starts right after the five values of the first block's last record.
    ReadTemperatureBlock(tmp, mesh.nx, mesh.nelx, mesh.elements, age, nodeTemp, elementTemp, nstep);
    EXPECT_EQ(nstep, 1);
    EXPECT_EQ(age, 7.0f);
    EXPECT_EQ(nodeTemp(1), 10.0f);
    EXPECT_EQ(nodeTemp(25), 250.0f);
    EXPECT_EQ(elementTemp(1), 25.0f);
    // Summed in corner order in single precision, then quartered.
    const float sum = ((nodeTemp(25) + nodeTemp(21)) + nodeTemp(11)) + nodeTemp(10);
    EXPECT_EQ(elementTemp(2), sum * 0.25f);
}

TEST_F(TemperatureInputTest, TwentyNodesTakeExactlyTwoRecords) {
    for (std::int32_t n = 1; n <= 20; ++n) mesh.AddNode(0.0f, 0.0f);
    mesh.AddElement(1, 2, 3, 20);
    Unit& tmp = OpenTemperatures(Block("    1    1.0", 20, 1.0f, 1.0f) + Block("    2    2.0", 20, 2.0f, 2.0f));
    float age = 0.0f;
    std::int32_t nstep = 0;
    NodeReals nodeTemp;
    ElementReals elementTemp;
    ReadTemperatureBlock(tmp, mesh.nx, mesh.nelx, mesh.elements, age, nodeTemp, elementTemp, nstep);
    ReadTemperatureBlock(tmp, mesh.nx, mesh.nelx, mesh.elements, age, nodeTemp, elementTemp, nstep);
    EXPECT_EQ(nstep, 2);
    EXPECT_EQ(age, 2.0f);
    EXPECT_EQ(nodeTemp(20), 40.0f);
    EXPECT_EQ(elementTemp(1), 13.0f);
}

TEST_F(TemperatureInputTest, MissingBlockStopsTheRun) {
    mesh.AddNode(0.0f, 0.0f);
    Unit& tmp = OpenTemperatures("    1    1.0\n");
    float age = 0.0f;
    std::int32_t nstep = 0;
    NodeReals nodeTemp;
    ElementReals elementTemp;
    EXPECT_THROW(ReadTemperatureBlock(tmp, mesh.nx, mesh.nelx, mesh.elements, age, nodeTemp, elementTemp, nstep),
                 RunError);
}

}  // namespace
}  // namespace tc
