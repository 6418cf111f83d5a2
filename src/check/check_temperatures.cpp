// The temperature file: the ages of its blocks must increase, and node temperatures of concrete at
// early age lie between -30 and 95 C (below, the water freezes solid; above, it boils in the pores).

#include <algorithm>

#include "check/checks.hpp"

namespace tc::check {

namespace {

constexpr float Coldest = -30.0f;
constexpr float Hottest = 95.0f;
constexpr std::int32_t PerRecord = 10;

}  // namespace

void CheckTemperatures(const JobText& text, std::int32_t nodeCount, std::vector<Warning>& warnings) {
    const auto blocks = text.Integer(2, 1, 5);
    if (!blocks || nodeCount < 1) return;
    const std::int32_t recordsPerBlock = (nodeCount + PerRecord - 1) / PerRecord;
    std::vector<float> values(PerRecord);
    records_detail::RealShapes shapes;
    Capped ages(warnings, "blocks whose age does not increase");
    Capped out(warnings, "temperatures outside " + Show(Coldest) + " to " + Show(Hottest) + " C");
    std::int64_t r = 4;
    float previousAge = 0.0f;
    for (std::int32_t b = 1; b <= *blocks; ++b, r += 1 + recordsPerBlock) {
        const auto age = text.RealField(r, 6, 15, 0);
        if (!age) break;
        if (b > 1 && !(age->value > previousAge)) {
            ages.Add({text.name(), r, 6, 15,
                      "block " + std::to_string(b) + " is at age " + Show(age->value) + " days, not later than block " +
                          std::to_string(b - 1) + " at " + Show(previousAge) + " days: ages must increase"});
        }
        previousAge = age->value;
        for (std::int32_t k = 0; k < recordsPerBlock; ++k) {
            const std::int32_t count = std::min(PerRecord, nodeCount - k * PerRecord);
            if (!text.Reals(r + 1 + k, 10, count, 3, values.data(), shapes)) return;
            for (std::int32_t i = 0; i < count; ++i) {
                const float t = values[static_cast<std::size_t>(i)];
                if (t >= Coldest && t <= Hottest) continue;
                out.Add({text.name(), r + 1 + k, 10 * i + 1, 10 * i + 10,
                         "node " + std::to_string(k * PerRecord + i + 1) + " at age " + Show(age->value) + " days is at " +
                             Show(t) + " C, outside " + Show(Coldest) + " to " + Show(Hottest) + " C"});
            }
        }
    }
    ages.Close(text.name());
    out.Close(text.name());
}

}  // namespace tc::check
