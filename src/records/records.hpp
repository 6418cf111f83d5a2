#pragma once
// The fixed-column record layer: every file of a run is read and written through these calls.
//
//   Read(unit, "(2I5)", iecho, iinit);
//   Write(unit, "(10X,I5,2X,F10.3,2X,F10.3)", i, x, y);
//   Read(unit, "(10E10.3)", Entries(nodeTemp, 1, nx));
//   WriteFree(unit, "width(", j, ")=", width(j));
//
// A layout given as a string literal is parsed on its first use and cached by the literal's
// address, so a call site never parses twice. Layouts built at run time go through ParseLayout.
// Besides these calls the layer offers units and their table (unit.hpp, numbered by
// unit_numbers.hpp), layouts (layout.hpp) and its one error type (run_error.hpp).

#include <bit>
#include <cstddef>
#include <cstdint>

#include "records/layout.hpp"
#include "records/run_error.hpp"
#include "records/unit.hpp"
#include "records/unit_numbers.hpp"
#include "records/values.hpp"
// Not for callers: what the templates below need to compile (the slots that carry a statement's
// values to its engines, and the cache of parsed literal layouts).
#include "records/layout_cache.hpp"
#include "records/statement_slots.hpp"

namespace tc {

// Reads one statement: one or more records, values stored in order into the destinations.
template <std::size_t L, class... Dest>
void Read(Unit& unit, const char (&layout)[L], Dest&&... dest) {
    const records_detail::Slot slots[sizeof...(Dest) + 1] = {records_detail::MakeSlot(dest)...};
    records_detail::ReadStatement(unit, records_detail::CachedLayout(layout, L - 1), slots,
                                  static_cast<std::int32_t>(sizeof...(Dest)));
}
template <class... Dest>
void Read(Unit& unit, const Layout& layout, Dest&&... dest) {
    const records_detail::Slot slots[sizeof...(Dest) + 1] = {records_detail::MakeSlot(dest)...};
    records_detail::ReadStatement(unit, layout, slots, static_cast<std::int32_t>(sizeof...(Dest)));
}

// Writes one statement: one or more records built from the values and the layout's literals.
// The slots array holds exactly the values: a spare element would have the whole array cleared
// first, at every call of a table's row.
template <class... Val>
void Write(Unit& unit, const Layout& layout, const Val&... values) {
    constexpr std::uint64_t rowKinds = records_detail::RowKinds<Val...>();
    if constexpr (sizeof...(Val) == 0) {
        records_detail::WriteStatement(unit, layout, nullptr, 0);
    } else if constexpr (rowKinds != 0) {
        const std::uint32_t bits[] = {std::bit_cast<std::uint32_t>(values)...};
        records_detail::WriteRowStatement(unit, layout, bits, static_cast<std::int32_t>(sizeof...(Val)), rowKinds);
    } else {
        const records_detail::Slot slots[] = {records_detail::MakeValue(values)...};
        records_detail::WriteStatement(unit, layout, slots, static_cast<std::int32_t>(sizeof...(Val)));
    }
}
template <std::size_t L, class... Val>
void Write(Unit& unit, const char (&layout)[L], const Val&... values) {
    Write(unit, records_detail::CachedLayout(layout, L - 1), values...);
}

// Writes one free-form record of integers, reals and texts in any mix.
template <class... Val>
void WriteFree(Unit& unit, const Val&... values) {
    if constexpr (sizeof...(Val) == 0) {
        records_detail::WriteFreeStatement(unit, nullptr, 0);
    } else {
        const records_detail::Slot slots[] = {records_detail::MakeValue(values)...};
        records_detail::WriteFreeStatement(unit, slots, static_cast<std::int32_t>(sizeof...(Val)));
    }
}

// Reads one free-form text value into dest (left-justified, blank-padded, cut to its length);
// the rest of the record is skipped.
void ReadFree(Unit& unit, char* dest, std::int32_t length);
template <std::int32_t N>
void ReadFree(Unit& unit, Text<N>& dest) { ReadFree(unit, dest.chars.data(), N); }

}  // namespace tc
