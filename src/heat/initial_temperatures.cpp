// Node temperatures at age 0: the placing temperature at every node of a heat-releasing element
// (fresh concrete), else the initial temperature of an element holding the node (the element
// numbered last wins where regions of different temperature meet).

#include "heat/heat.hpp"

namespace tc::heat {

std::vector<double> InitialTemperatures(const HeatMesh& mesh, const ElementMaterials& materials) {
    std::vector<double> T(static_cast<std::size_t>(mesh.NX()), 0.0);
    std::vector<bool> fresh(T.size(), false);
    for (std::size_t e = 0; e < mesh.elements.size(); ++e) {
        const Material& m = *materials.of[e];
        for (std::int32_t n : mesh.elements[e]) {
            const auto i = static_cast<std::size_t>(n);
            if (fresh[i]) continue;
            T[i] = m.initialTemperature;
            fresh[i] = m.heat;
        }
    }
    return T;
}

}  // namespace tc::heat
