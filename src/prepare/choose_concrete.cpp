// Named cements for the strength development fc(t) = fc28 t / (a + b t) (t in days, fc28 the 28-day
// strength): a and b as tabulated for ordinary (type I) and high-early-strength (type III) cement,
// moist or steam cured, in ACI 209R-92 (README names the table). Nothing here without a source.

#include "prepare/prepare.hpp"

namespace tc::prepare {

const std::vector<CementPreset>& CementPresets() {
    static const std::vector<CementPreset> presets = {
        {"ACI209 type I moist cured", 4.0, 0.85},
        {"ACI209 type III moist cured", 2.3, 0.92},
        {"ACI209 type I steam cured", 1.0, 0.95},
        {"ACI209 type III steam cured", 0.70, 0.98},
    };
    return presets;
}

}  // namespace tc::prepare
