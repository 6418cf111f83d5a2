// The sourced tables of data/ as built into the program, and a row's value by name: each table is
// a list of [[row]] with a name, its values and its source.

#include <string>

#include "core/data_tables.hpp"
#include "heat/toml_reader.hpp"
#include "prepare/derive.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {

std::string_view DataTable(std::string_view file) {
    const std::string_view stem = file.substr(0, file.rfind(".toml"));
    const std::string_view text = tc::DataTable(stem);
    if (text.empty()) throw RunError("data table " + std::string(file) + " is not built into this program");
    return text;
}

double DataValue(std::string_view file, std::string_view name, std::string_view key, std::string* source) {
    const toml::table root = heat::ParseToml(std::string(DataTable(file)), "data/" + std::string(file));
    if (const toml::array* rows = root["row"].as_array()) {
        for (const toml::node& n : *rows) {
            const toml::table* row = n.as_table();
            if (row == nullptr || row->get("name") == nullptr || row->get("name")->value<std::string>() != name) continue;
            const auto v = (*row)[key].value<double>();
            if (!v) break;
            if (source != nullptr) *source = (*row)["source"].value_or(std::string());
            return *v;
        }
    }
    throw RunError("data/" + std::string(file) + ": no row \"" + std::string(name) + "\" with " + std::string(key));
}

}  // namespace tc::prepare
