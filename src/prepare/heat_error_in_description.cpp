// The generated heat.toml is a translation of the description: its [concrete], [ambient] and
// [output] are the description's tables, its k-th [[boundary]] the description's k-th, and its k-th
// [[region]] the k-th part with young = false. A message "FOLDER/heat.toml, line N: key "K": ..."
// is told again at the description's line of that key (or of its table), with region.* keys named
// part.*; the generated mesh files are named for what they hold.

#include "prepare/heat_error_in_description.hpp"

#include <sstream>

#include "heat/toml_reader.hpp"

namespace tc::prepare {

namespace {

struct Section {
    std::string table;      // concrete, ambient, boundary, region, output, or empty (top level)
    std::size_t index = 0;  // of a [[boundary]] or [[region]]
};

// The table of the generated text that holds line number line.
Section SectionAt(const std::string& text, std::int64_t line) {
    Section s;
    std::size_t boundaries = 0, regions = 0;
    std::istringstream in(text);
    std::string l;
    for (std::int64_t n = 1; n <= line && std::getline(in, l); ++n) {
        if (l.rfind("[[boundary]]", 0) == 0) s = {"boundary", boundaries++};
        else if (l.rfind("[[region]]", 0) == 0) s = {"region", regions++};
        else if (l.rfind("[region.", 0) == 0) s.table = "region";  // its mix, same index
        else if (l.rfind("[concrete", 0) == 0) s = {"concrete", 0};
        else if (l.rfind("[ambient]", 0) == 0) s = {"ambient", 0};
        else if (l.rfind("[output]", 0) == 0) s = {"output", 0};
    }
    return s;
}

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
}

// The node at the dotted path under node (arrays of tables taken by the path's own table only).
const toml::node* Under(const toml::node* node, const std::string& path) {
    std::istringstream in(path);
    std::string part;
    while (node != nullptr && std::getline(in, part, '.')) {
        const toml::table* t = node->as_table();
        const toml::node* next = t != nullptr ? t->get(part) : nullptr;
        if (next == nullptr) break;
        node = next;
    }
    return node;
}

}  // namespace

std::string HeatErrorInDescription(const std::string& message, const Description& d, const std::string& heatText,
                                   const std::string& folder, const std::string& heatMesh) {
    std::string m = message;
    if (!heatMesh.empty()) ReplaceAll(m, folder + heatMesh, "the heat mesh of every part");
    ReplaceAll(m, folder + d.name + ".dat", "the young concrete's mesh");
    const std::string head = folder + "heat.toml, line ";
    if (m.rfind(head, 0) != 0) {
        ReplaceAll(m, folder + "heat.toml", "the heat.toml written from " + d.file);
        return m;
    }
    const std::size_t colon = m.find(':', head.size());
    if (colon == std::string::npos) return m;
    const std::int64_t line = std::stoll("0" + m.substr(head.size(), colon - head.size()));
    std::string rest = m.substr(colon + 1);
    std::string key;
    const std::size_t k0 = rest.find("key \"");
    if (k0 != std::string::npos) {
        const std::size_t k1 = rest.find('"', k0 + 5);
        if (k1 != std::string::npos) key = rest.substr(k0 + 5, k1 - k0 - 5);
    }
    const Section s = SectionAt(heatText, line);
    toml::table root;
    try {
        root = heat::ParseToml(heat::ReadTomlText(d.file, "cannot be opened"), d.file);
    } catch (...) {
        return m;
    }
    const toml::node* at = nullptr;
    std::string table = s.table;
    std::size_t index = s.index;
    if (s.table == "region") {
        table = "part";
        for (std::size_t p = 0; p < d.parts.size(); ++p) {
            if (d.parts[p].young) continue;
            if (index-- == 0) {
                index = p;
                break;
            }
        }
        if (key.rfind("region", 0) == 0) {
            std::string renamed = "part";
            renamed.append(key, 6);
            ReplaceAll(rest, "key \"" + key + '"', "key \"" + renamed + '"');
            key = renamed;
        }
    }
    if (const toml::node* t = table.empty() ? nullptr : root.get(table)) {
        at = t;
        if (const toml::array* a = t->as_array()) at = a->get(index);
        if (at != nullptr && key.rfind(table + ".", 0) == 0) at = Under(at, key.substr(table.size() + 1));
    }
    std::string place = d.file;
    if (at != nullptr && at->source().begin.line > 0) place += ", line " + std::to_string(at->source().begin.line);
    return place + ":" + rest;
}

}  // namespace tc::prepare
