#pragma once
// Section cracking: the five operations of one step's section computation. Each works only on the
// tables and values it is handed and keeps nothing between calls.

#include <cstdint>

#include "core/table.hpp"
#include "cracking/material.hpp"

namespace tc {

// Stress and strain increments of the step from the temperature increments, by the plane section
// fitted to the free thermal strains of the uncracked concrete and all bars, with external restraint.
void ComputeStressIncrements(std::int32_t nelx, std::int32_t nsteel, const ElementReals& CY, const BarReals& SY,
                             const ElementReals& areaC, const BarReals& areaS, const MaterialParameters& P,
                             const ElementReals& DT, const BarReals& DTS, float Ec, std::int32_t nstep,
                             ElementReals& DSigmaC, ElementReals& DEpsilonC, BarReals& DSigmaS,
                             BarReals& DEpsilonS, float& DSectionN, float& DSectionM, float& SectionCentroidY,
                             float& PrevCurvature, std::int32_t& RmSwitch, const ElementInts& CrackCount,
                             float& RestraintN, float& RestraintM);

// Counts every element over its cracking limit and gives the band hmin..hmax covering every cracked
// element's corners. hmax and hmin are left as they were when no element is cracked.
void JudgeCracks(std::int32_t nelx, const ElementTable& elements, const NodeReals& Y, const ElementReals& sigmaC,
                 float ft, float& hmax, float& hmin, ElementInts& CrackCount, std::int32_t& CrackZoneFlag,
                 float YTOP, float YBOT, float judge, std::int32_t& CrackedCount);

// Crack openings u1 (at hmax) and u2 (at hmin) that balance the band's concrete against its bars,
// and the strain corrections of the band's members.
void SolveCrackZone(std::int32_t nelx, std::int32_t nsteel, const ElementReals& CY, const BarReals& SY,
                    const ElementReals& areaC, const BarReals& areaS, const MaterialParameters& P, float Ec,
                    const ElementReals& ZoneSigmaC, const BarReals& ZoneSigmaS, ElementReals& depsc1,
                    BarReals& depss1, float hmax, float hmin, float& u1, float& u2, const ElementReals& depsc0,
                    const BarReals& depss0, const ElementReals& Depsc2InZone, const BarReals& Depss2InZone,
                    float OpeningSum1, float OpeningSum2);

// Plane strain increment of the uncracked part that restores the section forces, and the openings
// it adds at the band's edges.
void RedistributeUncracked(std::int32_t nelx, std::int32_t nsteel, const ElementReals& CY, const BarReals& SY,
                           const ElementReals& areaC, const BarReals& areaS, const MaterialParameters& P,
                           float Ec, const ElementReals& sigmaC, const BarReals& sigmaS, ElementReals& depsc2,
                           BarReals& depss2, float SectionCentroidY, float hmax, float hmin, float SectionN,
                           float SectionM, float& u1, float& u2, float RestraintN, float RestraintM,
                           float& Opening1, float& Opening2);

// Crack width of every bar inside the band; bars outside keep the width they had.
void ComputeBarWidths(std::int32_t nsteel, const BarReals& SY, const MaterialParameters& P,
                      const BarReals& ThermalStrainS, const BarReals& epsilonS, float hmax, float hmin,
                      BarReals& width);

}  // namespace tc
