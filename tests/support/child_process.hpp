#pragma once
// What the test programs need of the host, the same on Linux, macOS and Windows: a fresh
// temporary folder, the environment, and starting the program under test in a folder of its own
// with its console going to files.

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tc::testing {

namespace fs = std::filesystem;

// A new empty folder in the host's temporary folder, named prefix and a unique suffix.
fs::path MakeTemporaryFolder(std::string_view prefix);

// Sets or removes a variable of this process's environment (the programs it starts inherit it).
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);
// Removes every THERMOCRACK_DRIVE_<LETTER>, so that c:\path.dat is ./path.dat on Linux and macOS.
void ClearDriveMapping();

// How a started program ended.
struct ProgramRun {
    bool exited = false;    // ended by exit, not by a signal, a fault or the time limit
    int exitCode = -1;
    int signal = 0;         // the signal (Linux, macOS) or exception code (Windows) that ended it
    bool timedOut = false;  // killed at the time limit
    std::string output;     // standard output
    std::string error;      // standard error
};

// Runs program with the arguments in folder work, standard output and error going to the files
// outFile and errFile, which are then read into the result. A program still running at the time
// limit is killed.
ProgramRun RunProgram(const fs::path& program, const std::vector<std::string>& arguments, const fs::path& work,
                      const fs::path& outFile, const fs::path& errFile,
                      std::chrono::seconds timeLimit = std::chrono::seconds(120));

// Text with CR LF line ends read as LF: what the program writes to the console in text mode on
// Windows compared with what it writes on other hosts.
std::string WithoutCarriageReturns(std::string text);

}  // namespace tc::testing
