#pragma once
// Reading a TOML file (heat.toml, a section's description) with the file at hand for messages: every
// message names the file, the line and the key ("slab.toml, line 12: key "bars.cover": must be a
// number, not a string").

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#define TOML_HEADER_ONLY 1
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

namespace tc::heat {

class TomlReader {
public:
    explicit TomlReader(std::string file) : file_(std::move(file)) {}
    const std::string& File() const { return file_; }

    [[noreturn]] void Fail(const toml::node* at, const std::string& key, const std::string& problem) const;
    // Every key of the table must be one of the known ones.
    void CheckKeys(const toml::table& t, const std::string& prefix, std::initializer_list<std::string_view> known) const;
    const toml::node& Required(const toml::table& t, std::string_view name, const std::string& prefix) const;
    double Number(const toml::node& n, const std::string& key) const;
    double RequiredNumber(const toml::table& t, std::string_view name, const std::string& prefix) const;
    std::optional<double> OptionalNumber(const toml::table& t, std::string_view name, const std::string& prefix) const;
    // A number above 0 (or at least 0).
    double Positive(const toml::table& t, std::string_view name, const std::string& prefix) const;
    // Refuses v, the value of t's key name, unless it is above 0.
    void Positive(const toml::table& t, std::string_view name, const std::string& prefix, double v) const;
    double NotNegative(const toml::table& t, std::string_view name, const std::string& prefix) const;
    std::int32_t Integer(const toml::node& n, const std::string& key) const;
    std::string String(const toml::node& n, const std::string& key) const;
    const toml::table& Table(const toml::node& n, const std::string& key) const;
    const toml::array& Array(const toml::node& n, const std::string& key) const;
    // [low, high] with low < high.
    std::pair<double, double> Range(const toml::node& n, const std::string& key) const;

    static std::string TypeName(const toml::node& n);
    static std::string Text(double v);

private:
    std::string file_;
};

// The whole text of a TOML file; when it cannot be opened the message is the path and openProblem.
std::string ReadTomlText(const std::string& path, const std::string& openProblem);
// The text parsed; a syntax error becomes a RunError naming the file (name) and the line.
toml::table ParseToml(const std::string& text, const std::string& name);

inline std::int32_t LineOf(const toml::node& n) { return static_cast<std::int32_t>(n.source().begin.line); }

}  // namespace tc::heat
