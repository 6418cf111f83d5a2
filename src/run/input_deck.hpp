#pragma once
// Reading the input deck and the mesh, with the echo print on the list file.

#include "records/records.hpp"
#include "run/job_input.hpp"

namespace tc {

// Reads switches, bar count, material parameters and bars from the deck, counts, nodes and elements
// from the mesh file, locates the bars and writes the echo print. Refuses counts beyond the
// capacities, corner numbers outside 1..NX and a bar in no element with a RunError.
void ReadInputDeck(Unit& deck, Unit& mesh, Unit& list, JobInput& job);

}  // namespace tc
