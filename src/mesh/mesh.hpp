#pragma once
// Mesh and temperature field: bar location, element geometry, temperature history, bar temperature.

#include <array>
#include <cstdint>

#include "core/table.hpp"
#include "records/records.hpp"

namespace tc {

// Finds the element of every bar by its corner box (bounds included; the highest-numbered element
// whose box holds the bar wins). A bar in no box keeps ELEM 0.
void LocateBars(const NodeReals& X, const NodeReals& Y, const ElementTable& elements, std::int32_t nelx,
                std::int32_t nsteel, const BarReals& SX, const BarReals& SY, BarInts& ELEM);

// The section's highest and lowest node heights, mm.
struct SectionHeights {
    float YTOP = 0.0f;
    float YBOT = 0.0f;
};

// Centre point, signed area (2 x 2 Gauss integration) of every element, and the section's highest
// and lowest node heights.
SectionHeights ComputeElementGeometry(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                                      std::int32_t nx, std::int32_t nelx, ElementGeometry& geometry);

// Reads the three header records of the temperature file and gives the number of blocks.
void ReadTemperatureHeader(Unit& temperatures, std::int32_t& stepCount);

// Reads the next block: step number, age and nx node temperatures; every element's temperature is
// the mean of its four corners, summed in corner order.
void ReadTemperatureBlock(Unit& temperatures, std::int32_t nx, std::int32_t nelx, const ElementTable& elements,
                          float& age, NodeReals& nodeTemp, ElementReals& elementTemp, std::int32_t& nstep);

// Where every bar stands in its element: the element's corner nodes (all 0 for a bar with no
// element or an element with a corner that is no node) and the bar's local coordinates there.
struct BarLocalCoordinates {
    std::array<BarInts, 4> node;
    BarReals xi;
    BarReals eta;
};

// Local coordinates of every bar in its element by inverting the element's bilinear map. They
// depend on the mesh alone, so a run finds them once.
void ComputeBarLocalCoordinates(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                                std::int32_t nsteel, const BarReals& SX, const BarReals& SY, const BarInts& ELEM,
                                BarLocalCoordinates& local);

// Temperature of every bar at its local coordinates.
void InterpolateBarTemperatures(const BarLocalCoordinates& local, std::int32_t nsteel, const NodeReals& nodeTemp,
                                BarReals& barTemp);

// The same straight from the mesh: finds the bars' local coordinates first, then interpolates.
void InterpolateBarTemperatures(const NodeReals& X, const NodeReals& Y, const ElementTable& elements,
                                std::int32_t nelx, std::int32_t nsteel, const BarReals& SX, const BarReals& SY,
                                const BarInts& ELEM, const NodeReals& nodeTemp, BarReals& barTemp);

}  // namespace tc
