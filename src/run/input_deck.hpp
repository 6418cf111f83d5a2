#pragma once
// Reading the input deck and the mesh, with the echo print on the list file.

#include <cstdint>

#include "records/records.hpp"
#include "run/job_input.hpp"

namespace tc {

// Reads switches, bar count, material parameters and bars from the deck, counts, nodes and elements
// from the mesh file, locates the bars and writes the echo print. Refuses counts beyond the
// capacities, corner numbers outside 1..NX and a bar in no element with a RunError.
void ReadInputDeck(Unit& deck, Unit& mesh, Unit& list, JobInput& job);

// Writes echo parts firstPart..lastPart (1 to 7) of the input to the list file: 1 switches,
// 2 counts, 3-4 material parameters, 5 nodes, 6 bars, 7 elements. Parts 5 to 7 are written only
// when IECHO is 2 or more.
void EchoInputDeck(Unit& list, const JobInput& job, std::int32_t firstPart, std::int32_t lastPart);

}  // namespace tc
