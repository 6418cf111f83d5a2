// The heat of hydration on the equivalent age (see heat_release.hpp for the equations). The test's
// equivalent age is tabulated once on its own clock by Simpson's rule, and inverted by bisection
// with linear interpolation; beyond the table the test runs on at its last temperature, whose rate
// then holds. An adiabatic test of the material is integrated on t_e by the classical Runge-Kutta
// method: dt_e/dt = f(T_p + R(t_e)).

#include <algorithm>
#include <cmath>

namespace {

// The rate by temperature from -60 to 160 C, 0.01 C apart; the hydration's rise by ln(t_e / h)
// from ln 1e-4 to ln 1e7, 16385 points.
constexpr double RateStart = -60.0, RateSpacing = 0.01;
constexpr std::size_t RatePoints = 22001;
constexpr double LogStart = -9.210340371976184, LogEnd = 16.11809565095832;
constexpr std::size_t LogPoints = 16385;

}  // namespace

#include "heat/heat_release.hpp"

namespace tc::heat {

double HydrationParameters::Degree(double equivalentHours) const {
    if (!(equivalentHours > 0.0)) return 0.0;
    return alphaU * std::exp(-std::pow(tau / equivalentHours, beta));
}

EquivalentAgeRelease::EquivalentAgeRelease(const Material& material, double horizon)
    : release_(&material.release), rhoC_(material.density * material.specificHeat) {
    const HeatRelease& r = *release_;
    if (r.equivalentAge) {
        EoverR_ = r.activationEnergy / GasConstant;
        inverseReference_ = 1.0 / (r.referenceTemperature + ZeroCelsius);
    }
    if (EoverR_ != 0.0) {
        std::vector<double> table(RatePoints);
        for (std::size_t k = 0; k < RatePoints; ++k) table[k] = Rate(RateStart + RateSpacing * static_cast<double>(k));
        rateTable_ = std::move(table);
    }
    if (r.form != HeatRelease::Form::AdiabaticRise) {
        std::vector<double> table(LogPoints);
        const double spacing = (LogEnd - LogStart) / static_cast<double>(LogPoints - 1);
        for (std::size_t k = 0; k < LogPoints; ++k) table[k] = Rise(std::exp(LogStart + spacing * static_cast<double>(k)) / 24.0);
        riseTable_ = std::move(table);
    }
    if (r.form != HeatRelease::Form::AdiabaticRise || !r.equivalentAge) return;
    // About 1.5 minutes a step, at most 400 000 steps; the table reaches well past the horizon so
    // that a warmer structure seldom runs beyond it.
    const double reach = std::max(2.0 * horizon, r.rise.t0 + 2.0) + 10.0;
    const auto steps = static_cast<std::size_t>(std::min(400000.0, std::ceil(reach / 0.001)));
    step_ = reach / static_cast<double>(steps);
    testEquivalent_.resize(steps + 1);
    testEquivalent_[0] = 0.0;
    const auto testRate = [&](double t) { return Rate(r.testPlacingTemperature + r.rise.At(t)); };
    double previous = testRate(0.0);
    for (std::size_t k = 0; k < steps; ++k) {
        const double t = static_cast<double>(k) * step_;
        const double next = testRate(t + step_);
        testEquivalent_[k + 1] = testEquivalent_[k] + step_ / 6.0 * (previous + 4.0 * testRate(t + step_ / 2.0) + next);
        previous = next;
    }
}

double EquivalentAgeRelease::Rate(double T) const {
    if (EoverR_ == 0.0) return 1.0;
    if (!rateTable_.empty()) {
        const double v = Tabulated(rateTable_, RateStart, 1.0 / RateSpacing, T);
        if (!std::isnan(v)) return v;
    }
    return std::exp(EoverR_ * (inverseReference_ - 1.0 / (T + ZeroCelsius)));
}

double EquivalentAgeRelease::TestClock(double te) const {
    if (testEquivalent_.empty()) return te;
    const double last = testEquivalent_.back();
    const double end = step_ * static_cast<double>(testEquivalent_.size() - 1);
    if (te >= last) {
        const double rate = Rate(release_->testPlacingTemperature + release_->rise.At(end));
        return end + (te - last) / rate;
    }
    const auto upper = std::upper_bound(testEquivalent_.begin(), testEquivalent_.end(), te);
    const auto k = static_cast<std::size_t>(upper - testEquivalent_.begin()) - 1;
    const double share = (te - testEquivalent_[k]) / (testEquivalent_[k + 1] - testEquivalent_[k]);
    return (static_cast<double>(k) + share) * step_;
}

double EquivalentAgeRelease::Rise(double te) const {
    const HeatRelease& r = *release_;
    if (r.form == HeatRelease::Form::AdiabaticRise) return r.rise.At(TestClock(te));
    if (!riseTable_.empty() && te > 0.0) {
        const double v = Tabulated(riseTable_, LogStart, static_cast<double>(LogPoints - 1) / (LogEnd - LogStart),
                                   std::log(te * 24.0));
        if (!std::isnan(v)) return v;
    }
    const HydrationParameters& h = r.hydration;
    return h.Hu * h.cementitious * h.Degree(te * 24.0) / rhoC_;
}

double EquivalentAgeRelease::Degree(double te) const {
    const HeatRelease& r = *release_;
    if (r.form != HeatRelease::Form::AdiabaticRise) return r.hydration.Degree(te * 24.0);
    return r.rise.K > 0.0 ? Rise(te) / r.rise.K : 0.0;
}

double EquivalentAgeRelease::DegreeOfRise(double rise) const {
    const HeatRelease& r = *release_;
    if (r.form == HeatRelease::Form::AdiabaticRise) return r.rise.K > 0.0 ? rise / r.rise.K : 0.0;
    return rise * rhoC_ / (r.hydration.Hu * r.hydration.cementitious);
}

double EquivalentAgeRelease::FinalRise() const {
    const HeatRelease& r = *release_;
    if (r.form == HeatRelease::Form::AdiabaticRise) return r.rise.K;
    return r.hydration.Hu * r.hydration.cementitious * r.hydration.alphaU / rhoC_;
}

std::vector<double> AdiabaticCurve(const Material& material, double placing, const std::vector<double>& ages) {
    const double horizon = ages.empty() ? 1.0 : ages.back();
    const EquivalentAgeRelease law(material, horizon);
    const auto slope = [&](double te) { return law.Rate(placing + law.Rise(te)); };
    std::vector<double> rise;
    double t = 0.0, te = 0.0;
    constexpr double Step = 1.0 / 1440.0;  // a minute
    for (double age : ages) {
        while (t < age) {
            const double h = std::min(Step, age - t);
            const double k1 = slope(te);
            const double k2 = slope(te + h / 2.0 * k1);
            const double k3 = slope(te + h / 2.0 * k2);
            const double k4 = slope(te + h * k3);
            te += h / 6.0 * (k1 + 2.0 * k2 + 2.0 * k3 + k4);
            t += h;
        }
        rise.push_back(law.Rise(te));
    }
    return rise;
}

}  // namespace tc::heat
