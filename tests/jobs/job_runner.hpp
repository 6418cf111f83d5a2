#pragma once
// Runs the thermocrack binary on a whole job in a fresh temporary folder and compares what it leaves
// there with the expected files kept beside the job's input.

#include <filesystem>
#include <string>

namespace tc::jobs {

namespace fs = std::filesystem;

// What one run left behind. The work folder is removed by the destructor unless the run is kept.
struct JobRun {
    fs::path root;  // holds work/ and the captured console
    fs::path work;  // the working folder of the run: a copy of the job's input
    int exitCode = -1;
    std::string console;       // standard output
    std::string consoleError;  // standard error
    bool keep = false;

    JobRun() = default;
    JobRun(const JobRun&) = delete;
    JobRun& operator=(const JobRun&) = delete;
    ~JobRun();
};

// The repository's source folder and the binary under test, from THERMOCRACK_SOURCE_DIR and
// THERMOCRACK_BINARY, or where the build put them.
fs::path SourceDir();
fs::path Binary();

// Copies the input folder into a fresh folder and runs the binary there, with no drive mapping set, so
// that c:\path.dat is ./path.dat. With skipOutputs, files of the input that a run writes (.out, .hss,
// ...) are not copied, so a folder in which the example was already run serves as input too.
void RunJob(const fs::path& input, bool skipOutputs, JobRun& run);

// Every file of expected/ matches the run byte for byte (expected/job/... against work/job/...,
// console.txt against standard output, console-error.txt, when present, against standard error, which
// must otherwise be empty; exit-code against the exit status), and the run created no file that is
// neither in its input nor in expected/. Failures are reported with the first differing line.
void ExpectRunMatches(const fs::path& input, const fs::path& expected, bool skipOutputs, JobRun& run);

std::string ReadFile(const fs::path& path);

}  // namespace tc::jobs
