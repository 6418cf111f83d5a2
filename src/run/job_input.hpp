#pragma once
// The fixed input of a run: switches, counts, material parameters, nodes, elements and bars.

#include <cstdint>

#include "core/table.hpp"
#include "records/unit_numbers.hpp"

namespace tc {

struct JobInput {
    std::int32_t IECHO = 0;
    std::int32_t Iinit = 0;
    std::int32_t NSTEEL = 0;
    std::int32_t NX = 0;
    std::int32_t NELX = 0;
    float THKALL = 0.0f;
    MaterialParameters material;
    NodeTable nodes;
    ElementTable elements;
    BarTable bars;
};

}  // namespace tc
