#pragma once
// The sourced tables of the data folder (one TOML text per table, each row with its source), as
// built into the program; the Python tools read the same files.

#include <string_view>
#include <vector>

namespace tc::prepare {

struct DataTable {
    std::string_view file;  // e.g. "exposure_en1992.toml"
    std::string_view text;
};

const std::vector<DataTable>& DataTables();

}  // namespace tc::prepare
