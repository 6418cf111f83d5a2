#include <gtest/gtest.h>

#include "run/result_files.hpp"
#include "run/step_loop.hpp"

namespace tc {
namespace {

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
