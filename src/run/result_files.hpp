#pragma once
// What a step writes: its heading, property line, tables and result records; and the closing status.

#include <cstdint>

#include "records/records.hpp"
#include "run/job_input.hpp"
#include "run/step_loop.hpp"

namespace tc {

void WriteStepHeading(Unit& list, std::int32_t nstep, float ageAsRead);
void WritePropertyLine(Unit& list, const StepTables& t);
void WriteElementTemperatureHeading(Unit& list);
void WriteElementTemperatureRow(Unit& list, std::int32_t e, float tempElm, float tempElm0, float dt);
// The concrete and bar tables, and with a cracked zone the zone line and one width line per bar.
void WriteStepTables(Unit& list, const JobInput& job, const StepTables& t);
// One record to each of the six result files and to the judgement file (.hcj).
void WriteResultRecords(UnitTable& units, const JobInput& job, StepTables& t);

// How far the cracked zone reaches through the section: -1 neither face (or exactly 0.01 away),
// 0 top only, 1 no cracked element, 2 bottom only, 3 the whole depth.
std::int32_t RunStatus(float YTOP, float YBOT, float hmax, float hmin, std::int32_t crackedCount);
void WriteRunStatus(Unit& status, std::int32_t runStatus);

}  // namespace tc
