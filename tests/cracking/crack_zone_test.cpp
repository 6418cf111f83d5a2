// SolveCrackZone: the worked band, band membership, the bar ratio, the band without bars and the
// bands that cannot be solved.

#include <gtest/gtest.h>

#include <memory>

#include "cracking/cracking.hpp"
#include "section_tables.hpp"

namespace tc {
namespace {

// The band 0..2 with two elements at 0.5 and 1.5 and one bar at 1.0, all of area 1.
struct ZoneSection : SectionTables {
    SectionState state;
    StrainCorrections out;
    ElementReals ZoneSigmaC;
    BarReals ZoneSigmaS;
    ElementReals& depsc1 = out.depsc;
    BarReals& depss1 = out.depss;
    ElementReals& depsc0 = state.depsc0;
    BarReals& depss0 = state.depss0;
    ElementReals& Depsc2InZone = state.Depsc2InZone;
    BarReals& Depss2InZone = state.Depss2InZone;
    float Ec = 1.0f;
    float hmax = 2.0f, hmin = 0.0f;
    float u1 = 0.0f, u2 = 0.0f;
    float OpeningSum1 = 0.0f, OpeningSum2 = 0.0f;

    ZoneSection() {
        CY(1) = 0.5f;
        CY(2) = 1.5f;
        areaC(1) = 1.0f;
        areaC(2) = 1.0f;
        ZoneSigmaC(1) = 1.0f;
        ZoneSigmaC(2) = 1.0f;
        SY(1) = 1.0f;
        areaS(1) = 1.0f;
        P.lcb = 1.0f;
        P.lcu = 1.0f;
        P.lsb = 0.25f;
        P.lsu = 0.25f;
        P.Es = 1.0f;
        depsc1.fill(9.0f);
        depss1.fill(9.0f);
    }

    void run() {
        const Section s = View();
        state.u = {u1, u2};
        state.OpeningSum = {OpeningSum1, OpeningSum2};
        const CrackOpenings u = SolveCrackZone(s, Ec, CrackBand{hmax, hmin}, ZoneSigmaC, ZoneSigmaS, state, out);
        u1 = u.u1;
        u2 = u.u2;
    }

