// Every element's material: the concrete of heat.toml, or that of the [[region]] listing it.

#include <string>

#include "heat/heat.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

ElementMaterials AssignMaterials(const HeatSettings& settings, const HeatMesh& mesh) {
    ElementMaterials m;
    m.of.assign(static_cast<std::size_t>(mesh.NELX()), &settings.concrete);
    std::vector<std::int32_t> regionOf(static_cast<std::size_t>(mesh.NELX()), -1);
    for (std::size_t r = 0; r < settings.regions.size(); ++r) {
        const Region& region = settings.regions[r];
        const std::string place = settings.file + ", line " + std::to_string(region.elementsLine) +
                                  ": key \"region.elements\": ";
        for (const auto& [first, last] : region.elements) {
            if (first < 1 || last > mesh.NELX()) {
                const std::string range = first == last ? "element " + std::to_string(first)
                                                        : "elements " + std::to_string(first) + " to " + std::to_string(last);
                throw RunError(place + range + " lie outside the elements 1 to " + std::to_string(mesh.NELX()) +
                               " of " + mesh.file);
            }
            for (std::int32_t e = first; e <= last; ++e) {
                std::int32_t& owner = regionOf[static_cast<std::size_t>(e - 1)];
                if (owner >= 0 && owner != static_cast<std::int32_t>(r)) {
                    throw RunError(place + "element " + std::to_string(e) + " is also in the region of line " +
                                   std::to_string(settings.regions[static_cast<std::size_t>(owner)].line));
                }
                owner = static_cast<std::int32_t>(r);
                m.of[static_cast<std::size_t>(e - 1)] = &region.material;
            }
        }
    }
    return m;
}

}  // namespace tc::heat
