// ComputeBarWidths: the width at mid-height, the band's edges, and bars outside the band.

#include <gtest/gtest.h>

#include <memory>

#include "cracking/cracking.hpp"

namespace tc {
namespace {

TEST(ComputeBarWidths, WidthsInsideTheBandOnly) {
    auto elements = std::make_unique<ElementTable>();
    auto Y = std::make_unique<NodeReals>();
    auto g = std::make_unique<ElementGeometry>();
    auto bars = std::make_unique<BarTable>();
    BarReals* SY = &bars->SY;
    auto thermal = std::make_unique<BarReals>();
    auto strain = std::make_unique<BarReals>();
    auto width = std::make_unique<BarReals>();
    MaterialParameters P;
    P.lsb = 2.0f;
    P.lsu = 4.0f;

    (*SY)(1) = 5.0f;  // mid-height: ls = 3
    (*strain)(1) = 1.0E-4f;
    (*SY)(2) = 10.0f;  // top edge: inside, ls = lsu
    (*strain)(2) = 3.0E-4f;
    (*thermal)(2) = -1.0E-4f;
    (*SY)(3) = 0.0f;  // bottom edge: outside
    (*strain)(3) = 1.0f;
    (*width)(3) = 0.125f;
    (*SY)(4) = 11.0f;  // above the band
    (*strain)(4) = 1.0f;
    (*SY)(5) = 2.5f;  // negative total strain: negative width
    (*strain)(5) = -2.0E-4f;

    const Section s{0, 5, *elements, *Y, *g, *bars, 0.0f, 0.0f, P};
    ComputeBarWidths(s, CrackBand{10.0f, 0.0f}, *thermal, *strain, *width);
    EXPECT_FLOAT_EQ((*width)(1), 6.0E-4f);
    EXPECT_FLOAT_EQ((*width)(2), 16.0E-4f);
    EXPECT_EQ((*width)(3), 0.125f);
    EXPECT_EQ((*width)(4), 0.0f);
    EXPECT_FLOAT_EQ((*width)(5), -10.0E-4f);
}

}  // namespace
}  // namespace tc
