// The weather file: hourly (or any spacing) records of the site's weather in a CSV layout,
//   time,temperature,wind,solar[,cloud]
//   2026-06-01T07:00,18.5,2.0,350.0,0.2
// time a local date-time, temperature in C, wind speed in m/s, global horizontal radiation in W/m2,
// cloud cover from 0 (clear) to 1 (overcast). Every cell is checked: a bad one is named by file, line
// and column. Dates are counted with the proleptic Gregorian calendar (days from civil).

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "heat/weather.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

namespace {

std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool Digits(std::string_view s, std::size_t at, std::size_t n, int& value) {
    if (at + n > s.size()) return false;
    value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view line) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t comma = line.find(',');
        cells.push_back(Trim(line.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        line.remove_prefix(comma + 1);
    }
    return cells;
}

// The value range of each column: physical bounds and wide bounds against a slip of unit.
struct Column {
    const char* name;
    double low, high;
    const char* unit;
};
constexpr Column Columns[] = {
    {"temperature", -60.0, 60.0, "C"},
    {"wind", 0.0, 60.0, "m/s"},
    {"solar", 0.0, 1400.0, "W/m2"},
    {"cloud", 0.0, 1.0, "(0 clear to 1 overcast)"},
};

}  // namespace

std::optional<std::int64_t> ClockMinutes(std::int64_t year, int month, int day, int hour, int minute) {
    static constexpr int MonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || hour < 0 || minute < 0) return std::nullopt;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > MonthDays[month - 1] || (month == 2 && day == 29 && !leap)) return std::nullopt;
    return DaysFromCivil(year, month, day) * 1440 + hour * 60 + minute;
}

std::optional<std::int64_t> ParseClock(std::string_view s) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    if (s.size() != 16 && s.size() != 19) return std::nullopt;
    if (!Digits(s, 0, 4, y) || s[4] != '-' || !Digits(s, 5, 2, mo) || s[7] != '-' || !Digits(s, 8, 2, d) ||
        (s[10] != 'T' && s[10] != ' ') || !Digits(s, 11, 2, h) || s[13] != ':' || !Digits(s, 14, 2, mi)) {
        return std::nullopt;
    }
    if (s.size() == 19 && (s[16] != ':' || !Digits(s, 17, 2, sec) || sec != 0)) return std::nullopt;
    return ClockMinutes(y, mo, d, h, mi);
}

std::string ClockText(std::int64_t minutes) {
    std::int64_t days = minutes >= 0 ? minutes / 1440 : -((-minutes + 1439) / 1440);
    const std::int64_t inDay = minutes - days * 1440;
    // civil from days
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    char text[128];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld", static_cast<long long>(y),
                  static_cast<long long>(m), static_cast<long long>(d), static_cast<long long>(inDay / 60),
                  static_cast<long long>(inDay % 60));
    return text;
}

WeatherRecords ParseWeather(const std::string& text, const std::string& name) {
    WeatherRecords w;
    w.file = name;
    std::istringstream in(text);
    std::string raw;
    std::int64_t number = 0;
    std::vector<int> role;  // per column: -1 time, else index into Columns
    const auto fail = [&](std::size_t column, const std::string& what, const std::string& problem) {
        throw RunError(name + ", line " + std::to_string(number) + ", column " + std::to_string(column + 1) +
                       (what.empty() ? "" : " (" + what + ")") + ": " + problem);
    };
    while (std::getline(in, raw)) {
        ++number;
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#') continue;
        const std::vector<std::string_view> cells = Split(line);
        if (role.empty()) {
            bool seen[5] = {};
            for (std::size_t c = 0; c < cells.size(); ++c) {
                int r = -2;
                if (cells[c] == "time") r = -1;
                for (int k = 0; k < 4; ++k) {
                    if (cells[c] == Columns[k].name) r = k;
                }
                if (r == -2) {
                    fail(c, "", "\"" + std::string(cells[c]) +
                                    "\" is not a column of a weather file (known: time, temperature, wind, solar, cloud)");
                }
                if (seen[r + 1]) fail(c, "", "the column \"" + std::string(cells[c]) + "\" is given twice");
                seen[r + 1] = true;
                role.push_back(r);
            }
            for (int r = -1; r < 3; ++r) {
                if (!seen[r + 1]) {
                    fail(cells.size() - 1, "", std::string("the header lacks the column \"") +
                                                   (r < 0 ? "time" : Columns[r].name) +
                                                   "\" (the header is time,temperature,wind,solar[,cloud])");
                }
            }
            w.hasCloud = seen[4];
            continue;
        }
        if (cells.size() != role.size()) {
            fail(std::min(cells.size(), role.size()) - 1, "",
                 "a record has " + std::to_string(cells.size()) + " fields, the header " + std::to_string(role.size()));
        }
        double values[4] = {0.0, 0.0, 0.0, 0.0};
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const std::string cell(cells[c]);
            if (role[c] < 0) {
                const std::optional<std::int64_t> t = ParseClock(cell);
                if (!t) fail(c, "time", "\"" + cell + "\" is not a date-time YYYY-MM-DDTHH:MM");
                if (!w.time.empty() && !(*t > w.time.back())) {
                    fail(c, "time", cell + " does not follow the record before (" + ClockText(w.time.back()) + ")");
                }
                w.time.push_back(*t);
                continue;
            }
            const Column& col = Columns[role[c]];
            char* end = nullptr;
            const double v = cell.empty() ? NAN : std::strtod(cell.c_str(), &end);
            if (cell.empty() || end != cell.c_str() + cell.size() || !std::isfinite(v)) {
                fail(c, col.name, "\"" + cell + "\" is not a number");
            }
            if (v < col.low || v > col.high) {
                char range[96];
                std::snprintf(range, sizeof range, "%g is outside %g to %g %s", v, col.low, col.high, col.unit);
                fail(c, col.name, range);
            }
            values[role[c]] = v;
        }
        w.temperature.push_back(values[0]);
        w.wind.push_back(values[1]);
        w.solar.push_back(values[2]);
        w.cloud.push_back(values[3]);
    }
    if (role.empty()) throw RunError(name + ": has no header line (time,temperature,wind,solar[,cloud])");
    if (w.time.size() < 2) throw RunError(name + ": needs at least two records");
    return w;
}

WeatherRecords ReadWeatherFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RunError(path + ": cannot be opened (the weather file named by [site] weather)");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseWeather(text.str(), path);
}

AgeCurve WeatherCurve(const WeatherRecords& w, const std::vector<double>& column, std::int64_t placing) {
    AgeCurve curve;
    curve.form = AgeCurve::Form::Table;
    for (std::size_t i = 0; i < w.time.size(); ++i) {
        curve.ages.push_back(static_cast<double>(w.time[i] - placing) / 1440.0);
        curve.values.push_back(column[i]);
    }
    return curve;
}

}  // namespace tc::heat
