// RedistributeUncracked: the worked uncracked part, membership at the band's edges, restraint, the
// lengths chosen by the bars in the band, and parts without stiffness.

#include <gtest/gtest.h>

#include <memory>

#include "cracking/cracking.hpp"
#include "section_tables.hpp"

namespace tc {
namespace {

// Band 0..2; elements at -1 and 3 and one bar at 1, all of area 1 and without stress.
struct UncrackedSection : SectionTables {
    StrainCorrections out;
    ElementReals sigmaC;
    BarReals sigmaS;
    ElementReals& depsc2 = out.depsc;
    BarReals& depss2 = out.depss;
    float Ec = 1.0f;
    float SectionCentroidY = 1.0f;
    float hmax = 2.0f, hmin = 0.0f;
    float SectionN = 3.0f, SectionM = 4.0f;
    float u1 = 0.0f, u2 = 0.0f;
    float RestraintN = 0.0f, RestraintM = 0.0f;
    float Opening1 = 9.0f, Opening2 = 9.0f;

    UncrackedSection() {
        CY(1) = -1.0f;
        CY(2) = 3.0f;
        areaC(1) = 1.0f;
        areaC(2) = 1.0f;
        SY(1) = 1.0f;
        areaS(1) = 1.0f;
        P.lcb = 2.0f;
        P.lcu = 2.0f;
        P.lsb = 0.25f;
        P.lsu = 0.25f;
        P.Es = 1.0f;
        depsc2.fill(9.0f);
        depss2.fill(9.0f);
    }

