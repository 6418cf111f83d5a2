#pragma once
// Reading the cooling pipes of heat.toml (and of a description's pipe rows, which share the keys).

#include <functional>
#include <string>
#include <vector>

#include "heat/heat.hpp"
#include "heat/toml_reader.hpp"

namespace tc::heat {

using CurveReader = std::function<AgeCurve(const toml::node&, const std::string&)>;

// A temperature by age as heat.toml gives it: a number, [[age, C], ...] or { mean, amplitude, peak }.
AgeCurve ReadAgeCurve(const TomlReader& r, const toml::node& node, const std::string& key);

// The keys of a pipe other than its position: diameter, wall, flow, inlet, operating, length.
// Checks each; messages name the file, the line and the key under prefix ("pipe.").
void ReadPipeProperties(const TomlReader& r, const toml::table& t, const std::string& prefix, const CurveReader& curve,
                        PipeEntry& pipe);

// Every [[pipe]] of heat.toml, each at x, y (mm).
std::vector<PipeEntry> ReadPipes(const TomlReader& r, const toml::table& root, const CurveReader& curve);

// The conductivity of a named wall material of data/pipe-walls.toml; empty names lists the known.
double PipeWallConductivity(const std::string& name, std::string* known);

}  // namespace tc::heat
