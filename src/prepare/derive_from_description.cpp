// The description's derived values, read and checked with the description's file, line and key:
// the restraint factors from the part the member is cast on (when [restraint] names it instead of
// giving Rn, Rm1, Rm2), the spread lengths from the crack spacing of the bars (when [cracking]
// gives none of lcb, lcu, lsb, lsu): lc = s_r,max and ls = s_r,max / 2 at the bottom (the lowest
// layers) and top (the highest layers) of the cracked band, and the yield strength's default.

#include <algorithm>
#include <cmath>

#include "prepare/derive_from_description.hpp"

namespace tc::prepare {

namespace {

std::string Mm(double v, const char* unit = "mm") { return heat::TomlReader::Text(v) + " " + unit; }

double Round(double v, double step) { return std::round(v / step) * step; }

double Area(const Part& p) {
    if (!p.trapezoid) return (p.x1 - p.x0) * (p.y1 - p.y0);
    return ((p.bottom1 - p.bottom0) + (p.top1 - p.top0)) / 2.0 * (p.y1 - p.y0);
}

// The x range of a part's bottom or top edge.
std::pair<double, double> Edge(const Part& p, bool top) {
    if (!p.trapezoid) return {p.x0, p.x1};
    return top ? std::pair{p.top0, p.top1} : std::pair{p.bottom0, p.bottom1};
}

double Overlap(std::pair<double, double> a, std::pair<double, double> b) {
    return std::max(0.0, std::min(a.second, b.second) - std::max(a.first, b.first));
}

}  // namespace

void DeriveRestraint(const heat::TomlReader& r, const toml::table& t, Description& d) {
    const std::string p = "restraint.";
    for (const char* k : {"Rn", "Rm1", "Rm2"}) {
        if (t.get(k) != nullptr) {
            r.Fail(t.get(k), p + k, "give either Rn, Rm1 and Rm2, or what restrains the member (on, length), not both");
        }
    }
    const toml::node& onNode = r.Required(t, "on", p);
    const std::string on = r.String(onNode, p + "on");
    const Part* old = nullptr;
    std::string names;
    for (const Part& part : d.parts) {
        if (part.name == on) old = &part;
        names += (names.empty() ? "\"" : ", \"") + part.name + "\"";
    }
    if (old == nullptr) r.Fail(&onNode, p + "on", "\"" + on + "\" is not a part of the section (parts: " + names + ")");
    if (old->young) {
        r.Fail(&onNode, p + "on", "\"" + on + "\" is young concrete: name the older part (young = false) the member is cast on");
    }
    const double length = r.Positive(t, "length", p);
    std::string ratioSource;
    double ratio = 0.0;
    if (t.get("modulus_ratio") != nullptr) {
        ratio = r.Positive(t, "modulus_ratio", p);
        ratioSource = "given";
    } else {
        ratio = DataValue("restraint-modulus-ratio.toml", "early age", "ratio", &ratioSource);
    }

    // The joint: the old part's top edge under the member's bottom, or its bottom over the member's top.
    constexpr double eps = 1e-9;
    double joint = 0.0, side = 0.0, areaNew = 0.0, y0 = 1e300, y1 = -1e300;
    for (const Part& part : d.parts) {
        if (!part.young) continue;
        areaNew += Area(part);
        y0 = std::min(y0, part.y0);
        y1 = std::max(y1, part.y1);
        if (std::fabs(part.y0 - old->y1) < eps) joint += Overlap(Edge(part, false), Edge(*old, true));
        if (std::fabs(part.y1 - old->y0) < eps) joint += Overlap(Edge(part, true), Edge(*old, false));
        const double ys = Overlap({part.y0, part.y1}, {old->y0, old->y1});
        if (std::fabs(part.x0 - old->x1) < eps || std::fabs(part.x1 - old->x0) < eps) side += ys;
    }
    if (!(joint > 0.0)) {
        r.Fail(&onNode, p + "on",
               "\"" + on + (side > 0.0 ? "\" meets the member only at its side: the restraint from the geometry takes a part "
                                         "below or above the member (give Rn, Rm1, Rm2 otherwise)"
                                       : "\" does not touch the member (the young concrete): name the part it is cast on"));
    }
    const double height = y1 - y0;
    const double areaOld = Area(*old);
    std::string heightSource;
    const double rj = JointRestraint(areaNew, areaOld, ratio);
    const double base = HeightReductionBase(length / height, &heightSource);
    const auto [rn, rm] = SectionRestraint(rj, base);
    d.deck.rn = Round(rn, 0.001);
    d.deck.rm1 = d.deck.rm2 = Round(rm, 0.001);

    Derivation v;
    v.name = "restraint";
    v.given = false;
    v.method = "stiffness ratio at the joint, R = 1 / (1 + An En / (Ao Eo)), falling with the height h above it as "
               "R a^(h/H) by the length-to-height ratio (ACI 207.2R as CIRIA C660 Appendix A5 applies it); Rn and "
               "Rm1 = Rm2 the least-squares fit of that restraint over the height to a uniform and a linear free strain "
               "(a member of uniform width), rounded to 0.001";
    v.inputs = {{"on", on},
                {"An (member's area)", Mm(areaNew, "mm2")},
                {"Ao (" + on + "'s area)", Mm(areaOld, "mm2")},
                {"En/Eo", heat::TomlReader::Text(ratio) + (t.get("modulus_ratio") ? " (given)" : " (early-age default)")},
                {"L (length along the joint)", Mm(length)},
                {"H (member's height square to the joint)", Mm(height)},
                {"L/H", heat::TomlReader::Text(length / height)}};
    v.values = {{"R_joint", rj}, {"a", base}, {"Rn", d.deck.rn}, {"Rm1", d.deck.rm1}, {"Rm2", d.deck.rm2}};
    v.sources = {"CIRIA C660 (Bamforth, 2007), Appendix A5, estimation of restraint: R_joint = 1 / (1 + An En / (Ao Eo)), "
                 "after ACI 207.2R",
                 ratioSource == "given" ? "En/Eo given in the description" : ratioSource, heightSource};
    d.derivations.push_back(v);
}

void DeriveSpreadLengths(const heat::TomlReader& r, const toml::table& t, Description& d) {
    const std::vector<LayerFacts> layers = FaceLayers(d);
    if (layers.empty()) {
        r.Fail(&t, "cracking.lcb", "is missing, and the spread lengths cannot be derived without a layer of bars along a "
                                   "face: give lcb, lcu, lsb, lsu");
    }
    for (std::size_t i = 0; i < layers.size(); ++i) {
        if (layers[i].cover < layers[i].diameter / 2.0) {
            r.Fail(&t, "cracking.lcb", "cannot be derived: a " + layers[i].face + " layer's bars stick out of the concrete (cover "
                                       "to the centre below the radius)");
        }
    }
    double low = 1e300, high = -1e300;
    for (const LayerFacts& f : layers) {
        low = std::min(low, f.height);
        high = std::max(high, f.height);
    }
    double bottom = 0.0, top = 0.0;
    std::string lowFaces, highFaces;
    for (const LayerFacts& f : layers) {
        if (f.height <= low + 1e-6) {
            bottom = std::max(bottom, f.crackSpacing);
            lowFaces += (lowFaces.empty() ? "" : ", ") + f.face;
        }
        if (f.height >= high - 1e-6) {
            top = std::max(top, f.crackSpacing);
            highFaces += (highFaces.empty() ? "" : ", ") + f.face;
        }
    }
    d.deck.lcb = Round(bottom, 1.0);
    d.deck.lcu = Round(top, 1.0);
    d.deck.lsb = d.deck.lcb / 2.0;
    d.deck.lsu = d.deck.lcu / 2.0;

    Derivation v;
    v.name = "spread";
    v.given = false;
    v.method = "maximum crack spacing s_r,max of EN 1992-1-1 7.3.4 expression (7.11) (or (7.14) for bars further apart "
               "than 5 (c + phi/2)) of each layer along a face, as CIRIA C766 uses it for early-age cracking; lcb = the "
               "largest s_r,max of the lowest layers (" + lowFaces + "), lcu = that of the highest (" + highFaces +
               "), rounded to 1 mm; lsb = lcb / 2, lsu = lcu / 2 (the bar's transfer length, half the crack spacing)";
    for (const LayerFacts& f : layers) {
        v.inputs.push_back({f.face + " layer", "phi " + Mm(f.diameter) + ", bar area " + Mm(f.barArea, "mm2") + ", spacing " +
                                                   Mm(f.spacing) + ", clear cover c " + Mm(f.cover - f.diameter / 2.0) +
                                                   ", depth h " + Mm(f.thickness) + ", h_c,eff " + Mm(f.hcEff) +
                                                   ", rho_p,eff " + heat::TomlReader::Text(f.rho) + ", s_r,max " +
                                                   Mm(f.crackSpacing) + (f.wide ? " (7.14)" : " (7.11)")});
    }
    v.values = {{"lcb", d.deck.lcb}, {"lcu", d.deck.lcu}, {"lsb", d.deck.lsb}, {"lsu", d.deck.lsu}};
    for (const char* k : {"k1", "k2", "k3", "k4", "hceff_factor"}) {
        std::string source;
        DataValue("crack-spacing.toml", k, "value", &source);
        v.sources.push_back(std::string(k) + " = " + heat::TomlReader::Text(DataValue("crack-spacing.toml", k, "value")) +
                            ": " + source);
    }
    v.sources.push_back("CIRIA C766 (Bamforth, Control of cracking caused by restrained deformation in concrete, 2018): "
                        "the crack spacing of EN 1992-1-1 for early-age cracking");
    d.derivations.push_back(v);
}

void TakeYieldStrength(const heat::TomlReader& r, const toml::table& steel, Description& d) {
    Derivation v;
    v.name = "steel";
    if (steel.get("yield") != nullptr) {
        d.yieldStrength = r.Positive(steel, "yield", "steel.");
        v.method = "given";
    } else {
        std::string source;
        d.yieldStrength = DataValue("reinforcement-grades.toml", "B500", "yield", &source);
        v.given = false;
        v.method = "default: grade B500";
        v.sources.push_back(source);
    }
    v.values = {{"yield", d.yieldStrength}};
    d.derivations.push_back(v);
}

}  // namespace tc::prepare
