#include "run/step_loop.hpp"

#include <string>

#include "cracking/cracking.hpp"
#include "mesh/mesh.hpp"
#include "run/result_files.hpp"

namespace tc {

namespace {

// Passes of the zone iteration: it ends once the counter is above this (the counter is tested
// before it is raised, so a step runs at most this plus two passes).
constexpr std::int32_t ZonePassLimit = 100;

// The previous step's zone, read once for a loop over the members; a zone of no height holds
// nothing.
struct PreviousZone {
    bool band;
    float hmin;
    float hmax;
};

PreviousZone ReadPreviousZone(const SectionState& s) { return {s.hmax0 - s.hmin0 != 0.0f, s.hmin0, s.hmax0}; }

// A height inside the previous step's zone; the top edge counts as inside only where asked.
bool InsidePreviousZone(const PreviousZone& z, float y, bool topInclusive) {
    if (!z.band) return false;
    if (topInclusive) return z.hmin < y && y <= z.hmax;
    return z.hmin < y && y < z.hmax;
}

// The step's working stresses and strains from the committed state and the increments. Elements
// inside the previous zone keep their committed stress; in the second form bars at the zone's top
// edge count as inside.
void SetStartValues(const JobInput& job, const ElementGeometry& g, StepTables& t, bool secondForm) {
    const SectionState& s = t.state;
    const PreviousZone z = ReadPreviousZone(s);
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        const float prev = s.SigmaCPrev(e);
        t.sigmaC(e) = InsidePreviousZone(z, g.CY(e), false) ? prev : prev + t.DSigmaC(e);
        t.epsilonC(e) = s.EpsilonCPrev(e) + t.DEpsilonC(e);
    }
    for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
        const float prev = s.SigmaSPrev(j);
        t.sigmaS(j) = InsidePreviousZone(z, job.bars.SY(j), secondForm) ? prev : prev + t.DSigmaS(j);
        t.epsilonS(j) = s.EpsilonSPrev(j) + t.DEpsilonS(j);
    }
}

void ApplyCorrections(const JobInput& job, StepTables& t, const ElementReals& depsc, const BarReals& depss) {
    const float Ec = t.Ec;
    const float Es = job.material(param::Es);
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        const float d = depsc(e);
        t.sigmaC(e) = d * Ec + t.sigmaC(e);
        t.epsilonC(e) = t.epsilonC(e) + d;
    }
    for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
        const float d = depss(j);
        t.sigmaS(j) = d * Es + t.sigmaS(j);
        t.epsilonS(j) = t.epsilonS(j) + d;
    }
}

void Judge(const JobInput& job, float YTOP, float YBOT, StepTables& t) {
    JudgeCracks(job.NELX, job.elements, job.nodes.Y, t.sigmaC, t.ft, t.hmax, t.hmin, t.state.CrackCount,
                t.CrackZoneFlag, YTOP, YBOT, job.material(param::Judge), t.CrackedCount);
}

// Balances the cracked band and redistributes to the uncracked part until the band's height
// repeats exactly.
void ZoneIteration(const JobInput& job, const ElementGeometry& g, float YTOP, float YBOT, StepTables& t) {
    const MaterialParameters& P = job.material;
    const float alphaC = P(param::AlphaC);
    const float alphaS = P(param::AlphaS);
    const float Es = P(param::Es);
    SectionState& s = t.state;

    float zonePrev = t.hmax - t.hmin;
    std::int32_t counter = 0;
    for (;;) {
        if (t.CrackZoneFlag == 1) {
            // The band's members start from their committed stress less the step's free thermal
            // stress; SolveCrackZone and RedistributeUncracked set every correction themselves.
            const PreviousZone z = ReadPreviousZone(s);
            const float Ec = t.Ec;
            for (std::int32_t e = 1; e <= job.NELX; ++e) {
                t.ZoneSigmaC(e) = InsidePreviousZone(z, g.CY(e), false) ? s.SigmaCPrev(e) - t.DT(e) * alphaC * Ec
                                                                        : t.sigmaC(e);
            }
            for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
                t.ZoneSigmaS(j) = InsidePreviousZone(z, job.bars.SY(j), false)
                                      ? s.SigmaSPrev(j) - t.DTS(j) * alphaS * Es
                                      : 0.0f;
            }
            SolveCrackZone(job.NELX, job.NSTEEL, g.CY, job.bars.SY, g.AREA, job.bars.AREA, P, t.Ec, t.ZoneSigmaC,
                           t.ZoneSigmaS, t.depsc1, t.depss1, t.hmax, t.hmin, s.u1, s.u2, s.depsc0, s.depss0,
                           t.Depsc2InZone, t.Depss2InZone, t.OpeningSum1, t.OpeningSum2);
            ApplyCorrections(job, t, t.depsc1, t.depss1);
            RedistributeUncracked(job.NELX, job.NSTEEL, g.CY, job.bars.SY, g.AREA, job.bars.AREA, P, t.Ec, t.sigmaC,
                                  t.sigmaS, t.depsc2, t.depss2, t.SectionCentroidY, t.hmax, t.hmin, s.SectionN,
                                  s.SectionM, s.u1, s.u2, t.RestraintN, t.RestraintM, t.Opening1, t.Opening2);
            ApplyCorrections(job, t, t.depsc2, t.depss2);
        } else {
            for (std::int32_t e = 1; e <= job.NELX; ++e) {
                t.depsc1(e) = 0.0f;
                t.depsc2(e) = 0.0f;
            }
            for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
                t.depss1(j) = 0.0f;
                t.depss2(j) = 0.0f;
            }
            ApplyCorrections(job, t, t.depsc1, t.depss1);
            ApplyCorrections(job, t, t.depsc2, t.depss2);
        }
        Judge(job, YTOP, YBOT, t);
        const float zone = t.hmax - t.hmin;
        if (zone == zonePrev || counter > ZonePassLimit) break;
        counter = counter + 1;
        zonePrev = zone;
        SetStartValues(job, g, t, true);
    }
}

