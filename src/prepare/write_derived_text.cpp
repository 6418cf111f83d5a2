// derived.toml, written beside the job's files: how prepare took each group of values (restraint,
// spread lengths, the steel's yield strength), given or derived, with the method, its inputs and
// sources, and the facts of every layer of bars along a face, for thermocrack-report.

#include <charconv>

#include "prepare/prepare.hpp"

namespace tc::prepare {

namespace {

std::string Quote(const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + "\"";
}

std::string Number(double v) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    std::string text(buffer, end);
    if (text.find_first_of(".en") == std::string::npos) text += ".0";
    return text;
}

}  // namespace

std::string DerivedText(const Description& d) {
    std::string t = "# How thermocrack prepare took this job's values from its description: given, or derived by\n"
                    "# the method named from the inputs and sources listed. Lengths in mm, areas in mm2, stresses\n"
                    "# in N/mm2. Read by thermocrack-report.\n";
    t += "description = " + Quote(d.file) + "\n";
    for (const Derivation& v : d.derivations) {
        t += "\n[" + v.name + "]\n";
        t += "given = " + std::string(v.given ? "true" : "false") + "\n";
        t += "method = " + Quote(v.method) + "\n";
        for (const auto& [key, value] : v.values) t += key + " = " + Number(value) + "\n";
        t += "sources = [";
        for (std::size_t i = 0; i < v.sources.size(); ++i) t += (i ? ", " : "") + Quote(v.sources[i]);
        t += "]\n";
        if (!v.inputs.empty()) {
            t += "\n[" + v.name + ".inputs]\n";
            for (const auto& [key, value] : v.inputs) t += Quote(key) + " = " + Quote(value) + "\n";
        }
    }
    for (const LayerFacts& f : d.layers) {
        t += "\n[[layer]]\nface = " + Quote(f.face) + "\n";
        t += "bar_area = " + Number(f.barArea) + "\ndiameter = " + Number(f.diameter) + "\nspacing = " + Number(f.spacing) +
             "\ncover = " + Number(f.cover) + "\nthickness = " + Number(f.thickness) + "\nheight = " + Number(f.height) +
             "\nhc_eff = " + Number(f.hcEff) + "\nrho_p_eff = " + Number(f.rho) + "\ncrack_spacing = " +
             Number(f.crackSpacing) + "\ncrack_spacing_expression = " + Quote(f.wide ? "7.14" : "7.11") + "\n";
    }
    return t;
}

}  // namespace tc::prepare
