// The maximum crack spacing of a layer of bars along a face (EN 1992-1-1 7.3.4 (3)):
//   s_r,max = k3 c + k1 k2 k4 phi / rho_p,eff            (7.11), bars at most 5 (c + phi/2) apart,
//   s_r,max = 1.3 (h - x), x = 0 in tension              (7.14), bars further apart,
// with c the clear cover, rho_p,eff = A_bar / (spacing h_c,eff) and
// h_c,eff = min(2.5 (h - d), h / 2) (7.3.2 (3)), h - d the cover to the bar's centre.

#include <algorithm>

#include "prepare/derive.hpp"

namespace tc::prepare {

void CrackSpacing(LayerFacts& layer) {
    constexpr std::string_view file = "crack-spacing.toml";
    const auto k = [&](std::string_view name) { return DataValue(file, name, "value"); };
    const double c = layer.cover - layer.diameter / 2.0;
    layer.hcEff = std::min(k("hceff_factor") * layer.cover, layer.thickness / 2.0);
    layer.rho = layer.barArea / (layer.spacing * layer.hcEff);
    layer.wide = layer.spacing > k("wide_spacing_factor") * (c + layer.diameter / 2.0);
    if (layer.wide) {
        layer.crackSpacing = k("wide_factor") * layer.thickness;
    } else {
        layer.crackSpacing = k("k3") * c + k("k1") * k("k2") * k("k4") * layer.diameter / layer.rho;
    }
}

}  // namespace tc::prepare