// Accumulates the step's crack and thermal strains, gives the widths, writes the step's prints and
// records, commits the state and, after a step with a crack, works the section forces out again.
void CloseStep(UnitTable& units, const JobInput& job, const ElementGeometry& g, StepTables& t) {
    const MaterialParameters& P = job.material;
    const float alphaS = P(param::AlphaS);
    SectionState& s = t.state;
    const float hmax = t.hmax;
    const float hmin = t.hmin;
    const bool band = hmax - hmin != 0.0f;

    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        const float cy = g.CY(e);
        if (band && hmin < cy && cy < hmax) {
            s.depsc0(e) = t.depsc1(e) + s.depsc0(e) + t.depsc2(e);
            t.Depsc2InZone(e) = t.Depsc2InZone(e) + t.depsc2(e);
        }
    }
    for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
        s.ThermalStrainS(j) = s.ThermalStrainS(j) + t.DTS(j) * alphaS;
        const float sy = job.bars.SY(j);
        if (band && hmin < sy && sy <= hmax) {
            s.depss0(j) = s.depss0(j) + t.depss2(j) + t.depss1(j);
            t.Depss2InZone(j) = t.Depss2InZone(j) + t.depss2(j);
        }
    }
    if (t.CrackZoneFlag == 1) {
        ComputeBarWidths(job.NSTEEL, job.bars.SY, P, s.ThermalStrainS, t.epsilonS, t.hmax, t.hmin, t.width);
    }

    WriteStepTables(units[unit::List], job, t);

    std::int32_t cracked = 0;
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        if (s.CrackCount(e) >= 1) {
            cracked = cracked + 1;
            t.CrackedList(cracked) = e;
        }
    }
    t.CrackedListCount = cracked;
    WriteResultRecords(units, job, t);

    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        s.SigmaCPrev(e) = t.sigmaC(e);
        s.EpsilonCPrev(e) = t.epsilonC(e);
    }
    for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
        s.SigmaSPrev(j) = t.sigmaS(j);
        s.EpsilonSPrev(j) = t.epsilonS(j);
    }
    s.hmax0 = t.hmax;
    s.hmin0 = t.hmin;
    t.OpeningSum1 = t.Opening1 + t.OpeningSum1;
    t.OpeningSum2 = t.Opening2 + t.OpeningSum2;

    if (t.CrackZoneFlag == 1) {
        // Only the uncracked elements carry force; every bar does.
        const float yc = t.SectionCentroidY;
        float n = 0.0f;
        float m = 0.0f;
        for (std::int32_t e = 1; e <= job.NELX; ++e) {
            const float cy = g.CY(e);
            if (cy < hmin || cy > hmax) {
                const float sigma = t.sigmaC(e);
                const float area = g.AREA(e);
                n = n + sigma * area;
                m = m + (cy - yc) * sigma * area;
            }
        }
        for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
            const float sigma = t.sigmaS(j);
            const float area = job.bars.AREA(j);
            n = n + sigma * area;
            m = m + (job.bars.SY(j) - yc) * sigma * area;
        }
        s.SectionN = n;
        s.SectionM = m;
    }
}

