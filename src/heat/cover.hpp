#pragma once
// Reading a [[boundary]] entry's cover schedule (see read_cover.cpp).

#include <string>

#include "heat/heat.hpp"
#include "heat/toml_reader.hpp"

namespace tc::heat {

// The cover of entry t (keys cover, exposure, sun, sky, absorptivity, emissivity under prefix p), for
// a face selected by kind; haveSolar: whether the weather has solar radiation (a vertical face then
// needs its share). Throws RunError naming file, line and key.
Cover ReadCover(const TomlReader& r, const toml::table& t, const std::string& p, EdgeSelector::Kind kind,
                bool haveSolar);
// The sky model's constants from data/surface-exchange.toml.
SkyModel DefaultSky();

}  // namespace tc::heat
