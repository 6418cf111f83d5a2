// [ground]: a heat-only rectangle under the whole section, from the lowest edge of its parts down to
// the depth given (mm, default 4000: see DefaultGroundDepth), with its conductivity, density,
// specific heat and initial temperature, which must be given (soils differ too much for a default).
// [mesh]'s heat_refine and growth: how the heat mesh differs from the job's grid.

#include "prepare/read_ground.hpp"

#include <algorithm>

namespace tc::prepare {

Part ReadGround(const heat::TomlReader& r, const toml::table& t, const Description& d) {
    const std::string p = "ground.";
    r.CheckKeys(t, p, {"depth", "conductivity", "density", "specific_heat", "initial_temperature"});
    Part g;
    g.name = "ground";
    for (const Part& other : d.parts) {
        if (other.name == g.name) r.Fail(&t, "ground", "a part is already named \"ground\"; rename it or leave [ground] out");
    }
    g.young = false;
    g.line = heat::LineOf(t);
    double bottom = d.parts.front().y0;
    g.x0 = d.parts.front().x0;
    g.x1 = d.parts.front().x1;
    for (const Part& part : d.parts) {
        bottom = std::min(bottom, part.y0);
        g.x0 = std::min(g.x0, part.x0);
        g.x1 = std::max(g.x1, part.x1);
    }
    const double depth = t.get("depth") != nullptr ? r.Positive(t, "depth", p) : DefaultGroundDepth;
    g.y0 = bottom - depth;
    g.y1 = bottom;
    g.material = d.heat.concrete;
    g.material.heat = false;
    g.material.conductivity = r.Positive(t, "conductivity", p);
    g.material.density = r.Positive(t, "density", p);
    g.material.specificHeat = r.Positive(t, "specific_heat", p);
    g.material.initialTemperature = r.RequiredNumber(t, "initial_temperature", p);
    return g;
}

void ReadHeatMeshKeys(const heat::TomlReader& r, const toml::table& mesh, Description& d) {
    if (const toml::node* refine = mesh.get("heat_refine")) {
        d.heatRefine = r.Integer(*refine, "mesh.heat_refine");
        if (d.heatRefine < 1 || d.heatRefine > 10) r.Fail(refine, "mesh.heat_refine", "must be a whole number from 1 to 10");
    }
    if (const toml::node* growth = mesh.get("growth")) {
        d.growth = r.Number(*growth, "mesh.growth");
        if (!(d.growth >= 1.0 && d.growth <= 3.0)) r.Fail(growth, "mesh.growth", "must lie between 1 (no grading) and 3");
    }
}

}  // namespace tc::prepare
