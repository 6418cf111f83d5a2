#pragma once
// The job's files: the path file, the job folder, the title file and the twelve job files.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/table.hpp"
#include "records/records.hpp"

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

// Reads the job folder from the path file ("c:\path.dat", unit 30) and the job name from the title
// file (unit 31), and opens the twelve job files in order: inputs "OLD", outputs "UNKNOWN".
// jobFolder is the folder text as derived (backslash form); jobName the name without trailing blanks.
void OpenJobFiles(UnitTable& units, std::string_view jobFolder, std::string_view jobName);

// The whole start: path file, job folder, title file, job files. Gives the folder and name.
void OpenJob(UnitTable& units, std::string& jobFolder, std::string& jobName);

// The start for a job folder named on the command line: no path file; the title file and the twelve
// job files are opened in hostFolder, a host folder name used as it stands (no drive mapping).
void OpenJobInFolder(UnitTable& units, std::string_view hostFolder, std::string& jobName);

}  // namespace tc
