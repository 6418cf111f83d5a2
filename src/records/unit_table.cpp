// UnitTable: the units of a run, bound to files by number.
#include <string>

#include "records/run_error.hpp"
#include "records/unit.hpp"

namespace tc {
namespace {

void CheckNumber(std::int32_t unit) {
    if (unit < 0 || unit > MaxUnit) {
        throw RunError(ErrorHead(unit) + ": not a unit number (0 to " + std::to_string(MaxUnit) + ")");
    }
}

}  // namespace

UnitTable::UnitTable() : units_(std::make_unique<Unit[]>(MaxUnit + 1)) {}

UnitTable::~UnitTable() { FlushAll(); }

Unit& UnitTable::Open(std::int32_t unit, std::string_view name, OpenStatus status) {
    CheckNumber(unit);
    Unit& u = units_[static_cast<std::size_t>(unit)];
    u.Close();
    u.Open(unit, std::string(name), status);
    return u;
}

Unit& UnitTable::operator[](std::int32_t unit) {
    CheckNumber(unit);
    Unit& u = units_[static_cast<std::size_t>(unit)];
    if (!u.isOpen()) throw RunError(ErrorHead(unit) + ": not open");
    return u;
}

bool UnitTable::IsOpen(std::int32_t unit) const {
    return unit >= 0 && unit <= MaxUnit && units_[static_cast<std::size_t>(unit)].isOpen();
}

void UnitTable::Close(std::int32_t unit) {
    CheckNumber(unit);
    units_[static_cast<std::size_t>(unit)].Close();
}

void UnitTable::PutInPlace(std::int32_t unit) {
    CheckNumber(unit);
    units_[static_cast<std::size_t>(unit)].PutInPlace();
}


void UnitTable::FlushAll() noexcept {
    for (std::int32_t unit = 0; unit <= MaxUnit; ++unit) {
        try {
            units_[static_cast<std::size_t>(unit)].Flush();
        } catch (...) {
            // Called on the way out after an error: a file that refuses its records is passed over.
        }
    }
}

}  // namespace tc
