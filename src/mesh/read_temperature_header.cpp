// The three header records of the temperature file; the second holds the number of blocks.

#include <cstdint>

#include "mesh/mesh.hpp"

namespace tc {

void ReadTemperatureHeader(Unit& temperatures, std::int32_t& stepCount) {
    std::int32_t unused = 0;
    Read(temperatures, "(3I5,F10.0)", unused);
    Read(temperatures, "(3I5,F10.0)", stepCount);
    Read(temperatures, "(3I5,F10.0)", unused);
}

}  // namespace tc
