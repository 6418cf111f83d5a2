// Bar temperatures by inverting the element map: worked cases, every corner order of several element
// shapes, warnings for bars outside their element, and the bar table of the list file.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "mesh/mesh.hpp"
#include "mesh_test_support.hpp"
#include "run/mesh_listing.hpp"

namespace tc {
namespace {

using Corners = std::array<std::pair<float, float>, 4>;

const std::string Warning = "\r\n\r\n     ***** jacobian error when calculate steel temp \r\n";
const std::string Heading =
    "\r\n\r\n     ***** Temperature of reinforcement bar *****\r\n\r\n"
    "       No.       TS        T1        T2        T3        T4\r\n";

class BarTemperatureTest : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    UnitTable units;
    std::string listName = folder.File("job.out");
    Unit& list = units.Open(70, listName, OpenStatus::Unknown);

    test::Mesh mesh;
    NodeReals nodeTemp;
    BarReals SX, SY, TS;
    BarInts ELEM;
    std::int32_t nsteel = 0;

    std::int32_t AddElement(const Corners& c, const std::array<float, 4>& temps) {
        const std::int32_t e = mesh.AddQuad({c[0], c[1], c[2], c[3]});
        for (std::int32_t k = 0; k < 4; ++k) nodeTemp(mesh.elements.node[static_cast<std::size_t>(k)](e)) = temps[k];
        return e;
    }
    std::int32_t AddBar(std::int32_t element, float x, float y) {
        ++nsteel;
        SX(nsteel) = x;
        SY(nsteel) = y;
        ELEM(nsteel) = element;
        return nsteel;
    }
    void Interpolate(std::int32_t iecho) {
        BarLocalCoordinates local;
        ComputeBarLocalCoordinates(mesh.X, mesh.Y, mesh.elements, nsteel, SX, SY, ELEM, local);
        InterpolateBarTemperatures(mesh.X, mesh.Y, mesh.elements, mesh.nelx, nsteel, SX, SY, ELEM, nodeTemp, TS);
        WriteBarTemperatures(list, local, nsteel, nodeTemp, TS, iecho);
    }
    std::string Listing() {
        list.Flush();
        return test::Contents(listName);
    }
};

// Node-1 .. Node-4 at (0, 0), (200, 20), (230, 150), (10, 100): no side parallel to an axis.
const Corners Worked = {{{0, 0}, {200, 20}, {230, 150}, {10, 100}}};

TEST_F(BarTemperatureTest, WorkedGeneralCase) {
    const std::int32_t e = AddElement(Worked, {10, 20, 30, 40});
    AddBar(e, 110.0f, 67.5f);     // local (0, 0)
    AddBar(e, 61.25f, 85.625f);   // local (0.5, -0.5)
    Interpolate(0);
    EXPECT_NEAR(TS(1), 25.0f, 1e-4f);
    EXPECT_NEAR(TS(2), 31.25f, 1e-4f);
    EXPECT_EQ(Listing(), "");
}

TEST_F(BarTemperatureTest, GeneralCaseOutsideTheElementIsExtrapolated) {
    const std::int32_t e = AddElement(Worked, {10, 20, 30, 40});
    AddBar(e, 125.0f, 153.75f);  // local (1.5, 0), beyond the side Node-3 to Node-4
    Interpolate(0);
    EXPECT_NEAR(TS(1), 40.0f, 1e-4f);
    EXPECT_EQ(Listing(), Warning);
}

TEST_F(BarTemperatureTest, AxisParallelRectangleFromLowerLeft) {
    // Node-1 lower left, counter-clockwise; temperature x/10 + y.
    const std::int32_t e = AddElement({{{0, 0}, {100, 0}, {100, 50}, {0, 50}}}, {0, 10, 60, 50});
    AddBar(e, 100.0f, 50.0f);  // on Node-3
    AddBar(e, 50.0f, 25.0f);   // the centre
    AddBar(e, 30.0f, 10.0f);
    Interpolate(0);
    EXPECT_EQ(TS(1), 60.0f);
    EXPECT_EQ(TS(2), 30.0f);
    EXPECT_FLOAT_EQ(TS(3), 13.0f);
    EXPECT_EQ(Listing(), "");
}

TEST_F(BarTemperatureTest, BarsOnTheCornersOfAnElementSolvedByIterationAreNotWarnedOf) {
    // The closed form gives this trapezoid (sides at x = 40 and x = 2) no usable root; the iteration
    // used instead stopped a hair outside [-1, 1] at the corners.
    const std::int32_t e = AddElement({{{40, 9}, {40, 18}, {2, 37}, {2, 18}}}, {10, 20, 30, 40});
    for (const auto& [x, y] : Corners{{{40, 9}, {40, 18}, {2, 37}, {2, 18}}}) AddBar(e, x, y);
    BarLocalCoordinates local;
    ComputeBarLocalCoordinates(mesh.X, mesh.Y, mesh.elements, nsteel, SX, SY, ELEM, local);
    const std::array<std::pair<float, float>, 4> corners = {{{-1, -1}, {-1, 1}, {1, 1}, {1, -1}}};
    for (std::int32_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(local.xi(i), corners[static_cast<std::size_t>(i - 1)].first) << "bar " << i;
        EXPECT_EQ(local.eta(i), corners[static_cast<std::size_t>(i - 1)].second) << "bar " << i;
    }
    Interpolate(0);
    EXPECT_EQ(Listing(), "");
    EXPECT_EQ(TS(1), 10.0f);
    EXPECT_EQ(TS(3), 30.0f);
}

TEST_F(BarTemperatureTest, WarnsOncePerCoordinateOutsideAndExtrapolates) {
    const std::int32_t e = AddElement({{{0, 0}, {100, 0}, {100, 50}, {0, 50}}}, {0, 10, 60, 50});
    AddBar(e, 120.0f, 25.0f);  // beyond the right side
    Interpolate(0);
    EXPECT_EQ(Listing(), Warning);
    EXPECT_FLOAT_EQ(TS(1), 37.0f);

    SX(1) = 120.0f;
    SY(1) = 60.0f;  // beyond the right side and the top
    Interpolate(0);
    EXPECT_EQ(Listing(), Warning + Warning + Warning);
    EXPECT_FLOAT_EQ(TS(1), 72.0f);
}

TEST_F(BarTemperatureTest, ListsEveryBarWithCornerTemperaturesFromNodeFour) {
    const std::int32_t e = AddElement({{{0, 0}, {100, 0}, {100, 50}, {0, 50}}}, {1.5f, 2.25f, 3.125f, 4.0f});
    AddBar(e, 100.0f, 50.0f);
    AddBar(e, 130.0f, 25.0f);
    Interpolate(1);
    EXPECT_EQ(Listing(), Heading +
                             "         1      3.13      4.00      1.50      2.25      3.13\r\n" + Warning +
                             "         2      2.67      4.00      1.50      2.25      3.13\r\n");
}

TEST_F(BarTemperatureTest, HeadingAloneWithoutBars) {
    Interpolate(1);
    EXPECT_EQ(Listing(), Heading);
    Interpolate(0);
    EXPECT_EQ(Listing(), Heading);
}

TEST_F(BarTemperatureTest, BarInNoElementGetsZeroSafely) {
    AddElement({{{0, 0}, {100, 0}, {100, 50}, {0, 50}}}, {10, 10, 10, 10});
    AddBar(0, 50.0f, 25.0f);
    AddBar(MaxElements + 1, 50.0f, 25.0f);
    AddBar(2, 50.0f, 25.0f);  // an element whose corners are no nodes
    TS(1) = TS(2) = TS(3) = 99.0f;
    Interpolate(0);
    EXPECT_EQ(TS(1), 0.0f);
    EXPECT_EQ(TS(2), 0.0f);
    EXPECT_EQ(TS(3), 0.0f);
    EXPECT_EQ(Listing(), "");
}

TEST_F(BarTemperatureTest, ElementWithoutHeightGivesTheCornerMean) {
    const std::int32_t e = AddElement({{{0, 10}, {100, 10}, {100, 10}, {0, 10}}}, {10, 20, 30, 40});
    AddBar(e, 50.0f, 10.0f);
    Interpolate(0);
    EXPECT_EQ(TS(1), 25.0f);
}

// The point of local coordinates (xi, eta) of an element, by its bilinear map.
std::pair<float, float> MapPoint(const Corners& c, float xi, float eta) {
    const float n1 = (1 - xi) * (1 - eta) / 4, n2 = (1 - xi) * (1 + eta) / 4;
    const float n3 = (1 + xi) * (1 + eta) / 4, n4 = (1 + xi) * (1 - eta) / 4;
    return {n1 * c[0].first + n2 * c[1].first + n3 * c[2].first + n4 * c[3].first,
            n1 * c[0].second + n2 * c[1].second + n3 * c[2].second + n4 * c[3].second};
}

float Field(float x, float y) { return 3.0f + 0.2f * x - 0.1f * y; }

struct Shape {
    const char* name;
    Corners corners;
};

// Every shape in every corner order (four starting corners, both directions) must reproduce a
// linear temperature field at points inside: this takes the closed form through its special
// cases, both roots of its quadratic, and the shapes where it has no answer of its own.
TEST_F(BarTemperatureTest, LinearFieldReproducedInEveryCornerOrder) {
    const std::vector<Shape> shapes = {
        {"general quadrilateral", Worked},
        {"x affine, y not (linear equation for eta)", {{{0, 0}, {10, 100}, {110, 120}, {100, 0}}}},
        {"trapezoid with slanted parallel sides", {{{110, 50}, {10, 70}, {130, 190}, {150, 90}}}},
        {"rotated rectangle", {{{0, 0}, {30, 40}, {-10, 70}, {-40, 30}}}},
        {"axis-parallel rectangle", {{{0, 0}, {100, 0}, {100, 50}, {0, 50}}}},
        {"tapered wall element", {{{40, 0}, {140, 0}, {140, 60}, {45, 60}}}},
    };
    const float samples[4] = {-0.8f, -0.3f, 0.4f, 0.9f};
    for (const Shape& shape : shapes) {
        for (std::int32_t reversed = 0; reversed < 2; ++reversed) {
            for (std::int32_t start = 0; start < 4; ++start) {
                Corners order;
                for (std::int32_t k = 0; k < 4; ++k) {
                    const std::int32_t step = reversed ? 4 - k : k;
                    order[static_cast<std::size_t>(k)] = shape.corners[static_cast<std::size_t>((start + step) % 4)];
                }
                mesh = test::Mesh{};
                nsteel = 0;
                std::array<float, 4> temps;
                for (std::size_t k = 0; k < 4; ++k) temps[k] = Field(order[k].first, order[k].second);
                const std::int32_t e = AddElement(order, temps);
                for (const float xi : samples)
                    for (const float eta : samples) {
                        const auto [x, y] = MapPoint(shape.corners, xi, eta);
                        AddBar(e, x, y);
                    }
                Interpolate(0);
                for (std::int32_t b = 1; b <= nsteel; ++b)
                    EXPECT_NEAR(TS(b), Field(SX(b), SY(b)), 1e-4f)
                        << shape.name << ", start " << start << (reversed ? " reversed" : "") << ", bar at "
                        << SX(b) << ", " << SY(b);
            }
        }
        EXPECT_EQ(Listing(), "") << shape.name;
    }
}

// A run finds the local coordinates once and interpolates every step's temperatures from them:
// step after step the bars get the same temperatures and warnings as from the mesh directly.
TEST_F(BarTemperatureTest, LocalCoordinatesFoundOnceServeEveryStep) {
    const std::int32_t e = AddElement(Worked, {10, 20, 30, 40});
    AddBar(e, 110.0f, 67.5f);
    AddBar(e, 125.0f, 153.75f);  // outside: one warning every step
    AddBar(0, 50.0f, 25.0f);     // in no element: no corners, temperature 0
    BarLocalCoordinates local;
    ComputeBarLocalCoordinates(mesh.X, mesh.Y, mesh.elements, nsteel, SX, SY, ELEM, local);
    EXPECT_EQ(local.node[0](3), 0);
    EXPECT_NEAR(local.xi(1), 0.0f, 1e-6f);
    EXPECT_NEAR(local.eta(1), 0.0f, 1e-6f);
    EXPECT_NEAR(local.xi(2), 1.5f, 1e-5f);

    for (const float rise : {0.0f, 2.5f}) {
        for (std::int32_t n = 1; n <= mesh.nx; ++n) nodeTemp(n) = nodeTemp(n) + rise;
        const std::size_t before = Listing().size();
        Interpolate(1);
        const BarReals direct = TS;
        const std::string afterDirect = Listing();
        TS.fill(99.0f);
        InterpolateBarTemperatures(local, nsteel, nodeTemp, TS);
        WriteBarTemperatures(list, local, nsteel, nodeTemp, TS, 1);
        for (std::int32_t b = 1; b <= nsteel; ++b) EXPECT_EQ(TS(b), direct(b)) << "bar " << b;
        EXPECT_EQ(Listing().substr(afterDirect.size()), afterDirect.substr(before));
    }
}

}  // namespace
}  // namespace tc
