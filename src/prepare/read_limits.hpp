#pragma once
// The description's [limits] table, read with the description's reader (messages name its file,
// line and key).

#include "heat/toml_reader.hpp"
#include "prepare/prepare.hpp"

namespace tc::prepare {

Limits ReadLimits(const heat::TomlReader& r, const toml::table& t);

}  // namespace tc::prepare