    void run() {
        const Section s = View();
        StressIncrements increments;
        increments.SectionCentroidY = SectionCentroidY;
        increments.RestraintN = RestraintN;
        increments.RestraintM = RestraintM;
        const Redistribution r = RedistributeUncracked(s, Ec, CrackBand{hmax, hmin}, sigmaC, sigmaS, increments,
                                                       SectionN, SectionM, CrackOpenings{u1, u2}, out);
        Opening1 = r.Opening1;
        Opening2 = r.Opening2;
        u1 = r.u.u1;
        u2 = r.u.u2;
    }
};

TEST(RedistributeUncracked, WorkedPart) {
    auto s = std::make_unique<UncrackedSection>();
    s->u1 = 1.0f;
    s->u2 = 2.0f;
    s->run();
    // yu = 1, e0 = 1, k = 0.5
    EXPECT_FLOAT_EQ(s->depsc2(1), 0.0f);
    EXPECT_FLOAT_EQ(s->depsc2(2), 2.0f);
    EXPECT_FLOAT_EQ(s->depss2(1), 1.0f);
    EXPECT_FLOAT_EQ(s->Opening1, 0.375f);
    EXPECT_FLOAT_EQ(s->Opening2, 0.125f);
    EXPECT_FLOAT_EQ(s->u1, 1.375f);
    EXPECT_FLOAT_EQ(s->u2, 2.125f);
}

TEST(RedistributeUncracked, ElementsInTheBandOrAtItsEdgesTakeNoPart) {
    auto s = std::make_unique<UncrackedSection>();
    s->nelx = 5;
    s->CY(3) = 2.0f;
    s->CY(4) = 0.0f;
    s->CY(5) = 1.5f;
    for (std::int32_t i = 3; i <= 5; ++i) {
        s->areaC(i) = 10.0f;
        s->sigmaC(i) = 50.0f;
    }
    s->run();
    for (std::int32_t i = 3; i <= 5; ++i) {
        EXPECT_EQ(s->depsc2(i), 0.0f) << i;
    }
    EXPECT_FLOAT_EQ(s->depsc2(2), 2.0f);
    EXPECT_FLOAT_EQ(s->depss2(1), 1.0f);
    EXPECT_FLOAT_EQ(s->Opening1, 0.375f);
}

TEST(RedistributeUncracked, FullRestraintGivesNothing) {
    auto s = std::make_unique<UncrackedSection>();
    s->RestraintN = 1.0f;
    s->RestraintM = 1.0f;
    s->u1 = 0.5f;
    s->u2 = 0.25f;
    s->run();
    EXPECT_EQ(s->depsc2(1), 0.0f);
    EXPECT_EQ(s->depsc2(2), 0.0f);
    EXPECT_EQ(s->depss2(1), 0.0f);
    EXPECT_EQ(s->Opening1, 0.0f);
    EXPECT_EQ(s->Opening2, 0.0f);
    EXPECT_EQ(s->u1, 0.5f);
    EXPECT_EQ(s->u2, 0.25f);
}

TEST(RedistributeUncracked, PartCarryingItsForcesIsLeftAlone) {
    auto s = std::make_unique<UncrackedSection>();
    s->sigmaC(1) = 1.0f;
    s->sigmaC(2) = 1.0f;
    s->sigmaS(1) = 1.0f;  // N = 3 and a zero moment about yu = 1
    s->SectionM = 0.0f;
    s->run();
    EXPECT_EQ(s->depsc2(1), 0.0f);
    EXPECT_EQ(s->depsc2(2), 0.0f);
    EXPECT_EQ(s->depss2(1), 0.0f);
}

TEST(RedistributeUncracked, LengthsFollowTheBarsInTheBand) {
    // A bar at the bottom edge is outside the band: concrete lengths.
    // yu = 2/3, e0 = 1, k = 15/26; e_top = 46/26, e_bot = 16/26.
    auto bottom = std::make_unique<UncrackedSection>();
    bottom->SY(1) = 0.0f;
    bottom->P.lcu = 3.0f;
    bottom->run();
    EXPECT_NEAR(bottom->Opening1, 46.0f / 26.0f * 3.0f, 1e-5f);
    EXPECT_NEAR(bottom->Opening2, 16.0f / 26.0f * 2.0f, 1e-5f);

    // A bar at the top edge is inside: bar lengths.
    // yu = 4/3, e0 = 1, k = 9/26; e_top = 32/26, e_bot = 14/26.
    auto top = std::make_unique<UncrackedSection>();
    top->SY(1) = 2.0f;
    top->P.lsu = 0.5f;
    top->run();
    EXPECT_NEAR(top->Opening1, 32.0f / 26.0f * 0.5f, 1e-6f);
    EXPECT_NEAR(top->Opening2, 14.0f / 26.0f * 0.25f, 1e-6f);
    EXPECT_NEAR(top->depss2(1), 32.0f / 26.0f, 1e-6f);
}

// Mends: no axial stiffness outside the band gives zero increments and no opening; no bending
// stiffness gives no curvature.
TEST(RedistributeUncracked, NoStiffnessOutsideTheBand) {
    auto s = std::make_unique<UncrackedSection>();
    s->nsteel = 0;
    s->CY(1) = 0.5f;
    s->CY(2) = 1.5f;
    s->u1 = 0.5f;
    s->u2 = 0.25f;
    s->run();
    EXPECT_EQ(s->depsc2(1), 0.0f);
    EXPECT_EQ(s->depsc2(2), 0.0f);
    EXPECT_EQ(s->Opening1, 0.0f);
    EXPECT_EQ(s->Opening2, 0.0f);
    EXPECT_EQ(s->u1, 0.5f);
    EXPECT_EQ(s->u2, 0.25f);
}

TEST(RedistributeUncracked, AllUncrackedMembersAtOneHeight) {
    auto s = std::make_unique<UncrackedSection>();
    s->nelx = 1;
    s->CY(1) = 3.0f;
    s->SY(1) = 3.0f;  // outside the band: concrete lengths
    s->RestraintN = 0.5f;
    s->run();
    // yu = 3, k = 0, e0 = 0.5 * 3 / 2
    EXPECT_EQ(s->depsc2(1), 0.75f);
    EXPECT_EQ(s->depss2(1), 0.75f);
    EXPECT_EQ(s->Opening1, 1.5f);
    EXPECT_EQ(s->Opening2, 1.5f);
}

}  // namespace
}  // namespace tc
