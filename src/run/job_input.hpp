#pragma once
// The fixed input of a run: switches, counts, material parameters, nodes, elements and bars.

#include <cstdint>

#include "core/table.hpp"
#include "cracking/material.hpp"
#include "records/unit_numbers.hpp"

namespace tc {

struct JobInput {
    std::int32_t IECHO = 0;       // how much the list file shows, 0 to 3
    std::int32_t Iinit = 0;       // 0: start from zeros; else from the initial state file
    std::int32_t NSTEEL = 0;      // number of bars
    std::int32_t NX = 0;          // number of nodes
    std::int32_t NELX = 0;        // number of elements
    float THKALL = 0.0f;          // echoed as 0, not read
    MaterialParameters material;  // by name, with units, in cracking/material.hpp
    NodeTable nodes;
    ElementTable elements;
    BarTable bars;
};

}  // namespace tc