void RunStep(UnitTable& units, const JobInput& job, const ElementGeometry& g, float YTOP, float YBOT,
             StepTables& t, std::int32_t block, check::TemperatureWatch* watch) {
    Unit& list = units[unit::List];
    Unit& temperatures = units[unit::Temperature];
    SectionState& s = t.state;

    const std::int64_t stepRecord = temperatures.records() + 1;
    ReadTemperatureBlock(temperatures, job.NX, job.NELX, job.elements, t.Age, t.NodeTemp, t.TempElm, t.Nstep);
    if (watch != nullptr) watch->Block(stepRecord, block, t.Age, t.NodeTemp.data(), job.NX);
    WriteStepHeading(list, t.Nstep, t.Age);
    t.Age = t.Age + s.AgeOffset;
    try {
        ComputeConcreteProperties(job.material, t.Age, t.Nstep, t.ModulusFactor, t.fc, t.ft, t.Ec);
    } catch (const RunError& refusal) {
        // An age without strength comes from the step record: say where it stands.
        throw RunError(temperatures.Place("read", stepRecord) + ": Age (columns 6-15): " + refusal.what());
    }
    WritePropertyLine(list, t);

    InterpolateBarTemperatures(t.barLocal, job.NSTEEL, t.NodeTemp, t.TS, job.IECHO, list);
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        t.DT(e) = t.TempElm(e) - t.TempElm0(e);
    }
    if (job.IECHO == 2) {
        WriteElementTemperatureHeading(list);
        for (std::int32_t e = 1; e <= job.NELX; ++e) {
            WriteElementTemperatureRow(list, e, t.TempElm(e), t.TempElm0(e), t.DT(e));
        }
    }
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        t.TempElm0(e) = t.TempElm(e);
    }
    for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
        t.DTS(j) = t.TS(j) - t.TS0(j);
        t.TS0(j) = t.TS(j);
    }

    ComputeStressIncrements(job.NELX, job.NSTEEL, g.CY, job.bars.SY, g.AREA, job.bars.AREA, job.material, t.DT,
                            t.DTS, t.Ec, t.Nstep, t.DSigmaC, t.DEpsilonC, t.DSigmaS, t.DEpsilonS, t.DSectionN,
                            t.DSectionM, t.SectionCentroidY, t.PrevCurvature, s.RmSwitch, s.CrackCount,
                            t.RestraintN, t.RestraintM);
    s.SectionN = s.SectionN + t.DSectionN;
    s.SectionM = s.SectionM + t.DSectionM;

    SetStartValues(job, g, t, false);
    // The index that decides the step's new cracks, kept before the band's balance moves the stresses.
    for (std::int32_t e = 1; e <= job.NELX; ++e) t.judgementIndex(e) = t.ft / t.sigmaC(e);
    Judge(job, YTOP, YBOT, t);
    ZoneIteration(job, g, YTOP, YBOT, t);
    CloseStep(units, job, g, t);
}

}  // namespace

void RunStepLoop(UnitTable& units, const JobInput& job, const ElementGeometry& geometry, float YTOP, float YBOT,
                 StepTables& t, check::TemperatureWatch* watch) {
    Unit& temperatures = units[unit::Temperature];
    ReadTemperatureHeader(temperatures, t.StepCount);
    float firstAge = 0.0f;
    std::int32_t firstStep = 0;
    const std::int64_t firstRecord = temperatures.records() + 1;
    ReadTemperatureBlock(temperatures, job.NX, job.NELX, job.elements, firstAge, t.NodeTemp, t.TempElm0, firstStep);
    if (watch != nullptr) watch->Block(firstRecord, 1, firstAge, t.NodeTemp.data(), job.NX);
    ComputeBarLocalCoordinates(job.nodes.X, job.nodes.Y, job.elements, job.NSTEEL, job.bars.SX, job.bars.SY,
                               job.bars.ELEM, t.barLocal);
    InterpolateBarTemperatures(t.barLocal, job.NSTEEL, t.NodeTemp, t.TS0, job.IECHO, units[unit::List]);
    ReadInitialState(units, job.Iinit, job.NELX, job.NSTEEL, t.state);

    for (std::int32_t k = 1; k <= t.StepCount - 1; ++k) RunStep(units, job, geometry, YTOP, YBOT, t, k + 1, watch);
}

}  // namespace tc
