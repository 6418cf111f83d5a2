// Places the bars of every layer. A face layer runs along a side of the young concrete (or of one
// part of it) at the cover, measured square to the face; a line layer runs along x = c or y = c.
// Over the layer's extent L (the face's length, or the range given), spacing s puts n = floor(L / s)
// bars with the outer ones (L - (n - 1) s) / 2 from the ends; count n puts each bar in the middle
// of an equal share L / n. Bar area pi d^2 / 4 unless a nominal area is given. The bars are listed
// row by row (by Y, then X), and a bar outside the young concrete is refused.

#include <algorithm>
#include <cmath>

#include "prepare/prepare.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {

namespace {

struct Point {
    double x, y;
};

// The part's x range at height y.
std::pair<double, double> Across(const Part& p, double y) {
    if (!p.trapezoid) return {p.x0, p.x1};
    const double s = (y - p.y0) / (p.y1 - p.y0);
    return {p.bottom0 + (p.top0 - p.bottom0) * s, p.bottom1 + (p.top1 - p.bottom1) * s};
}

bool Inside(const Part& p, Point q) {
    constexpr double eps = 1e-9;
    if (q.y < p.y0 - eps || q.y > p.y1 + eps) return false;
    const auto [l, r] = Across(p, std::clamp(q.y, p.y0, p.y1));
    return q.x >= l - eps && q.x <= r + eps;
}

std::string At(const Description& d, const BarLayer& b) {
    return d.file + ", line " + std::to_string(b.line) + ": " + b.key;
}

// The face's end points, from the lower (left) end, and the unit normal into the concrete.
void Face(const Description& d, const BarLayer& b, Point& p0, Point& p1, Point& inward) {
    const bool vertical = b.where == BarLayer::Where::Left || b.where == BarLayer::Where::Right;
    const bool low = b.where == BarLayer::Where::Left || b.where == BarLayer::Where::Bottom;
    // The young parts' sides that lie furthest out on this face make it.
    double extreme = low ? 1e300 : -1e300;
    for (const Part& p : d.parts) {
        if (!p.young) continue;
        const double v = vertical ? (low ? p.x0 : p.x1) : (low ? p.y0 : p.y1);
        extreme = low ? std::min(extreme, v) : std::max(extreme, v);
    }
    const Part* slope = nullptr;
    double from = 1e300, to = -1e300;
    for (const Part& p : d.parts) {
        if (!p.young) continue;
        const double v = vertical ? (low ? p.x0 : p.x1) : (low ? p.y0 : p.y1);
        if (v != extreme) continue;
        if (p.trapezoid && vertical) {
            slope = &p;
        } else if (vertical) {
            from = std::min(from, p.y0);
            to = std::max(to, p.y1);
        } else {  // the part's bottom or top edge
            const auto [l, r] = Across(p, low ? p.y0 : p.y1);
            from = std::min(from, l);
            to = std::max(to, r);
        }
    }
    if (slope != nullptr) {
        if (from <= to) throw RunError(At(d, b) + ": the face meets a sloped side and a straight one; place bars by lines (x = or y =)");
        const Part& p = *slope;
        p0 = low ? Point{p.bottom0, p.y0} : Point{p.bottom1, p.y0};
        p1 = low ? Point{p.top0, p.y1} : Point{p.top1, p.y1};
        const double dx = p1.x - p0.x, dy = p1.y - p0.y, len = std::hypot(dx, dy);
        inward = low ? Point{dy / len, -dx / len} : Point{-dy / len, dx / len};
        return;
    }
    if (vertical) {
        p0 = {extreme, from};
        p1 = {extreme, to};
        inward = {low ? 1.0 : -1.0, 0.0};
    } else {
        p0 = {from, extreme};
        p1 = {to, extreme};
        inward = {0.0, low ? 1.0 : -1.0};
    }
}

// The young concrete's extent along the line x = c (or y = c).
std::pair<double, double> LineExtent(const Description& d, const BarLayer& b) {
    double from = 1e300, to = -1e300;
    for (const Part& p : d.parts) {
        if (!p.young) continue;
        if (b.where == BarLayer::Where::LineX) {
            // Heights where c lies within the part's x range: both limits are linear in y.
            double lo = p.y0, hi = p.y1;
            const auto [l0, r0] = Across(p, p.y0);
            const auto [l1, r1] = Across(p, p.y1);
            const auto cut = [&](double f0, double f1) {  // keep f(y) <= 0, f linear from f0 to f1
                if (f0 <= 0 && f1 <= 0) return;
                if (f0 > 0 && f1 > 0) {
                    lo = 1, hi = 0;
                    return;
                }
                const double y = p.y0 + (p.y1 - p.y0) * f0 / (f0 - f1);
                if (f0 > 0) lo = std::max(lo, y);
                else hi = std::min(hi, y);
            };
            cut(l0 - b.value, l1 - b.value);
            cut(b.value - r0, b.value - r1);
            if (lo <= hi) from = std::min(from, lo), to = std::max(to, hi);
        } else if (b.value >= p.y0 && b.value <= p.y1) {
            const auto [l, r] = Across(p, b.value);
            from = std::min(from, l), to = std::max(to, r);
        }
    }
    if (from > to) throw RunError(At(d, b) + ": the line misses the young concrete");
    return {from, to};
}

}  // namespace

