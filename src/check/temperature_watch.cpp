// The temperature history's checks, block by block.

#include "check/temperature_watch.hpp"

#include "check/checks.hpp"

namespace tc::check {

namespace {

constexpr float Coldest = -30.0f;
constexpr float Hottest = 95.0f;
constexpr std::int32_t PerRecord = 10;

void Counted(std::vector<Warning>& out, std::vector<Warning>& kind, std::int32_t count, const std::string& file,
             const std::string& what) {
    out.insert(out.end(), kind.begin(), kind.end());
    if (count > Capped::Limit) {
        out.push_back({file, 0, 0, 0, std::to_string(count - Capped::Limit) + " more " + what + " not listed"});
    }
}

}  // namespace

void TemperatureWatch::Block(std::int64_t stepRecord, std::int32_t block, float age, const float* temperatures,
                             std::int32_t nodes) {
    if (any_ && !(age > previousAge_) && ++ageCount_ <= Capped::Limit) {
        ages_.push_back({file_, stepRecord, 6, 15,
                         "block " + std::to_string(block) + " is at age " + Show(age) + " days, not later than block " +
                             std::to_string(block - 1) + " at " + Show(previousAge_) + " days: ages must increase"});
    }
    any_ = true;
    previousAge_ = age;
    for (std::int32_t i = 0; i < nodes; ++i) {
        const float t = temperatures[i];
        if (t >= Coldest && t <= Hottest) continue;
        if (++temperatureCount_ > Capped::Limit) continue;
        const std::int32_t column = 10 * (i % PerRecord) + 1;
        temperatures_.push_back({file_, stepRecord + 1 + i / PerRecord, column, column + 9,
                                 "node " + std::to_string(i + 1) + " at age " + Show(age) + " days is at " + Show(t) +
                                     " C, outside " + Show(Coldest) + " to " + Show(Hottest) + " C"});
    }
}

std::vector<Warning> TemperatureWatch::Take() {
    std::vector<Warning> out;
    Counted(out, ages_, ageCount_, file_, "blocks whose age does not increase");
    Counted(out, temperatures_, temperatureCount_, file_,
            "temperatures outside " + Show(Coldest) + " to " + Show(Hottest) + " C");
    ages_.clear();
    temperatures_.clear();
    ageCount_ = 0;
    temperatureCount_ = 0;
    return out;
}

}  // namespace tc::check
