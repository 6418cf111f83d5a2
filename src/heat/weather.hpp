#pragma once
// The site's clock and its hourly weather: date-times as minutes since 1970-01-01 00:00 (the site's
// local time, no time zone), the weather file's records, the sky's temperature and the exchange of
// a covered face with the weather, linearised for one step.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "heat/heat.hpp"

namespace tc::heat {

// "YYYY-MM-DDTHH:MM" (a space for the T, ":SS" allowed when 00) as minutes since 1970-01-01 00:00;
// nothing when the text is not such a date-time.
std::optional<std::int64_t> ParseClock(std::string_view text);
// The same from year, month, day, hour and minute (nothing for an impossible date).
std::optional<std::int64_t> ClockMinutes(std::int64_t year, int month, int day, int hour, int minute);
// "YYYY-MM-DDTHH:MM".
std::string ClockText(std::int64_t minutes);

// The weather file's records in time order: air temperature (C), wind speed (m/s), global horizontal
// radiation (W/m2) and, when the file has the column, the cloud cover (0 to 1).
struct WeatherRecords {
    std::string file;
    std::vector<std::int64_t> time;
    std::vector<double> temperature, wind, solar, cloud;
    bool hasCloud = false;
};

// Reads the CSV layout "time,temperature,wind,solar[,cloud]" (a header line, then one record a
// line; blank lines and lines starting with # skipped). Throws RunError naming the file, the line and
// the column of a bad cell, a record out of time order, or a missing column.
WeatherRecords ParseWeather(const std::string& text, const std::string& name);
WeatherRecords ReadWeatherFile(const std::string& path);

// Refuses settings whose weather file does not cover placing to the last output age, naming both.
void CheckWeatherSpan(const HeatSettings& s);

// A column of the records as a curve on the concrete age, days since placing (linear between the
// records, as the file is read).
AgeCurve WeatherCurve(const WeatherRecords& w, const std::vector<double>& column, std::int64_t placing);

// The sky's temperature (C) from the air's (C) and the cloud cover c (0 to 1):
//   e_clear = (swinbank T_a^1.5 / T_a)^4,  e = (1 - cloud c) e_clear + cloud c,  T_sky = e^(1/4) T_a.
double SkyTemperature(const SkyModel& sky, double airC, double cover);

// A covered face's exchange with the weather for one step, its coefficients fixed at the step's
// start: h_c from the wind; the long-wave coefficients to the sky and to the air, the secants
// e sigma F (T_o^2 + T_x^2)(T_o + T_x) at the cover's outer surface temperature T_o (kelvin); the
// outer coefficient h_o = h_c + h_sky + h_air and U = 1 / (1 / h_o + R). The face then gives off
// U (T - T_eq(t)), T_eq = (h_c T_air + h_sky T_sky + h_air T_air + absorbed G) / h_o.
struct FaceExchange {
    double U = 0.0, hc = 0.0, hSky = 0.0, hAir = 0.0, absorbed = 0.0;
    // T_eq at age t (C).
    double Surroundings(const HeatSettings& s, const BoundaryEntry& b, double t) const;
};

// The exchange of a face of entry b at stage stage, linearised about the face's temperature
// surfaceC (C) at age t.
FaceExchange LineariseFace(const HeatSettings& s, const BoundaryEntry& b, const CoverStage& stage, double t,
                           double surfaceC);

// Stefan-Boltzmann constant (W/(m2 K4)), exact in the SI since 2019.
inline constexpr double StefanBoltzmann = 5.670374419e-8;

}  // namespace tc::heat
