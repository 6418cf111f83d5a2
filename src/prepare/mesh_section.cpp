// Meshes the section's parts into counter-clockwise four-node elements near a target size.
// Rectangles share one global grid: every rectangle's edges (and a trapezoid's bottom corners) are
// breakpoints, and each gap g between breakpoints is cut into ceil(g / size) equal pieces, so nodes
// along common edges coincide. A trapezoid's rows follow the grid's lines; its columns cut every row
// at the same fractions, those of the grid along its bottom edge when it sits on a rectangle, else
// ceil(widest / size) equal ones. Nodes and elements are numbered row by row from the bottom.
// With a growth factor g > 1, a gap that lies wholly beside the young concrete (below, above or to a
// side of its bounding box) is graded instead: pieces s, s g, s g^2, ... away from the young concrete,
// n the fewest whose sum reaches the gap, all scaled by gap / (s (g^n - 1) / (g - 1)). The heat mesh
// may cut every piece into r equal ones (refine r): every line of the job's grid stays a line of the
// heat grid, so every job node is a heat node.
// Capacity: 700 nodes and 700 elements in the job's mesh (the cracking run's), beyond which the
// smallest target size that fits is named; the heat mesh up to 99999 of each (its header's columns).

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "prepare/prepare.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {

namespace {

std::string Text(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

// "[a, b]", built by appending (GCC 12 warns falsely of "[" + a string).
std::string Pair(double a, double b) {
    std::string s(1, '[');
    s.append(Text(a)).append(", ").append(Text(b)).append(1, ']');
    return s;
}

std::string Where(const Description& d, const Part& p) {
    return d.file + ", line " + std::to_string(p.line) + ": part \"" + p.name + "\"";
}

// Pieces beyond this are counted as this many: such a grid is refused before it is built.
constexpr double MostPieces = 1.0e9;

std::int64_t Pieces(double gap, double size) {
    const double q = std::min(gap / size, MostPieces);
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(q - 1e-9 * q)));
}

// How one axis is cut: the young concrete's range on it, the growth factor of the gaps beside it,
// and the pieces each piece is cut into.
struct AxisCut {
    double size = 0.0;
    double low = 0.0, high = 0.0;
    double growth = 1.0;
    std::int64_t refine = 1;
};

