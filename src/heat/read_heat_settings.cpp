// Reads heat.toml and checks it whole before anything is computed: every key must be known, of its
// type and in its range; a message names the file, the line and the key (a typo is never ignored).

#include <cmath>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "heat/cover.hpp"
#include "heat/heat.hpp"
#include "heat/read_heat_release.hpp"
#include "heat/read_pipes.hpp"
#include "heat/toml_reader.hpp"
#include "heat/weather.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

namespace {

// The typed reads of heat.toml's own values (curves by age, the adiabatic rise) beside the common ones.
class Reader : public TomlReader {
public:
    using TomlReader::TomlReader;

    // [site]'s placing, when given: a daily cycle may then put its warmest moment at a clock hour.
    std::optional<std::int64_t> placing;

    // An [age, value] pair of a table of ages.
    std::pair<double, double> Pair(const toml::node& node, const std::string& key) const {
        const toml::array& pair = Array(node, key);
        if (pair.size() != 2) Fail(&node, key, "each entry must be a pair [age, value]");
        return {Number(*pair.get(0), key), Number(*pair.get(1), key)};
    }

    // A temperature by age: a number, [[age, C], ...] or { mean, amplitude, peak }.
    AgeCurve Curve(const toml::node& node, const std::string& key) const {
        AgeCurve curve;
        if (node.is_number()) {
            curve.value = Number(node, key);
        } else if (node.is_array()) {
            curve.form = AgeCurve::Form::Table;
            const toml::array& list = *node.as_array();
            if (list.empty()) Fail(&node, key, "a table of [age, C] pairs must not be empty");
            for (const toml::node& entry : list) {
                const auto [age, value] = Pair(entry, key);
                if (!curve.ages.empty() && !(age > curve.ages.back())) {
                    Fail(&entry, key, "the ages must increase (" + Text(age) + " follows " + Text(curve.ages.back()) + ")");
                }
                curve.ages.push_back(age);
                curve.values.push_back(value);
            }
        } else if (node.is_table()) {
            curve.form = AgeCurve::Form::Daily;
            const toml::table& daily = *node.as_table();
            CheckKeys(daily, key + ".", {"mean", "amplitude", "peak", "peak_hour"});
            curve.mean = RequiredNumber(daily, "mean", key + ".");
            curve.amplitude = RequiredNumber(daily, "amplitude", key + ".");
            if (const toml::node* hour = daily.get("peak_hour")) {
                if (daily.get("peak") != nullptr) Fail(hour, key + ".peak_hour", "give either peak or peak_hour");
                if (!placing) Fail(hour, key + ".peak_hour", "needs [site] placing (the clock time of age 0)");
                const double h = Number(*hour, key + ".peak_hour");
                if (h < 0.0 || h >= 24.0) Fail(hour, key + ".peak_hour", "must be a clock hour from 0 to below 24");
                // The age of the first such hour after placing: peak = (hour / 24 - placing's time of day) mod 1.
                const double placed = static_cast<double>(((*placing % 1440) + 1440) % 1440) / 1440.0;
                curve.peak = h / 24.0 - placed;
                if (curve.peak < 0.0) curve.peak += 1.0;
            } else {
                curve.peak = RequiredNumber(daily, "peak", key + ".");
            }
        } else {
            Fail(&node, key, "must be a number, a list of [age, C] pairs or { mean, amplitude, peak }, not " +
                                 TypeName(node));
        }
        return curve;
    }

