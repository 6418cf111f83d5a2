// ComputeStressIncrements: the worked section, restraint identities, the bending-restraint switch,
// cracked elements and sections without stiffness.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "cracking/cracking.hpp"
#include "section_tables.hpp"

namespace tc {
namespace {

// Two elements of area 100 at heights 0 and 100 and one bar of area 10 at 50.
struct StressSection : SectionTables {
    ElementReals DT;
    BarReals DTS;
    ElementInts CrackCount;
    float Ec = 20000.0f;
    std::int32_t nstep = 3;
    StressIncrements inc;
    ElementReals& DSigmaC = inc.DSigmaC;
    ElementReals& DEpsilonC = inc.DEpsilonC;
    BarReals& DSigmaS = inc.DSigmaS;
    BarReals& DEpsilonS = inc.DEpsilonS;
    float& DSectionN = inc.DSectionN;
    float& DSectionM = inc.DSectionM;
    float& SectionCentroidY = inc.SectionCentroidY;
    float& RestraintN = inc.RestraintN;
    float& RestraintM = inc.RestraintM;
    CurvatureHistory curvature;
    float& PrevCurvature = curvature.PrevCurvature;
    bool& RmSwitched = curvature.RmSwitched;

    StressSection() {
        CY(1) = 0.0f;
        CY(2) = 100.0f;
        areaC(1) = 100.0f;
        areaC(2) = 100.0f;
        DT(1) = 10.0f;
        DT(2) = 0.0f;
        SY(1) = 50.0f;
        areaS(1) = 10.0f;
        DTS(1) = 5.0f;
        P.alphaC = 0.00001f;
        P.Es = 200000.0f;
        P.alphaS = 0.00001f;
        P.Rn = 0.5f;
        P.Rm1 = 0.5f;
        P.Rm2 = 0.25f;
    }

