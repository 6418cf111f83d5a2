#pragma once
// Values that thermocrack prepare derives from the description instead of taking them as given: the
// restraint factors from what the member is cast on, the crack spread lengths from the bars, and
// the steel's yield strength; each with its method, inputs and source, for derived.toml. The
// sourced coefficients come from the tables of data/ (built into the program).

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tc::prepare {

// One group of values as prepare took them: given, or derived by a method from inputs.
struct Derivation {
    std::string name;                                    // the table of derived.toml: "restraint", ...
    bool given = true;
    std::string method;                                  // "given", or the method in words
    std::vector<std::pair<std::string, std::string>> inputs;  // name, value with its unit
    std::vector<std::pair<std::string, double>> values;  // the values the job takes
    std::vector<std::string> sources;
};

// A face layer's share for the steel checks and the crack spacing.
struct LayerFacts {
    std::string face;
    double barArea = 0, diameter = 0, spacing = 0, cover = 0;  // cover to the bar's centre
    double thickness = 0;   // the young concrete's depth square to the face
    double height = 0;      // the layer's mean height Y
    double crackSpacing = 0, hcEff = 0, rho = 0;
    bool wide = false;      // bars further apart than 5 (c + phi / 2): expression (7.14)
};

// The text of one of data/'s tables, by file name ("crack-spacing.toml"), as built in.
std::string_view DataTable(std::string_view file);
// A table's row named name: its "value" (or key), and its source.
double DataValue(std::string_view file, std::string_view name, std::string_view key, std::string* source = nullptr);

// Restraint at the joint, R = 1 / (1 + An En / (Ao Eo)).
double JointRestraint(double areaNew, double areaOld, double modulusRatio);
// The factor a of K(h) = R a^(h / H) for the length-to-height ratio L / H; its source.
double HeightReductionBase(double lengthOverHeight, std::string* source = nullptr);
// The section's axial and curvature restraint from R and a over a member of uniform width:
// Rn = R mean(a^s), Rm = R integral(a^s (s - 1/2)^2) / integral((s - 1/2)^2), s = h / H in [0, 1].
std::pair<double, double> SectionRestraint(double joint, double base);

// The crack spacing of a face layer (EN 1992-1-1 7.3.4 (7.11) or (7.14)); fills crackSpacing,
// hcEff, rho and wide.
void CrackSpacing(LayerFacts& layer);

}  // namespace tc::prepare
