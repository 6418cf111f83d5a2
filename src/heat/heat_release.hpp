#pragma once
// A material's heat of hydration on the equivalent age, ready to evaluate node by node:
//   rate f(T) = exp((E/R)(1/T_r - 1/T))         (T in kelvin, R = 8.314 J/(mol K)); dt_e = f(T) dt
//   released rise R(t_e) (C):  Hu C alpha(t_e) / (rho c)              hydration given or from the mix
//                              T_ad(t_test(t_e))                      an adiabatic curve on equivalent age
// where t_test(t_e) inverts the test's own equivalent age, t_e = integral of f(T_p + T_ad(s)) ds from 0
// to t_test, along the test's temperature history from its placing temperature T_p.

#include <cmath>
#include <vector>

#include "heat/heat.hpp"

namespace tc::heat {

inline constexpr double GasConstant = 8.314;  // J/(mol K)
inline constexpr double ZeroCelsius = 273.15;  // K

class EquivalentAgeRelease {
public:
    // horizon: the last age (days) the analysis reaches, for the test clock's table.
    EquivalentAgeRelease(const Material& material, double horizon);

    double Rate(double T) const;
    // The rise released up to equivalent age te (days), C of this material.
    double Rise(double te) const;
    // The degree of hydration at te; for an adiabatic curve, the share of its final rise.
    double Degree(double te) const;
    // The same from the rise released.
    double DegreeOfRise(double rise) const;
    // The rise once hydration ends (Hu C alpha_u / (rho c), or K).
    double FinalRise() const;
    // E / R (K); 0 on the concrete's age.
    double EoverR() const { return EoverR_; }

private:
    double TestClock(double te) const;

    // Tables, linear between their points: the rate by temperature (0.01 C apart) and the hydration's
    // rise by the logarithm of the equivalent age in hours; both far finer than the steps need.
    // NaN outside the table.
    static double Tabulated(const std::vector<double>& table, double start, double perSpacing, double x) {
        const double at = (x - start) * perSpacing;
        if (!(at >= 0.0) || !(at < static_cast<double>(table.size() - 1))) return std::nan("");
        const auto k = static_cast<std::size_t>(at);
        return table[k] + (at - static_cast<double>(k)) * (table[k + 1] - table[k]);
    }

    const HeatRelease* release_;
    std::vector<double> rateTable_, riseTable_;
    double rhoC_ = 0.0;
    double EoverR_ = 0.0;
    double inverseReference_ = 0.0;
    double step_ = 0.0;                  // of the test clock's table, days
    std::vector<double> testEquivalent_; // t_e of the test at t = k step
};

// What an adiabatic test of the material placed at placing (C) shows at each age (days): the rise
// above the placing temperature, C.
std::vector<double> AdiabaticCurve(const Material& material, double placing, const std::vector<double>& ages);

// The parameters of the exponential degree of hydration derived from a mix, and its activation
// energy (J/mol) and reference temperature (C).
struct DerivedHydration {
    HydrationParameters hydration;
    double activationEnergy = 0.0;
    double referenceTemperature = 0.0;
};

}  // namespace tc::heat
