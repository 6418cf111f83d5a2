#pragma once
// Plausibility warnings of a job: before every run, and alone by "thermocrack check JOB_FOLDER".

#include <string>

#include "records/records.hpp"

namespace tc {

// Warns on stderr about the job whose input files are open in units; never throws.
void WarnAboutJob(UnitTable& units);

// "thermocrack check JOB_FOLDER": the warnings alone, nothing written. Exit status 0 with no
// warning, 1 with warnings, 2 when the job's title file cannot be read.
int RunCheckCommand(const std::string& hostFolder);

}  // namespace tc
