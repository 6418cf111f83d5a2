#include "run/result_files.hpp"

#include <cmath>
#include <limits>

namespace tc {

void WriteStepHeading(Unit& list, std::int32_t nstep, float ageAsRead) {
    Write(list, "(/,/,5X,'*** Nstep=',I3,5X,'Age=',F7.3,'***',/)", nstep, ageAsRead);
}

void WritePropertyLine(Unit& list, const StepTables& t) {
    const ConcreteProperties& c = t.step.concrete;
    Write(list, "(5F10.2)", t.Age, c.fc, c.ft, c.Ec, c.ModulusFactor);
}

void WriteElementTemperatureHeading(Unit& list) {
    Write(list,
          "(/,/,5X,'***** Temperature at center of each element *****',/,/,10X,'  No.   TempElm  TempElm0        DT')");
}

void WriteElementTemperatureRow(Unit& list, std::int32_t e, float tempElm, float tempElm0, float dt) {
    Write(list, "(10X,I5,3F10.2)", e, tempElm, tempElm0, dt);
}

void WriteStepTables(Unit& list, const JobInput& job, const StepTables& t) {
    const StepState& p = t.step;
    const SectionState& s = p.state;
    Write(list, "(1X,' node',5X,' sigma-C      ','epsilon-C   ','depsc1  ','depsc2  ','depsc0  ')");
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        Write(list, "(1X,I5,5(4X,E10.3))", e, p.sigmaC(e), p.epsilonC(e), p.correction1.depsc(e),
              p.correction2.depsc(e), s.depsc0(e));
    }
    Write(list, "(1X,' node',5X,' sigma-S       ','epsilon-S  ','depss1  ','depss2  ','depss0  ')");
    for (std::int32_t j = 1; j <= job.NSTEEL; ++j) {
        Write(list, "(1X,I5,5(4X,E10.3))", j, p.sigmaS(j), p.epsilonS(j), p.correction1.depss(j),
              p.correction2.depss(j), s.depss0(j));
    }
    if (p.Cracked()) {
        Write(list, "(1X,'hmax=',E10.3,'hmin=',E10.3,1X,'u1=',E10.3,1X,'u2=',E10.3)", p.band.hmax, p.band.hmin,
              s.u.u1, s.u.u2);
        for (std::int32_t j = 1; j <= job.NSTEEL; ++j) WriteFree(list, "width(", j, ")=", p.width(j));
    }
}

void WriteResultRecords(UnitTable& units, const JobInput& job, StepTables& t) {
    // An element without stress is as far from cracking as can be, whatever ft: its index is
    // Infinity (ft / 0 would give -Infinity for a negative ft, NaN for a zero one, and -Infinity
    // for a stress of -0).
    constexpr float Unbounded = std::numeric_limits<float>::infinity();
    const StepState& p = t.step;
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        t.crackIndex(e) = p.sigmaC(e) == 0.0f ? Unbounded : p.concrete.ft / p.sigmaC(e);
    }
    WriteFree(units[unit::BarStress], t.Age, Entries(p.sigmaS, 1, job.NSTEEL));
    WriteFree(units[unit::CrackIndex], t.Age, Entries(t.crackIndex, 1, job.NELX));
    WriteFree(units[unit::CrackWidth], t.Age, p.state.u.u1, Entries(p.width, 1, job.NSTEEL));
    WriteFree(units[unit::CrackedList], t.Age, Entries(t.CrackedList, 1, t.CrackedListCount));
    WriteFree(units[unit::ZoneDepth], t.Age, p.band.hmax - p.band.hmin);
    WriteFree(units[unit::ConcreteStress], t.Age, Entries(p.sigmaC, 1, job.NELX));
    WriteFree(units[unit::JudgementIndex], t.Age, Entries(p.judgementIndex, 1, job.NELX));
}

std::int32_t RunStatus(float YTOP, float YBOT, float hmax, float hmin, std::int32_t crackedCount) {
    const float bottom = std::fabs(YBOT - hmin);
    const float top = std::fabs(YTOP - hmax);
    std::int32_t status = -1;
    if (bottom > 0.01f && crackedCount != 0 && top < 0.01f) status = 0;
    if (crackedCount == 0) status = 1;
    if (bottom < 0.01f && crackedCount != 0 && top > 0.01f) status = 2;
    if (bottom < 0.01f && crackedCount != 0 && top < 0.01f) status = 3;
    return status;
}

void WriteRunStatus(Unit& status, std::int32_t runStatus) { WriteFree(status, runStatus); }

}  // namespace tc
