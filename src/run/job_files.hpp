#pragma once
// The job's files: the path file, the job folder, the title file and the twelve job files.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/table.hpp"
#include "records/records.hpp"
#include "run/run_outputs.hpp"

namespace tc {

inline constexpr std::int32_t PathLineLength = 200;
using PathLine = Table<char, PathLineLength>;

// The job folder from the first record of the path file: the text up to the first blank after the
// last backslash, followed by one backslash. Throws RunError naming pathFileName for a line whose
// folder is undefined (no backslash, over 50 backslashes, over 49 blanks, no closing blank).
std::string DeriveJobFolder(const PathLine& line, std::string_view pathFileName);

// The host name of a file name of the job: a leading drive letter and colon becomes the value of
// THERMOCRACK_DRIVE_<LETTER> or the current folder, and every backslash becomes '/'.
std::string HostFileName(std::string_view name);

// Opens the twelve job files of the job in jobFolder (the folder text as derived, in backslash form):
// the three inputs, then the nine outputs through outputs (RunOutputs::Open: the folder's lock,
// the checks, every output as a new file). jobName is the name without trailing blanks.
void OpenJobFiles(UnitTable& units, RunOutputs& outputs, std::string_view jobFolder, std::string_view jobName);

// The whole start: the job folder from the path file ("c:\path.dat", unit 30), the job name from
// the title file (unit 31; a name leading out of the folder is refused), the job files. Gives the
// folder and name.
void OpenJob(UnitTable& units, RunOutputs& outputs, std::string& jobFolder, std::string& jobName);

// The start for a job folder named on the command line: no path file; the title file and the twelve
// job files are opened in hostFolder, a host folder name used as it stands (no drive mapping).
void OpenJobInFolder(UnitTable& units, RunOutputs& outputs, std::string_view hostFolder, std::string& jobName);

}  // namespace tc
