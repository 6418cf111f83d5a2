#pragma once
// The sourced tables of the repository's data/ folder (materials, cements, limits), compiled in.

#include <string_view>

namespace tc {

// The text of data/NAME.toml; empty when there is no such table.
std::string_view DataTable(std::string_view name);

}  // namespace tc
