#pragma once
// The mesh's tables on the list file: the element centres and areas, and the bar temperatures.

#include <cstdint>

#include "core/table.hpp"
#include "mesh/mesh.hpp"
#include "records/records.hpp"

namespace tc {

// The centre point and area of every element, under their heading.
void WriteElementGeometry(Unit& list, std::int32_t nelx, const ElementGeometry& geometry);

// The bar temperature table (at iecho 1 or more): each bar's temperature and its element's corner
// temperatures; and at every iecho, before a bar's row, one warning record for each of its local
// coordinates outside [-1, 1].
void WriteBarTemperatures(Unit& list, const BarLocalCoordinates& local, std::int32_t nsteel,
                          const NodeReals& nodeTemp, const BarReals& barTemp, std::int32_t iecho);

}  // namespace tc