    // A heat transfer coefficient: a number, or [[from_age, h], ...].
    StepCurve Steps(const toml::node& node, const std::string& key) const {
        StepCurve steps;
        if (node.is_number()) {
            steps.from.push_back(0.0);
            steps.values.push_back(Number(node, key));
        } else if (node.is_array()) {
            const toml::array& list = *node.as_array();
            if (list.empty()) Fail(&node, key, "a list of [from_age, h] pairs must not be empty");
            for (const toml::node& entry : list) {
                const auto [age, value] = Pair(entry, key);
                if (!steps.from.empty() && !(age > steps.from.back())) {
                    Fail(&entry, key, "the ages must increase (" + Text(age) + " follows " + Text(steps.from.back()) + ")");
                }
                steps.from.push_back(age);
                steps.values.push_back(value);
            }
        } else {
            Fail(&node, key, "must be a number or a list of [from_age, h] pairs, not " + TypeName(node));
        }
        for (double v : steps.values) {
            if (v < 0.0) Fail(&node, key, "a heat transfer coefficient must not be negative");
        }
        return steps;
    }
};

Material ReadConcrete(const Reader& r, const toml::table& root) {
    const toml::table& t = r.Table(r.Required(root, "concrete", ""), "concrete");
    const std::string p = "concrete.";
    r.CheckKeys(t, p, {"conductivity", "density", "specific_heat", "placing_temperature", "adiabatic_rise", "hydration",
                       "mix"});
    Material m;
    m.conductivity = r.RequiredNumber(t, "conductivity", p);
    m.density = r.RequiredNumber(t, "density", p);
    m.specificHeat = r.RequiredNumber(t, "specific_heat", p);
    m.initialTemperature = r.RequiredNumber(t, "placing_temperature", p);
    r.Positive(t, "conductivity", p, m.conductivity);
    r.Positive(t, "density", p, m.density);
    r.Positive(t, "specific_heat", p, m.specificHeat);
    const std::optional<HeatRelease> release = ReadHeatRelease(r, t, p);
    if (!release) r.Fail(&t, p + "adiabatic_rise", "is missing (give the heat source: adiabatic_rise, hydration or mix)");
    m.release = *release;
    m.heat = true;
    return m;
}

EdgeSelector ReadSelector(const Reader& r, const toml::table& t, const std::string& p) {
    EdgeSelector where;
    const toml::node* side = t.get("side");
    const toml::node* x = t.get("x");
    const toml::node* y = t.get("y");
    const int given = (side != nullptr) + (x != nullptr) + (y != nullptr);
    if (given != 1) {
        r.Fail(&t, p + "side", given == 0 ? "is missing (give side, or x = or y = for a line)"
                                          : "give only one of side, x and y");
    }
    if (side != nullptr) {
        if (!side->is_string()) r.Fail(side, p + "side", "must be a string, not " + TomlReader::TypeName(*side));
        const std::string s = *side->value_exact<std::string>();
        if (s == "top") where.kind = EdgeSelector::Kind::Top;
        else if (s == "bottom") where.kind = EdgeSelector::Kind::Bottom;
        else if (s == "left") where.kind = EdgeSelector::Kind::Left;
        else if (s == "right") where.kind = EdgeSelector::Kind::Right;
        else r.Fail(side, p + "side", "\"" + s + "\" is not one of \"top\", \"bottom\", \"left\", \"right\"");
    } else if (x != nullptr) {
        where.kind = EdgeSelector::Kind::LineX;
        where.value = r.Number(*x, p + "x");
    } else {
        where.kind = EdgeSelector::Kind::LineY;
        where.value = r.Number(*y, p + "y");
    }
    if (const toml::node* between = t.get("between")) {
        const auto [low, high] = r.Pair(*between, p + "between");
        if (!(low <= high)) r.Fail(between, p + "between", "the first value must not exceed the second");
        where.ranged = true;
        where.low = low;
        where.high = high;
    }
    return where;
}

std::vector<BoundaryEntry> ReadBoundaries(const Reader& r, const toml::table& root, bool haveAmbient, bool haveWind,
                                          bool haveSolar) {
    std::vector<BoundaryEntry> entries;
    const toml::node* list = root.get("boundary");
    if (list == nullptr) return entries;
    const toml::array& array = r.Array(*list, "boundary");
    for (const toml::node& node : array) {
        const toml::table& t = r.Table(node, "boundary");
        const std::string p = "boundary.";
        r.CheckKeys(t, p, {"side", "x", "y", "between", "h", "ambient", "fixed", "cover", "exposure", "sun", "sky",
                           "absorptivity", "emissivity"});
        BoundaryEntry e;
        e.line = static_cast<std::int32_t>(t.source().begin.line);
        e.where = ReadSelector(r, t, p);
        const toml::node* h = t.get("h");
        const toml::node* fixed = t.get("fixed");
        if (const toml::node* cover = t.get("cover")) {
            if (h != nullptr || fixed != nullptr) {
                r.Fail(h != nullptr ? h : fixed, p + (h != nullptr ? "h" : "fixed"), "give either cover or h or fixed");
            }
            if (!haveWind) {
                r.Fail(cover, p + "cover",
                       "needs the wind speed: give [ambient] wind (m/s), or a weather file ([site] weather)");
            }
            e.cover = ReadCover(r, t, p, e.where.kind, haveSolar);
            for (const CoverStage& stage : e.cover.stages) {
                e.h.from.push_back(stage.from);
                e.h.values.push_back(0.0);
            }
            if (const toml::node* a = t.get("ambient")) {
                e.ownAmbient = true;
                e.ambient = r.Curve(*a, p + "ambient");
            } else if (!haveAmbient) {
                r.Fail(&t, p + "ambient", "is missing, and there is no [ambient] temperature to give it");
            }
            entries.push_back(std::move(e));
            continue;
        }
        for (const char* k : {"exposure", "sun", "sky", "absorptivity", "emissivity"}) {
            if (const toml::node* n = t.get(k)) r.Fail(n, p + k, "has meaning only with a cover");
        }
        if ((h == nullptr) == (fixed == nullptr)) {
            r.Fail(&t, p + "h", h == nullptr ? "is missing (give h, a cover, or fixed for a fixed temperature)"
                                             : "give either h or fixed, not both");
        }
        if (fixed != nullptr) {
            e.fixed = true;
            e.temperature = r.Curve(*fixed, p + "fixed");
            if (const toml::node* a = t.get("ambient")) r.Fail(a, p + "ambient", "has no meaning on a fixed edge");
        } else {
            e.h = r.Steps(*h, p + "h");
            if (const toml::node* a = t.get("ambient")) {
                e.ownAmbient = true;
                e.ambient = r.Curve(*a, p + "ambient");
            } else if (!haveAmbient) {
                r.Fail(&t, p + "ambient", "is missing, and there is no [ambient] table to give it");
            }
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<Region> ReadRegions(const Reader& r, const toml::table& root, const Material& concrete) {
    std::vector<Region> regions;
    const toml::node* list = root.get("region");
    if (list == nullptr) return regions;
    for (const toml::node& node : r.Array(*list, "region")) {
        const toml::table& t = r.Table(node, "region");
        const std::string p = "region.";
        r.CheckKeys(t, p, {"elements", "conductivity", "density", "specific_heat", "initial_temperature", "heat",
                           "adiabatic_rise", "hydration", "mix", "cast"});
        Region region;
        region.cast = r.OptionalNumber(t, "cast", p).value_or(0.0);
        region.line = static_cast<std::int32_t>(t.source().begin.line);
        const toml::node& elements = r.Required(t, "elements", p);
        region.elementsLine = static_cast<std::int32_t>(elements.source().begin.line);
        const toml::array& items = r.Array(elements, p + "elements");
        if (items.empty()) r.Fail(&elements, p + "elements", "must list at least one element");
        for (const toml::node& item : items) {
            const auto whole = [&](const toml::node& n) {
                if (!n.is_integer()) {
                    r.Fail(&n, p + "elements", "element numbers must be integers, not " + TomlReader::TypeName(n));
                }
                return static_cast<std::int32_t>(*n.value_exact<std::int64_t>());
            };
            if (item.is_array()) {
                const toml::array& range = *item.as_array();
                if (range.size() != 2) r.Fail(&item, p + "elements", "a range must be [first, last]");
                const std::int32_t first = whole(*range.get(0));
                const std::int32_t last = whole(*range.get(1));
                if (first > last) r.Fail(&item, p + "elements", "a range [first, last] must not run backwards");
                region.elements.emplace_back(first, last);
            } else {
                const std::int32_t n = whole(item);
                region.elements.emplace_back(n, n);
            }
        }
        Material& m = region.material;
        m = concrete;
        m.conductivity = r.OptionalNumber(t, "conductivity", p).value_or(concrete.conductivity);
        m.density = r.OptionalNumber(t, "density", p).value_or(concrete.density);
        m.specificHeat = r.OptionalNumber(t, "specific_heat", p).value_or(concrete.specificHeat);
        m.initialTemperature = r.OptionalNumber(t, "initial_temperature", p).value_or(concrete.initialTemperature);
        r.Positive(t, "conductivity", p, m.conductivity);
        r.Positive(t, "density", p, m.density);
        r.Positive(t, "specific_heat", p, m.specificHeat);
        m.heat = false;
        if (const toml::node* heat = t.get("heat")) {
            if (!heat->is_boolean()) r.Fail(heat, p + "heat", "must be true or false, not " + TomlReader::TypeName(*heat));
            m.heat = *heat->value_exact<bool>();
        }
        if (const std::optional<HeatRelease> release = ReadHeatRelease(r, t, p)) m.release = *release;
        regions.push_back(std::move(region));
    }
    return regions;
}

std::vector<double> ReadOutputAges(const Reader& r, const toml::table& root, std::int32_t& line) {
    const toml::table& t = r.Table(r.Required(root, "output", ""), "output");
    const std::string p = "output.";
    r.CheckKeys(t, p, {"ages", "start", "step", "end"});
    line = static_cast<std::int32_t>(t.source().begin.line);
    std::vector<double> ages;
    if (const toml::node* list = t.get("ages")) {
        for (const char* k : {"start", "step", "end"}) {
            if (const toml::node* other = t.get(k)) r.Fail(other, p + k, "give either ages or start, step and end");
        }
        for (const toml::node& item : r.Array(*list, p + "ages")) {
            const double age = r.Number(item, p + "ages");
            if (age < 0.0) r.Fail(&item, p + "ages", "an age must not be negative");
            if (!ages.empty() && !(age > ages.back())) {
                r.Fail(&item, p + "ages",
                       "the ages must increase (" + Reader::Text(age) + " follows " + Reader::Text(ages.back()) + ")");
            }
            ages.push_back(age);
        }
        if (ages.empty()) r.Fail(list, p + "ages", "must list at least one age");
    } else {
        if (t.get("start") == nullptr) r.Fail(&t, p + "ages", "is missing (give ages, or start, step and end)");
        const double start = r.RequiredNumber(t, "start", p);
        const double step = r.RequiredNumber(t, "step", p);
        const double end = r.RequiredNumber(t, "end", p);
        if (start < 0.0) r.Fail(t.get("start"), p + "start", "must not be negative");
        r.Positive(t, "step", p, step);
        if (end < start) r.Fail(t.get("end"), p + "end", "must not come before start");
        // start, start + step, ... and end itself; an age within a millionth of a step of end is end.
        for (std::int64_t i = 0;; ++i) {
            const double age = start + static_cast<double>(i) * step;
            if (age >= end - 1e-6 * step) break;
            ages.push_back(age);
        }
        ages.push_back(end);
        if (ages.size() > 100000) r.Fail(&t, p + "step", "gives more than 100000 output ages");
    }
    return ages;
}

// [site]: the placing's date and time (a TOML local date-time, or a string "YYYY-MM-DDTHH:MM") and
// the weather file.
Site ReadSite(const Reader& r, const toml::table& root) {
    Site site;
    const toml::node* node = root.get("site");
    if (node == nullptr) return site;
    const toml::table& t = r.Table(*node, "site");
    r.CheckKeys(t, "site.", {"placing", "weather"});
    const toml::node& placing = r.Required(t, "placing", "site.");
    std::optional<std::int64_t> minutes;
    if (const auto* value = placing.as_date_time()) {
        const toml::date_time& dt = value->get();
        if (dt.offset) r.Fail(&placing, "site.placing", "give the site's local date-time without a time zone");
        if (dt.time.second != 0 || dt.time.nanosecond != 0) r.Fail(&placing, "site.placing", "give whole minutes");
        minutes = ClockMinutes(dt.date.year, dt.date.month, dt.date.day, dt.time.hour, dt.time.minute);
    } else if (placing.is_string()) {
        minutes = ParseClock(*placing.value_exact<std::string>());
    } else {
        r.Fail(&placing, "site.placing", "must be a date-time (2026-06-01T07:00:00), not " + Reader::TypeName(placing));
    }
    if (!minutes) r.Fail(&placing, "site.placing", "is not a date-time YYYY-MM-DDTHH:MM");
    site.given = true;
    site.placing = *minutes;
    if (const toml::node* weather = t.get("weather")) {
        site.weather = r.String(*weather, "site.weather");
        if (site.weather.empty()) r.Fail(weather, "site.weather", "must name a file");
    }
    return site;
}

// The weather file's path: as given when absolute, else beside heat.toml.
std::string Beside(const std::string& file, const std::string& name) {
    if (!name.empty() && (name.front() == '/' || (name.size() > 1 && name[1] == ':'))) return name;
    const std::size_t slash = file.find_last_of("/\\");
    return slash == std::string::npos ? name : file.substr(0, slash + 1) + name;
}

// A region's cast must come before the last output age (the analysis would never place it).
void CheckCastAges(const Reader& r, const toml::table& root, const HeatSettings& s) {
    for (std::size_t k = 0; k < s.regions.size(); ++k) {
        if (s.regions[k].cast < s.outputAges.back()) continue;
        const toml::node* at = root.get("region")->as_array()->get(k)->as_table()->get("cast");
        r.Fail(at, "region.cast", "the region is cast at " + Reader::Text(s.regions[k].cast) +
                                      " days, not before the last output age " + Reader::Text(s.outputAges.back()));
    }
}

HeatSettings ReadDocument(const toml::table& root, const std::string& name) {
    Reader r(name);
    r.CheckKeys(root, "", {"mesh", "concrete", "ambient", "boundary", "region", "pipe", "output", "site"});
    HeatSettings s;
    s.file = name;
    if (const toml::node* mesh = root.get("mesh")) {
        if (!mesh->is_string()) r.Fail(mesh, "mesh", "must be a string (a file name), not " + Reader::TypeName(*mesh));
        s.mesh = *mesh->value_exact<std::string>();
        s.meshLine = static_cast<std::int32_t>(mesh->source().begin.line);
        if (s.mesh.empty()) r.Fail(mesh, "mesh", "must name a file");
    }
    s.concrete = ReadConcrete(r, root);
    s.site = ReadSite(r, root);
    if (s.site.given) r.placing = s.site.placing;
    s.sky = DefaultSky();
    std::optional<WeatherRecords> weather;
    if (!s.site.weather.empty()) {
        weather = ReadWeatherFile(Beside(name, s.site.weather));
        s.site.weatherFile = weather->file;
        s.site.weatherFirst = weather->time.front();
        s.site.weatherLast = weather->time.back();
    }
    bool haveAmbient = false, haveWind = false, haveSolar = false;
    if (const toml::node* ambient = root.get("ambient")) {
        const toml::table& t = r.Table(*ambient, "ambient");
        r.CheckKeys(t, "ambient.", {"temperature", "wind", "solar", "cloud"});
        if (!weather) s.ambient = r.Curve(r.Required(t, "temperature", "ambient."), "ambient.temperature");
        else if (const toml::node* n = t.get("temperature")) s.ambient = r.Curve(*n, "ambient.temperature");
        haveAmbient = !weather || t.get("temperature") != nullptr;
        if (const toml::node* n = t.get("wind")) {
            s.wind = r.Curve(*n, "ambient.wind");
            haveWind = true;
        }
        if (const toml::node* n = t.get("solar")) {
            s.solar = r.Curve(*n, "ambient.solar");
            haveSolar = true;
        }
        if (const toml::node* n = t.get("cloud")) s.cloud = r.Curve(*n, "ambient.cloud");
    }
    // The weather file gives what [ambient] does not.
    if (weather) {
        if (!haveAmbient) s.ambient = WeatherCurve(*weather, weather->temperature, s.site.placing);
        if (!haveWind) s.wind = WeatherCurve(*weather, weather->wind, s.site.placing);
        if (!haveSolar) s.solar = WeatherCurve(*weather, weather->solar, s.site.placing);
        if (weather->hasCloud && root["ambient"]["cloud"].node() == nullptr) {
            s.cloud = WeatherCurve(*weather, weather->cloud, s.site.placing);
        }
        haveAmbient = haveWind = haveSolar = true;
    }
    s.boundaries = ReadBoundaries(r, root, haveAmbient, haveWind, haveSolar);
    s.regions = ReadRegions(r, root, s.concrete);
    s.pipes = ReadPipes(r, root, [&r](const toml::node& n, const std::string& key) { return r.Curve(n, key); });
    s.outputAges = ReadOutputAges(r, root, s.outputLine);
    CheckWeatherSpan(s);
    CheckCastAges(r, root, s);
    return s;
}

}  // namespace

AgeCurve ReadAgeCurve(const TomlReader& r, const toml::node& node, const std::string& key) {
    return Reader(r.File()).Curve(node, key);
}

void CheckWeatherSpan(const HeatSettings& s) {
    if (s.site.weatherFile.empty()) return;
    const std::int64_t end = s.site.placing + static_cast<std::int64_t>(std::ceil(s.outputAges.back() * 1440.0));
    if (s.site.weatherFirst > s.site.placing || s.site.weatherLast < end) {
        throw RunError(s.site.weatherFile + ": its records span " + ClockText(s.site.weatherFirst) + " to " +
                       ClockText(s.site.weatherLast) + ", but the heat analysis runs from placing " +
                       ClockText(s.site.placing) + " to " + ClockText(end) + " (age " +
                       Reader::Text(s.outputAges.back()) + " days): ages outside the file's span are refused");
    }
}

HeatSettings ParseHeatSettings(const std::string& text, const std::string& name) {
    return ReadDocument(ParseToml(text, name), name);
}

HeatSettings ReadHeatSettings(const std::string& path) {
    return ParseHeatSettings(ReadTomlText(path, "cannot be opened (the heat analysis reads its settings there)"), path);
}

}  // namespace tc::heat
