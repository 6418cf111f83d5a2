// The exponential degree of hydration from the mix (Schindler and Folliard 2005, see README), with
// p the mass share of a phase in the cement, or of a material in the cementitious content:
//   Hu    = Hcem p_cem + 461 p_slag + 1800 p_FA,CaO p_FA                                  (J/g)
//   Hcem  = 500 p_C3S + 260 p_C2S + 866 p_C3A + 420 p_C4AF + 624 p_SO3 + 1186 p_freeCaO + 850 p_MgO
//   alpha_u = 1.031 w/cm / (0.194 + w/cm) + 0.50 p_FA + 0.30 p_slag, at most 1
//   E     = 22100 f_E p_C3A^0.30 p_C4AF^0.25 Blaine^0.35                                  (J/mol)
//   f_E   = 1 - 1.05 p_FA (1 - p_FA,CaO / 0.40) + 0.40 p_slag
//   tau   = 66.78 p_C3A^-0.154 p_C3S^-0.401 Blaine^-0.804 p_SO3^-0.758 exp(2.187 p_slag + 9.50 p_FA p_FA,CaO)   (h)
//   beta  = 181.4 p_C3A^0.146 p_C3S^0.227 Blaine^-0.535 p_SO3^0.558 exp(-0.647 p_slag)
// Blaine in m2/kg; the reference temperature is 21.1 C. The cement presets come from data/cements.toml.

#include <algorithm>
#include <cmath>

#include "core/data_tables.hpp"
#include "heat/read_heat_release.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

DerivedHydration DeriveMixHydration(const MixDesign& mix) {
    const CementComposition& c = mix.composition;
    const double cm = mix.Cementitious();
    const double pCem = mix.cement / cm;
    const double pFA = mix.flyAsh / cm;
    const double pSlag = mix.slag / cm;
    const double pFACaO = mix.flyAshCaO;
    const double wcm = mix.water / cm;

    const double Hcem = 500.0 * c.C3S + 260.0 * c.C2S + 866.0 * c.C3A + 420.0 * c.C4AF + 624.0 * c.SO3 +
                        1186.0 * c.freeCaO + 850.0 * c.MgO;
    DerivedHydration d;
    HydrationParameters& h = d.hydration;
    h.Hu = 1000.0 * (Hcem * pCem + 461.0 * pSlag + 1800.0 * pFACaO * pFA);
    h.cementitious = cm;
    h.alphaU = std::min(1.0, 1.031 * wcm / (0.194 + wcm) + 0.50 * pFA + 0.30 * pSlag);
    h.tau = 66.78 * std::pow(c.C3A, -0.154) * std::pow(c.C3S, -0.401) * std::pow(c.blaine, -0.804) *
            std::pow(c.SO3, -0.758) * std::exp(2.187 * pSlag + 9.50 * pFA * pFACaO);
    h.beta = 181.4 * std::pow(c.C3A, 0.146) * std::pow(c.C3S, 0.227) * std::pow(c.blaine, -0.535) *
             std::pow(c.SO3, 0.558) * std::exp(-0.647 * pSlag);
    const double fE = 1.0 - 1.05 * pFA * (1.0 - pFACaO / 0.40) + 0.40 * pSlag;
    d.activationEnergy = 22100.0 * fE * std::pow(c.C3A, 0.30) * std::pow(c.C4AF, 0.25) * std::pow(c.blaine, 0.35);
    d.referenceTemperature = 21.1;
    return d;
}

const std::vector<CementType>& CementTypes() {
    static const std::vector<CementType> types = [] {
        std::vector<CementType> list;
        const std::string_view text = DataTable("cements");
        const toml::table root = toml::parse(text, std::string_view("data/cements.toml"));
        const toml::array* rows = root["cement"].as_array();
        if (rows == nullptr) return list;
        for (const toml::node& row : *rows) {
            const toml::table& t = *row.as_table();
            CementType c;
            c.name = t["name"].value_or(std::string());
            c.source = t["source"].value_or(std::string());
            CementComposition& k = c.composition;
            for (const auto& [key, value] : {std::pair<const char*, double*>{"C3S", &k.C3S}, {"C2S", &k.C2S}, {"C3A", &k.C3A},
                                             {"C4AF", &k.C4AF}, {"SO3", &k.SO3}, {"free_CaO", &k.freeCaO}, {"MgO", &k.MgO},
                                             {"blaine", &k.blaine}}) {
                *value = t[key].value_or(0.0);
            }
            list.push_back(std::move(c));
        }
        return list;
    }();
    return types;
}

}  // namespace tc::heat
