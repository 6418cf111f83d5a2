#include "cracking/concrete_law.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "records/run_error.hpp"

namespace tc {
namespace {

MaterialParameters Concrete() {
    MaterialParameters P;
    P.Sigma91day = 40.0f;
    P.ParameterA = 4.5f;
    P.ParameterB = 0.95f;
    P.ParameterC = 0.44f;
    P.FcToEc = 4700.0f;
    return P;
}

TEST(ConcreteLaw, ModulusFactorRisesBetweenDaysThreeAndFive) {
    const MaterialParameters P = Concrete();
    EXPECT_EQ(ConcreteLaw(P, 2.0f, 2).ModulusFactor, 0.73333f);
    EXPECT_EQ(ConcreteLaw(P, 3.0f, 2).ModulusFactor, 0.73333f);
    EXPECT_FLOAT_EQ(ConcreteLaw(P, 4.0f, 2).ModulusFactor, 0.866665f);
    EXPECT_FLOAT_EQ(ConcreteLaw(P, 5.0f, 2).ModulusFactor, 1.0f);
    EXPECT_EQ(ConcreteLaw(P, 5.5f, 2).ModulusFactor, 1.0f);
}

TEST(ConcreteLaw, StrengthAndModulusAtSevenDays) {
    const ConcreteProperties c = ConcreteLaw(Concrete(), 7.0f, 3);
    EXPECT_NEAR(c.fc, 280.0f / 11.15f, 1e-4f);
    EXPECT_FLOAT_EQ(c.ft, 0.44f * std::sqrt(c.fc));
    EXPECT_FLOAT_EQ(c.Ec, std::sqrt(c.fc) * 4700.0f);
}

TEST(ConcreteLaw, NonPositiveStrengthIsRefusedNamingStepAndAge) {
    try {
        ConcreteLaw(Concrete(), 0.0f, 7);
        FAIL() << "age 0 accepted";
    } catch (const RunError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("step 7"), std::string::npos) << text;
        EXPECT_NE(text.find("age 0"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace tc
