// Ties every cooling pipe to the element that holds its centre: the shape functions there, and the
// conductance per metre G = 1 / R between the mesh's value T(p) and the water (see pipe_coupling.hpp).
// Why a corrected node sink rather than a hole in a refined mesh: the heat mesh keeps the grid that
// the job's nodes need (prepare's rows and columns), pipes of 20 to 50 mm would need elements of a
// few mm around each, and the sink's error is local and known: the grid's own resistance between
// p and its neighbours is that of the analytic line source out to the equivalent radius r_eq, so
// R_grid = ln(r_eq / r_o) / (2 pi k) leaves what the mesh adds from r_eq outwards exactly the
// concrete's resistance beyond the pipe's outside, at any element size from the pipe's diameter up.

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "heat/heat_system.hpp"
#include "heat/pipe_coupling.hpp"
#include "heat/toml_reader.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

namespace {

constexpr double Pi = std::numbers::pi;

std::string At(const HeatSettings& s, const PipeEntry& p, const std::string& key) {
    return s.file + ", line " + std::to_string(p.line) + ": key \"pipe." + key + "\": ";
}

std::string Point(double x, double y) {
    std::string s(1, '(');
    s += TomlReader::Text(x);
    s += ", ";
    s += TomlReader::Text(y);
    s += ") mm";
    return s;
}

// The element holding (x, y) (-1 if none), and the fractions (sx, sy) across its bounding box.
std::int32_t Holding(const HeatMesh& mesh, double x, double y, double& sx, double& sy) {
    for (std::int32_t e = 0; e < mesh.NELX(); ++e) {
        double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
        for (std::int32_t n : mesh.elements[static_cast<std::size_t>(e)]) {
            x0 = std::min(x0, mesh.x[static_cast<std::size_t>(n)]);
            x1 = std::max(x1, mesh.x[static_cast<std::size_t>(n)]);
            y0 = std::min(y0, mesh.y[static_cast<std::size_t>(n)]);
            y1 = std::max(y1, mesh.y[static_cast<std::size_t>(n)]);
        }
        const double eps = 1e-9 * std::max(x1 - x0, y1 - y0);
        if (x >= x0 - eps && x <= x1 + eps && y >= y0 - eps && y <= y1 + eps) {
            sx = std::clamp((x - x0) / (x1 - x0), 0.0, 1.0);
            sy = std::clamp((y - y0) / (y1 - y0), 0.0, 1.0);
            return e;
        }
    }
    return -1;
}

}  // namespace

bool PipeCoupling::On(double t) const {
    constexpr double same = 1e-9;
    return t >= pipe->from - same && t < pipe->to - same;
}

