#pragma once
// The program run as a child process on a job in a fresh temporary folder, for the fault-injection
// suite: started, watched, stopped or killed, with its console captured.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace tc::faults {

namespace fs = std::filesystem;

// Files by their names relative to a folder ("path.dat", "job/small.inp"), raw bytes.
using FileSet = std::map<std::string, std::string>;

// The nine outputs of the small job.
inline constexpr const char* Outputs[] = {"job/small.out", "job/small.hss", "job/small.hci", "job/small.hwd",
                                          "job/small.hcr", "job/small.hdp", "job/small.hst", "job/small.sta",
                                          "job/small.hcj"};

// The small job of tests/bad_input/job, its temperature file made of `steps` steps (the job's own
// blocks repeated), its listing extent iecho.
FileSet SmallJob(int steps, int iecho);

// A fresh temporary folder, removed at the end: root holds the console files and work/, the
// run's working folder (path.dat there names job/).
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    fs::path root;
    fs::path work;
};

void WriteFiles(const fs::path& folder, const FileSet& files);
// Every regular file under the folder (links are not followed).
FileSet ReadFiles(const fs::path& folder);
std::string ReadFile(const fs::path& path);

struct Ended {
    bool exited = false;  // by exit, not by a signal
    int code = -1;
    int signal = 0;
    std::string out;  // standard output (empty when it went to /dev/full)
    std::string err;
};

// Starts the program in scratch.work with the stop signals at their defaults; standard output to
// a file, or to /dev/full.
pid_t Start(const Scratch& scratch, bool stdoutToFull = false);
// Waits for the child (killing it after a minute, taken for a hang) and reads its console.
Ended Wait(pid_t child, const Scratch& scratch);
Ended RunProgram(const Scratch& scratch, bool stdoutToFull = false);
// Looks every millisecond until reached() holds, then stops the child (SIGSTOP); false when the
// child ended first.
bool StopWhen(pid_t child, const std::function<bool()>& reached);

}  // namespace tc::faults
