#pragma once
// Cooling pipes from a description's [[pipe]] rows.

#include <vector>

#include "heat/heat.hpp"
#include "heat/toml_reader.hpp"
#include "prepare/prepare.hpp"

namespace tc::prepare {

// The pipes of the description's [[pipe]] rows (rows: the array), each row placed like a layer of
// bars (along a face of the young concrete at a cover, or along x = / y =, by spacing or count);
// refuses a pipe outside the concrete or crossing a part's edge, naming the file, line and key.
std::vector<heat::PipeEntry> PlacePipes(const heat::TomlReader& r, const toml::node& rows, const Description& d);

}  // namespace tc::prepare
