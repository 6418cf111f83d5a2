// The text of the job's files in the fixed columns the cracking run reads: the input deck (records
// of (2I5), (I5), (6E12.5), (4E12.5), (2E12.5), (3E12.5), then (I5,3F15.x) per bar) and the mesh
// (three header records, then (I10,2F10.x) per node and (I10,4I6,F8.1) per element). Every real is
// written with its decimal point, so no implied decimals apply; coordinates keep up to three
// decimals (mm), bar areas up to four (mm2).

#include <charconv>
#include <cmath>
#include <cstdio>

#include "prepare/prepare.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {

namespace {

// A real in a 12-column field: the shortest text that reads back as the float the run will hold,
// with a point; below 0.01 or from 1e7 on as d.dddE-xx. A float whose shortest text is wider than
// the field (a negative value with eight significant digits) keeps as many digits as fit.
std::string Real12(double v) {
    const float f = static_cast<float>(v);
    char buffer[64];
    std::string text;
    if (!std::isfinite(f)) throw RunError("the value " + std::to_string(v) + " does not fit a 12-column field");
    if (f != 0.0f && (std::fabs(f) < 0.01f || std::fabs(f) >= 1.0e7f)) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, f, std::chars_format::scientific).ptr;
        std::string s(buffer, end);
        const auto e = s.find('e');
        std::string mantissa = s.substr(0, e);
        if (mantissa.find('.') == std::string::npos) mantissa += ".0";
        const int exponent = std::stoi(s.substr(e + 1));
        std::snprintf(buffer, sizeof buffer, "%sE%c%02d", mantissa.c_str(), exponent < 0 ? '-' : '+', std::abs(exponent));
        text = buffer;
    } else {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, f, std::chars_format::fixed).ptr;
        text.assign(buffer, end);
        if (text.find('.') == std::string::npos) text += ".0";
    }
    for (int digits = 7; text.size() > 12 && digits >= 1; --digits) {
        std::snprintf(buffer, sizeof buffer, "%.*E", digits, static_cast<double>(f));
        text = buffer;
    }
    if (text.size() > 12) throw RunError("the value " + text + " does not fit a 12-column field");
    return std::string(12 - text.size(), ' ') + text;
}

// A fixed-point real right-aligned in width columns, with the fewest decimals (1 to most) that
// hold it to a nanometre.
std::string Fixed(double v, int width, int most) {
    int decimals = 1;
    while (decimals < most) {
        const double scale = std::pow(10.0, decimals);
        if (std::fabs(std::round(v * scale) / scale - v) < 1e-9) break;
        ++decimals;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, v);
    if (static_cast<int>(std::string(buffer).size()) > width) {
        throw RunError(std::string("the value ") + buffer + " does not fit a " + std::to_string(width) + "-column field");
    }
    return buffer;
}

std::string Int(std::int64_t v, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%*lld", width, static_cast<long long>(v));
    return buffer;
}

}  // namespace

std::string DeckText(const DeckParameters& p, const std::vector<Bar>& bars) {
    std::string t = Int(p.listing, 5) + Int(0, 5) + "\n";
    t += Int(static_cast<std::int64_t>(bars.size()), 5) + "\n";
    for (double v : {p.strength, p.a, p.b, p.tensileFactor, p.modulusFactor, p.expansion}) t += Real12(v);
    t += "\n";
    for (double v : {p.lcb, p.lcu, p.lsb, p.lsu}) t += Real12(v);
    t += "\n" + Real12(p.steelModulus) + Real12(p.judge) + "\n";
    t += Real12(p.rn) + Real12(p.rm1) + Real12(p.rm2) + "\n";
    for (std::size_t i = 0; i < bars.size(); ++i) {
        t += Int(static_cast<std::int64_t>(i + 1), 5) + Fixed(bars[i].x, 15, 3) + Fixed(bars[i].y, 15, 3) +
             Fixed(bars[i].area, 15, 4) + "\n";
    }
    return t;
}

std::string MeshText(const heat::HeatMesh& mesh, std::int32_t bars) {
    std::string t = Int(1, 5) + Int(0, 5) + Int(0, 5) + "       0.0\n";
    t += Int(mesh.NX(), 5) + Int(mesh.NELX(), 5) + Int(bars, 5) + "       0.0\n";
    t += Int(1, 5) + Int(1, 5) + Int(4, 5) + "       1.0\n";
    for (std::int32_t n = 0; n < mesh.NX(); ++n) {
        const auto i = static_cast<std::size_t>(n);
        t += Int(n + 1, 10) + Fixed(mesh.x[i], 10, 3) + Fixed(mesh.y[i], 10, 3) + "\n";
    }
    for (std::int32_t e = 0; e < mesh.NELX(); ++e) {
        t += Int(e + 1, 10);
        for (std::int32_t c : mesh.elements[static_cast<std::size_t>(e)]) t += Int(c + 1, 6);
        t += "  1000.0\n";
    }
    return t;
}

}  // namespace tc::prepare