    void run() {
        const Section s = View();
        ComputeStressIncrements(s, DT, DTS, Ec, nstep, CrackCount, curvature, inc);
    }
};

TEST(ComputeStressIncrements, WorkedSection) {
    auto s = std::make_unique<StressSection>();
    s->run();
    EXPECT_FLOAT_EQ(s->SectionCentroidY, 50.0f);
    EXPECT_NEAR(s->PrevCurvature, -0.000001f, 1e-11f);
    EXPECT_NEAR(s->DSigmaC(1), -1.0f, 1e-4f);
    EXPECT_NEAR(s->DSigmaC(2), 0.0f, 1e-4f);
    EXPECT_NEAR(s->DEpsilonC(1), -0.00005f, 1e-9f);
    EXPECT_NEAR(s->DEpsilonC(2), 0.0f, 1e-9f);
    EXPECT_NEAR(s->DEpsilonS(1), -0.000025f, 1e-9f);
    EXPECT_NEAR(s->DSigmaS(1), -5.0f, 1e-4f);
    EXPECT_NEAR(s->DSectionN, -150.0f, 1e-3f);
    EXPECT_NEAR(s->DSectionM, 5000.0f, 0.05f);
    EXPECT_EQ(s->RestraintN, 0.5f);
    EXPECT_EQ(s->RestraintM, 0.5f);
    EXPECT_FALSE(s->RmSwitched);
}

TEST(ComputeStressIncrements, UniformIncrementWithoutRestraintGivesNoStress) {
    auto s = std::make_unique<StressSection>();
    s->DT(1) = 7.0f;
    s->DT(2) = 7.0f;
    s->DTS(1) = 7.0f;
    s->P.Rn = 0.0f;
    s->P.Rm1 = 0.0f;
    s->run();
    EXPECT_NEAR(s->PrevCurvature, 0.0f, 1e-12f);
    for (std::int32_t e = 1; e <= 2; ++e) {
        EXPECT_NEAR(s->DSigmaC(e), 0.0f, 1e-4f) << e;
        EXPECT_NEAR(s->DEpsilonC(e), 0.0f, 1e-9f) << e;
    }
    EXPECT_NEAR(s->DEpsilonS(1), 0.0f, 1e-9f);
    EXPECT_NEAR(s->DSectionN, 0.0f, 1e-3f);
    EXPECT_NEAR(s->DSectionM, 0.0f, 1e-3f);
}

TEST(ComputeStressIncrements, FullRestraintTakesTheWholeFreeStrain) {
    auto s = std::make_unique<StressSection>();
    s->DT(1) = 7.0f;
    s->DT(2) = 7.0f;
    s->DTS(1) = 7.0f;
    s->P.Rn = 1.0f;
    s->P.Rm1 = 1.0f;
    s->run();
    const float alpha = 0.00001f;
    for (std::int32_t e = 1; e <= 2; ++e) {
        EXPECT_NEAR(s->DSigmaC(e), -20000.0f * alpha * 7.0f, 1e-4f) << e;
    }
    EXPECT_NEAR(s->DEpsilonS(1), -alpha * 7.0f, 1e-9f);
    // Fc + Fs = 7 * alpha * (200 * 20000 + 10 * 200000)
    EXPECT_NEAR(s->DSectionN, -420.0f, 1e-2f);
}

TEST(ComputeStressIncrements, CurvatureSignChangeSwitchesToRm2ForGood) {
    auto s = std::make_unique<StressSection>();
    s->nstep = 2;
    s->PrevCurvature = 1.0f;  // stale value, dropped at the first analysis step
    s->run();
    EXPECT_EQ(s->RestraintM, 0.5f);
    EXPECT_FALSE(s->RmSwitched);
    EXPECT_LT(s->PrevCurvature, 0.0f);

    // Same sign again: no switch.
    s->nstep = 3;
    s->run();
    EXPECT_EQ(s->RestraintM, 0.5f);
    EXPECT_FALSE(s->RmSwitched);

    // The heat moves to the top element: the curvature turns positive.
    s->DT(1) = 0.0f;
    s->DT(2) = 10.0f;
    s->nstep = 4;
    s->run();
    EXPECT_GT(s->PrevCurvature, 0.0f);
    EXPECT_EQ(s->RestraintM, 0.25f);
    EXPECT_TRUE(s->RmSwitched);

    // Later curvatures of one sign keep Rm2.
    s->nstep = 5;
    s->run();
    EXPECT_EQ(s->RestraintM, 0.25f);
    EXPECT_TRUE(s->RmSwitched);
}

TEST(ComputeStressIncrements, ZeroCurvatureNeverSwitches) {
    auto s = std::make_unique<StressSection>();
    s->PrevCurvature = -1.0f;
    s->DT(1) = 0.0f;
    s->DTS(1) = 0.0f;
    s->run();  // no temperature change: the curvature is 0
    EXPECT_FALSE(s->RmSwitched);
    EXPECT_EQ(s->RestraintM, 0.5f);
}

TEST(ComputeStressIncrements, CrackedElementIsLeftOut) {
    auto plain = std::make_unique<StressSection>();
    plain->run();

    // The same section with a third, cracked element: it changes nothing and takes no stress.
    auto s = std::make_unique<StressSection>();
    s->nelx = 3;
    s->CY(3) = 80.0f;
    s->areaC(3) = 500.0f;
    s->DT(3) = 30.0f;
    s->CrackCount(3) = 2;
    s->DSigmaC(3) = 9.0f;
    s->DEpsilonC(3) = 9.0f;
    s->run();
    EXPECT_EQ(s->DSigmaC(3), 0.0f);
    EXPECT_EQ(s->DEpsilonC(3), 0.0f);
    for (std::int32_t e = 1; e <= 2; ++e) {
        EXPECT_EQ(s->DSigmaC(e), plain->DSigmaC(e)) << e;
        EXPECT_EQ(s->DEpsilonC(e), plain->DEpsilonC(e)) << e;
    }
    EXPECT_EQ(s->DSigmaS(1), plain->DSigmaS(1));
    EXPECT_EQ(s->DSectionN, plain->DSectionN);
    EXPECT_EQ(s->DSectionM, plain->DSectionM);
    EXPECT_EQ(s->SectionCentroidY, plain->SectionCentroidY);
}

TEST(ComputeStressIncrements, AllElementsCrackedGivesZeroIncrements) {
    auto s = std::make_unique<StressSection>();
    s->CrackCount(1) = 1;
    s->CrackCount(2) = 3;
    s->DSigmaC.fill(9.0f);
    s->DEpsilonC.fill(9.0f);
    s->DSigmaS.fill(9.0f);
    s->DEpsilonS.fill(9.0f);
    s->DSectionN = 9.0f;
    s->DSectionM = 9.0f;
    s->SectionCentroidY = 42.0f;
    s->PrevCurvature = 0.003f;
    s->RmSwitched = true;
    s->run();
    for (std::int32_t e = 1; e <= 2; ++e) {
        EXPECT_EQ(s->DSigmaC(e), 0.0f);
        EXPECT_EQ(s->DEpsilonC(e), 0.0f);
    }
    EXPECT_EQ(s->DSigmaS(1), 0.0f);
    EXPECT_EQ(s->DEpsilonS(1), 0.0f);
    EXPECT_EQ(s->DSectionN, 0.0f);
    EXPECT_EQ(s->DSectionM, 0.0f);
    EXPECT_EQ(s->SectionCentroidY, 42.0f);
    EXPECT_EQ(s->PrevCurvature, 0.003f);
    EXPECT_TRUE(s->RmSwitched);
    EXPECT_EQ(s->RestraintM, 0.5f);
}

// Mends: a zero divisor gives zero increments (or zero curvature), never NaN or infinity.
TEST(ComputeStressIncrements, OneRowWithoutBarsHasNoCurvature) {
    auto s = std::make_unique<StressSection>();
    s->nsteel = 0;
    s->CY(2) = 0.0f;
    s->PrevCurvature = 0.5f;
    s->run();
    EXPECT_EQ(s->PrevCurvature, 0.0f);
    EXPECT_FALSE(s->RmSwitched);
    // eps0 = 5e-5 on the plane; the first element is 10 degrees warmer than the mean.
    EXPECT_NEAR(s->DSigmaC(1), 20000.0f * (0.5f * 0.00005f - 0.0001f), 1e-4f);
    EXPECT_NEAR(s->DSigmaC(2), 20000.0f * (0.5f * 0.00005f), 1e-4f);
    EXPECT_TRUE(std::isfinite(s->DSectionN));
    EXPECT_EQ(s->DSectionM, 0.0f);
}

TEST(ComputeStressIncrements, NoStiffnessAtAllGivesZeroIncrements) {
    auto s = std::make_unique<StressSection>();
    s->nsteel = 0;
    s->Ec = 0.0f;
    s->DSigmaC.fill(9.0f);
    s->DEpsilonC.fill(9.0f);
    s->SectionCentroidY = 42.0f;
    s->run();
    EXPECT_EQ(s->DSigmaC(1), 0.0f);
    EXPECT_EQ(s->DEpsilonC(1), 0.0f);
    EXPECT_EQ(s->DSectionN, 0.0f);
    EXPECT_EQ(s->DSectionM, 0.0f);
    EXPECT_EQ(s->SectionCentroidY, 42.0f);
}

TEST(ComputeStressIncrements, ConcreteWithoutModulusTakesNoStrain) {
    auto s = std::make_unique<StressSection>();
    s->Ec = 0.0f;
    s->run();
    for (std::int32_t e = 1; e <= 2; ++e) {
        EXPECT_EQ(s->DSigmaC(e), 0.0f);
        EXPECT_EQ(s->DEpsilonC(e), 0.0f);
    }
    EXPECT_TRUE(std::isfinite(s->DSigmaS(1)));
    EXPECT_FLOAT_EQ(s->SectionCentroidY, 50.0f);
}

}  // namespace
}  // namespace tc
