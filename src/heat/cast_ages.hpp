#pragma once
// Parts placed at other ages than the young concrete (an older base cast before it, a lift cast on
// it later): which elements are in place at an age, and their boundary edges then.

#include <vector>

#include "heat/heat.hpp"

namespace tc::heat {

// The age (days on the young concrete's clock) at which elements of material m are placed: their
// region's cast, else 0 (the young concrete).
double CastOf(const HeatSettings& s, const Material* m);
// Whether some region is cast at another age than the young concrete.
bool AnyCast(const HeatSettings& s);
// The distinct ages at which something is placed, increasing (0 among them).
std::vector<double> CastAges(const HeatSettings& s);

// The elements in place at age t: a mesh with every node but only those elements, their materials,
// and per node whether an element in place holds it.
struct PartsInPlace {
    HeatMesh mesh;
    ElementMaterials materials;
    std::vector<char> node;
};
PartsInPlace InPlaceAt(const HeatSettings& s, const HeatMesh& mesh, const ElementMaterials& materials, double t);

// The boundary edges of mesh taken by the entries that take one there (an entry taking none is left
// out, not refused); entry indices into s.boundaries.
BoundaryGroups SelectEdgesInPlace(const HeatSettings& s, const HeatMesh& mesh);
// Refuses an entry that takes no boundary edge at any of the cast ages, naming file and line.
void CheckBoundariesOverCasts(const HeatSettings& s, const HeatMesh& mesh, const ElementMaterials& materials);

// Per node, the capacity C (J/K per metre) of the elements placed in (from, to] and C times their
// placing (initial) temperature.
void PlacedCapacity(const HeatSettings& s, const HeatMesh& mesh, const ElementMaterials& materials, double from,
                    double to, std::vector<double>& C, std::vector<double>& CT);

}  // namespace tc::heat
