#pragma once
// The description's [ground] and the heat mesh's own keys of [mesh].

#include "heat/toml_reader.hpp"
#include "prepare/prepare.hpp"

namespace tc::prepare {

// The ground under the section, a heat-only part from the section's lowest edge down to depth
// (default DefaultGroundDepth) across the section's width, with its own thermal properties.
Part ReadGround(const heat::TomlReader& r, const toml::table& t, const Description& d);

// [mesh]'s heat_refine (whole number, 1 to 10) and growth (1 to 3) into d.
void ReadHeatMeshKeys(const heat::TomlReader& r, const toml::table& mesh, Description& d);

// mm: the depth below which the soil's temperature stays nearly constant over the year, "often set
// to 4 m" (the soil thermal damping depth dp, VIC model documentation, University of Washington);
// far beyond the reach of a few weeks of hydration heat (2 sqrt(a t) is about 3 m for a = 1e-6 m2/s
// over 28 days).
inline constexpr double DefaultGroundDepth = 4000.0;

}  // namespace tc::prepare
