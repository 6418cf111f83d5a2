// The limits the report checks, as a description's [limits] gives them: the largest concrete
// temperature (C), the core-to-surface temperature difference (C), and the allowable crack width,
// either a number (mm) or an exposure class of a sourced table (data/exposure_*.toml). Each is
// optional; what is not given keeps the report's sourced default.

#include <charconv>

#include "core/data_tables.hpp"
#include "heat/toml_reader.hpp"
#include "prepare/read_limits.hpp"

namespace tc::prepare {

namespace {

std::string Real(double v) {
    char buffer[64];
    std::string s(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

}  // namespace

std::vector<ExposureClass> ExposureClasses() {
    std::vector<ExposureClass> classes;
    for (const std::string_view table : {"exposure_aci224r", "exposure_en1992"}) {
        const std::string file = "data/" + std::string(table) + ".toml";
        const toml::table root = heat::ParseToml(std::string(tc::DataTable(table)), file);
        const heat::TomlReader r(file);
        for (const toml::node& n : r.Array(r.Required(root, "class", ""), "class")) {
            const toml::table& row = r.Table(n, "class");
            classes.push_back({r.String(r.Required(row, "name", "class."), "class.name"),
                               r.RequiredNumber(row, "width", "class."),
                               r.String(r.Required(row, "source", "class."), "class.source")});
        }
    }
    return classes;
}

Limits ReadLimits(const heat::TomlReader& r, const toml::table& t) {
    const std::string p = "limits.";
    r.CheckKeys(t, p, {"max_temperature", "max_difference", "allowable_width", "exposure"});
    Limits limits;
    limits.given = true;
    if (t.get("max_temperature") != nullptr) limits.maxTemperature = r.Positive(t, "max_temperature", p);
    if (t.get("max_difference") != nullptr) limits.maxDifference = r.Positive(t, "max_difference", p);
    const toml::node* width = t.get("allowable_width");
    const toml::node* exposure = t.get("exposure");
    if (width != nullptr && exposure != nullptr) {
        r.Fail(exposure, p + "exposure", "give either exposure or allowable_width, not both");
    }
    if (width != nullptr) limits.allowableWidth = r.Positive(t, "allowable_width", p);
    if (exposure != nullptr) {
        limits.exposure = r.String(*exposure, p + "exposure");
        std::string known;
        bool found = false;
        for (const ExposureClass& c : ExposureClasses()) {
            found = found || c.name == limits.exposure;
            known += (known.empty() ? "\"" : ", \"") + c.name + "\"";
        }
        if (!found) {
            r.Fail(exposure, p + "exposure",
                   "\"" + limits.exposure + "\" is not a known exposure class (known: " + known + ")");
        }
    }
    return limits;
}

std::string LimitsText(const Description& d) {
    const Limits& l = d.limits;
    std::string t = "# Limits the report checks, written by thermocrack prepare from " + d.file +
                    ".\n# What is not here keeps the report's sourced default (see README, Report).\n";
    if (l.maxTemperature) t += "max_temperature = " + Real(*l.maxTemperature) + "   # C\n";
    if (l.maxDifference) t += "max_difference = " + Real(*l.maxDifference) + "   # C\n";
    if (l.allowableWidth) t += "allowable_width = " + Real(*l.allowableWidth) + "   # mm\n";
    if (!l.exposure.empty()) t += "exposure = \"" + l.exposure + "\"\n";
    return t;
}

}  // namespace tc::prepare
