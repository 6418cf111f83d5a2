// Values of the age functions of heat.toml at a concrete age t (days):
//   table:   linear between its points, constant beyond them
//   daily:   mean + amplitude cos(2 pi (t - peak))
//   step:    the value listed at the last "from" age not after t (0 before the first)
//   T_ad(t) = K (1 - exp(-alpha (t - t0)^beta)) for t > t0, else 0

#include <cmath>
#include <numbers>

#include "heat/heat.hpp"

namespace tc::heat {

double AgeCurve::At(double t) const {
    switch (form) {
        case Form::Constant:
            return value;
        case Form::Daily:
            return mean + amplitude * std::cos(2.0 * std::numbers::pi * (t - peak));
        case Form::Table:
            break;
    }
    if (t <= ages.front()) return values.front();
    if (t >= ages.back()) return values.back();
    std::size_t i = 1;
    while (ages[i] < t) ++i;
    const double share = (t - ages[i - 1]) / (ages[i] - ages[i - 1]);
    return values[i - 1] + share * (values[i] - values[i - 1]);
}

std::int32_t StepCurve::Phase(double t) const {
    std::int32_t phase = -1;
    for (std::size_t i = 0; i < from.size() && from[i] <= t; ++i) phase = static_cast<std::int32_t>(i);
    return phase;
}

double StepCurve::At(double t) const {
    const std::int32_t phase = Phase(t);
    return phase < 0 ? 0.0 : values[static_cast<std::size_t>(phase)];
}

double AdiabaticRise::At(double t) const {
    if (t <= t0) return 0.0;
    return K * (1.0 - std::exp(-alpha * std::pow(t - t0, beta)));
}

}  // namespace tc::heat
