#pragma once
// What the section computation reasons about: the section (its elements, bars and material), the
// cracked band, and the named results of its operations. Heights are in mm, areas in mm2, stresses
// and forces in N/mm2, N and N mm, strains and openings as the deck's lengths make them.

#include <cstdint>

#include "core/table.hpp"
#include "cracking/material.hpp"

namespace tc {

// The section as the computation sees it: a view of the tables the run owns, built once per run.
struct Section {
    std::int32_t nelx = 0;            // number of elements
    std::int32_t nsteel = 0;          // number of bars
    const ElementTable& elements;     // corner node numbers
    const NodeReals& Y;               // node heights, mm
    const ElementGeometry& geometry;  // element centres CX, CY (mm) and areas AREA (mm2)
    const BarTable& bars;             // bar positions SX, SY (mm) and areas AREA (mm2)
    float YTOP = 0.0f;                // highest node, mm
    float YBOT = 0.0f;                // lowest node, mm
    const MaterialParameters& P;
};

// The cracked band: from hmin to hmax (mm), covering every cracked element's corners. A band of no
// height holds nothing.
struct CrackBand {
    float hmax = 0.0f;
    float hmin = 0.0f;
};

// Band membership: an element by its centre strictly inside; a bar strictly above the bottom edge and
// up to the top edge; an element strictly outside is in the uncracked part (one exactly at an edge is
// in neither).
inline bool ElementInBand(CrackBand b, float y) { return b.hmin < y && y < b.hmax; }
inline bool BarInBand(CrackBand b, float y) { return b.hmin < y && y <= b.hmax; }
inline bool ElementUncracked(CrackBand b, float y) { return y < b.hmin || y > b.hmax; }
inline bool HasHeight(CrackBand b) { return b.hmax - b.hmin != 0.0f; }

// Crack openings at the band's top edge (u1, at hmax) and bottom edge (u2, at hmin).
struct CrackOpenings {
    float u1 = 0.0f;
    float u2 = 0.0f;
};

// Strain corrections of the band's balance (depsc1, depss1) or of the redistribution (depsc2,
// depss2): one per element and one per bar.
struct StrainCorrections {
    ElementReals depsc;
    BarReals depss;
};

// The step's increments from the temperature change, filled by ComputeStressIncrements.
struct StressIncrements {
    ElementReals DSigmaC;          // concrete stress increment, N/mm2
    ElementReals DEpsilonC;        // concrete strain increment
    BarReals DSigmaS;              // bar stress increment, N/mm2
    BarReals DEpsilonS;            // bar strain increment
    float DSectionN = 0.0f;        // axial force the external restraint adds, N
    float DSectionM = 0.0f;        // moment the external restraint adds, N mm
    float SectionCentroidY = 0.0f; // height of the section's stiffness centroid, mm (kept when not found)
    float RestraintN = 0.0f;       // restraint of the axial strain in force: Rn
    float RestraintM = 0.0f;       // restraint of the curvature in force: Rm1, or Rm2 once switched
};

// The curvature carried from step to step: the last step's curvature (1/mm) and whether the
// bending restraint has switched to Rm2 for good.
struct CurvatureHistory {
    float PrevCurvature = 0.0f;
    bool RmSwitched = false;
};

// What a crack check finds: the band (the previous one when nothing is cracked) and how many
// elements are cracked.
struct CrackJudgement {
    CrackBand band;
    std::int32_t CrackedCount = 0;
};

// What the redistribution opens at the band's edges (mm), and the openings with them added.
struct Redistribution {
    float Opening1 = 0.0f;  // at the top edge
    float Opening2 = 0.0f;  // at the bottom edge
    CrackOpenings u;
};

}  // namespace tc