std::vector<Bar> LayerPoints(const Description& d, const BarLayer& b) {
    std::vector<Bar> bars;
    Point p0{}, p1{}, inward{};
    if (b.where == BarLayer::Where::LineX || b.where == BarLayer::Where::LineY) {
        const auto [from, to] = LineExtent(d, b);
        const bool x = b.where == BarLayer::Where::LineX;
        p0 = x ? Point{b.value, from} : Point{from, b.value};
        p1 = x ? Point{b.value, to} : Point{to, b.value};
    } else {
        Face(d, b, p0, p1, inward);
    }
    // The extent as a fraction of the face, from its own coordinate range (Y up a side, X along
    // the top or bottom).
    const bool alongY = p1.y != p0.y && (b.where == BarLayer::Where::Left || b.where == BarLayer::Where::Right ||
                                          b.where == BarLayer::Where::LineX);
    double f0 = 0.0, f1 = 1.0;
    if (b.ranged) {
        const double a = alongY ? p0.y : p0.x, z = alongY ? p1.y : p1.x;
        f0 = (b.low - a) / (z - a);
        f1 = (b.high - a) / (z - a);
    }
    const double length = std::hypot(p1.x - p0.x, p1.y - p0.y) * (f1 - f0);
    std::int32_t n = b.count;
    double first = 0.0, step = 0.0;
    if (b.spacing > 0.0) {
        n = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::floor(length / b.spacing + 1e-9)));
        step = b.spacing;
        first = (length - (n - 1) * step) / 2.0;
    } else {
        step = length / n;
        first = step / 2.0;
    }
    const double ux = p1.x - p0.x, uy = p1.y - p0.y;
    const double full = std::hypot(ux, uy);
    for (std::int32_t i = 0; i < n; ++i) {
        const double s = f0 + (first + i * step) / full;  // fraction of the whole face
        Bar bar{p0.x + ux * s + inward.x * b.cover, p0.y + uy * s + inward.y * b.cover, b.area};
        // Round off what the arithmetic left beyond a micrometre.
        bar.x = std::round(bar.x * 1e6) / 1e6;
        bar.y = std::round(bar.y * 1e6) / 1e6;
        bars.push_back(bar);
    }
    return bars;
}

std::vector<Bar> PlaceBars(const Description& d) {
    std::vector<Bar> bars;
    for (const BarLayer& b : d.bars) {
        const std::vector<Bar> layer = LayerPoints(d, b);
        for (std::size_t i = 0; i < layer.size(); ++i) {
            const Bar& bar = layer[i];
            bool inside = false;
            for (const Part& p : d.parts) inside = inside || (p.young && Inside(p, {bar.x, bar.y}));
            if (!inside) {
                char where[80];
                std::snprintf(where, sizeof where, "(%.1f, %.1f)", bar.x, bar.y);
                throw RunError(At(d, b) + ": bar " + std::to_string(i + 1) + " of this layer at " + where +
                               " mm lies outside the young concrete");
            }
            bars.push_back(bar);
        }
    }
    std::stable_sort(bars.begin(), bars.end(), [](const Bar& a, const Bar& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    if (static_cast<std::int32_t>(bars.size()) > MaxBars) {
        throw RunError(d.file + ": the bar layers give " + std::to_string(bars.size()) + " bars, above the capacity of " +
                       std::to_string(MaxBars) + "; take a wider spacing or fewer layers");
    }
    return bars;
}

}  // namespace tc::prepare
