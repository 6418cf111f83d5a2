// ReadTemperatureBlock: one block of the temperature history (step number, age in days, node
// temperatures in C), and every element's temperature as the mean of its corners:
//   TempElm = (T1 + T2 + T3 + T4) x 0.25, summed in corner order

#include <cstdint>

#include "mesh/mesh.hpp"

namespace tc {

void ReadTemperatureBlock(Unit& temperatures, std::int32_t nx, std::int32_t nelx, const ElementTable& elements,
                          float& age, NodeReals& nodeTemp, ElementReals& elementTemp, std::int32_t& nstep) {
    const std::int32_t nodes = nx < MaxNodes ? nx : MaxNodes;
    const std::int32_t elems = nelx < MaxElements ? nelx : MaxElements;

    Read(temperatures, "(I5,F10.0)", nstep, age);
    // One read of all node temperatures: ten to a record, the last record holding the rest.
    Read(temperatures, "(10E10.3)", Entries(nodeTemp, 1, nodes));

    for (std::int32_t e = 1; e <= elems; ++e) {
        float sum = 0.0f;
        for (std::int32_t k = 0; k < 4; ++k) {
            const std::int32_t n = elements.node[static_cast<std::size_t>(k)](e);
            // A corner that is no node of the mesh adds nothing.
            if (n >= 1 && n <= nodes) sum = sum + nodeTemp(n);
        }
        elementTemp(e) = sum * 0.25f;
    }
}

}  // namespace tc
