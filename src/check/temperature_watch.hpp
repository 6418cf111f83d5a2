#pragma once
// The checks of a temperature history, block by block, as a run or the check command reads it:
// the ages of the blocks must increase, and node temperatures of concrete at early age lie between
// -30 and 95 C (below, the water freezes solid; above, it boils in the pores).

#include <cstdint>
#include <string>
#include <vector>

#include "check/job_check.hpp"

namespace tc::check {

class TemperatureWatch {
public:
    explicit TemperatureWatch(std::string file) : file_(std::move(file)) {}

    // One block as read: the record of its step line, its number (from 1), its age as written
    // (days) and the temperatures of its nodes, ten to a record after the step line. Allocates
    // nothing unless it warns.
    void Block(std::int64_t stepRecord, std::int32_t block, float age, const float* temperatures,
               std::int32_t nodes);

    // The warnings of every block so far, the kinds over their limit counted; empties the watch.
    std::vector<Warning> Take();

private:
    std::string file_;
    std::vector<Warning> ages_;
    std::vector<Warning> temperatures_;
    std::int32_t ageCount_ = 0;
    std::int32_t temperatureCount_ = 0;
    bool any_ = false;
    float previousAge_ = 0.0f;
};

}  // namespace tc::check