    // Axial force of the band's members after the corrections (inside members only).
    float BandForce() const {
        float n = 0.0f;
        for (std::int32_t i = 1; i <= nelx; ++i) {
            if (hmin < CY(i) && CY(i) < hmax) {
                n += (ZoneSigmaC(i) + depsc1(i) * Ec) * areaC(i);
            }
        }
        for (std::int32_t j = 1; j <= nsteel; ++j) {
            if (hmin < SY(j) && SY(j) <= hmax) {
                n -= (ZoneSigmaS(j) + depss1(j) * P.Es) * areaS(j);
            }
        }
        return n;
    }
};

TEST(SolveCrackZone, WorkedBand) {
    auto s = std::make_unique<ZoneSection>();
    s->run();
    EXPECT_FLOAT_EQ(s->u1, 0.4f);
    EXPECT_FLOAT_EQ(s->u2, 0.4f);
    EXPECT_FLOAT_EQ(s->depsc1(1), -0.4f);
    EXPECT_FLOAT_EQ(s->depsc1(2), -0.4f);
    EXPECT_FLOAT_EQ(s->depss1(1), 1.2f);
}

TEST(SolveCrackZone, OpeningSumsAreAddedLast) {
    auto s = std::make_unique<ZoneSection>();
    s->OpeningSum1 = 0.5f;
    s->OpeningSum2 = 0.25f;
    s->run();
    EXPECT_FLOAT_EQ(s->u1, 0.9f);
    EXPECT_FLOAT_EQ(s->u2, 0.65f);
    EXPECT_FLOAT_EQ(s->depss1(1), 1.2f);
}

TEST(SolveCrackZone, MembersOutsideTheBandGetNothing) {
    auto s = std::make_unique<ZoneSection>();
    s->nelx = 4;
    s->CY(3) = 2.0f;  // at the top edge: an element there is outside
    s->CY(4) = 0.0f;
    s->areaC(3) = 5.0f;
    s->areaC(4) = 5.0f;
    s->ZoneSigmaC(3) = 7.0f;
    s->ZoneSigmaC(4) = 7.0f;
    s->nsteel = 2;
    s->SY(2) = 0.0f;  // at the bottom edge: a bar there is outside
    s->areaS(2) = 5.0f;
    s->ZoneSigmaS(2) = 7.0f;
    s->run();
    EXPECT_EQ(s->depsc1(3), 0.0f);
    EXPECT_EQ(s->depsc1(4), 0.0f);
    EXPECT_EQ(s->depss1(2), 0.0f);
    EXPECT_FLOAT_EQ(s->u1, 0.4f);
    EXPECT_FLOAT_EQ(s->depss1(1), 1.2f);
}

TEST(SolveCrackZone, BarAtTheTopEdgeCouplesOnlyToU1) {
    auto s = std::make_unique<ZoneSection>();
    s->SY(1) = 2.0f;
    s->run();
    // r = 2 * lsu / lcu - 1 = -0.5 and ls = lsu at the top edge: depss1 = 1.5 * 2 * u1 / (4 * 0.25).
    EXPECT_NE(s->u1, s->u2);
    EXPECT_FLOAT_EQ(s->depss1(1), 3.0f * s->u1);
    EXPECT_NEAR(s->BandForce(), 0.0f, 1e-5f);
}

TEST(SolveCrackZone, RatioOneGivesBarsNoStiffness) {
    auto s = std::make_unique<ZoneSection>();
    s->P.lsb = 1.0f;
    s->P.lsu = 1.0f;
    s->depss0(1) = 0.125f;
    s->Depss2InZone(1) = 0.5f;
    s->run();
    // The concrete alone: a11 = a12 = 1, a21 = 0.25, a22 = -0.25; the bar's crack strain still
    // adds to the force: F = 2 + 0.125, Mz = 0.
    EXPECT_FLOAT_EQ(s->u1, 1.0625f);
    EXPECT_FLOAT_EQ(s->u2, 1.0625f);
    EXPECT_FLOAT_EQ(s->depsc1(1), -1.0625f);
    EXPECT_FLOAT_EQ(s->depsc1(2), -1.0625f);
    EXPECT_EQ(s->depss1(1), 0.375f);
}

TEST(SolveCrackZone, BandWithoutBarsShedsTheConcreteStress) {
    auto s = std::make_unique<ZoneSection>();
    s->nsteel = 0;
    s->Ec = 4.0f;
    s->ZoneSigmaC(2) = -2.0f;
    s->u1 = 0.5f;
    s->u2 = 0.25f;
    s->OpeningSum1 = 0.125f;
    s->OpeningSum2 = 0.0625f;
    s->run();
    EXPECT_EQ(s->depsc1(1), -0.25f);
    EXPECT_EQ(s->depsc1(2), 0.5f);
    EXPECT_EQ(s->u1, 0.625f);
    EXPECT_EQ(s->u2, 0.3125f);
}

// Mends: a band that cannot be solved leaves the corrections at 0 and the openings as they were.
TEST(SolveCrackZone, SingularSystemLeavesTheOpenings) {
    auto s = std::make_unique<ZoneSection>();
    s->nelx = 1;
    s->CY(1) = 1.0f;  // every member at the band's centroid: no moment rows
    s->u1 = 0.5f;
    s->u2 = 0.25f;
    s->OpeningSum1 = 1.0f;
    s->run();
    EXPECT_EQ(s->depsc1(1), 0.0f);
    EXPECT_EQ(s->depss1(1), 0.0f);
    EXPECT_EQ(s->u1, 0.5f);
    EXPECT_EQ(s->u2, 0.25f);
}

TEST(SolveCrackZone, ZeroLengthsLeaveTheOpenings) {
    auto zeroBar = std::make_unique<ZoneSection>();
    zeroBar->P.lsb = 0.0f;
    zeroBar->P.lsu = 0.0f;
    zeroBar->u1 = 0.5f;
    zeroBar->run();
    EXPECT_EQ(zeroBar->depss1(1), 0.0f);
    EXPECT_EQ(zeroBar->depsc1(1), 0.0f);
    EXPECT_EQ(zeroBar->u1, 0.5f);

    // Opposite concrete lengths: Lc2 is 0 at mid-height.
    auto zeroConcrete = std::make_unique<ZoneSection>();
    zeroConcrete->P.lcu = -1.0f;
    zeroConcrete->nelx = 3;
    zeroConcrete->CY(3) = 1.0f;
    zeroConcrete->areaC(3) = 1.0f;
    zeroConcrete->u2 = 0.25f;
    zeroConcrete->run();
    for (std::int32_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(zeroConcrete->depsc1(i), 0.0f) << i;
    }
    EXPECT_EQ(zeroConcrete->depss1(1), 0.0f);
    EXPECT_EQ(zeroConcrete->u2, 0.25f);
}

TEST(SolveCrackZone, NoStiffnessInTheBandLeavesTheOpenings) {
    auto s = std::make_unique<ZoneSection>();
    s->nelx = 0;
    s->areaS(1) = 0.0f;
    s->u1 = 0.5f;
    s->run();
    EXPECT_EQ(s->depss1(1), 0.0f);
    EXPECT_EQ(s->u1, 0.5f);

    // No bar and concrete without modulus: the stress cannot be shed.
    auto c = std::make_unique<ZoneSection>();
    c->nsteel = 0;
    c->Ec = 0.0f;
    c->u1 = 0.5f;
    c->OpeningSum1 = 1.0f;
    c->run();
    EXPECT_EQ(c->depsc1(1), 0.0f);
    EXPECT_EQ(c->depsc1(2), 0.0f);
    EXPECT_EQ(c->u1, 0.5f);
}

}  // namespace
}  // namespace tc
