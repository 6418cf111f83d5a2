// Parts cast at other ages. Every element has the cast age of its material (a region's cast, the
// young concrete's 0); at age t the elements cast at or before t are in place, and the heat analysis
// runs on them alone: a node of no element in place is out of the system and keeps its placing
// temperature. When elements are placed, a node they share with elements in place takes the mixed
// temperature (C_old T + C_new T_place) / (C_old + C_new), so the heat they bring, C_new T_place,
// enters the balance exactly. Boundary entries take the edges of the elements in place at the time:
// a face covered by a later lift convects until the lift is cast.

#include "heat/cast_ages.hpp"

#include <algorithm>

#include "heat/heat_system.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

namespace {

// Ages this close (days) are one.
constexpr double SameCast = 1e-9;

}  // namespace

double CastOf(const HeatSettings& s, const Material* m) {
    for (const Region& r : s.regions) {
        if (&r.material == m) return r.cast;
    }
    return 0.0;
}

bool AnyCast(const HeatSettings& s) {
    return std::any_of(s.regions.begin(), s.regions.end(), [](const Region& r) { return r.cast != 0.0; });
}

std::vector<double> CastAges(const HeatSettings& s) {
    std::vector<double> ages{0.0};
    for (const Region& r : s.regions) ages.push_back(r.cast);
    std::sort(ages.begin(), ages.end());
    std::vector<double> kept;
    for (double a : ages) {
        if (kept.empty() || a > kept.back() + SameCast) kept.push_back(a);
    }
    return kept;
}

PartsInPlace InPlaceAt(const HeatSettings& s, const HeatMesh& mesh, const ElementMaterials& materials, double t) {
    PartsInPlace p;
    p.mesh.file = mesh.file;
    p.mesh.x = mesh.x;
    p.mesh.y = mesh.y;
    p.node.assign(mesh.x.size(), 0);
    for (std::size_t e = 0; e < mesh.elements.size(); ++e) {
        if (CastOf(s, materials.of[e]) > t + SameCast) continue;
        p.mesh.elements.push_back(mesh.elements[e]);
        p.materials.of.push_back(materials.of[e]);
        for (std::int32_t n : mesh.elements[e]) p.node[static_cast<std::size_t>(n)] = 1;
    }
    return p;
}

BoundaryGroups SelectEdgesInPlace(const HeatSettings& s, const HeatMesh& mesh) {
    // An entry that takes no edge is refused by the selection: try each alone first.
    HeatSettings taking = s;
    taking.boundaries.clear();
    std::vector<std::int32_t> original;
    for (std::size_t k = 0; k < s.boundaries.size(); ++k) {
        HeatSettings one = s;
        one.boundaries = {s.boundaries[k]};
        try {
            SelectBoundaryEdges(one, mesh);
        } catch (const RunError&) {
            continue;
        }
        taking.boundaries.push_back(s.boundaries[k]);
        original.push_back(static_cast<std::int32_t>(k));
    }
    if (taking.boundaries.empty()) return {};
    BoundaryGroups groups = SelectBoundaryEdges(taking, mesh);
    for (std::int32_t& e : groups.entry) e = original[static_cast<std::size_t>(e)];
    return groups;
}

void CheckBoundariesOverCasts(const HeatSettings& s, const HeatMesh& mesh, const ElementMaterials& materials) {
    std::vector<char> takes(s.boundaries.size(), 0);
    for (double age : CastAges(s)) {
        for (std::int32_t e : SelectEdgesInPlace(s, InPlaceAt(s, mesh, materials, age).mesh).entry) {
            takes[static_cast<std::size_t>(e)] = 1;
        }
    }
    for (std::size_t k = 0; k < takes.size(); ++k) {
        if (takes[k]) continue;
        throw RunError(s.file + ", line " + std::to_string(s.boundaries[k].line) +
                       ": key \"boundary\": this entry takes no boundary edge of " + mesh.file +
                       " at any age at which a part is cast");
    }
}

void PlacedCapacity(const HeatSettings& s, const HeatMesh& mesh, const ElementMaterials& materials, double from,
                    double to, std::vector<double>& C, std::vector<double>& CT) {
    C.assign(mesh.x.size(), 0.0);
    CT.assign(mesh.x.size(), 0.0);
    // One material at a time, each with its own placing temperature.
    std::vector<const Material*> done;
    for (const Material* m : materials.of) {
        const double cast = CastOf(s, m);
        if (!(cast > from + SameCast && cast <= to + SameCast)) continue;
        if (std::find(done.begin(), done.end(), m) != done.end()) continue;
        done.push_back(m);
        HeatMesh part;
        part.file = mesh.file;
        part.x = mesh.x;
        part.y = mesh.y;
        ElementMaterials of;
        for (std::size_t e = 0; e < mesh.elements.size(); ++e) {
            if (materials.of[e] != m) continue;
            part.elements.push_back(mesh.elements[e]);
            of.of.push_back(m);
        }
        const ConductionSystem system = AssembleConduction(part, of);
        for (std::size_t i = 0; i < C.size(); ++i) {
            C[i] += system.capacity[i];
            CT[i] += system.capacity[i] * m->initialTemperature;
        }
    }
}

}  // namespace tc::heat
