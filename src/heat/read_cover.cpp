// A [[boundary]] entry's cover schedule instead of h: stages from their ages on, each a bare face or
// layers over it ({ material, thickness }, { conductivity, thickness } or { resistance }), the
// resistance R = sum t / k (t in m); the wind correlation of its exposure, the share of the sun and
// of the sky, the outer surface's absorptivity and emissivity. Materials and defaults come from the
// sourced tables data/materials.toml and data/surface-exchange.toml.

#include <string>
#include <vector>

#include "core/data_tables.hpp"
#include "heat/cover.hpp"

namespace tc::heat {

namespace {

const toml::table& Table(const char* name) {
    static const toml::table materials = ParseToml(std::string(DataTable("materials")), "data/materials.toml");
    static const toml::table exchange = ParseToml(std::string(DataTable("surface-exchange")), "data/surface-exchange.toml");
    return std::string_view(name) == "materials" ? materials : exchange;
}

double TableNumber(const toml::table& t, const char* key) { return t.get(key)->value<double>().value_or(0.0); }

// A layer's resistance t / k (m2 K/W).
double LayerResistance(const TomlReader& r, const toml::node& node, const std::string& key) {
    const toml::table& t = r.Table(node, key);
    r.CheckKeys(t, key + ".", {"material", "conductivity", "thickness", "resistance"});
    const toml::node* material = t.get("material");
    const toml::node* conductivity = t.get("conductivity");
    const toml::node* resistance = t.get("resistance");
    if ((material != nullptr) + (conductivity != nullptr) + (resistance != nullptr) != 1) {
        r.Fail(&t, key + ".material", "give one of material, conductivity (with thickness) or resistance");
    }
    if (resistance != nullptr) {
        if (t.get("thickness") != nullptr) r.Fail(t.get("thickness"), key + ".thickness", "has no meaning with resistance");
        return r.Positive(t, "resistance", key + ".");
    }
    const double thickness = r.Positive(t, "thickness", key + ".") * 0.001;
    if (conductivity != nullptr) return thickness / r.Positive(t, "conductivity", key + ".");
    const std::string name = r.String(*material, key + ".material");
    std::string known;
    for (const toml::node& row : *Table("materials")["material"].as_array()) {
        const toml::table& m = *row.as_table();
        const std::string rowName = m.get("name")->value<std::string>().value_or("");
        if (rowName == name) return thickness / TableNumber(m, "conductivity");
        known += (known.empty() ? "\"" : ", \"") + rowName + "\"";
    }
    r.Fail(material, key + ".material",
           "\"" + name + "\" is not in the table of materials (known: " + known +
               "); give { conductivity = W/(m K), thickness = mm } or { resistance = m2 K/W } instead");
}

}  // namespace

SkyModel DefaultSky() {
    const toml::table& sky = *Table("exchange")["sky"].as_table();
    return {TableNumber(sky, "swinbank"), TableNumber(sky, "cloud")};
}

Cover ReadCover(const TomlReader& r, const toml::table& t, const std::string& p, EdgeSelector::Kind kind,
                bool haveSolar) {
    Cover c;
    c.given = true;
    const toml::table& surface = *Table("exchange")["surface"].as_table();
    const double absorptivity = r.OptionalNumber(t, "absorptivity", p).value_or(TableNumber(surface, "absorptivity"));
    const double emissivity = r.OptionalNumber(t, "emissivity", p).value_or(TableNumber(surface, "emissivity"));
    const auto share = [&](const toml::table& in, const char* name, const std::string& prefix, double v) {
        if (v < 0.0 || v > 1.0) r.Fail(in.get(name), prefix + name, "must lie from 0 to 1");
    };
    share(t, "absorptivity", p, absorptivity);
    share(t, "emissivity", p, emissivity);

    std::string exposure = "windward";
    if (const toml::node* e = t.get("exposure")) exposure = r.String(*e, p + "exposure");
    bool found = false;
    for (const toml::node& row : *Table("exchange")["wind"].as_array()) {
        const toml::table& w = *row.as_table();
        if (w.get("exposure")->value<std::string>().value_or("") != exposure) continue;
        c.windA = TableNumber(w, "a");
        c.windB = TableNumber(w, "b");
        found = true;
    }
    if (!found) r.Fail(t.get("exposure"), p + "exposure", "\"" + exposure + "\" is not \"windward\" or \"leeward\"");
    c.exposure = exposure;

    // A face's defaults by its direction: an upper face sees the whole sky and takes the whole global
    // horizontal radiation, a lower face neither; a vertical face sees half the sky (the other half
    // is the ground, at the air's temperature) and takes the share of the sun the engineer gives.
    const bool vertical = kind == EdgeSelector::Kind::Left || kind == EdgeSelector::Kind::Right ||
                          kind == EdgeSelector::Kind::LineX;
    const bool lower = kind == EdgeSelector::Kind::Bottom;
    c.sky = r.OptionalNumber(t, "sky", p).value_or(vertical ? 0.5 : lower ? 0.0 : 1.0);
    share(t, "sky", p, c.sky);
    const std::optional<double> sun = r.OptionalNumber(t, "sun", p);
    if (!sun && vertical && haveSolar) {
        r.Fail(&t, p + "sun", "is missing: a vertical face takes the share of the global horizontal radiation "
                              "given here (0 in shade)");
    }
    c.sun = sun.value_or(vertical || lower ? 0.0 : 1.0);
    if (c.sun < 0.0) r.Fail(t.get("sun"), p + "sun", "must not be negative");

    const toml::node& list = r.Required(t, "cover", p);
    const std::string key = p + "cover";
    const toml::array& stages = r.Array(list, key);
    if (stages.empty()) r.Fail(&list, key, "must list at least one stage { from = age, layers = [...] }");
    for (const toml::node& node : stages) {
        const toml::table& s = r.Table(node, key);
        r.CheckKeys(s, key + ".", {"from", "layers", "absorptivity", "emissivity"});
        CoverStage stage;
        stage.from = r.RequiredNumber(s, "from", key + ".");
        if (stage.from < 0.0) r.Fail(s.get("from"), key + ".from", "an age must not be negative");
        if (!c.stages.empty() && !(stage.from > c.stages.back().from)) {
            r.Fail(s.get("from"), key + ".from",
                   "the ages must increase (" + TomlReader::Text(stage.from) + " follows " +
                       TomlReader::Text(c.stages.back().from) + ")");
        }
        if (const toml::node* layers = s.get("layers")) {
            for (const toml::node& layer : r.Array(*layers, key + ".layers")) {
                stage.resistance += LayerResistance(r, layer, key + ".layers");
            }
        }
        stage.absorptivity = r.OptionalNumber(s, "absorptivity", key + ".").value_or(absorptivity);
        stage.emissivity = r.OptionalNumber(s, "emissivity", key + ".").value_or(emissivity);
        share(s, "absorptivity", key + ".", stage.absorptivity);
        share(s, "emissivity", key + ".", stage.emissivity);
        c.stages.push_back(stage);
    }
    return c;
}

}  // namespace tc::heat
