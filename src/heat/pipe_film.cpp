// Water's properties from data/water.toml and the film coefficient inside a cooling pipe:
//   Re = 4 m / (pi d mu),  Pr = mu c / k,  h = Nu k / d
//   Nu = 3.66 (Re < 2300)   fully developed laminar flow at a constant wall temperature
//   Nu = (f/8)(Re - 1000) Pr / (1 + 12.7 (f/8)^(1/2) (Pr^(2/3) - 1)),  f = (0.790 ln Re - 1.64)^-2
//        (Re >= 3000; V. Gnielinski, New equations for heat and mass transfer in turbulent pipe and
//        channel flow, Int. Chem. Eng. 16 (1976) 359-368, with Petukhov's friction factor)
//   linear in Re between Nu(2300) = 3.66 and Nu(3000) in the transition.

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "core/data_tables.hpp"
#include "heat/pipe_coupling.hpp"
#include "heat/toml_reader.hpp"

namespace tc::heat {

namespace {

struct WaterRow {
    double T;
    WaterProperties w;
};

const std::vector<WaterRow>& WaterRows() {
    static const std::vector<WaterRow> rows = [] {
        std::vector<WaterRow> out;
        const toml::table root = ParseToml(std::string(DataTable("water")), "data/water.toml");
        if (const toml::array* list = root["water"].as_array()) {
            for (const toml::node& n : *list) {
                const toml::table& r = *n.as_table();
                out.push_back({r["temperature"].value_or(0.0),
                               {r["density"].value_or(0.0), r["viscosity"].value_or(0.0), r["conductivity"].value_or(0.0),
                                r["specific_heat"].value_or(0.0)}});
            }
        }
        return out;
    }();
    return rows;
}

double Gnielinski(double re, double pr) {
    const double f = std::pow(0.790 * std::log(re) - 1.64, -2.0);
    return (f / 8.0) * (re - 1000.0) * pr / (1.0 + 12.7 * std::sqrt(f / 8.0) * (std::pow(pr, 2.0 / 3.0) - 1.0));
}

constexpr double LaminarNusselt = 3.66;
constexpr double LaminarEnd = 2300.0, TurbulentStart = 3000.0;

}  // namespace

bool Water(double T, WaterProperties& w, double& low, double& high) {
    const std::vector<WaterRow>& rows = WaterRows();
    low = rows.front().T;
    high = rows.back().T;
    if (!(T >= low && T <= high)) return false;
    std::size_t i = 1;
    while (i + 1 < rows.size() && rows[i].T < T) ++i;
    const WaterRow& a = rows[i - 1];
    const WaterRow& b = rows[i];
    const double s = (T - a.T) / (b.T - a.T);
    const auto mix = [s](double u, double v) { return u + (v - u) * s; };
    w = {mix(a.w.density, b.w.density), mix(a.w.viscosity, b.w.viscosity), mix(a.w.conductivity, b.w.conductivity),
         mix(a.w.specificHeat, b.w.specificHeat)};
    return true;
}

PipeFilm FilmCoefficient(const WaterProperties& w, double d, double flowLitresPerMinute) {
    PipeFilm film;
    const double massFlow = w.density * flowLitresPerMinute / 60000.0;  // kg/s
    film.reynolds = 4.0 * massFlow / (std::numbers::pi * d * w.viscosity);
    film.prandtl = w.viscosity * w.specificHeat / w.conductivity;
    if (film.reynolds < LaminarEnd) {
        film.nusselt = LaminarNusselt;
    } else if (film.reynolds >= TurbulentStart) {
        film.nusselt = Gnielinski(film.reynolds, film.prandtl);
    } else {
        const double s = (film.reynolds - LaminarEnd) / (TurbulentStart - LaminarEnd);
        film.nusselt = LaminarNusselt + (Gnielinski(TurbulentStart, film.prandtl) - LaminarNusselt) * s;
    }
    film.h = film.nusselt * w.conductivity / d;
    return film;
}

}  // namespace tc::heat
