// The restraint of a member cast on an older part, from the stiffness of the two at the joint:
//   R = 1 / (1 + An En / (Ao Eo))                      at the joint (ACI 207.2R; CIRIA C660 A5),
//   K(h) = R a^(h/H), a = (L/H + p) / (L/H + q)        at height h of a member L long, H high,
// and the two factors of the section's plane-section model, as the least-squares fit of K(h) to a
// uniform and a linear free strain over a member of uniform width (s = h / H):
//   Rn = R integral(a^s) ds,  Rm = R integral(a^s (s - 1/2)^2) ds / integral((s - 1/2)^2) ds.

#include <cmath>

#include "heat/toml_reader.hpp"
#include "prepare/derive.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {

double JointRestraint(double areaNew, double areaOld, double modulusRatio) {
    return 1.0 / (1.0 + areaNew * modulusRatio / areaOld);
}

double HeightReductionBase(double lengthOverHeight, std::string* source) {
    constexpr std::string_view file = "restraint-height-reduction.toml";
    const toml::table root = heat::ParseToml(std::string(DataTable(file)), "data/" + std::string(file));
    if (const toml::array* rows = root["row"].as_array()) {
        for (const toml::node& n : *rows) {
            const toml::table& row = *n.as_table();
            const double from = row["from"].value_or(0.0), to = row["to"].value_or(0.0);
            if (lengthOverHeight < from || lengthOverHeight >= to) continue;
            if (source != nullptr) *source = row["source"].value_or(std::string());
            return (lengthOverHeight + row["p"].value_or(0.0)) / (lengthOverHeight + row["q"].value_or(0.0));
        }
    }
    throw RunError("data/" + std::string(file) + ": no row for L/H = " + heat::TomlReader::Text(lengthOverHeight));
}

std::pair<double, double> SectionRestraint(double joint, double base) {
    if (!(base > 0.0)) return {0.0, 0.0};  // no restraint above the joint
    // Simpson's rule on 2000 intervals: a^s is smooth, the error far below the factors' 3 decimals.
    constexpr int n = 2000;
    double mean = 0.0, moment = 0.0;
    for (int i = 0; i <= n; ++i) {
        const double s = static_cast<double>(i) / n;
        const double w = (i == 0 || i == n) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
        const double k = std::pow(base, s);
        mean += w * k;
        moment += w * k * (s - 0.5) * (s - 0.5);
    }
    mean /= 3.0 * n;
    moment /= 3.0 * n;
    return {joint * mean, joint * moment * 12.0};
}

}  // namespace tc::prepare
