// The typed reads of a TOML file's values, each refusing a wrong type or range with the file, the
// line and the key; the file's text read and parsed, a syntax error named by file and line.

#include "heat/toml_reader.hpp"

#include <cmath>
#include <cstdio>

#include "records/run_error.hpp"

namespace tc::heat {

std::string TomlReader::TypeName(const toml::node& n) {
    switch (n.type()) {
        case toml::node_type::string: return "a string";
        case toml::node_type::integer: return "an integer";
        case toml::node_type::floating_point: return "a number";
        case toml::node_type::boolean: return "true or false";
        case toml::node_type::array: return "a list";
        case toml::node_type::table: return "a table";
        default: return "a date or time";
    }
}

std::string TomlReader::Text(double v) {
    std::string s = std::to_string(v);
    while (s.size() > 1 && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

void TomlReader::Fail(const toml::node* at, const std::string& key, const std::string& problem) const {
    std::string message = file_;
    if (at != nullptr && at->source().begin.line > 0) message += ", line " + std::to_string(at->source().begin.line);
    message += ": key \"" + key + "\": " + problem;
    throw RunError(message);
}

void TomlReader::CheckKeys(const toml::table& t, const std::string& prefix,
                                  std::initializer_list<std::string_view> known) const {
    for (auto&& [key, node] : t) {
        bool found = false;
        for (std::string_view k : known) found = found || k == key.str();
        if (!found) {
            std::string list;
            for (std::string_view k : known) list += (list.empty() ? "" : ", ") + std::string(k);
            Fail(&node, prefix + std::string(key.str()), "is not a known key (known here: " + list + ")");
        }
    }
}

const toml::node& TomlReader::Required(const toml::table& t, std::string_view name,
                                              const std::string& prefix) const {
    const toml::node* n = t.get(name);
    if (n == nullptr) Fail(&t, prefix + std::string(name), "is missing");
    return *n;
}

double TomlReader::Number(const toml::node& n, const std::string& key) const {
    if (!n.is_number()) Fail(&n, key, "must be a number, not " + TypeName(n));
    const double v = n.is_integer() ? static_cast<double>(*n.value_exact<std::int64_t>()) : *n.value_exact<double>();
    if (!std::isfinite(v)) Fail(&n, key, "must be a finite number");
    return v;
}

double TomlReader::RequiredNumber(const toml::table& t, std::string_view name, const std::string& prefix) const {
    return Number(Required(t, name, prefix), prefix + std::string(name));
}

std::optional<double> TomlReader::OptionalNumber(const toml::table& t, std::string_view name,
                                                        const std::string& prefix) const {
    const toml::node* n = t.get(name);
    if (n == nullptr) return std::nullopt;
    return Number(*n, prefix + std::string(name));
}

double TomlReader::Positive(const toml::table& t, std::string_view name, const std::string& prefix) const {
    const double v = RequiredNumber(t, name, prefix);
    Positive(t, name, prefix, v);
    return v;
}

void TomlReader::Positive(const toml::table& t, std::string_view name, const std::string& prefix, double v) const {
    if (!(v > 0.0)) Fail(t.get(name), prefix + std::string(name), "must be above 0 (it is " + Text(v) + ")");
}

double TomlReader::NotNegative(const toml::table& t, std::string_view name, const std::string& prefix) const {
    const double v = RequiredNumber(t, name, prefix);
    if (v < 0.0) Fail(t.get(name), prefix + std::string(name), "must not be negative (it is " + Text(v) + ")");
    return v;
}

std::int32_t TomlReader::Integer(const toml::node& n, const std::string& key) const {
    if (!n.is_integer()) Fail(&n, key, "must be a whole number, not " + TypeName(n));
    const std::int64_t v = *n.value_exact<std::int64_t>();
    if (v < -1000000 || v > 1000000) Fail(&n, key, "is out of range");
    return static_cast<std::int32_t>(v);
}

std::string TomlReader::String(const toml::node& n, const std::string& key) const {
    if (!n.is_string()) Fail(&n, key, "must be a string, not " + TypeName(n));
    return *n.value_exact<std::string>();
}

const toml::table& TomlReader::Table(const toml::node& n, const std::string& key) const {
    if (!n.is_table()) Fail(&n, key, "must be a table, not " + TypeName(n));
    return *n.as_table();
}

const toml::array& TomlReader::Array(const toml::node& n, const std::string& key) const {
    if (!n.is_array()) Fail(&n, key, "must be a list, not " + TypeName(n));
    return *n.as_array();
}

std::pair<double, double> TomlReader::Range(const toml::node& n, const std::string& key) const {
    const toml::array& a = Array(n, key);
    if (a.size() != 2) Fail(&n, key, "must be a pair [from, to]");
    const double low = Number(*a.get(0), key);
    const double high = Number(*a.get(1), key);
    if (!(low < high)) Fail(&n, key, "the first value must be below the second");
    return {low, high};
}

std::string ReadTomlText(const std::string& path, const std::string& openProblem) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw RunError(path + ": " + openProblem);
    std::string text;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) throw RunError(path + ": cannot be read");
    return text;
}

toml::table ParseToml(const std::string& text, const std::string& name) {
    try {
        return toml::parse(text, std::string_view(name));
    } catch (const toml::parse_error& e) {
        throw RunError(name + ", line " + std::to_string(e.source().begin.line) + ": " + std::string(e.description()));
    }
}

}  // namespace tc::heat
