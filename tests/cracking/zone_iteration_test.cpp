// The zone iteration of a step: a crack that runs down a column one element per pass.

#include <gtest/gtest.h>

#include <memory>

#include "cracking/cracking.hpp"

namespace tc {
namespace {

// A column of six elements 1 x 1 stacked from y = 0 to 6, no bars, Ec = ft = 1, free of external
// restraint. The committed tension rises by 0.05 per element towards the top, where it is 1.05, just
// over ft; the section forces are those of these stresses. No temperature change.
struct Column {
    static constexpr std::int32_t n = 6;
    ElementTable elements;
    NodeReals Y;
    ElementGeometry g;
    BarTable bars;
    MaterialParameters P;
    StepState t;

    Column() {
        for (std::int32_t j = 0; j <= n; ++j) {
            Y(2 * j + 1) = static_cast<float>(j);
            Y(2 * j + 2) = static_cast<float>(j);
        }
        P.judge = 1.0f;
        P.lcb = P.lcu = P.lsb = P.lsu = 1.0f;
        P.Es = 1.0f;
        t.Nstep = 3;
        t.concrete.Ec = 1.0f;
        t.concrete.ft = 1.0f;
        for (std::int32_t e = 1; e <= n; ++e) {
            elements.node[0](e) = 2 * e + 2;
            elements.node[1](e) = 2 * e + 1;
            elements.node[2](e) = 2 * e - 1;
            elements.node[3](e) = 2 * e;
            g.CY(e) = static_cast<float>(e) - 0.5f;
            g.AREA(e) = 1.0f;
            t.state.SigmaCPrev(e) = e == n ? 1.05f : 0.05f * g.CY(e);
            t.state.SectionN += t.state.SigmaCPrev(e);
            t.state.SectionM += (g.CY(e) - 3.0f) * t.state.SigmaCPrev(e);
        }
    }

    void Step() {
        const Section s{n, 0, elements, Y, g, bars, 6.0f, 0.0f, P};
        ComputeSectionStep(s, t);
    }
};

// Each pass sheds the band's stress onto the rest, which cracks the next element below: the band
// grows one element per pass and reaches the bottom at the sixth, which repeats its height. A step
// cut short after a few passes would leave the lower elements uncracked.
TEST(ZoneIteration, RunsUntilTheBandStopsGrowing) {
    auto c = std::make_unique<Column>();
    c->Step();
    EXPECT_EQ(c->t.passes, 6);
    EXPECT_EQ(c->t.CrackedCount, 6);
    EXPECT_EQ(c->t.band.hmax, 6.0f);
    EXPECT_EQ(c->t.band.hmin, 0.0f);
}

}  // namespace
}  // namespace tc
