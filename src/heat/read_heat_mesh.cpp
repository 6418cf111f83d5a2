// Reads a mesh file in the job's mesh layout through the record layer: three header records (NX and
// NELX in the second), one record per node (number, X, Y in mm), one per element (number, four
// corner nodes counter-clockwise, thickness). Numbers in the records are not used: nodes and
// elements are numbered by their position.

#include <string>

#include "heat/heat.hpp"
#include "records/records.hpp"

namespace tc::heat {

namespace {

// "unit 20 (mesh.dat), read of record 2: ", the place of a refusal: the record just read.
std::string Place(const Unit& unit) { return unit.Place("read", unit.records()) + ": "; }

}  // namespace

HeatMesh ReadHeatMesh(const std::string& path) {
    UnitTable units;
    Unit& mesh = units.Open(unit::Mesh, path, OpenStatus::Old);
    std::int32_t unused = 0;
    std::int32_t nx = 0;
    std::int32_t nelx = 0;
    Read(mesh, "(3I5,F10.0)", unused);
    Read(mesh, "(3I5,F10.0)", nx, nelx);
    if (nx < 1 || nelx < 1) {
        throw RunError(Place(mesh) + "NX = " + std::to_string(nx) + " (columns 1-5), NELX = " + std::to_string(nelx) +
                       " (columns 6-10): the mesh needs at least one node and one element");
    }
    Read(mesh, "(3I5,F10.0)", unused);

    HeatMesh m;
    m.file = path;
    m.x.resize(static_cast<std::size_t>(nx));
    m.y.resize(static_cast<std::size_t>(nx));
    m.elements.resize(static_cast<std::size_t>(nelx));
    std::int32_t number = 0;
    for (std::size_t i = 0; i < m.x.size(); ++i) {
        float x = 0.0f;
        float y = 0.0f;
        Read(mesh, "(I10,2F10.0)", number, x, y);
        m.x[i] = x;
        m.y[i] = y;
    }
    for (std::size_t e = 0; e < m.elements.size(); ++e) {
        std::int32_t corner[4] = {0, 0, 0, 0};
        float thickness = 0.0f;
        Read(mesh, "(I10,4I6,F8.0)", number, corner[0], corner[1], corner[2], corner[3], thickness);
        for (std::int32_t k = 0; k < 4; ++k) {
            if (corner[k] < 1 || corner[k] > nx) {
                throw RunError(Place(mesh) + "element " + std::to_string(e + 1) + ", Node-" + std::to_string(k + 1) +
                               " = " + std::to_string(corner[k]) + " (columns " + std::to_string(6 * k + 11) + "-" +
                               std::to_string(6 * k + 16) + ") is outside the nodes 1 to " + std::to_string(nx));
            }
            m.elements[e][static_cast<std::size_t>(k)] = corner[k] - 1;
        }
    }
    return m;
}

}  // namespace tc::heat