// The inner lines of a gap [a, b] graded from the end at the young concrete (fromB: from b down).
std::vector<double> GradedLines(double a, double b, double size, double growth, bool fromB) {
    const double gap = b - a;
    std::int64_t n = 1;
    double reach = size;
    for (double piece = size; reach < gap * (1.0 - 1e-9) && n < 100000; ++n) {
        piece *= growth;
        reach += piece;
    }
    std::vector<double> lines;
    double at = 0.0, piece = gap / reach * size;
    for (std::int64_t k = 1; k < n; ++k) {
        at += piece;
        piece *= growth;
        lines.push_back(fromB ? b - at : a + at);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The grid lines through the breakpoints, each gap cut into equal pieces (or graded beside the
// young concrete), each piece then cut into refine equal ones.
std::vector<double> GridLines(std::vector<double> breaks, const AxisCut& cut) {
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    std::vector<double> coarse{breaks.front()};
    for (std::size_t i = 1; i < breaks.size(); ++i) {
        const double a = breaks[i - 1], b = breaks[i];
        if (cut.growth > 1.0 && (b <= cut.low || a >= cut.high)) {
            const std::vector<double> inner = GradedLines(a, b, cut.size, cut.growth, b <= cut.low);
            coarse.insert(coarse.end(), inner.begin(), inner.end());
        } else {
            const std::int64_t n = Pieces(b - a, cut.size);
            for (std::int64_t k = 1; k < n; ++k) coarse.push_back(a + (b - a) * static_cast<double>(k) / static_cast<double>(n));
        }
        coarse.push_back(b);
    }
    if (cut.refine == 1) return coarse;
    std::vector<double> lines{coarse.front()};
    for (std::size_t i = 1; i < coarse.size(); ++i) {
        for (std::int64_t k = 1; k < cut.refine; ++k) {
            lines.push_back(coarse[i - 1] + (coarse[i] - coarse[i - 1]) * static_cast<double>(k) / static_cast<double>(cut.refine));
        }
        lines.push_back(coarse[i]);
    }
    return lines;
}

double Overlap(double a0, double a1, double b0, double b1) { return std::min(a1, b1) - std::max(a0, b0); }

// The rectangle a trapezoid sits on: its top is the trapezoid's bottom, covering the bottom edge.
const Part* Base(const Description& d, const Part& t) {
    for (const Part& p : d.parts) {
        if (!p.trapezoid && p.y1 == t.y0 && p.x0 <= t.bottom0 && p.x1 >= t.bottom1) return &p;
    }
    return nullptr;
}

// Refuses parts that overlap, and parts not joined to the others along a common edge.
void CheckLayout(const Description& d) {
    const std::size_t n = d.parts.size();
    std::vector<std::size_t> group(n);
    std::iota(group.begin(), group.end(), 0);
    const auto root = [&](std::size_t i) {
        while (group[i] != i) i = group[i];
        return i;
    };
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const Part& a = d.parts[i];
            const Part& b = d.parts[j];
            const double ox = Overlap(a.x0, a.x1, b.x0, b.x1);
            const double oy = Overlap(a.y0, a.y1, b.y0, b.y1);
            bool joined = false;
            if (ox > 0 && oy > 0) {
                throw RunError(Where(d, b) + " overlaps part \"" + a.name + "\" (line " + std::to_string(a.line) +
                               "): parts must meet along edges only");
            }
            if (a.trapezoid || b.trapezoid) {
                const Part& t = a.trapezoid ? a : b;
                const Part& o = a.trapezoid ? b : a;
                if (ox >= 0 && oy >= 0) {
                    if (&o != Base(d, t)) {
                        throw RunError(Where(d, t) + " (a trapezoid) touches part \"" + o.name +
                                       "\" other than by sitting on it with its whole bottom edge");
                    }
                    joined = true;
                }
            } else {
                joined = (ox > 0 && oy == 0) || (oy > 0 && ox == 0);
            }
            if (joined) group[root(i)] = root(j);
        }
    }
    for (std::size_t i = 1; i < n; ++i) {
        if (root(i) == root(0)) continue;
        throw RunError(Where(d, d.parts[i]) + " shares no edge with part \"" + d.parts[0].name +
                       "\" and the parts joined to it (parts that touch only at corners or not at all are refused)");
    }
}

struct Grid {
    std::vector<double> xs, ys;
    std::int64_t refine = 1;
};

// The grid of the heat mesh (refine = the description's) or of the job's mesh (refine = 1).
Grid MakeGrid(const Description& d, double sx, double sy, std::int64_t refine) {
    std::vector<double> bx, by;
    for (const Part& p : d.parts) {
        by.push_back(p.y0);
        by.push_back(p.y1);
        if (!p.trapezoid) {
            bx.push_back(p.x0);
            bx.push_back(p.x1);
        } else if (Base(d, p) != nullptr) {
            bx.push_back(p.bottom0);
            bx.push_back(p.bottom1);
        }
    }
    AxisCut cx{sx, 0.0, 0.0, d.growth, refine}, cy{sy, 0.0, 0.0, d.growth, refine};
    bool first = true;
    for (const Part& p : d.parts) {
        if (!p.young) continue;
        cx.low = first ? p.x0 : std::min(cx.low, p.x0);
        cx.high = first ? p.x1 : std::max(cx.high, p.x1);
        cy.low = first ? p.y0 : std::min(cy.low, p.y0);
        cy.high = first ? p.y1 : std::max(cy.high, p.y1);
        first = false;
    }
    Grid g;
    g.refine = refine;
    if (!bx.empty()) g.xs = GridLines(bx, cx);
    g.ys = GridLines(by, cy);
    return g;
}

std::vector<double> Between(const std::vector<double>& lines, double a, double b) {
    std::vector<double> in;
    for (double v : lines) {
        if (v >= a && v <= b) in.push_back(v);
    }
    return in;
}

// A trapezoid's column fractions across each row.
std::vector<double> Fractions(const Description& d, const Part& t, const Grid& g, double sx) {
    std::vector<double> f;
    if (Base(d, t) != nullptr) {
        for (double x : Between(g.xs, t.bottom0, t.bottom1)) f.push_back((x - t.bottom0) / (t.bottom1 - t.bottom0));
    } else {
        const std::int64_t n = Pieces(std::max(t.bottom1 - t.bottom0, t.top1 - t.top0), sx) * g.refine;
        for (std::int64_t k = 0; k <= n; ++k) f.push_back(static_cast<double>(k) / static_cast<double>(n));
    }
    return f;
}

// An upper bound of the element count of the heat mesh at sizes sx, sy, from the parts' extent alone.
double Bound(const Description& d, double sx, double sy) {
    double x0 = d.parts.front().x0, x1 = d.parts.front().x1, y0 = d.parts.front().y0, y1 = d.parts.front().y1;
    for (const Part& p : d.parts) {
        x0 = std::min(x0, p.x0);
        x1 = std::max(x1, p.x1);
        y0 = std::min(y0, p.y0);
        y1 = std::max(y1, p.y1);
    }
    const double parts = 2.0 * static_cast<double>(d.parts.size()) + 1.0;  // a piece more per breakpoint
    const double r = static_cast<double>(d.heatRefine);
    return ((x1 - x0) / sx + parts) * r * ((y1 - y0) / sy + parts) * r;
}

// Element counts of the heat mesh and of the young concrete, without building them (a bound for both
// when the grid would be far over every capacity).
std::pair<std::int64_t, std::int64_t> ElementCounts(const Description& d, double sx, double sy) {
    const double bound = Bound(d, sx, sy);
    if (!(bound < 1.0e8)) {
        const auto b = static_cast<std::int64_t>(std::min(bound, 9.0e18));
        return {b, b};
    }
    std::int64_t counts[2] = {0, 0};
    for (int job = 0; job < 2; ++job) {
        const Grid g = MakeGrid(d, sx, sy, job == 1 ? 1 : d.heatRefine);
        for (const Part& p : d.parts) {
            if (job == 1 && !p.young) continue;
            const auto rows = static_cast<std::int64_t>(Between(g.ys, p.y0, p.y1).size()) - 1;
            const auto cols = static_cast<std::int64_t>(p.trapezoid ? Fractions(d, p, g, sx).size()
                                                                    : Between(g.xs, p.x0, p.x1).size()) - 1;
            counts[job] += rows * cols;
        }
    }
    return {counts[0], counts[1]};
}

SectionMesh Build(const Description& d, double sx, double sy, std::int64_t refine) {
    const Grid g = MakeGrid(d, sx, sy, refine);
    struct Corner {
        double x, y;
    };
    struct Cell {
        std::array<Corner, 4> c;
        std::int32_t part;
    };
    std::vector<Cell> cells;
    for (std::size_t pi = 0; pi < d.parts.size(); ++pi) {
        const Part& p = d.parts[pi];
        const std::vector<double> ys = Between(g.ys, p.y0, p.y1);
        const auto part = static_cast<std::int32_t>(pi);
        if (!p.trapezoid) {
            const std::vector<double> xs = Between(g.xs, p.x0, p.x1);
            for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
                for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
                    cells.push_back({{{{xs[i], ys[j]}, {xs[i + 1], ys[j]}, {xs[i + 1], ys[j + 1]}, {xs[i], ys[j + 1]}}}, part});
                }
            }
            continue;
        }
        const std::vector<double> f = Fractions(d, p, g, sx);
        const bool based = Base(d, p) != nullptr;
        const std::vector<double> bottom = based ? Between(g.xs, p.bottom0, p.bottom1) : std::vector<double>{};
        const auto at = [&](std::size_t row, std::size_t col) {
            const double y = ys[row];
            if (row == 0 && based) return Corner{bottom[col], y};  // the base's own grid points, exactly
            const double s = (y - p.y0) / (p.y1 - p.y0);
            const double left = p.bottom0 + (p.top0 - p.bottom0) * s;
            const double right = p.bottom1 + (p.top1 - p.bottom1) * s;
            return Corner{left + (right - left) * f[col], y};
        };
        for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
            for (std::size_t i = 0; i + 1 < f.size(); ++i) {
                cells.push_back({{at(j, i), at(j, i + 1), at(j + 1, i + 1), at(j + 1, i)}, part});
            }
        }
    }
    // Row by row: by the lower-left corner's height, then across.
    std::stable_sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) {
        return a.c[0].y != b.c[0].y ? a.c[0].y < b.c[0].y : a.c[0].x < b.c[0].x;
    });
    using Key = std::pair<std::int64_t, std::int64_t>;
    const auto key = [](const Corner& c) { return Key{std::llround(c.y * 1e6), std::llround(c.x * 1e6)}; };
    std::map<Key, Corner> points;
    for (const Cell& cell : cells) {
        for (const Corner& c : cell.c) points.emplace(key(c), c);
    }
    SectionMesh m;
    std::map<Key, std::int32_t> number;
    for (const auto& [k, c] : points) {
        number[k] = m.mesh.NX();
        m.mesh.x.push_back(c.x);
        m.mesh.y.push_back(c.y);
    }
    for (const Cell& cell : cells) {
        m.mesh.elements.push_back({number[key(cell.c[0])], number[key(cell.c[1])], number[key(cell.c[2])],
                                   number[key(cell.c[3])]});
        m.part.push_back(cell.part);
    }
    return m;
}

