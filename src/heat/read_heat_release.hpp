#pragma once
// Reading a material's heat source from heat.toml or a description: exactly one of
// adiabatic_rise = { ... }, hydration = { ... } and a mix table, each checked whole.

#include <optional>
#include <string>
#include <vector>

#include "heat/heat_release.hpp"
#include "heat/toml_reader.hpp"

namespace tc::heat {

// The source that table t gives under prefix (e.g. "concrete."); nullopt when it gives none.
// Refuses two sources at once, naming the second.
std::optional<HeatRelease> ReadHeatRelease(const TomlReader& r, const toml::table& t, const std::string& prefix);

// The keys of a table that ReadHeatRelease reads.
inline constexpr std::string_view HeatSourceKeys[] = {"adiabatic_rise", "hydration", "mix"};

// The hydration parameters, activation energy and reference temperature that the mix implies.
DerivedHydration DeriveMixHydration(const MixDesign& mix);

// The cement presets: name and composition, with the source of each.
struct CementType {
    std::string name;
    CementComposition composition;
    std::string source;
};
const std::vector<CementType>& CementTypes();

}  // namespace tc::heat
