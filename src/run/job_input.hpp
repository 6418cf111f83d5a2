#pragma once
// The fixed input of a run: switches, counts, material parameters, nodes, elements and bars.

#include <cstdint>

#include "core/table.hpp"
#include "cracking/material.hpp"

namespace tc {

// Unit numbers of the job's files.
namespace unit {
inline constexpr std::int32_t Path = 30;
inline constexpr std::int32_t Title = 31;
inline constexpr std::int32_t Deck = 10;
inline constexpr std::int32_t Mesh = 20;
inline constexpr std::int32_t Temperature = 56;
inline constexpr std::int32_t List = 70;
inline constexpr std::int32_t BarStress = 80;     // .hss
inline constexpr std::int32_t CrackIndex = 81;    // .hci
inline constexpr std::int32_t CrackWidth = 82;    // .hwd
inline constexpr std::int32_t CrackedList = 83;   // .hcr
inline constexpr std::int32_t ZoneDepth = 84;     // .hdp
inline constexpr std::int32_t ConcreteStress = 85; // .hst
inline constexpr std::int32_t Status = 86;        // .sta
inline constexpr std::int32_t JudgementIndex = 87; // .hcj
inline constexpr std::int32_t InitialState = 4;   // w.dat
}  // namespace unit

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
