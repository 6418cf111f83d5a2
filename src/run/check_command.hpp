#pragma once
// Plausibility warnings of a job: before every run, and alone by "thermocrack check JOB_FOLDER".

#include <string>

#include "check/temperature_watch.hpp"
#include "records/records.hpp"

namespace tc {

// Warns on stderr about the input deck and the mesh of the job whose files are open in units;
// never throws. The temperature file is watched block by block as the run reads it.
void WarnAboutJob(UnitTable& units);

// Warns on stderr about the temperature blocks the watch has seen (none without a watch).
void WarnAboutTemperatures(check::TemperatureWatch* watch);

// "thermocrack check JOB_FOLDER": the warnings alone, nothing written. Exit status 0 with no
// warning, 1 with warnings, 2 when the job's title file cannot be read.
int RunCheckCommand(const std::string& hostFolder);

}  // namespace tc
