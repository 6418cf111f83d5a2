#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run/result_files.hpp"
#include "run/step_loop.hpp"

namespace tc {
namespace {

MaterialParameters Concrete() {
    MaterialParameters P;
    P(param::Sigma91day) = 40.0f;
    P(param::ParameterA) = 4.5f;
    P(param::ParameterB) = 0.95f;
    P(param::ParameterC) = 0.44f;
    P(param::FcToEc) = 4700.0f;
    return P;
}

TEST(ConcreteProperties, ModulusFactorRisesBetweenDaysThreeAndFive) {
    const MaterialParameters P = Concrete();
    float factor, fc, ft, Ec;
    ComputeConcreteProperties(P, 2.0f, 2, factor, fc, ft, Ec);
    EXPECT_EQ(factor, 0.73333f);
    ComputeConcreteProperties(P, 3.0f, 2, factor, fc, ft, Ec);
    EXPECT_EQ(factor, 0.73333f);
    ComputeConcreteProperties(P, 4.0f, 2, factor, fc, ft, Ec);
    EXPECT_FLOAT_EQ(factor, 0.866665f);
    ComputeConcreteProperties(P, 5.0f, 2, factor, fc, ft, Ec);
    EXPECT_FLOAT_EQ(factor, 1.0f);
    ComputeConcreteProperties(P, 5.5f, 2, factor, fc, ft, Ec);
    EXPECT_EQ(factor, 1.0f);
}

TEST(ConcreteProperties, StrengthAndModulusAtSevenDays) {
    float factor, fc, ft, Ec;
    ComputeConcreteProperties(Concrete(), 7.0f, 3, factor, fc, ft, Ec);
    EXPECT_NEAR(fc, 280.0f / 11.15f, 1e-4f);
    EXPECT_FLOAT_EQ(ft, 0.44f * std::sqrt(fc));
    EXPECT_FLOAT_EQ(Ec, std::sqrt(fc) * 4700.0f);
}

TEST(ConcreteProperties, NonPositiveStrengthIsRefusedNamingStepAndAge) {
    float factor, fc, ft, Ec;
    try {
        ComputeConcreteProperties(Concrete(), 0.0f, 7, factor, fc, ft, Ec);
        FAIL() << "age 0 accepted";
    } catch (const RunError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("step 7"), std::string::npos) << text;
        EXPECT_NE(text.find("age 0"), std::string::npos) << text;
    }
}

TEST(RunStatusTest, ClassifiesHowFarTheZoneReaches) {
    const float top = 1000.0f, bottom = 0.0f;
    EXPECT_EQ(RunStatus(top, bottom, 1000.0f, 500.0f, 3), 0);  // top only
    EXPECT_EQ(RunStatus(top, bottom, 0.0f, 0.0f, 0), 1);       // no crack
    EXPECT_EQ(RunStatus(top, bottom, 400.0f, 0.0f, 2), 2);     // bottom only
    EXPECT_EQ(RunStatus(top, bottom, 1000.0f, 0.0f, 9), 3);    // whole depth
    EXPECT_EQ(RunStatus(top, bottom, 700.0f, 300.0f, 1), -1);  // neither face
}

TEST(RunStatusTest, DistanceOfExactlyTheToleranceMatchesNeitherTest) {
    // 0.01f away from the top: neither "below 0.01" nor "above 0.01" holds at that face.
    EXPECT_EQ(RunStatus(0.01f, -100.0f, 0.0f, -100.0f, 4), -1);
    EXPECT_EQ(RunStatus(100.0f, 0.01f, 100.0f, 0.0f, 4), -1);
    EXPECT_EQ(RunStatus(100.0f, 0.01f, 50.0f, 0.0f, 4), -1);
}

}  // namespace
}  // namespace tc
