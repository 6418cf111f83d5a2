// The text of heat.toml for the job: the description's concrete, surroundings, boundary edges and
// output ages, the heat mesh's name when heat-only parts make one, and a [[region]] per heat-only
// part listing its elements of that mesh.

#include <charconv>

#include "prepare/prepare.hpp"

namespace tc::prepare {

namespace {

std::string Num(double v) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    std::string s(buffer, end);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

std::string Curve(const heat::AgeCurve& c) {
    switch (c.form) {
        case heat::AgeCurve::Form::Constant: return Num(c.value);
        case heat::AgeCurve::Form::Daily:
            return "{ mean = " + Num(c.mean) + ", amplitude = " + Num(c.amplitude) + ", peak = " + Num(c.peak) + " }";
        case heat::AgeCurve::Form::Table: break;
    }
    std::string s = "[";
    for (std::size_t i = 0; i < c.ages.size(); ++i) s += (i ? ", [" : "[") + Num(c.ages[i]) + ", " + Num(c.values[i]) + "]";
    return s + "]";
}

std::string Steps(const heat::StepCurve& c) {
    if (c.from.size() == 1 && c.from[0] == 0.0) return Num(c.values[0]);
    std::string s = "[";
    for (std::size_t i = 0; i < c.from.size(); ++i) s += (i ? ", [" : "[") + Num(c.from[i]) + ", " + Num(c.values[i]) + "]";
    return s + "]";
}

// The heat source's keys, and the mix's own table (under table, e.g. "concrete.mix") after them.
std::string Source(const heat::HeatRelease& s, const std::string& table) {
    switch (s.form) {
        case heat::HeatRelease::Form::AdiabaticRise: {
            const heat::AdiabaticRise& r = s.rise;
            std::string t = "adiabatic_rise = { K = " + Num(r.K) + ", alpha = " + Num(r.alpha) + ", beta = " + Num(r.beta) +
                            ", t0 = " + Num(r.t0);
            if (s.equivalentAge) {
                t += ", activation_energy = " + Num(s.activationEnergy) +
                     ", test_placing_temperature = " + Num(s.testPlacingTemperature);
            }
            return t + " }\n";
        }
        case heat::HeatRelease::Form::Hydration: {
            const heat::HydrationParameters& h = s.hydration;
            return "hydration = { Hu = " + Num(h.Hu) + ", cementitious = " + Num(h.cementitious) + ", alpha_u = " +
                   Num(h.alphaU) + ", tau = " + Num(h.tau) + ", beta = " + Num(h.beta) + ", activation_energy = " +
                   Num(s.activationEnergy) + ", reference_temperature = " + Num(s.referenceTemperature) + " }\n";
        }
        case heat::HeatRelease::Form::Mix: break;
    }
    const heat::MixDesign& m = s.mix;
    const heat::CementComposition& c = m.composition;
    std::string t = "\n[" + table + "]\ncement = " + Num(m.cement) + "\n";
    if (!m.cementType.empty()) {
        t += "cement_type = \"" + m.cementType + "\"\nblaine = " + Num(c.blaine) + "\n";
    } else {
        t += "composition = { C3S = " + Num(c.C3S) + ", C2S = " + Num(c.C2S) + ", C3A = " + Num(c.C3A) + ", C4AF = " +
             Num(c.C4AF) + ", SO3 = " + Num(c.SO3) + ", free_CaO = " + Num(c.freeCaO) + ", MgO = " + Num(c.MgO) +
             ", blaine = " + Num(c.blaine) + " }\n";
    }
    if (m.flyAsh > 0.0) t += "fly_ash = " + Num(m.flyAsh) + "\nfly_ash_CaO = " + Num(m.flyAshCaO) + "\n";
    if (m.slag > 0.0) t += "slag = " + Num(m.slag) + "\n";
    return t + "water = " + Num(m.water) + "\n";
}

// A cooling pipe's [[pipe]] entry, at its placed centre.
std::string PipeText(const heat::PipeEntry& p) {
    std::string t = "\n[[pipe]]\nx = " + Num(p.x) + "\ny = " + Num(p.y) + "\ndiameter = " + Num(p.diameter) +
                    "\nwall = { thickness = " + Num(p.wallThickness) + ", ";
    t += p.wallMaterial.empty() ? "conductivity = " + Num(p.wallConductivity) : "material = \"" + p.wallMaterial + "\"";
    t += " }\nflow = " + Num(p.flow) + "\ninlet = " + Curve(p.inlet) + "\n";
    if (p.from != 0.0 || p.to != heat::PipeEntry{}.to) t += "operating = [" + Num(p.from) + ", " + Num(p.to) + "]\n";
    if (p.length > 0.0) t += "length = " + Num(p.length) + "\n";
    return t;
}

}  // namespace

std::string HeatSettingsText(const Description& d, const SectionMesh& all, const std::string& meshName) {
    const heat::HeatSettings& h = d.heat;
    std::string t = "# Heat analysis of job " + d.name + ", written by thermocrack prepare from " + d.file +
                    ".\n# Lengths in mm, ages in days, temperatures in C.\n\n";
    if (!meshName.empty()) t += "mesh = \"" + meshName + "\"   # every part; the job's mesh holds the young concrete\n\n";
    const heat::Material& c = h.concrete;
    t += "[concrete]\nconductivity = " + Num(c.conductivity) + "\ndensity = " + Num(c.density) +
         "\nspecific_heat = " + Num(c.specificHeat) + "\nplacing_temperature = " + Num(c.initialTemperature) + "\n" +
         Source(c.release, "concrete.mix") + "\n[ambient]\ntemperature = " + Curve(h.ambient) + "\n";
    // The weather of covered faces, [site]'s clock and weather file already turned into ages.
    bool covered = false;
    for (const heat::BoundaryEntry& b : h.boundaries) covered = covered || b.cover.given;
    if (covered) t += "wind = " + Curve(h.wind) + "\nsolar = " + Curve(h.solar) + "\ncloud = " + Curve(h.cloud) + "\n";
    for (const heat::BoundaryEntry& b : h.boundaries) {
        t += "\n[[boundary]]\n";
        switch (b.where.kind) {
            case heat::EdgeSelector::Kind::Top: t += "side = \"top\"\n"; break;
            case heat::EdgeSelector::Kind::Bottom: t += "side = \"bottom\"\n"; break;
            case heat::EdgeSelector::Kind::Left: t += "side = \"left\"\n"; break;
            case heat::EdgeSelector::Kind::Right: t += "side = \"right\"\n"; break;
            case heat::EdgeSelector::Kind::LineX: t += "x = " + Num(b.where.value) + "\n"; break;
            case heat::EdgeSelector::Kind::LineY: t += "y = " + Num(b.where.value) + "\n"; break;
        }
        if (b.where.ranged) t += "between = [" + Num(b.where.low) + ", " + Num(b.where.high) + "]\n";
        if (b.cover.given) {
            t += "cover = [";
            for (std::size_t i = 0; i < b.cover.stages.size(); ++i) {
                const heat::CoverStage& s = b.cover.stages[i];
                t += std::string(i ? ",\n  " : "") + "{ from = " + Num(s.from);
                if (s.resistance > 0.0) t += ", layers = [{ resistance = " + Num(s.resistance) + " }]";
                t += ", absorptivity = " + Num(s.absorptivity) + ", emissivity = " + Num(s.emissivity) + " }";
            }
            t += "]\nexposure = \"" + b.cover.exposure + "\"\nsun = " + Num(b.cover.sun) + "\nsky = " + Num(b.cover.sky) + "\n";
            if (b.ownAmbient) t += "ambient = " + Curve(b.ambient) + "\n";
        } else if (b.fixed) {
            t += "fixed = " + Curve(b.temperature) + "\n";
        } else {
            t += "h = " + Steps(b.h) + "\n";
            if (b.ownAmbient) t += "ambient = " + Curve(b.ambient) + "\n";
        }
    }
    for (std::size_t pi = 0; pi < d.parts.size(); ++pi) {
        const Part& p = d.parts[pi];
        if (p.young) continue;
        std::string ranges;
        for (std::size_t e = 0; e < all.part.size();) {
            if (all.part[e] != static_cast<std::int32_t>(pi)) {
                ++e;
                continue;
            }
            std::size_t last = e;
            while (last + 1 < all.part.size() && all.part[last + 1] == static_cast<std::int32_t>(pi)) ++last;
            if (!ranges.empty()) ranges += ", ";
            if (last == e) {
                ranges += std::to_string(e + 1);
            } else {
                ranges += '[';
                ranges += std::to_string(e + 1);
                ranges += ", ";
                ranges += std::to_string(last + 1);
                ranges += ']';
            }
            e = last + 1;
        }
        const heat::Material& m = p.material;
        t += "\n[[region]]   # part \"" + p.name + "\"\nelements = [" + ranges + "]\nconductivity = " +
             Num(m.conductivity) + "\ndensity = " + Num(m.density) + "\nspecific_heat = " + Num(m.specificHeat) +
             "\ninitial_temperature = " + Num(m.initialTemperature) + "\nheat = " + (m.heat ? "true" : "false") + "\n";
        if (p.cast != 0.0) t += "cast = " + Num(p.cast) + "\n";
        if (m.heat) t += Source(m.release, "region.mix");
    }
    for (const heat::PipeEntry& p : h.pipes) t += PipeText(p);
    t += "\n[output]\nages = [";
    for (std::size_t i = 0; i < h.outputAges.size(); ++i) {
        t += (i ? (i % 12 == 0 ? ",\n        " : ", ") : "") + Num(h.outputAges[i]);
    }
    return t + "]\n";
}

}  // namespace tc::prepare
