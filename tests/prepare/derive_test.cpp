// The values prepare derives, each against a case worked by hand from its source's expressions:
// the restraint at the joint and over the height (ACI 207.2R as CIRIA C660 A5 applies it), the
// crack spacing of a face layer (EN 1992-1-1 7.3.4, 7.3.2), the spread lengths of the example wall
// and slab; and the refusals of a restraint description, each naming file, line and key.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <tuple>

#include "heat/heat_test_support.hpp"
#include "description_support.hpp"
#include "prepare/prepare.hpp"
#include "records/run_error.hpp"
#include "test_paths.hpp"

namespace tc::prepare {
namespace {

// A wall 400 x 3000 on a footing 1200 x 600 below it, bars D19 at 200 both faces 60 mm to the
// centre, with the given [restraint] and [cracking] spread keys.
std::string Wall(const std::string& restraint, const std::string& spread = "", const std::string& footing =
                     "rectangle = { x = [-400.0, 800.0], y = [-600.0, 0.0] }\n") {
    return "[[part]]\nname = \"footing\"\n" + footing + "young = false\n" + R"([[part]]
name = "wall"
rectangle = { x = [0.0, 400.0], y = [0.0, 3000.0] }
[mesh]
size = [100.0, 300.0]
[[bars]]
face = "left"
cover = 60.0
cover_to = "centre"
diameter = 19.0
area = 286.5
spacing = 200.0
[[bars]]
face = "right"
cover = 60.0
cover_to = "centre"
diameter = 19.0
area = 286.5
spacing = 200.0
)" + fixtures::ConcreteTable() + "[steel]\nmodulus = 200000.0\n[cracking]\njudge = 1.0\n" + spread +
           "[restraint]\n" + restraint + "[ambient]\ntemperature = 5.0\n[output]\nages = [0.5, 1.0]\n";
}

LayerFacts Layer(const std::string& face, double area, double diameter, double spacing, double cover, double thickness) {
    LayerFacts f;
    f.face = face;
    f.barArea = area;
    f.diameter = diameter;
    f.spacing = spacing;
    f.cover = cover;
    f.thickness = thickness;
    return f;
}

std::string Refusal(const std::string& text) {
    try {
        ParseDescription(text, "d.toml");
    } catch (const RunError& e) {
        return e.what();
    }
    return "(accepted)";
}

TEST(PrepareDerive, RestraintAtTheJointAndOverTheHeight) {
    // Wall 400 x 3000 = 1.2e6 mm2 on a footing 1200 x 600 = 0.72e6 mm2, En/Eo 0.7:
    // R = 1 / (1 + 1.2 / 0.72 * 0.7) = 1 / 2.16667 = 0.4615.
    EXPECT_NEAR(JointRestraint(1.2e6, 0.72e6, 0.7), 0.4615, 0.00005);
    // A slab cast against an equal slab (An / Ao = 1): 1 / 1.7 = 0.588; long term (En/Eo 1): 0.5.
    EXPECT_NEAR(JointRestraint(1.0, 1.0, 0.7), 0.588, 0.0005);
    EXPECT_DOUBLE_EQ(JointRestraint(1.0, 1.0, 1.0), 0.5);

    // The fall with height: L/H 4 gives (4 - 2) / (4 + 1) = 0.4; L/H 2.5 the first row (0.5 / 3.5);
    // just below it the second, (1.5 - 1) / ... ; L/H 2 gives 1 / 12; L/H 1 none above the joint.
    EXPECT_DOUBLE_EQ(HeightReductionBase(4.0), 0.4);
    EXPECT_NEAR(HeightReductionBase(2.5), 0.5 / 3.5, 1e-15);
    EXPECT_NEAR(HeightReductionBase(2.0), 1.0 / 12.0, 1e-15);
    EXPECT_DOUBLE_EQ(HeightReductionBase(1.0), 0.0);
    EXPECT_EQ(SectionRestraint(0.5, 0.0), std::make_pair(0.0, 0.0));

    // Rn = R (a - 1) / ln a; Rm = 12 R [a^s ((s - 1/2)^2 / k - 2 (s - 1/2) / k^2 + 2 / k^3)] from 0 to 1, k = ln a.
    const double a = 0.4, k = std::log(a);
    const auto F = [&](double s) {
        return std::pow(a, s) * ((s - 0.5) * (s - 0.5) / k - 2 * (s - 0.5) / (k * k) + 2 / (k * k * k));
    };
    const auto [rn, rm] = SectionRestraint(0.4615, a);
    EXPECT_NEAR(rn, 0.4615 * (a - 1.0) / k, 1e-9);
    EXPECT_NEAR(rm, 0.4615 * 12.0 * (F(1.0) - F(0.0)), 1e-9);
    const auto [un, um] = SectionRestraint(0.7, 1.0);  // no fall: both the joint's
    EXPECT_NEAR(un, 0.7, 1e-12);
    EXPECT_NEAR(um, 0.7, 1e-12);

    // The whole description: the wall 12 m long (L/H 4) on its footing; the deck gets 3 decimals.
    const std::string spread = "lcb = 400.0\nlcu = 600.0\nlsb = 200.0\nlsu = 300.0\n";
    const Description d = ParseDescription(Wall("on = \"footing\"\nlength = 12000.0\n", spread), "d.toml");
    EXPECT_DOUBLE_EQ(d.deck.rn, 0.302);
    EXPECT_DOUBLE_EQ(d.deck.rm1, 0.311);
    EXPECT_DOUBLE_EQ(d.deck.rm2, 0.311);
    // A modulus ratio given: 1 / (1 + 1.6667 0.8) = 0.4286, times 0.6548 = 0.281.
    const Description e = ParseDescription(Wall("on = \"footing\"\nlength = 12000.0\nmodulus_ratio = 0.8\n", spread), "d.toml");
    EXPECT_DOUBLE_EQ(e.deck.rn, 0.281);

    // The example of a derived restraint and derived spread lengths.
    const Description x = ReadDescription((testing::SourceDir() / "examples" / "wall-derived.toml").string());
    EXPECT_EQ(std::make_tuple(x.deck.rn, x.deck.rm1, x.deck.rm2), std::make_tuple(0.302, 0.311, 0.311));
    EXPECT_EQ(std::make_tuple(x.deck.lcb, x.deck.lcu, x.deck.lsb, x.deck.lsu), std::make_tuple(848.0, 848.0, 424.0, 424.0));
    EXPECT_EQ(x.derivations.size(), 3u);
}

TEST(PrepareDerive, CrackSpacingAndSpreadLengthsFromTheBars) {
    // The example wall's layer: c = 60 - 9.5 = 50.5, h_c,eff = min(2.5 x 60, 400 / 2) = 150,
    // rho = 286.5 / (200 x 150) = 0.00955, s = 3.4 x 50.5 + 0.8 x 1.0 x 0.425 x 19 / 0.00955 = 848 mm.
    LayerFacts wall = Layer("left", 286.5, 19.0, 200.0, 60.0, 400.0);
    CrackSpacing(wall);
    EXPECT_DOUBLE_EQ(wall.hcEff, 150.0);
    EXPECT_NEAR(wall.rho, 0.00955, 1e-12);
    EXPECT_NEAR(wall.crackSpacing, 848.14, 0.005);
    EXPECT_FALSE(wall.wide);
    // A thin member: h / 2 = 100 governs h_c,eff; rho = 286.5 / 20000, s = 171.7 + 6.46 / 0.014325 = 622.7.
    LayerFacts thin = Layer("left", 286.5, 19.0, 200.0, 60.0, 200.0);
    CrackSpacing(thin);
    EXPECT_DOUBLE_EQ(thin.hcEff, 100.0);
    EXPECT_NEAR(thin.crackSpacing, 622.7, 0.05);
    // Bars 400 apart, above 5 (50.5 + 9.5) = 300: expression (7.14), 1.3 h = 520.
    LayerFacts wide = Layer("left", 286.5, 19.0, 400.0, 60.0, 400.0);
    CrackSpacing(wide);
    EXPECT_TRUE(wide.wide);
    EXPECT_DOUBLE_EQ(wide.crackSpacing, 520.0);

    // The wall without spread lengths: both layers span the height, lc = 848 at both edges, ls half.
    const Description d = ParseDescription(Wall("Rn = 0.8\nRm1 = 0.6\nRm2 = 0.5\n"), "d.toml");
    EXPECT_EQ(std::make_pair(d.deck.lcb, d.deck.lcu), std::make_pair(848.0, 848.0));
    EXPECT_EQ(std::make_pair(d.deck.lsb, d.deck.lsu), std::make_pair(424.0, 424.0));
    // The example slab's layers, 1200 deep: bottom D25 at 75 clear, h_c,eff = 2.5 x 87.5 = 218.75,
    // rho = 490.87 / 43750 = 0.011220, s = 255 + 8.5 / 0.011220 = 1012.6; top D22 at 50 clear,
    // h_c,eff = 152.5, rho = 380.13 / 30500 = 0.012463, s = 170 + 7.48 / 0.012463 = 770.2.
    LayerFacts bottom = Layer("bottom", std::numbers::pi * 25.0 * 25.0 / 4.0, 25.0, 200.0, 87.5, 1200.0);
    LayerFacts top = Layer("top", std::numbers::pi * 22.0 * 22.0 / 4.0, 22.0, 200.0, 61.0, 1200.0);
    CrackSpacing(bottom);
    CrackSpacing(top);
    EXPECT_NEAR(bottom.crackSpacing, 1012.6, 0.05);
    EXPECT_NEAR(top.crackSpacing, 770.2, 0.05);
}

TEST(PrepareDerive, RefusalsNameFileLineAndKey) {
    const std::string spread = "lcb = 400.0\nlcu = 600.0\nlsb = 200.0\nlsu = 300.0\n";
    const auto line = [](const std::string& text, const std::string& what) {
        const auto at = text.begin() + static_cast<std::ptrdiff_t>(text.find(what));
        return "d.toml, line " + std::to_string(std::count(text.begin(), at, '\n') + 1);
    };
    // A footing beside the wall's top, touching nothing.
    const std::string on = "on = \"footing\"\nlength = 12000.0\n";
    std::string apart = Wall(on, spread, "rectangle = { x = [1000.0, 2000.0], y = [0.0, 600.0] }\n");
    EXPECT_EQ(Refusal(apart), line(apart, "on = \"") + ": key \"restraint.on\": \"footing\" does not touch the member (the young "
                                                     "concrete): name the part it is cast on");
    // A footing at the wall's side only.
    std::string side = Wall(on, spread, "rectangle = { x = [400.0, 1000.0], y = [0.0, 600.0] }\n");
    EXPECT_NE(Refusal(side).find(line(side, "on = \"") + ": key \"restraint.on\": \"footing\" meets the member only at its side"),
              std::string::npos);
    std::string length = Wall("on = \"footing\"\nlength = -5.0\n", spread);
    EXPECT_EQ(Refusal(length), line(length, "length =") + ": key \"restraint.length\": must be above 0 (it is -5)");
    std::string zero = Wall("on = \"footing\"\nlength = 0.0\n", spread);
    EXPECT_EQ(Refusal(zero), line(zero, "length =") + ": key \"restraint.length\": must be above 0 (it is 0)");
    std::string unknown = Wall("on = \"base\"\nlength = 12000.0\n", spread);
    EXPECT_EQ(Refusal(unknown), line(unknown, "on = \"") + ": key \"restraint.on\": \"base\" is not a part of the section (parts: "
                                                         "\"footing\", \"wall\")");
    std::string young = Wall("on = \"wall\"\nlength = 12000.0\n", spread);
    EXPECT_NE(Refusal(young).find(": key \"restraint.on\": \"wall\" is young concrete"), std::string::npos);
    std::string both = Wall("Rn = 0.5\non = \"footing\"\nlength = 12000.0\n", spread);
    EXPECT_NE(Refusal(both).find(line(both, "Rn =") + ": key \"restraint.Rn\": give either"), std::string::npos);
    std::string some = Wall("Rn = 0.8\nRm1 = 0.6\nRm2 = 0.5\n", "lcb = 400.0\nlcu = 600.0\n");
    EXPECT_EQ(Refusal(some), line(some, "[cracking]") + ": key \"cracking.lsb\": is missing: give all four of lcb, lcu, lsb, "
                                                        "lsu, or none to derive them from the bars");
}

}  // namespace
}  // namespace tc::prepare
