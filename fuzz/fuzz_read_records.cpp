// Arbitrary bytes read as a file with every layout the program reads, each with the destinations the
// program gives it, statement after statement to the end of the file; and in free form as the title
// file is read. Every read ends in values or in RunError, never more.

#include <cstdint>
#include <functional>

#include "core/table.hpp"
#include "records/records.hpp"
#include "scratch_folder.hpp"

namespace {

using tc::Entries;
using tc::Read;
using tc::Unit;

// Destinations as large as the program's tables.
struct Destinations {
    std::int32_t i[6] = {};
    float r[8] = {};
    tc::Table<float, 700> reals;
    tc::Table<std::int32_t, 700> ints;
    tc::Table<char, 200> line;
    tc::Text<80> name;
};

Destinations& D() {
    static Destinations d;
    return d;
}

// One statement of each kind the program reads.
const std::function<void(Unit&)> Statements[] = {
    [](Unit& u) { Read(u, "(2I5)", D().i[0], D().i[1]); },
    [](Unit& u) { Read(u, "(3I5,F10.0)", D().i[0]); },
    [](Unit& u) { Read(u, "(3I5,F10.0)", D().i[0], D().i[1]); },
    [](Unit& u) { Read(u, "(3I5,F10.0)", D().i[0], D().i[1], D().i[2]); },
    [](Unit& u) { Read(u, "(7E12.5)", Entries(D().reals, 1, 6)); },
    [](Unit& u) { Read(u, "(7E12.5)", Entries(D().reals, 7, 10)); },
    [](Unit& u) { Read(u, "(7E12.5)", D().r[0], D().r[1]); },
    [](Unit& u) { Read(u, "(I5,3F15.1)", D().i[0], D().r[0], D().r[1], D().r[2]); },
    [](Unit& u) { Read(u, "(I10,2F10.0)", D().i[0], D().r[0], D().r[1]); },
    [](Unit& u) { Read(u, "(I10,4I6,F8.0)", D().i[0], D().i[1], D().i[2], D().i[3], D().i[4], D().r[0]); },
    [](Unit& u) { Read(u, "(I5,F10.0)", D().i[0], D().r[0]); },
    [](Unit& u) { Read(u, "(10E10.3)", Entries(D().reals, 1, 25)); },
    [](Unit& u) { Read(u, "(10E10.3)", Entries(D().reals, 1, 700)); },
    [](Unit& u) { Read(u, "(8E10.3)", Entries(D().reals, 1, 17)); },
    [](Unit& u) { Read(u, "(8E10.3)", Entries(D().reals, 1, 0)); },
    [](Unit& u) { Read(u, "(8E10.3)", Entries(D().reals, 1, 700)); },
    [](Unit& u) { Read(u, "(20I3)", Entries(D().ints, 1, 17)); },
    [](Unit& u) { Read(u, "(20I3)", Entries(D().ints, 1, 700)); },
    [](Unit& u) {
        Read(u, "(7E10.3,I3)", D().r[0], D().r[1], D().r[2], D().r[3], D().r[4], D().r[5], D().r[6], D().i[0]);
    },
    [](Unit& u) { Read(u, "(200A1)", Entries(D().line, 1, 200)); },
    [](Unit& u) { tc::ReadFree(u, D().name); },
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto file = tc::fuzz::ScratchFolder() / "records.txt";
    tc::fuzz::WriteBytes(file, data, size);
    tc::UnitTable units;
    for (const auto& statement : Statements) {
        Unit& unit = units.Open(20, file.string(), tc::OpenStatus::Old);
        // Every statement takes at least one record, so the file's end comes soon.
        try {
            for (;;) statement(unit);
        } catch (const tc::RunError&) {
        }
    }
    return 0;
}
