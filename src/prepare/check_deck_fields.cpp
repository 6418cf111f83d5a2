// Fixed-column fields of the job's files against the description's values: the input deck holds
// its reals in 12 columns (E12.5) read as single precision, so the largest magnitude is the largest
// float written in 12 columns, 3.402823E+38; the mesh file holds a coordinate in 10 columns with at
// least one decimal, -9999999.9 to 99999999.9 mm.

#include "prepare/check_deck_fields.hpp"

#include <cmath>
#include <limits>

namespace tc::prepare {

namespace {

constexpr char LargestDeckReal[] = "3.402823E+38";
constexpr double LargestCoordinate = 99999999.9;  // as the message says
constexpr double SmallestCoordinate = -9999999.9;

std::string Shown(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

// The deck's value v, from key (its node when given, else the table that derived it).
void DeckValue(const heat::TomlReader& r, const toml::table* table, const char* name, const std::string& prefix,
               double v) {
    if (std::isfinite(static_cast<float>(v))) return;
    const toml::node* at = table != nullptr ? table->get(name) : nullptr;
    if (at == nullptr) at = table;
    r.Fail(at, prefix + name,
           Shown(v) + " does not fit the input deck's 12-column field (read in single precision; the largest value it "
                      "holds is " + LargestDeckReal + ")");
}

void Coordinate(const heat::TomlReader& r, const toml::table& part, const char* shape, const char* name, double v) {
    if (v >= SmallestCoordinate && v <= LargestCoordinate) return;
    const toml::node* s = part.get(shape);
    const toml::node* at = s != nullptr && s->is_table() ? s->as_table()->get(name) : s;
    r.Fail(at, std::string("part.") + shape + "." + name,
           Shown(v) + " mm does not fit the mesh file's 10-column coordinate field (it holds -9999999.9 to "
                      "99999999.9 mm)");
}

const toml::table* TableOf(const toml::table& root, const char* name) {
    const toml::node* n = root.get(name);
    return n != nullptr ? n->as_table() : nullptr;
}

}  // namespace

void CheckDeckFields(const heat::TomlReader& r, const toml::table& root, const Description& d) {
    const DeckParameters& p = d.deck;
    const toml::table* concrete = TableOf(root, "concrete");
    const bool preset = concrete != nullptr && concrete->get("cement") != nullptr;
    DeckValue(r, concrete, preset ? "fc28" : "strength", "concrete.", p.strength);
    DeckValue(r, concrete, "a", "concrete.", p.a);
    DeckValue(r, concrete, "b", "concrete.", p.b);
    DeckValue(r, concrete, "tensile_factor", "concrete.", p.tensileFactor);
    DeckValue(r, concrete, "modulus_factor", "concrete.", p.modulusFactor);
    DeckValue(r, concrete, "expansion", "concrete.", p.expansion);
    DeckValue(r, TableOf(root, "steel"), "modulus", "steel.", p.steelModulus);
    const toml::table* cracking = TableOf(root, "cracking");
    DeckValue(r, cracking, "judge", "cracking.", p.judge);
    DeckValue(r, cracking, "lcb", "cracking.", p.lcb);
    DeckValue(r, cracking, "lcu", "cracking.", p.lcu);
    DeckValue(r, cracking, "lsb", "cracking.", p.lsb);
    DeckValue(r, cracking, "lsu", "cracking.", p.lsu);

    const toml::node* parts = root.get("part");
    if (parts == nullptr || !parts->is_array()) return;
    std::size_t i = 0;
    for (const toml::node& n : *parts->as_array()) {
        if (i >= d.parts.size() || !n.is_table()) break;
        const Part& part = d.parts[i++];
        const toml::table& t = *n.as_table();
        if (!part.trapezoid) {
            for (double v : {part.x0, part.x1}) Coordinate(r, t, "rectangle", "x", v);
            for (double v : {part.y0, part.y1}) Coordinate(r, t, "rectangle", "y", v);
        } else {
            for (double v : {part.y0, part.y1}) Coordinate(r, t, "trapezoid", "y", v);
            for (double v : {part.bottom0, part.bottom1}) Coordinate(r, t, "trapezoid", "bottom", v);
            for (double v : {part.top0, part.top1}) Coordinate(r, t, "trapezoid", "top", v);
        }
    }
}

}  // namespace tc::prepare
