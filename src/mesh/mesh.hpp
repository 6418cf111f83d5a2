#pragma once
// Mesh and temperature field: bar location, element geometry, temperature history, bar temperature.

#include <cstdint>

#include "core/table.hpp"
#include "records/records.hpp"

namespace tc {

// Finds the element of every bar by its corner box (bounds included; the highest-numbered element
// whose box holds the bar wins). A bar in no box keeps ELEM 0.
void LocateBars(const NodeReals& X, const NodeReals& Y, const ElementTable& elements, std::int32_t nelx,
                std::int32_t nsteel, const BarReals& SX, const BarReals& SY, BarInts& ELEM);

// Centre point, signed area (2 x 2 Gauss integration) of every element, and the section's highest
// and lowest node heights. Lists centres and areas on the list file when iecho is 1 or more.
void ComputeElementGeometry(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                            std::int32_t nx, std::int32_t nelx, ElementReals& CX, ElementReals& CY,
                            ElementReals& AREA, float& YTOP, float& YBOT, std::int32_t iecho, Unit& list);

// Reads the three header records of the temperature file and gives the number of blocks.
void ReadTemperatureHeader(Unit& temperatures, std::int32_t& stepCount);

// Reads the next block: step number, age and nx node temperatures; every element's temperature is
// the mean of its four corners, summed in corner order.
void ReadTemperatureBlock(Unit& temperatures, std::int32_t nx, std::int32_t nelx, const ElementTable& elements,
                          float& age, NodeReals& nodeTemp, ElementReals& elementTemp, std::int32_t& nstep);

// Temperature of every bar by inverting its element's bilinear map; writes the bar table to the list
// file when iecho is 1 or more, and a warning record for every local coordinate outside [-1, 1].
void InterpolateBarTemperatures(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                                std::int32_t nelx, std::int32_t nsteel, const BarReals& SX, const BarReals& SY,
                                const BarInts& ELEM, const NodeReals& nodeTemp, BarReals& barTemp,
                                std::int32_t iecho, Unit& list);

}  // namespace tc
