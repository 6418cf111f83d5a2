// Reads cooling pipes: position (mm), outside diameter (mm), wall thickness (mm) and its material
// (named, or its conductivity in W/(m K)), water flow (l/min), inlet temperature (C, a number or
// [[age, C], ...]), operating ages [from, to] (days) and the optional length (m) over which the
// water warms.

#include <string>
#include <tuple>

#include "core/data_tables.hpp"
#include "heat/pipe_coupling.hpp"
#include "heat/read_pipes.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

double PipeWallConductivity(const std::string& name, std::string* known) {
    const toml::table root = ParseToml(std::string(DataTable("pipe-walls")), "data/pipe-walls.toml");
    std::string names;
    if (const toml::array* rows = root["wall"].as_array()) {
        for (const toml::node& n : *rows) {
            const toml::table& row = *n.as_table();
            const std::string rowName = row["name"].value_or(std::string());
            names += (names.empty() ? "\"" : ", \"") + rowName + "\"";
            if (rowName == name) return row["conductivity"].value_or(0.0);
        }
    }
    if (known != nullptr) *known = names;
    return 0.0;
}

void ReadPipeProperties(const TomlReader& r, const toml::table& t, const std::string& p, const CurveReader& curve,
                        PipeEntry& pipe) {
    pipe.diameter = r.Positive(t, "diameter", p);
    const toml::node& wallNode = r.Required(t, "wall", p);
    const toml::table& wall = r.Table(wallNode, p + "wall");
    const std::string w = p + "wall.";
    r.CheckKeys(wall, w, {"thickness", "material", "conductivity"});
    pipe.wallThickness = r.Positive(wall, "thickness", w);
    if (!(2.0 * pipe.wallThickness < pipe.diameter)) {
        r.Fail(wall.get("thickness"), w + "thickness", "must be less than half the diameter (" + TomlReader::Text(pipe.diameter) + " mm)");
    }
    const toml::node* material = wall.get("material");
    const toml::node* conductivity = wall.get("conductivity");
    if ((material == nullptr) == (conductivity == nullptr)) {
        r.Fail(&wallNode, w + "material", material == nullptr ? "is missing (give material, or conductivity in W/(m K))"
                                                              : "give either material or conductivity, not both");
    }
    if (material != nullptr) {
        pipe.wallMaterial = r.String(*material, w + "material");
        std::string known;
        pipe.wallConductivity = PipeWallConductivity(pipe.wallMaterial, &known);
        if (!(pipe.wallConductivity > 0.0)) {
            r.Fail(material, w + "material", "\"" + pipe.wallMaterial + "\" is not a known pipe wall (known: " + known +
                                                 "; or give conductivity)");
        }
    } else {
        pipe.wallConductivity = r.Positive(wall, "conductivity", w);
    }
    pipe.flow = r.Positive(t, "flow", p);
    pipe.inlet = curve(r.Required(t, "inlet", p), p + "inlet");
    if (const toml::node* operating = t.get("operating")) {
        std::tie(pipe.from, pipe.to) = r.Range(*operating, p + "operating");
        if (pipe.from < 0.0) r.Fail(operating, p + "operating", "the first age must not be negative");
    }
    if (t.get("length") != nullptr) pipe.length = r.Positive(t, "length", p);
    // The film coefficient takes the water's properties at the inlet temperature when the pipe starts.
    WaterProperties water;
    double low = 0.0, high = 0.0;
    if (const double inlet = pipe.inlet.At(pipe.from); !Water(inlet, water, low, high)) {
        r.Fail(t.get("inlet"), p + "inlet", "the water's properties are known from " + TomlReader::Text(low) + " to " +
                                                TomlReader::Text(high) + " C, not at " + TomlReader::Text(inlet) + " C");
    }
}

std::vector<PipeEntry> ReadPipes(const TomlReader& r, const toml::table& root, const CurveReader& curve) {
    std::vector<PipeEntry> pipes;
    const toml::node* list = root.get("pipe");
    if (list == nullptr) return pipes;
    for (const toml::node& node : r.Array(*list, "pipe")) {
        const toml::table& t = r.Table(node, "pipe");
        const std::string p = "pipe.";
        r.CheckKeys(t, p, {"x", "y", "diameter", "wall", "flow", "inlet", "operating", "length"});
        PipeEntry pipe;
        pipe.line = LineOf(t);
        pipe.x = r.RequiredNumber(t, "x", p);
        pipe.y = r.RequiredNumber(t, "y", p);
        ReadPipeProperties(r, t, p, curve, pipe);
        pipes.push_back(std::move(pipe));
    }
    return pipes;
}

}  // namespace tc::heat
