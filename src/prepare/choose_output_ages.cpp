// The output ages a description leaves to the program: the steps of the cracking run. On a clock
// grid of `step` days (offset so that the warmest and coolest moments of a daily air cycle,
// peak + k/2, are grid points), every grid age is taken while the concrete heats (from age 0 to
// 95 % of its adiabatic rise, t0 + (ln 20 / alpha)^(1/beta), or of what an adiabatic test of a
// source on the equivalent age would show) and for `settle` days after each
// change of a surface's heat transfer coefficient (formwork struck, a blanket laid); elsewhere
// every age on a grid `coarse` days apart, again through the daily extremes. The last age is `end`.

#include <algorithm>
#include <cmath>

#include "heat/heat_release.hpp"
#include "prepare/prepare.hpp"

namespace tc::prepare {

namespace {

// The offset of the clock grid: the phase of a daily cycle of the air (the first found), else 0.
double ClockOffset(const heat::HeatSettings& h, double grid) {
    const heat::AgeCurve* daily = h.ambient.form == heat::AgeCurve::Form::Daily ? &h.ambient : nullptr;
    for (const heat::BoundaryEntry& b : h.boundaries) {
        if (daily == nullptr && b.ownAmbient && b.ambient.form == heat::AgeCurve::Form::Daily) daily = &b.ambient;
    }
    if (daily == nullptr) return 0.0;
    const double offset = std::fmod(daily->peak, grid);
    return offset < 0.0 ? offset + grid : offset;
}

}  // namespace

std::vector<double> ChooseOutputAges(const heat::HeatSettings& h, const OutputChoice& c) {
    std::vector<std::pair<double, double>> fine;  // windows of the fine grid, [from, to]
    const heat::HeatRelease& release = h.concrete.release;
    const heat::AdiabaticRise& rise = release.rise;
    if (release.form == heat::HeatRelease::Form::AdiabaticRise && !release.equivalentAge) {
        if (rise.K > 0.0 && rise.alpha > 0.0) {
            fine.emplace_back(0.0, rise.t0 + std::pow(std::log(20.0) / rise.alpha, 1.0 / rise.beta));
        }
    } else {
        // On the equivalent age: until an adiabatic test from the placing temperature shows 95 % of
        // the final rise (every 0.05 day up to the end).
        std::vector<double> grid;
        for (double t = 0.05; t < c.end + 0.05; t += 0.05) grid.push_back(t);
        const std::vector<double> curve = heat::AdiabaticCurve(h.concrete, h.concrete.initialTemperature, grid);
        const double final = heat::EquivalentAgeRelease(h.concrete, c.end).FinalRise();
        double until = c.end;
        for (std::size_t k = 0; k < grid.size(); ++k) {
            if (curve[k] >= 0.95 * final) {
                until = grid[k];
                break;
            }
        }
        if (final > 0.0) fine.emplace_back(0.0, until);
    }
    for (const heat::BoundaryEntry& b : h.boundaries) {
        if (b.fixed) continue;
        for (std::size_t i = 1; i < b.h.from.size(); ++i) fine.emplace_back(b.h.from[i], b.h.from[i] + c.settle);
        if (!b.h.from.empty() && b.h.from[0] > 0.0) fine.emplace_back(b.h.from[0], b.h.from[0] + c.settle);
    }
    const double offset = ClockOffset(h, c.coarse);
    const auto coarseEvery = static_cast<std::int64_t>(std::llround(c.coarse / c.step));
    const double base = std::fmod(offset, c.step);
    std::vector<double> ages;
    for (std::int64_t k = 0;; ++k) {
        // Each grid age as one product, rounded to 1e-9 day, so that nothing drifts over a month.
        const double t = std::round((base + static_cast<double>(k) * c.step) * 1e9) / 1e9;
        if (t >= c.end - 1e-9) break;
        if (t <= 0.0) continue;
        const std::int64_t index = std::llround((t - offset) / c.step);
        bool take = index % coarseEvery == 0;
        for (const auto& [from, to] : fine) take = take || (t >= from - 1e-9 && t <= to + 1e-9);
        if (take) ages.push_back(t);
    }
    ages.push_back(c.end);
    return ages;
}

}  // namespace tc::prepare
