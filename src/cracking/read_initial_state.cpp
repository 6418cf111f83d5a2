// ReadInitialState: the state a run starts from: zeros, or the nine groups of the initial state file
// (committed stresses and strains, crack strains and counts, the bars' thermal strains, then the
// section forces, openings, previous band, age offset and the switch of the bending restraint).

#include "cracking/section_state.hpp"

namespace tc {

namespace {
constexpr char InitialStateFile[] = "w.dat";
}  // namespace

void ReadInitialState(UnitTable& units, std::int32_t iinit, std::int32_t nelx, std::int32_t nsteel,
                      SectionState& state) {
    for (std::int32_t e = 1; e <= nelx; ++e) {
        state.SigmaCPrev(e) = 0.0f;
        state.EpsilonCPrev(e) = 0.0f;
        state.depsc0(e) = 0.0f;
        state.CrackCount(e) = 0;
    }
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        state.SigmaSPrev(j) = 0.0f;
        state.EpsilonSPrev(j) = 0.0f;
        state.depss0(j) = 0.0f;
        state.ThermalStrainS(j) = 0.0f;
    }
    state.SectionN = 0.0f;
    state.SectionM = 0.0f;
    state.u = {};
    state.previous = {};
    state.curvature.RmSwitched = false;
    state.AgeOffset = 0.0f;
    if (iinit == 0) return;

    // Opening a missing file would create it empty and then fail on the first read; refuse first.
    if (!FileExists(InitialStateFile)) {
        throw RunError(ErrorHead(unit::InitialState, InitialStateFile, "open") + ": the initial state file does not exist (Iinit = " +
                       std::to_string(iinit) + " asks for it in the current folder)");
    }
    Unit& w = units.Open(unit::InitialState, InitialStateFile, OpenStatus::Unknown);
    Read(w, "(8E10.3)", Entries(state.SigmaCPrev, 1, nelx));
    Read(w, "(8E10.3)", Entries(state.EpsilonCPrev, 1, nelx));
    Read(w, "(8E10.3)", Entries(state.depsc0, 1, nelx));
    Read(w, "(20I3)", Entries(state.CrackCount, 1, nelx));
    Read(w, "(8E10.3)", Entries(state.SigmaSPrev, 1, nsteel));
    Read(w, "(8E10.3)", Entries(state.EpsilonSPrev, 1, nsteel));
    Read(w, "(8E10.3)", Entries(state.depss0, 1, nsteel));
    Read(w, "(8E10.3)", Entries(state.ThermalStrainS, 1, nsteel));
    // RmSwitch: 1 once the bending restraint has switched to Rm2.
    std::int32_t RmSwitch = 0;
    Read(w, "(7E10.3,I3)", state.SectionM, state.SectionN, state.u.u1, state.u.u2, state.previous.hmax,
         state.previous.hmin, state.AgeOffset, RmSwitch);
    state.curvature.RmSwitched = RmSwitch == 1;
    units.Close(unit::InitialState);
}

}  // namespace tc