std::string SizeText(const Description& d, double f) {
    const auto up = [](double v) { return std::ceil(v * 10.0 - 1e-9) / 10.0; };
    if (d.sizeX == d.sizeY) return Text(up(d.sizeX * f));
    return Pair(up(d.sizeX * f), up(d.sizeY * f));
}

// Whether the job's mesh fits the cracking run at factor f on the target size (and the heat mesh its file).
bool Fits(const Description& d, double f) {
    const auto e = ElementCounts(d, d.sizeX * f, d.sizeY * f);
    if (e.second > MaxElements || e.first > MaxHeatElements) return false;
    const auto c = MeshCounts(d, d.sizeX * f, d.sizeY * f);
    return c[2] <= MaxNodes && c[3] <= MaxElements && c[0] <= MaxHeatNodes && c[1] <= MaxHeatElements;
}

// The smallest factor on the target size at which the meshes fit: the piece counts change only where
// a gap is a whole number of sizes, so those factors are the candidates.
double SmallestFittingFactor(const Description& d) {
    const Grid g = Bound(d, d.sizeX, d.sizeY) < 1.0e8 ? MakeGrid(d, d.sizeX, d.sizeY, 1) : Grid{};
    std::vector<double> gaps[2];
    for (const Part& p : d.parts) {
        gaps[1].push_back(p.y1 - p.y0);
        gaps[0].push_back(p.x1 - p.x0);
        if (p.trapezoid) gaps[0].push_back(std::max(p.bottom1 - p.bottom0, p.top1 - p.top0));
    }
    for (std::size_t i = 1; i < g.xs.size(); ++i) gaps[0].push_back(g.xs[i] - g.xs[i - 1]);
    std::vector<double> candidates;
    for (int axis = 0; axis < 2; ++axis) {
        const double size = axis == 0 ? d.sizeX : d.sizeY;
        for (double gap : gaps[axis]) {
            for (std::int64_t k = 1; k <= Pieces(gap, size) && k <= 2 * MaxElements; ++k) {
                candidates.push_back(gap / (static_cast<double>(k) * size) * (1.0 + 1e-12));
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    std::size_t lo = 0, hi = candidates.size();  // the first fitting candidate
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (Fits(d, candidates[mid])) hi = mid;
        else lo = mid + 1;
    }
    return lo < candidates.size() ? candidates[lo] : 0.0;
}

}  // namespace

std::array<std::int32_t, 4> MeshCounts(const Description& d, double sx, double sy) {
    const SectionMesh all = Build(d, sx, sy, d.heatRefine);
    const SectionMesh young = YoungConcreteMesh(d, d.heatRefine == 1 ? all : Build(d, sx, sy, 1));
    return {all.mesh.NX(), all.mesh.NELX(), young.mesh.NX(), young.mesh.NELX()};
}

SectionMesh JobMesh(const Description& d) {
    return YoungConcreteMesh(d, Build(d, d.sizeX, d.sizeY, 1));
}

SectionMesh MeshSection(const Description& d) {
    CheckLayout(d);
    if (!Fits(d, 1.0)) {
        const double f = SmallestFittingFactor(d);
        const std::string place = d.file + ", line " + std::to_string(d.sizeLine) + ": key \"mesh.size\": " +
                                  (d.sizeX == d.sizeY ? Text(d.sizeX) : Pair(d.sizeX, d.sizeY)) +
                                  " mm gives ";
        const std::string smallest = "; the smallest size that fits is " + SizeText(d, f) + " mm";
        const auto e = ElementCounts(d, d.sizeX, d.sizeY);
        std::array<std::int32_t, 4> c{};
        if (e.second <= MaxElements && e.first <= MaxHeatElements) c = MeshCounts(d, d.sizeX, d.sizeY);
        if (e.second <= MaxElements && c[2] <= MaxNodes) {
            throw RunError(place + (e.first > MaxHeatElements ? std::to_string(e.first) + " elements"
                                                              : std::to_string(c[0]) + " nodes and " + std::to_string(c[1]) + " elements") +
                           " in the heat mesh, above its capacity of " + std::to_string(MaxHeatNodes) + " nodes and " +
                           std::to_string(MaxHeatElements) + " elements" + smallest +
                           (d.heatRefine > 1 ? " (or refine the heat mesh less)" : ""));
        }
        const std::string counts = e.second > MaxElements
                                       ? std::to_string(e.second) + " elements"
                                       : std::to_string(c[2]) + " nodes and " + std::to_string(c[3]) + " elements";
        throw RunError(place + counts + ", above the capacity of " + std::to_string(MaxNodes) + " nodes and " +
                       std::to_string(MaxElements) + " elements of the job's mesh (the cracking run's)" + smallest);
    }
    return Build(d, d.sizeX, d.sizeY, d.heatRefine);
}

SectionMesh YoungConcreteMesh(const Description& d, const SectionMesh& all) {
    std::vector<std::int32_t> number(static_cast<std::size_t>(all.mesh.NX()), -1);
    for (std::size_t e = 0; e < all.part.size(); ++e) {
        if (!d.parts[static_cast<std::size_t>(all.part[e])].young) continue;
        for (std::int32_t n : all.mesh.elements[e]) number[static_cast<std::size_t>(n)] = 0;
    }
    SectionMesh m;
    for (std::size_t n = 0; n < number.size(); ++n) {  // the full mesh is already row by row
        if (number[n] < 0) continue;
        number[n] = m.mesh.NX();
        m.mesh.x.push_back(all.mesh.x[n]);
        m.mesh.y.push_back(all.mesh.y[n]);
    }
    for (std::size_t e = 0; e < all.part.size(); ++e) {
        if (!d.parts[static_cast<std::size_t>(all.part[e])].young) continue;
        std::array<std::int32_t, 4> c{};
        for (std::size_t k = 0; k < 4; ++k) c[k] = number[static_cast<std::size_t>(all.mesh.elements[e][k])];
        m.mesh.elements.push_back(c);
        m.part.push_back(all.part[e]);
    }
    return m;
}

}  // namespace tc::prepare
