// The temperature file read for its checks alone (the check command): every block through the
// same watch a run keeps while it reads the blocks itself.

#include <algorithm>

#include "check/checks.hpp"
#include "check/temperature_watch.hpp"

namespace tc::check {

void CheckTemperatures(const JobText& text, std::int32_t nodeCount, std::vector<Warning>& warnings) {
    constexpr std::int32_t PerRecord = 10;
    const auto blocks = text.Integer(2, 1, 5);
    if (!blocks || nodeCount < 1) return;
    const std::int32_t recordsPerBlock = (nodeCount + PerRecord - 1) / PerRecord;
    std::vector<float> values(static_cast<std::size_t>(nodeCount));
    TemperatureWatch watch(text.name());
    std::int64_t r = 4;
    for (std::int32_t b = 1; b <= *blocks; ++b, r += 1 + recordsPerBlock) {
        const auto age = text.RealField(r, 6, 15, 0);
        if (!age) break;
        bool read = true;
        for (std::int32_t k = 0; k < recordsPerBlock && read; ++k) {
            const std::int32_t count = std::min(PerRecord, nodeCount - k * PerRecord);
            read = text.Reals(r + 1 + k, 10, count, 3, values.data() + k * PerRecord);
        }
        if (!read) break;
        watch.Block(r, b, age->value, values.data(), nodeCount);
    }
    for (Warning& w : watch.Take()) warnings.push_back(std::move(w));
}

}  // namespace tc::check
