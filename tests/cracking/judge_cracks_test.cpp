// JudgeCracks: the strict crack test, the count that only grows, and the band from the corners.

#include <gtest/gtest.h>

#include <memory>

#include "cracking/cracking.hpp"

namespace tc {
namespace {

// Two elements stacked: element 1 from y 0 to 1, element 2 from y 1 to 2.5 (a slanted top).
struct JudgeSection {
    std::int32_t nelx = 2;
    ElementTable elements;
    NodeReals Y;
    ElementReals sigmaC;
    ElementInts CrackCount;
    float ft = 2.0f;
    float judge = 1.0f;
    float hmax = 7.0f, hmin = 3.0f;
    float YTOP = 2.5f, YBOT = 0.0f;
    std::int32_t CrackedCount = -1;

    JudgeSection() {
        const float ys[6] = {0.0f, 0.0f, 1.0f, 1.0f, 2.0f, 2.5f};
        for (std::int32_t n = 1; n <= 6; ++n) {
            Y(n) = ys[n - 1];
        }
        const std::int32_t corners[2][4] = {{1, 2, 3, 4}, {4, 3, 6, 5}};
        for (std::int32_t e = 1; e <= 2; ++e) {
            for (std::size_t k = 0; k < 4; ++k) {
                elements.node[k](e) = corners[e - 1][k];
            }
        }
    }

    void run() {
        ElementGeometry g;
        BarTable bars;
        MaterialParameters P;
        P.judge = judge;
        const Section s{nelx, 0, elements, Y, g, bars, YTOP, YBOT, P};
        const CrackJudgement j = JudgeCracks(s, sigmaC, ft, CrackBand{hmax, hmin}, CrackCount);
        hmax = j.band.hmax;
        hmin = j.band.hmin;
        CrackedCount = j.CrackedCount;
    }
};

TEST(JudgeCracks, NoCrackLeavesTheBand) {
    auto s = std::make_unique<JudgeSection>();
    s->sigmaC(1) = 2.0f;   // exactly at the limit
    s->sigmaC(2) = -50.0f; // compression
    s->run();
    EXPECT_EQ(s->CrackCount(1), 0);
    EXPECT_EQ(s->CrackCount(2), 0);
    EXPECT_EQ(s->CrackedCount, 0);
    EXPECT_EQ(s->hmax, 7.0f);
    EXPECT_EQ(s->hmin, 3.0f);
}

TEST(JudgeCracks, LimitUsesTheJudgeValue) {
    auto s = std::make_unique<JudgeSection>();
    s->judge = 1.5f;
    s->sigmaC(1) = 1.5f;  // 2.25 > 2
    s->sigmaC(2) = 1.25f; // 1.875 < 2
    s->run();
    EXPECT_EQ(s->CrackCount(1), 1);
    EXPECT_EQ(s->CrackCount(2), 0);
    EXPECT_EQ(s->CrackedCount, 1);
}

TEST(JudgeCracks, SingleCrackedElementSetsTheBandFromItsCorners) {
    auto s = std::make_unique<JudgeSection>();
    s->YTOP = 100.0f;
    s->YBOT = -100.0f;
    s->sigmaC(2) = 3.0f;
    s->run();
    EXPECT_EQ(s->CrackedCount, 1);
    EXPECT_EQ(s->hmax, 2.5f);
    EXPECT_EQ(s->hmin, 1.0f);
}

TEST(JudgeCracks, CountGrowsAtEveryCallAndEarlierCracksStay) {
    auto s = std::make_unique<JudgeSection>();
    s->sigmaC(1) = 3.0f;
    s->run();
    s->run();
    EXPECT_EQ(s->CrackCount(1), 2);
    EXPECT_EQ(s->CrackedCount, 1);
    EXPECT_EQ(s->hmax, 1.0f);
    EXPECT_EQ(s->hmin, 0.0f);

    // Element 1 falls below the limit, element 2 cracks: both set the band.
    s->sigmaC(1) = 0.0f;
    s->sigmaC(2) = 3.0f;
    s->run();
    EXPECT_EQ(s->CrackCount(1), 2);
    EXPECT_EQ(s->CrackCount(2), 1);
    EXPECT_EQ(s->CrackedCount, 2);
    EXPECT_EQ(s->hmax, 2.5f);
    EXPECT_EQ(s->hmin, 0.0f);
}

}  // namespace
}  // namespace tc
