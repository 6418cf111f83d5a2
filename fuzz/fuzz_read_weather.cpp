// Arbitrary bytes read as a weather file: every read ends in records (in time order, every value
// finite and in its column's range) or in RunError, never more; the records then make curves on the
// age, and the sky's temperature of every record is finite.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "heat/weather.hpp"
#include "records/run_error.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const tc::heat::WeatherRecords w = tc::heat::ParseWeather(text, "weather.csv");
        for (std::size_t i = 0; i < w.time.size(); ++i) {
            if (i > 0 && !(w.time[i] > w.time[i - 1])) std::abort();
            if (!std::isfinite(w.temperature[i]) || !std::isfinite(w.wind[i]) || !std::isfinite(w.solar[i])) std::abort();
            if (tc::heat::ParseClock(tc::heat::ClockText(w.time[i])) != w.time[i]) std::abort();
            const double sky = tc::heat::SkyTemperature({0.0552, 0.84}, w.temperature[i], w.cloud[i]);
            if (!std::isfinite(sky)) std::abort();
        }
        const tc::heat::AgeCurve air = tc::heat::WeatherCurve(w, w.temperature, w.time.front());
        if (!std::isfinite(air.At(0.5))) std::abort();
    } catch (const tc::RunError&) {
    }
    return 0;
}
