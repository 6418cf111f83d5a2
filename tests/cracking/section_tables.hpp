#pragma once
// The tables a small test section owns (two elements and one bar unless a test says otherwise),
// with the listing's short names for them, and the section view the operations take.

#include <cstdint>

#include "cracking/section.hpp"

namespace tc {

struct SectionTables {
    std::int32_t nelx = 2;
    std::int32_t nsteel = 1;
    ElementTable elements;
    NodeReals Y;
    ElementGeometry g;
    BarTable bars;
    ElementReals& CY = g.CY;
    ElementReals& areaC = g.AREA;
    BarReals& SY = bars.SY;
    BarReals& areaS = bars.AREA;
    MaterialParameters P;

    SectionTables() = default;
    SectionTables(const SectionTables&) = delete;
    SectionTables& operator=(const SectionTables&) = delete;

    Section View() const { return Section{nelx, nsteel, elements, Y, g, bars, 0.0f, 0.0f, P}; }
};

}  // namespace tc
