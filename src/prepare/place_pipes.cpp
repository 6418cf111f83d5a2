// Places the cooling pipes of a description: each [[pipe]] row is a layer like a layer of bars
// (face and cover to the pipe's centre or outside, or the line x = / y =; spacing or count;
// between), and every pipe of it gets the row's diameter, wall, water and operating ages. A pipe's
// whole circle must lie in one part: its centre in no part is outside the concrete, and a circle
// reaching over the part's edge would put the pipe in two materials.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <tuple>

#include "heat/read_pipes.hpp"
#include "prepare/place_pipes.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {

namespace {

bool InPart(const Part& p, double x, double y) {
    constexpr double eps = 1e-9;
    if (y < p.y0 - eps || y > p.y1 + eps) return false;
    double l = p.x0, r = p.x1;
    if (p.trapezoid) {
        const double s = (std::clamp(y, p.y0, p.y1) - p.y0) / (p.y1 - p.y0);
        l = p.bottom0 + (p.top0 - p.bottom0) * s;
        r = p.bottom1 + (p.top1 - p.bottom1) * s;
    }
    return x >= l - eps && x <= r + eps;
}

std::string Point(double x, double y) {
    char text[80];
    std::snprintf(text, sizeof text, "(%.1f, %.1f) mm", x, y);
    return text;
}

}  // namespace

std::vector<heat::PipeEntry> PlacePipes(const heat::TomlReader& r, const toml::node& rows, const Description& d) {
    std::vector<heat::PipeEntry> pipes;
    for (const toml::node& node : r.Array(rows, "pipe")) {
        const toml::table& t = r.Table(node, "pipe");
        const std::string p = "pipe.";
        r.CheckKeys(t, p, {"face", "x", "y", "cover", "cover_to", "spacing", "count", "between", "diameter", "wall", "flow",
                           "inlet", "operating", "length"});
        heat::PipeEntry pipe;
        pipe.line = heat::LineOf(t);
        heat::ReadPipeProperties(r, t, p, [&r](const toml::node& n, const std::string& key) { return heat::ReadAgeCurve(r, n, key); },
                                 pipe);
        BarLayer row;
        row.key = "key \"pipe\"";
        row.line = pipe.line;
        const toml::node* face = t.get("face");
        const toml::node* x = t.get("x");
        const toml::node* y = t.get("y");
        const int given = (face != nullptr) + (x != nullptr) + (y != nullptr);
        if (given != 1) {
            r.Fail(&t, p + "face", given == 0 ? "is missing (give face, or x = or y = for a line of pipes)"
                                              : "give only one of face, x and y");
        }
        if (face != nullptr) {
            const std::string s = r.String(*face, p + "face");
            if (s == "left") row.where = BarLayer::Where::Left;
            else if (s == "right") row.where = BarLayer::Where::Right;
            else if (s == "bottom") row.where = BarLayer::Where::Bottom;
            else if (s == "top") row.where = BarLayer::Where::Top;
            else r.Fail(face, p + "face", "\"" + s + "\" is not one of \"left\", \"right\", \"bottom\", \"top\"");
            const double cover = r.NotNegative(t, "cover", p);
            const toml::node& to = r.Required(t, "cover_to", p);
            const std::string s2 = r.String(to, p + "cover_to");
            if (s2 == "centre" || s2 == "center") row.cover = cover;
            else if (s2 == "surface") row.cover = cover + pipe.diameter / 2.0;
            else r.Fail(&to, p + "cover_to", "\"" + s2 + "\" is not \"centre\" or \"surface\"");
        } else {
            for (const char* k : {"cover", "cover_to"}) {
                if (t.get(k) != nullptr) r.Fail(t.get(k), p + k, "has no meaning on a line of pipes (x = or y = is the pipes' centre line)");
            }
            row.where = x != nullptr ? BarLayer::Where::LineX : BarLayer::Where::LineY;
            row.value = r.Number(x != nullptr ? *x : *y, p + (x != nullptr ? "x" : "y"));
        }
        const toml::node* spacing = t.get("spacing");
        const toml::node* count = t.get("count");
        if ((spacing == nullptr) == (count == nullptr)) {
            r.Fail(&t, p + "spacing", spacing == nullptr ? "is missing (give spacing or count)" : "give either spacing or count, not both");
        }
        if (spacing != nullptr) {
            row.spacing = r.Positive(t, "spacing", p);
        } else {
            row.count = r.Integer(*count, p + "count");
            if (row.count < 1) r.Fail(count, p + "count", "must be at least 1");
        }
        if (const toml::node* between = t.get("between")) {
            row.ranged = true;
            std::tie(row.low, row.high) = r.Range(*between, p + "between");
        }
        const std::vector<Bar> points = LayerPoints(d, row);
        const std::string at = d.file + ", line " + std::to_string(pipe.line) + ": key \"pipe\": pipe ";
        const double ro = pipe.diameter / 2.0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double px = points[i].x, py = points[i].y;
            const std::string which = at + std::to_string(i + 1) + " of this row at " + Point(px, py);
            const Part* in = nullptr;
            for (const Part& part : d.parts) {
                if (in == nullptr && InPart(part, px, py)) in = &part;
            }
            if (in == nullptr) throw RunError(which + " lies outside the concrete");
            for (int k = 0; k < 16; ++k) {
                const double ax = px + ro * std::cos(k * std::numbers::pi / 8.0);
                const double ay = py + ro * std::sin(k * std::numbers::pi / 8.0);
                if (!InPart(*in, ax, ay)) {
                    throw RunError(which + " of diameter " + heat::TomlReader::Text(pipe.diameter) +
                                   " mm crosses the edge of part \"" + in->name + "\"");
                }
            }
            for (const heat::PipeEntry& other : pipes) {
                if (std::hypot(other.x - px, other.y - py) < (other.diameter + pipe.diameter) / 2.0) {
                    throw RunError(which + " overlaps the pipe at " + Point(other.x, other.y) + " of the row of line " +
                                   std::to_string(other.line));
                }
            }
            heat::PipeEntry placed = pipe;
            placed.x = px;
            placed.y = py;
            pipes.push_back(std::move(placed));
        }
    }
    return pipes;
}

}  // namespace tc::prepare
