// Reads a section description (TOML) and checks it whole before anything is meshed or written:
// every key must be known, of its type and in its range; a message names the file, the line and
// the key. The heat analysis's own tables ([ambient], [[boundary]], [output] and the thermal keys of
// [concrete]) are read by the heat analysis's reader on a copy of the text in which every other
// line is blank, so that its messages, too, name the description's file and line.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <set>
#include <sstream>

#include "heat/read_heat_release.hpp"
#include "heat/toml_reader.hpp"
#include "heat/weather.hpp"
#include "prepare/check_deck_fields.hpp"
#include "prepare/derive_from_description.hpp"
#include "prepare/place_pipes.hpp"
#include "prepare/read_ground.hpp"
#include "prepare/prepare.hpp"
#include "prepare/read_limits.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {

namespace {

using heat::LineOf;

constexpr std::array<std::string_view, 7> ThermalKeys = {"conductivity", "density", "specific_heat", "placing_temperature",
                                                         "adiabatic_rise", "hydration", "mix"};

bool IsThermalKey(std::string_view key) {
    for (std::string_view k : ThermalKeys) {
        if (k == key) return true;
    }
    return false;
}

void BlankLines(const toml::node& n, std::set<std::int64_t>& blank) {
    if (const toml::table* t = n.as_table(); t != nullptr && !t->is_inline()) {
        blank.insert(t->source().begin.line);  // its header
        for (auto&& [key, child] : *t) BlankLines(child, blank);
        return;
    }
    if (const toml::array* a = n.as_array(); a != nullptr && a->is_array_of_tables()) {
        bool headers = true;
        for (const toml::node& e : *a) headers = headers && !e.as_table()->is_inline();
        if (headers) {
            for (const toml::node& e : *a) BlankLines(e, blank);
            return;
        }
    }
    for (auto line = n.source().begin.line; line <= n.source().end.line; ++line) blank.insert(line);
}

// The keys of an [output] that leaves the ages to the program (see ChooseOutputAges).
constexpr std::array<std::string_view, 4> ChoiceKeys = {"end", "fine_step", "coarse_step", "settle"};

// Whether the description leaves the output ages to the program: no [output], or one with only
// the keys of the choice.
bool AgesChosen(const toml::table& root) {
    const toml::node* output = root.get("output");
    if (output == nullptr) return true;
    if (!output->is_table()) return false;
    for (auto&& [key, node] : *output->as_table()) {
        if (std::find(ChoiceKeys.begin(), ChoiceKeys.end(), key.str()) == ChoiceKeys.end()) return false;
    }
    return true;
}

// The description with every line blank that the heat analysis does not read; when the ages are
// the program's to choose, with a stand-in [output] after the last line (replaced once chosen).
std::string HeatView(const std::string& text, const toml::table& root, bool agesChosen) {
    std::set<std::int64_t> blank;
    for (auto&& [key, node] : root) {
        const std::string_view k = key.str();
        if (k == "ambient" || k == "boundary" || k == "site" || (k == "output" && !agesChosen)) continue;
        if (k == "concrete" && node.is_table() && !node.as_table()->is_inline()) {
            for (auto&& [ck, cn] : *node.as_table()) {
                if (!IsThermalKey(ck.str())) BlankLines(cn, blank);
            }
            continue;
        }
        BlankLines(node, blank);
    }
    std::string view;
    std::istringstream in(text);
    std::string line;
    for (std::int64_t number = 1; std::getline(in, line); ++number) {
        if (blank.count(number) == 0) view += line;
        view += '\n';
    }
    if (agesChosen) view += "[output]\nages = [1.0]\n";
    return view;
}

// The output ages chosen by the program: [output]'s end, fine_step, coarse_step and settle (days).
OutputChoice ReadOutputChoice(const heat::TomlReader& r, const toml::table& root) {
    OutputChoice c;
    c.chosen = true;
    c.step = DefaultFineStep;
    c.coarse = DefaultCoarseStep;
    c.settle = DefaultSettle;
    const toml::node* output = root.get("output");
    if (output == nullptr) return c;
    const toml::table& t = *output->as_table();
    const std::string p = "output.";
    if (t.get("end") != nullptr) c.end = r.Positive(t, "end", p);
    if (t.get("fine_step") != nullptr) c.step = r.Positive(t, "fine_step", p);
    if (t.get("coarse_step") != nullptr) c.coarse = r.Positive(t, "coarse_step", p);
    if (t.get("settle") != nullptr) c.settle = r.NotNegative(t, "settle", p);
    // The temperature file writes ages with four decimals: finer steps would repeat an age.
    if (c.step < 0.001) r.Fail(t.get("fine_step"), p + "fine_step", "must be at least 0.001 days (1.44 minutes)");
    const double ratio = c.coarse / c.step;
    if (!(ratio >= 1.0 && std::fabs(ratio - std::round(ratio)) < 1e-9)) {
        r.Fail(t.get("coarse_step") != nullptr ? t.get("coarse_step") : t.get("fine_step"), p + "coarse_step",
               "must be a whole multiple of fine_step (" + heat::TomlReader::Text(c.step) + " days)");
    }
    if (c.end / c.step > 5000.0) {
        r.Fail(t.get("fine_step") != nullptr ? t.get("fine_step") : t.get("end"), p + "fine_step",
               "gives more than 5000 ages up to " + heat::TomlReader::Text(c.end) + " days");
    }
    return c;
}

Part ReadPart(const heat::TomlReader& r, const toml::table& t, std::size_t index, const heat::Material& concrete) {
    const std::string p = "part.";
    r.CheckKeys(t, p, {"name", "rectangle", "trapezoid", "young", "conductivity", "density", "specific_heat",
                       "initial_temperature", "heat", "adiabatic_rise", "hydration", "mix", "cast"});
    Part part;
    part.line = LineOf(t);
    part.name = t.get("name") != nullptr ? r.String(*t.get("name"), p + "name") : "part " + std::to_string(index + 1);
    const toml::node* rect = t.get("rectangle");
    const toml::node* trap = t.get("trapezoid");
    if ((rect == nullptr) == (trap == nullptr)) {
        r.Fail(&t, p + "rectangle", rect == nullptr ? "is missing (give rectangle or trapezoid)"
                                                    : "give either rectangle or trapezoid, not both");
    }
    if (rect != nullptr) {
        const toml::table& s = r.Table(*rect, p + "rectangle");
        r.CheckKeys(s, p + "rectangle.", {"x", "y"});
        std::tie(part.x0, part.x1) = r.Range(r.Required(s, "x", p + "rectangle."), p + "rectangle.x");
        std::tie(part.y0, part.y1) = r.Range(r.Required(s, "y", p + "rectangle."), p + "rectangle.y");
    } else {
        part.trapezoid = true;
        const std::string q = p + "trapezoid.";
        const toml::table& s = r.Table(*trap, p + "trapezoid");
        r.CheckKeys(s, q, {"y", "bottom", "top"});
        std::tie(part.y0, part.y1) = r.Range(r.Required(s, "y", q), q + "y");
        std::tie(part.bottom0, part.bottom1) = r.Range(r.Required(s, "bottom", q), q + "bottom");
        std::tie(part.top0, part.top1) = r.Range(r.Required(s, "top", q), q + "top");
        part.x0 = std::min(part.bottom0, part.top0);
        part.x1 = std::max(part.bottom1, part.top1);
    }
    if (const toml::node* young = t.get("young")) {
        if (!young->is_boolean()) r.Fail(young, p + "young", "must be true or false, not " + r.TypeName(*young));
        part.young = *young->value_exact<bool>();
    }
    part.material = concrete;
    part.material.heat = false;
    for (const char* k : {"conductivity", "density", "specific_heat", "initial_temperature", "heat", "adiabatic_rise",
                          "hydration", "mix", "cast"}) {
        if (part.young && t.get(k) != nullptr) {
            r.Fail(t.get(k), p + k, "is only for a part with young = false (the young concrete takes [concrete]'s)");
        }
    }
    if (!part.young) {
        if (t.get("conductivity")) part.material.conductivity = r.Positive(t, "conductivity", p);
        if (t.get("density")) part.material.density = r.Positive(t, "density", p);
        if (t.get("specific_heat")) part.material.specificHeat = r.Positive(t, "specific_heat", p);
        if (t.get("initial_temperature")) part.material.initialTemperature = r.RequiredNumber(t, "initial_temperature", p);
        if (t.get("cast")) part.cast = r.RequiredNumber(t, "cast", p);
        if (const toml::node* h = t.get("heat")) {
            if (!h->is_boolean()) r.Fail(h, p + "heat", "must be true or false, not " + r.TypeName(*h));
            part.material.heat = *h->value_exact<bool>();
        }
        if (const std::optional<heat::HeatRelease> release = heat::ReadHeatRelease(r, t, p)) part.material.release = *release;
    }
    return part;
}

BarLayer ReadBarLayer(const heat::TomlReader& r, const toml::table& t) {
    const std::string p = "bars.";
    r.CheckKeys(t, p, {"face", "x", "y", "cover", "cover_to", "diameter", "area", "spacing", "count", "between"});
    BarLayer layer;
    layer.line = LineOf(t);
    const toml::node* face = t.get("face");
    const toml::node* x = t.get("x");
    const toml::node* y = t.get("y");
    const int given = (face != nullptr) + (x != nullptr) + (y != nullptr);
    if (given != 1) {
        r.Fail(&t, p + "face", given == 0 ? "is missing (give face, or x = or y = for a line of bars)"
                                          : "give only one of face, x and y");
    }
    layer.diameter = r.Positive(t, "diameter", p);
    layer.area = std::numbers::pi * layer.diameter * layer.diameter / 4.0;
    if (t.get("area") != nullptr) layer.area = r.Positive(t, "area", p);
    if (face != nullptr) {
        const std::string s = r.String(*face, p + "face");
        if (s == "left") layer.where = BarLayer::Where::Left;
        else if (s == "right") layer.where = BarLayer::Where::Right;
        else if (s == "bottom") layer.where = BarLayer::Where::Bottom;
        else if (s == "top") layer.where = BarLayer::Where::Top;
        else r.Fail(face, p + "face", "\"" + s + "\" is not one of \"left\", \"right\", \"bottom\", \"top\"");
        const double cover = r.NotNegative(t, "cover", p);
        const toml::node& to = r.Required(t, "cover_to", p);
        const std::string s2 = r.String(to, p + "cover_to");
        if (s2 == "centre" || s2 == "center") layer.cover = cover;
        else if (s2 == "surface") layer.cover = cover + layer.diameter / 2.0;
        else r.Fail(&to, p + "cover_to", "\"" + s2 + "\" is not \"centre\" or \"surface\"");
    } else {
        for (const char* k : {"cover", "cover_to"}) {
            if (t.get(k) != nullptr) r.Fail(t.get(k), p + k, "has no meaning on a line of bars (x = or y = is the bars' centre line)");
        }
        layer.where = x != nullptr ? BarLayer::Where::LineX : BarLayer::Where::LineY;
        layer.value = r.Number(x != nullptr ? *x : *y, p + (x != nullptr ? "x" : "y"));
    }
    const toml::node* spacing = t.get("spacing");
    const toml::node* count = t.get("count");
    if ((spacing == nullptr) == (count == nullptr)) {
        r.Fail(&t, p + "spacing", spacing == nullptr ? "is missing (give spacing or count)" : "give either spacing or count, not both");
    }
    if (spacing != nullptr) {
        layer.spacing = r.Positive(t, "spacing", p);
    } else {
        layer.count = r.Integer(*count, p + "count");
        if (layer.count < 1) r.Fail(count, p + "count", "must be at least 1");
    }
    if (const toml::node* between = t.get("between")) {
        layer.ranged = true;
        std::tie(layer.low, layer.high) = r.Range(*between, p + "between");
    }
    return layer;
}

void ReadConcrete(const heat::TomlReader& r, const toml::table& t, DeckParameters& deck) {
    const std::string p = "concrete.";
    if (const toml::node* cement = t.get("cement")) {
        const std::string name = r.String(*cement, p + "cement");
        const CementPreset* preset = nullptr;
        std::string names;
        for (const CementPreset& c : CementPresets()) {
            if (name == c.name) preset = &c;
            names += (names.empty() ? "\"" : ", \"") + std::string(c.name) + "\"";
        }
        if (preset == nullptr) r.Fail(cement, p + "cement", "\"" + name + "\" is not a known cement (known: " + names + ")");
        for (const char* k : {"a", "b", "strength"}) {
            if (t.get(k) != nullptr) r.Fail(t.get(k), p + k, "give either cement (with fc28) or strength, a and b");
        }
        deck.strength = r.Positive(t, "fc28", p);
        deck.a = preset->a;
        deck.b = preset->b;
        // Ec = 4700 sqrt(fc) N/mm2 for normalweight concrete (README names the source).
        deck.modulusFactor = t.get("modulus_factor") ? r.Positive(t, "modulus_factor", p) : 4700.0;
    } else {
        if (t.get("fc28") != nullptr) r.Fail(t.get("fc28"), p + "fc28", "goes with cement; without it give strength, a and b");
        deck.strength = r.Positive(t, "strength", p);
        deck.a = r.NotNegative(t, "a", p);
        deck.b = r.Positive(t, "b", p);
        deck.modulusFactor = r.Positive(t, "modulus_factor", p);
    }
    deck.tensileFactor = r.Positive(t, "tensile_factor", p);
    deck.expansion = r.Positive(t, "expansion", p);
}

Description ReadDocument(const std::string& text, const toml::table& root, const std::string& file) {
    const heat::TomlReader r(file);
    r.CheckKeys(root, "", {"name", "part", "mesh", "bars", "concrete", "steel", "cracking", "restraint", "ambient",
                           "boundary", "pipe", "output", "limits", "site", "ground"});
    const toml::table& concrete = r.Table(r.Required(root, "concrete", ""), "concrete");
    r.CheckKeys(concrete, "concrete.", {"cement", "fc28", "strength", "a", "b", "tensile_factor", "modulus_factor",
                                        "expansion", "conductivity", "density", "specific_heat", "placing_temperature",
                                        "adiabatic_rise", "hydration", "mix"});
    Description d;
    d.file = file;
    const bool agesChosen = AgesChosen(root);
    d.heat = heat::ParseHeatSettings(HeatView(text, root, agesChosen), file);
    if (agesChosen) {
        d.output = ReadOutputChoice(r, root);
        d.heat.outputAges = ChooseOutputAges(d.heat, d.output);
        heat::CheckWeatherSpan(d.heat);
    }
    if (const toml::node* limits = root.get("limits")) d.limits = ReadLimits(r, r.Table(*limits, "limits"));

    if (const toml::node* name = root.get("name")) {
        d.name = r.String(*name, "name");
        const bool plain = !d.name.empty() && d.name.size() <= 40 &&
                           d.name.find_first_of(" \t'\"/\\") == std::string::npos;
        if (!plain) r.Fail(name, "name", "must be 1 to 40 characters without blanks, quotes or slashes");
    } else {
        std::string stem = file.substr(file.find_last_of('/') + 1);
        if (stem.size() > 5 && stem.substr(stem.size() - 5) == ".toml") stem.resize(stem.size() - 5);
        d.name = stem;
    }

    const toml::array& parts = r.Array(r.Required(root, "part", ""), "part");
    for (const toml::node& n : parts) d.parts.push_back(ReadPart(r, r.Table(n, "part"), d.parts.size(), d.heat.concrete));
    if (d.parts.empty()) r.Fail(&parts, "part", "must list at least one part");
    std::set<std::string> names;
    bool anyYoung = false;
    for (const Part& part : d.parts) {
        if (!names.insert(part.name).second) r.Fail(parts.get(0), "part.name", "\"" + part.name + "\" names two parts");
        anyYoung = anyYoung || part.young;
    }
    if (!anyYoung) r.Fail(&parts, "part.young", "no part is young concrete: the cracking analysis needs one");
    if (const toml::node* ground = root.get("ground")) d.parts.push_back(ReadGround(r, r.Table(*ground, "ground"), d));

    const toml::table& mesh = r.Table(r.Required(root, "mesh", ""), "mesh");
    r.CheckKeys(mesh, "mesh.", {"size", "heat_refine", "growth"});
    ReadHeatMeshKeys(r, mesh, d);
    const toml::node& size = r.Required(mesh, "size", "mesh.");
    d.sizeLine = LineOf(size);
    if (size.is_array()) {
        const toml::array& a = *size.as_array();
        if (a.size() != 2) r.Fail(&size, "mesh.size", "must be a number or a pair [across, up]");
        d.sizeX = r.Number(*a.get(0), "mesh.size");
        d.sizeY = r.Number(*a.get(1), "mesh.size");
    } else {
        d.sizeX = d.sizeY = r.Number(size, "mesh.size");
    }
    if (!(d.sizeX > 0.0 && d.sizeY > 0.0)) r.Fail(&size, "mesh.size", "must be above 0");

    if (const toml::node* bars = root.get("bars")) {
        for (const toml::node& n : r.Array(*bars, "bars")) d.bars.push_back(ReadBarLayer(r, r.Table(n, "bars")));
    }
    if (const toml::node* pipes = root.get("pipe")) d.heat.pipes = PlacePipes(r, *pipes, d);

    ReadConcrete(r, concrete, d.deck);

    const toml::table& steel = r.Table(r.Required(root, "steel", ""), "steel");
    r.CheckKeys(steel, "steel.", {"modulus", "yield"});
    d.deck.steelModulus = r.Positive(steel, "modulus", "steel.");
    TakeYieldStrength(r, steel, d);

    const toml::table& cracking = r.Table(r.Required(root, "cracking", ""), "cracking");
    r.CheckKeys(cracking, "cracking.", {"judge", "listing", "lcb", "lcu", "lsb", "lsu"});
    d.deck.judge = r.Positive(cracking, "judge", "cracking.");
    // All four spread lengths given, or none: then they come from the bars' crack spacing.
    const int spreads = (cracking.get("lcb") != nullptr) + (cracking.get("lcu") != nullptr) +
                        (cracking.get("lsb") != nullptr) + (cracking.get("lsu") != nullptr);
    if (spreads == 0) {
        DeriveSpreadLengths(r, cracking, d);
    } else {
        for (const char* k : {"lcb", "lcu", "lsb", "lsu"}) {
            if (spreads < 4 && cracking.get(k) == nullptr) {
                r.Fail(&cracking, std::string("cracking.") + k,
                       "is missing: give all four of lcb, lcu, lsb, lsu, or none to derive them from the bars");
            }
        }
        d.deck.lcb = r.Positive(cracking, "lcb", "cracking.");
        d.deck.lcu = r.Positive(cracking, "lcu", "cracking.");
        d.deck.lsb = r.Positive(cracking, "lsb", "cracking.");
        d.deck.lsu = r.Positive(cracking, "lsu", "cracking.");
        d.derivations.push_back({"spread", true, "given", {},
                                 {{"lcb", d.deck.lcb}, {"lcu", d.deck.lcu}, {"lsb", d.deck.lsb}, {"lsu", d.deck.lsu}}, {}});
    }
    if (const toml::node* listing = cracking.get("listing")) {
        d.deck.listing = r.Integer(*listing, "cracking.listing");
        if (d.deck.listing < 0 || d.deck.listing > 3) r.Fail(listing, "cracking.listing", "must be 0, 1, 2 or 3");
    }

    const toml::table& restraint = r.Table(r.Required(root, "restraint", ""), "restraint");
    r.CheckKeys(restraint, "restraint.", {"Rn", "Rm1", "Rm2", "on", "length", "modulus_ratio"});
    if (restraint.get("on") != nullptr || restraint.get("length") != nullptr || restraint.get("modulus_ratio") != nullptr) {
        DeriveRestraint(r, restraint, d);
    } else {
        d.deck.rn = r.NotNegative(restraint, "Rn", "restraint.");
        d.deck.rm1 = r.NotNegative(restraint, "Rm1", "restraint.");
        d.deck.rm2 = r.NotNegative(restraint, "Rm2", "restraint.");
        for (const char* k : {"Rn", "Rm1", "Rm2"}) {
            if (r.RequiredNumber(restraint, k, "restraint.") > 1.0) {
                r.Fail(restraint.get(k), std::string("restraint.") + k, "must lie between 0 (free) and 1 (fully restrained)");
            }
        }
        d.derivations.push_back({"restraint", true, "given", {}, {{"Rn", d.deck.rn}, {"Rm1", d.deck.rm1}, {"Rm2", d.deck.rm2}}, {}});
    }
    CheckDeckFields(r, root, d);
    d.layers = FaceLayers(d);
    return d;
}

}  // namespace

Description ParseDescription(const std::string& text, const std::string& name) {
    return ReadDocument(text, heat::ParseToml(text, name), name);
}

Description ReadDescription(const std::string& path) {
    return ParseDescription(heat::ReadTomlText(path, "cannot be opened"), path);
}

}  // namespace tc::prepare
