// A material's heat source, checked whole: an adiabatic curve (on the concrete age, or with an
// activation energy and the test's placing temperature on the equivalent age), the exponential
// degree of hydration given, or a mix from which the same are derived. Shares are of 1 (0.12 for
// 12 %), contents in kg per m3 of concrete.

#include <cmath>

#include "heat/read_heat_release.hpp"

namespace tc::heat {

namespace {

AdiabaticRise ReadRise(const TomlReader& r, const toml::table& t, const std::string& prefix, HeatRelease& release) {
    r.CheckKeys(t, prefix, {"K", "alpha", "beta", "t0", "activation_energy", "test_placing_temperature"});
    AdiabaticRise rise;
    rise.K = r.RequiredNumber(t, "K", prefix);
    rise.alpha = r.RequiredNumber(t, "alpha", prefix);
    rise.beta = r.OptionalNumber(t, "beta", prefix).value_or(1.0);
    rise.t0 = r.OptionalNumber(t, "t0", prefix).value_or(0.0);
    if (rise.K < 0.0) r.Fail(t.get("K"), prefix + "K", "must not be negative");
    r.Positive(t, "alpha", prefix, rise.alpha);
    if (t.get("beta") != nullptr) r.Positive(t, "beta", prefix, rise.beta);
    if (rise.t0 < 0.0) r.Fail(t.get("t0"), prefix + "t0", "must not be negative");
    const toml::node* energy = t.get("activation_energy");
    const toml::node* placing = t.get("test_placing_temperature");
    if ((energy == nullptr) != (placing == nullptr)) {
        r.Fail(energy != nullptr ? energy : placing, prefix + (energy != nullptr ? "test_placing_temperature" : "activation_energy"),
               "is missing: an adiabatic curve is read on the equivalent age with both activation_energy (J/mol) and "
               "test_placing_temperature (C), on the concrete age with neither");
    }
    if (energy != nullptr) {
        release.equivalentAge = true;
        release.activationEnergy = r.NotNegative(t, "activation_energy", prefix);
        release.testPlacingTemperature = r.RequiredNumber(t, "test_placing_temperature", prefix);
        if (release.testPlacingTemperature < -30.0 || release.testPlacingTemperature > 80.0) {
            r.Fail(placing, prefix + "test_placing_temperature", "must lie between -30 and 80 C");
        }
    }
    return rise;
}

double Share(const TomlReader& r, const toml::table& t, std::string_view name, const std::string& prefix, bool required) {
    const toml::node* n = t.get(name);
    if (n == nullptr) {
        if (required) r.Required(t, name, prefix);
        return 0.0;
    }
    const double v = r.Number(*n, prefix + std::string(name));
    if (v < 0.0 || v > 1.0) {
        r.Fail(n, prefix + std::string(name), "is a share of the mass and must lie between 0 and 1 (0.12 for 12 %), not " +
                                                  TomlReader::Text(v));
    }
    return v;
}

void ReadActivation(const TomlReader& r, const toml::table& t, const std::string& prefix, HeatRelease& release) {
    release.equivalentAge = true;
    release.activationEnergy = r.NotNegative(t, "activation_energy", prefix);
    release.referenceTemperature = r.RequiredNumber(t, "reference_temperature", prefix);
    if (release.referenceTemperature < -30.0 || release.referenceTemperature > 80.0) {
        r.Fail(t.get("reference_temperature"), prefix + "reference_temperature", "must lie between -30 and 80 C");
    }
}

HydrationParameters ReadHydration(const TomlReader& r, const toml::table& t, const std::string& prefix, HeatRelease& release) {
    r.CheckKeys(t, prefix, {"Hu", "cementitious", "alpha_u", "tau", "beta", "activation_energy", "reference_temperature"});
    HydrationParameters h;
    h.Hu = r.Positive(t, "Hu", prefix);
    h.cementitious = r.Positive(t, "cementitious", prefix);
    h.alphaU = r.Positive(t, "alpha_u", prefix);
    if (h.alphaU > 1.0) r.Fail(t.get("alpha_u"), prefix + "alpha_u", "is a degree of hydration and must not exceed 1");
    h.tau = r.Positive(t, "tau", prefix);
    h.beta = r.Positive(t, "beta", prefix);
    ReadActivation(r, t, prefix, release);
    if (h.Hu < 1000.0) {
        r.Fail(t.get("Hu"), prefix + "Hu", "is in J per kg of cementitious material (about 300 000 to 520 000), not " +
                                               TomlReader::Text(h.Hu));
    }
    return h;
}

MixDesign ReadMix(const TomlReader& r, const toml::table& t, const std::string& prefix) {
    r.CheckKeys(t, prefix, {"cement", "cement_type", "blaine", "composition", "fly_ash", "fly_ash_CaO", "slag", "silica_fume",
                            "water"});
    MixDesign mix;
    mix.cement = r.RequiredNumber(t, "cement", prefix);
    if (!(mix.cement > 0.0)) r.Fail(t.get("cement"), prefix + "cement", "must be above 0 kg/m3: the heat comes from the cement");
    for (const auto& [key, value] : {std::pair<const char*, double*>{"fly_ash", &mix.flyAsh}, {"slag", &mix.slag},
                                     {"silica_fume", &mix.silicaFume}}) {
        if (t.get(key) != nullptr) *value = r.NotNegative(t, key, prefix);
    }
    mix.water = r.Positive(t, "water", prefix);
    if (mix.silicaFume > 0.0) {
        r.Fail(t.get("silica_fume"), prefix + "silica_fume",
               "the mix model (Schindler and Folliard 2005) does not cover silica fume; give hydration = { ... } "
               "from a test of the mix instead");
    }
    if (mix.flyAsh > 0.0) {
        mix.flyAshCaO = Share(r, t, "fly_ash_CaO", prefix, true);
    } else if (const toml::node* cao = t.get("fly_ash_CaO")) {
        r.Fail(cao, prefix + "fly_ash_CaO", "goes with fly_ash (kg/m3), which is not given");
    }
    const toml::node* type = t.get("cement_type");
    const toml::node* composition = t.get("composition");
    if ((type == nullptr) == (composition == nullptr)) {
        r.Fail(type != nullptr ? type : &t, prefix + "cement_type",
               type == nullptr ? "is missing (name a cement type, or give its composition)"
                               : "give either cement_type or composition, not both");
    }
    if (type != nullptr) {
        mix.cementType = r.String(*type, prefix + "cement_type");
        std::string known;
        const CementType* found = nullptr;
        for (const CementType& c : CementTypes()) {
            known += (known.empty() ? "\"" : ", \"") + c.name + "\"";
            if (c.name == mix.cementType) found = &c;
        }
        if (found == nullptr) r.Fail(type, prefix + "cement_type", "\"" + mix.cementType + "\" is not a known cement type (known: " + known + ")");
        mix.composition = found->composition;
        if (t.get("blaine") != nullptr) {
            mix.composition.blaine = r.Positive(t, "blaine", prefix);
        } else if (!(mix.composition.blaine > 0.0)) {
            r.Fail(type, prefix + "blaine", "is missing: the cement type \"" + mix.cementType +
                                                "\" gives no Blaine fineness; give the cement's own (m2/kg)");
        }
        if (mix.composition.blaine < 150.0 || mix.composition.blaine > 1000.0) {
            r.Fail(t.get("blaine"), prefix + "blaine", "is the Blaine fineness in m2/kg (about 300 to 600), not " +
                                                          TomlReader::Text(mix.composition.blaine));
        }
    } else {
        if (const toml::node* b = t.get("blaine")) r.Fail(b, prefix + "blaine", "goes with cement_type; give it in composition");
        const std::string q = prefix + "composition.";
        const toml::table& c = r.Table(*composition, prefix + "composition");
        r.CheckKeys(c, q, {"C3S", "C2S", "C3A", "C4AF", "SO3", "free_CaO", "MgO", "blaine"});
        CementComposition& k = mix.composition;
        k.C3S = Share(r, c, "C3S", q, true);
        k.C2S = Share(r, c, "C2S", q, true);
        k.C3A = Share(r, c, "C3A", q, true);
        k.C4AF = Share(r, c, "C4AF", q, true);
        k.SO3 = Share(r, c, "SO3", q, true);
        k.freeCaO = Share(r, c, "free_CaO", q, false);
        k.MgO = Share(r, c, "MgO", q, false);
        k.blaine = r.Positive(c, "blaine", q);
        const double sum = k.C3S + k.C2S + k.C3A + k.C4AF + k.SO3 + k.freeCaO + k.MgO;
        if (sum > 1.0 + 1e-9) {
            r.Fail(composition, prefix + "composition", "the phases add up to " + TomlReader::Text(100.0 * sum) + " %, above 100 %");
        }
        if (k.blaine < 150.0 || k.blaine > 1000.0) {
            r.Fail(c.get("blaine"), q + "blaine", "is the Blaine fineness in m2/kg (about 300 to 600), not " + TomlReader::Text(k.blaine));
        }
        for (const char* phase : {"C3S", "C3A", "C4AF", "SO3"}) {
            if (!(r.RequiredNumber(c, phase, q) > 0.0)) r.Fail(c.get(phase), q + phase, "must be above 0 (the model takes powers of it)");
        }
    }
    return mix;
}

}  // namespace

std::optional<HeatRelease> ReadHeatRelease(const TomlReader& r, const toml::table& t, const std::string& prefix) {
    const toml::node* given = nullptr;
    std::string givenKey;
    for (std::string_view key : HeatSourceKeys) {
        const toml::node* n = t.get(key);
        if (n == nullptr) continue;
        if (given != nullptr) {
            r.Fail(n, prefix + std::string(key),
                   "give only one heat source (adiabatic_rise, hydration or mix); " + givenKey + " is given at line " +
                       std::to_string(LineOf(*given)));
        }
        given = n;
        givenKey = prefix + std::string(key);
    }
    if (given == nullptr) return std::nullopt;
    HeatRelease release;
    const std::string q = givenKey + ".";
    const toml::table& table = r.Table(*given, givenKey);
    if (t.get("adiabatic_rise") == given) {
        release.form = HeatRelease::Form::AdiabaticRise;
        release.rise = ReadRise(r, table, q, release);
    } else if (t.get("hydration") == given) {
        release.form = HeatRelease::Form::Hydration;
        release.hydration = ReadHydration(r, table, q, release);
    } else {
        release.form = HeatRelease::Form::Mix;
        release.mix = ReadMix(r, table, q);
        const DerivedHydration derived = DeriveMixHydration(release.mix);
        release.hydration = derived.hydration;
        release.equivalentAge = true;
        release.activationEnergy = derived.activationEnergy;
        release.referenceTemperature = derived.referenceTemperature;
    }
    return release;
}

}  // namespace tc::heat