std::vector<PipeCoupling> CouplePipes(const HeatSettings& settings, const HeatMesh& mesh, const ElementMaterials& materials) {
    std::vector<PipeCoupling> out;
    // Pipes of a row usually sit alike in alike elements: their radius is worked out once.
    std::map<std::array<double, 4>, double> radii;
    for (const PipeEntry& p : settings.pipes) {
        for (const PipeCoupling& other : out) {
            const PipeEntry& o = *other.pipe;
            if (std::hypot(o.x - p.x, o.y - p.y) < (o.diameter + p.diameter) / 2.0) {
                throw RunError(At(settings, p, "x") + "the pipe at " + Point(p.x, p.y) + " overlaps the pipe of line " +
                               std::to_string(o.line));
            }
        }
        PipeCoupling c;
        c.pipe = &p;
        double sx = 0.0, sy = 0.0;
        const std::int32_t e = Holding(mesh, p.x, p.y, sx, sy);
        if (e < 0) throw RunError(At(settings, p, "x") + "the pipe at " + Point(p.x, p.y) + " lies outside the mesh");
        // The circle of the pipe's outside must stay in elements of the same material.
        const double ro = p.diameter / 2.0;
        const Material* material = materials.of[static_cast<std::size_t>(e)];
        for (int k = 0; k < 8; ++k) {
            const double ax = p.x + ro * std::cos(k * Pi / 4.0), ay = p.y + ro * std::sin(k * Pi / 4.0);
            double ux = 0.0, uy = 0.0;
            const std::int32_t f = Holding(mesh, ax, ay, ux, uy);
            if (f < 0) {
                throw RunError(At(settings, p, "x") + "the pipe at " + Point(p.x, p.y) + " of diameter " +
                               TomlReader::Text(p.diameter) + " mm reaches out of the mesh at " + Point(ax, ay));
            }
            if (materials.of[static_cast<std::size_t>(f)] != material) {
                throw RunError(At(settings, p, "x") + "the pipe at " + Point(p.x, p.y) + " of diameter " +
                               TomlReader::Text(p.diameter) + " mm crosses the edge between element " +
                               std::to_string(e + 1) + " and element " + std::to_string(f + 1) + " of another material");
            }
        }
        // Corners of the element in the order (x0, y0), (x1, y0), (x1, y1), (x0, y1); a rectangle only.
        const auto& el = mesh.elements[static_cast<std::size_t>(e)];
        double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
        for (std::int32_t n : el) {
            x0 = std::min(x0, mesh.x[static_cast<std::size_t>(n)]);
            x1 = std::max(x1, mesh.x[static_cast<std::size_t>(n)]);
            y0 = std::min(y0, mesh.y[static_cast<std::size_t>(n)]);
            y1 = std::max(y1, mesh.y[static_cast<std::size_t>(n)]);
        }
        const double hx = x1 - x0, hy = y1 - y0;
        const double tol = 1e-6 * std::max(hx, hy);
        const double cx[4] = {x0, x1, x1, x0}, cy[4] = {y0, y0, y1, y1};
        for (int k = 0; k < 4; ++k) {
            bool found = false;
            for (std::int32_t n : el) {
                if (std::abs(mesh.x[static_cast<std::size_t>(n)] - cx[k]) <= tol &&
                    std::abs(mesh.y[static_cast<std::size_t>(n)] - cy[k]) <= tol) {
                    c.nodes[static_cast<std::size_t>(k)] = n;
                    found = true;
                }
            }
            if (!found) {
                throw RunError(At(settings, p, "x") + "the pipe at " + Point(p.x, p.y) + " lies in element " +
                               std::to_string(e + 1) + ", which is not an axis-aligned rectangle");
            }
        }
        c.weight = {(1 - sx) * (1 - sy), sx * (1 - sy), sx * sy, (1 - sx) * sy};
        if (std::min(hx, hy) < p.diameter) {
            throw RunError(At(settings, p, "diameter") + "the elements around the pipe at " + Point(p.x, p.y) + " (" +
                           TomlReader::Text(hx) + " x " + TomlReader::Text(hy) +
                           " mm) must be at least the pipe's diameter (" + TomlReader::Text(p.diameter) + " mm)");
        }
        WaterProperties w;
        double low = 0.0, high = 0.0;
        const double inlet = p.inlet.At(p.from);
        if (!Water(inlet, w, low, high)) {
            throw RunError(At(settings, p, "inlet") + "the water's properties are known from " + TomlReader::Text(low) +
                           " to " + TomlReader::Text(high) + " C, not at " + TomlReader::Text(inlet) + " C");
        }
        const double di = (p.diameter - 2.0 * p.wallThickness) * MetresPerMm;
        const double doo = p.diameter * MetresPerMm;
        c.film = FilmCoefficient(w, di, p.flow);
        const std::array<double, 4> shape{hx, hy, sx, sy};
        const auto known = radii.find(shape);
        c.equivalentRadius = known != radii.end() ? known->second : (radii[shape] = PipeEquivalentRadius(hx, hy, sx, sy));
        const double k = material->conductivity;
        const double film = 1.0 / (c.film.h * Pi * di);
        const double wall = std::log(doo / di) / (2.0 * Pi * p.wallConductivity);
        const double grid = std::log(c.equivalentRadius / (p.diameter / 2.0)) / (2.0 * Pi * k);
        c.resistance = film + wall + grid;
        c.filmResistance = film;
        c.wallResistance = wall;
        c.gridResistance = grid;
        if (!(c.resistance > 0.0)) {
            // r_eq grows with the element: the size at which R reaches 0, with a margin.
            const double factor = (p.diameter / 2.0) * std::exp(-2.0 * Pi * k * (film + wall)) / c.equivalentRadius;
            throw RunError(At(settings, p, "diameter") + "the elements around the pipe at " + Point(p.x, p.y) + " (" +
                           TomlReader::Text(hx) + " x " + TomlReader::Text(hy) +
                           " mm) are too fine for a line sink of this diameter; take elements of at least " +
                           TomlReader::Text(std::ceil(1.2 * factor * std::max(hx, hy))) + " mm there");
        }
        c.conductance = 1.0 / c.resistance;
        if (p.length > 0.0) {
            const double mc = w.density * p.flow / 60000.0 * w.specificHeat;  // W/K
            c.conductance = mc * (1.0 - std::exp(-p.length / (c.resistance * mc))) / p.length;
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace tc::heat
