#pragma once
// The outputs of a run, kept whole and inside the job folder: one run per job folder at a time (a
// lock); a job name that would lead elsewhere, an output that is an input or not a regular file,
// refused before anything is written; every output written as a new file and put in place of the
// old one, all together, when the run ends (normally or with a reported error).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/records.hpp"
#include "run/job_lock.hpp"

namespace tc {

class StopSignals;

// An output of the job: its unit and its host file name.
struct OutputFile {
    std::int32_t unit;
    std::string name;
};

class RunOutputs {
public:
    // With signals, the stop signals' handler removes the new files, and the outputs are put in
    // place with stop signals held back.
    explicit RunOutputs(StopSignals* signals = nullptr);
    // Gives up the lock. Outputs not put in place are removed by their units.
    ~RunOutputs();
    RunOutputs(const RunOutputs&) = delete;
    RunOutputs& operator=(const RunOutputs&) = delete;

    // Before any output is created: takes the lock of hostFolder (a host folder ending in its
    // separator, or empty), removes the new files a stopped run left there, checks every output's
    // place (CheckOutputPlace) against the inputs open in units and w.dat; then opens the outputs
    // as Replace units. Throws RunError, having changed nothing, when any of this fails.
    void Open(UnitTable& units, const std::string& hostFolder, const std::vector<OutputFile>& outputs);
    // Puts every output in place, when all of them were opened; then gives up the lock. Throws
    // RunError for an output that cannot be put in place (the others are put in place all the same).
    void PutInPlace(UnitTable& units);

private:
    StopSignals* signals_;
    JobLock lock_;
    std::vector<std::int32_t> units_;
    std::vector<std::string> watched_;  // the names the stop signals' handler removes
    bool complete_ = false;             // every output is open
};

// Refuses a job name that would put the job's files elsewhere than its folder or name no file: one
// holding '/', '\', "..", ':' (a drive prefix), or a control character. The RunError names the
// title file (title), the record the name was read from.
void CheckJobName(const Unit& title, std::string_view jobName);

// Refuses an output whose name is taken by something other than a regular file or a link (a folder,
// a FIFO, a device), by a read-only file, or by the same file as one of inputs (through a link or a
// second name). A link to anything else is fine: the output replaces the link, not what it names.
void CheckOutputPlace(const OutputFile& output, const std::vector<std::string>& inputs);

}  // namespace tc
