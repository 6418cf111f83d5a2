// Writes the job's temperature file in the layout the cracking run reads:
//   record 1  NX (columns 1-5) and the mark "thermocrack heat" (columns 11-26, unused by the reader)
//   record 2  the number of blocks (columns 1-5)
//   record 3  NELX (columns 1-5)
//   per block a step record "(I5,F10.4)" (block number from 1, age in days) and the node
//   temperatures "(10F10.3)", ten to a record.
// The file is written beside the old one and renamed over it only when complete, so an
// interrupted analysis leaves the old file as it was.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "heat/heat.hpp"
#include "records/records.hpp"

namespace tc::heat {

namespace {

constexpr std::int32_t TemperatureUnit = 56;

}  // namespace

bool IsForeignTemperatureFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string first;
    std::getline(in, first);
    constexpr std::size_t length = sizeof TemperatureMark - 1;
    return first.size() < 10 + length || first.compare(10, length, TemperatureMark) != 0;
}

void WriteTemperatureFile(const std::string& path, std::int32_t nx, std::int32_t nelx, std::int32_t blocks,
                          const std::function<void(const std::function<void(double, const std::vector<double>&)>&)>&
                              produce) {
    const std::string part = path + ".part";
    try {
        UnitTable units;
        Unit& out = units.Open(TemperatureUnit, part, OpenStatus::Unknown);
        Write(out, "(I5,5X,A)", nx, std::string_view(TemperatureMark));
        Write(out, "(I5)", blocks);
        Write(out, "(I5)", nelx);
        std::int32_t number = 0;
        std::vector<float> values(static_cast<std::size_t>(nx));
        produce([&](double age, const std::vector<double>& T) {
            ++number;
            Write(out, "(I5,F10.4)", number, static_cast<float>(age));
            for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(T[i]);
            Write(out, "(10F10.3)", EntryRun<const float>{values.data(), nx});
        });
        out.Flush();
        units.Close(TemperatureUnit);
        std::error_code error;
        std::filesystem::rename(part, path, error);
        if (error) throw RunError(path + ": cannot replace it with " + part + " (" + error.message() + ")");
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(part, ignored);
        throw;
    }
}

}  // namespace tc::heat
