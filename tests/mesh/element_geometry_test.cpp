// Bar location, element centres and areas, section top and bottom, and the centre-point listing.

#include <gtest/gtest.h>

#include "mesh/mesh.hpp"
#include "mesh_test_support.hpp"
#include "run/mesh_listing.hpp"

namespace tc {
namespace {

using test::Mesh;

struct Geometry : ElementGeometry, SectionHeights {};

// The geometry, listed as the run lists it.
Geometry Compute(const Mesh& m, std::int32_t iecho, Unit& list) {
    Geometry g;
    static_cast<SectionHeights&>(g) = ComputeElementGeometry(m.X, m.Y, m.elements, m.nx, m.nelx, g);
    if (iecho >= 1) WriteElementGeometry(list, m.nelx, g);
    return g;
}

class ElementGeometryTest : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    UnitTable units;
    std::string listName = folder.File("job.out");
    Unit& list = units.Open(70, listName, OpenStatus::Unknown);

    std::string Listing() {
        list.Flush();
        return test::Contents(listName);
    }
};

TEST_F(ElementGeometryTest, AreaSignFollowsCornerOrderAndCentreIsCornerMean) {
    Mesh m;
    m.AddQuad({{100, 50}, {0, 50}, {0, 0}, {100, 0}});    // counter-clockwise
    m.AddQuad({{100, 0}, {0, 0}, {0, 50}, {100, 50}});    // clockwise
    m.AddQuad({{100, 60}, {0, 50}, {0, 0}, {100, 0}});    // one corner raised
    m.AddQuad({{60, 50}, {40, 50}, {0, 0}, {100, 0}});    // trapezoid
    const Geometry g = Compute(m, 0, list);

    EXPECT_FLOAT_EQ(g.AREA(1), 5000.0f);
    EXPECT_FLOAT_EQ(g.CX(1), 50.0f);
    EXPECT_FLOAT_EQ(g.CY(1), 25.0f);
    EXPECT_FLOAT_EQ(g.AREA(2), -5000.0f);
    EXPECT_FLOAT_EQ(g.AREA(3), 5500.0f);
    EXPECT_FLOAT_EQ(g.CX(3), 50.0f);
    EXPECT_FLOAT_EQ(g.CY(3), 27.5f);
    // The corner mean, not the area centroid, which lies lower.
    EXPECT_FLOAT_EQ(g.AREA(4), 3000.0f);
    EXPECT_FLOAT_EQ(g.CY(4), 25.0f);
    EXPECT_EQ(Listing(), "");
}

TEST_F(ElementGeometryTest, TopAndBottomTakeEveryNode) {
    Mesh m;
    m.AddQuad({{10, 20}, {0, 20}, {0, 0}, {10, 0}});
    m.AddNode(5, -7.5f);  // used by no element
    m.AddNode(5, 42.0f);
    const Geometry g = Compute(m, 0, list);
    EXPECT_EQ(g.YTOP, 42.0f);
    EXPECT_EQ(g.YBOT, -7.5f);

    Mesh single;
    single.AddNode(3, 12.5f);
    const Geometry one = Compute(single, 0, list);
    EXPECT_EQ(one.YTOP, 12.5f);
    EXPECT_EQ(one.YBOT, 12.5f);
}

TEST_F(ElementGeometryTest, ListsCentresAndAreasAtEchoOne) {
    Mesh m;
    m.AddQuad({{100, 50}, {0, 50}, {0, 0}, {100, 0}});
    m.AddQuad({{100, 0}, {0, 0}, {0, 50}, {100, 50}});
    Compute(m, 1, list);
    EXPECT_EQ(Listing(),
              "\r\n"
              "\r\n"
              "  ***** Coordinate of Center point of each element  and Area  *****\r\n"
              "\r\n"
              "      ELEM        CX        CY      AREA\r\n"
              "         1         50.000         25.000       5000.000\r\n"
              "         2         50.000         25.000      -5000.000\r\n");
}

TEST_F(ElementGeometryTest, CornerThatIsNoNodeGivesAnEmptyElement) {
    Mesh m;
    m.AddQuad({{100, 50}, {0, 50}, {0, 0}, {100, 0}});
    m.elements.node[2](1) = 0;
    m.AddElement(1, 2, 3, MaxNodes + 1);
    const Geometry g = Compute(m, 0, list);
    EXPECT_EQ(g.AREA(1), 0.0f);
    EXPECT_EQ(g.AREA(2), 0.0f);
}

// A 2 x 2 block of 10 x 10 elements numbered row by row from the lower left; Node-1 upper right.
Mesh Block() {
    Mesh m;
    for (std::int32_t j = 0; j <= 2; ++j)
        for (std::int32_t i = 0; i <= 2; ++i) m.AddNode(10.0f * static_cast<float>(i), 10.0f * static_cast<float>(j));
    auto node = [](std::int32_t i, std::int32_t j) { return 3 * j + i + 1; };
    for (std::int32_t j = 0; j < 2; ++j)
        for (std::int32_t i = 0; i < 2; ++i)
            m.AddElement(node(i + 1, j + 1), node(i, j + 1), node(i, j), node(i + 1, j));
    return m;
}

TEST(LocateBarsTest, HighestNumberedBoxWins) {
    const Mesh m = Block();
    BarReals SX, SY;
    BarInts ELEM;
    SX(1) = 10.0f;  SY(1) = 15.0f;   // on the edge shared by elements 3 and 4
    SX(2) = 10.0f;  SY(2) = 10.0f;   // on the corner shared by all four
    SX(3) = 5.0f;   SY(3) = 5.0f;    // inside element 1
    SX(4) = 25.0f;  SY(4) = 5.0f;    // beside the block
    SX(5) = 20.0f;  SY(5) = 0.0f;    // on the outer corner of element 2
    LocateBars(m.X, m.Y, m.elements, m.nelx, 5, SX, SY, ELEM);
    EXPECT_EQ(ELEM(1), 4);
    EXPECT_EQ(ELEM(2), 4);
    EXPECT_EQ(ELEM(3), 1);
    EXPECT_EQ(ELEM(4), 0);
    EXPECT_EQ(ELEM(5), 2);
}

// The box's top edge is inside: a bar on the section's top face, with no element above to take it,
// belongs to the element below (and so is not refused as lying in no element).
TEST(LocateBarsTest, BarOnTheTopEdgeBelongsToTheElementBelow) {
    const Mesh m = Block();
    BarReals SX, SY;
    BarInts ELEM;
    SX(1) = 5.0f;   SY(1) = 20.0f;  // on element 3's top edge
    SX(2) = 20.0f;  SY(2) = 20.0f;  // on element 4's outer top corner
    LocateBars(m.X, m.Y, m.elements, m.nelx, 2, SX, SY, ELEM);
    EXPECT_EQ(ELEM(1), 3);
    EXPECT_EQ(ELEM(2), 4);
}

TEST(LocateBarsTest, TestsTheBoxNotTheElement) {
    Mesh m;
    m.AddQuad({{100, 100}, {0, 0}, {100, 0}, {100, 0}});  // a triangle below the diagonal
    m.AddQuad({{300, 50}, {200, 50}, {200, 0}, {300, 0}});
    BarReals SX, SY;
    BarInts ELEM;
    SX(1) = 10.0f;  SY(1) = 90.0f;  // above the diagonal, inside the box
    SX(2) = 150.0f; SY(2) = 10.0f;  // between the elements
    ELEM(2) = 7;                    // a bar in no box keeps what it had
    LocateBars(m.X, m.Y, m.elements, m.nelx, 2, SX, SY, ELEM);
    EXPECT_EQ(ELEM(1), 1);
    EXPECT_EQ(ELEM(2), 7);
}

}  // namespace
}  // namespace tc
