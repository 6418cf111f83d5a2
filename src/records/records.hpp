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

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <array>
#include <bit>
#include <memory>
#include <type_traits>

#include "core/table.hpp"
#include "records/run_error.hpp"
#include "records/layout.hpp"
#include "records/unit.hpp"

namespace tc {

// A run of table entries first..last (empty when last < first), read or written in order.
template <class T>
struct EntryRun {
    T* first;
    std::int32_t count;
};

template <class T, std::int32_t N>
EntryRun<T> Entries(Table<T, N>& table, std::int32_t first, std::int32_t last) {
    return {table.data() + (first - 1), last >= first ? last - first + 1 : 0};
}
template <class T, std::int32_t N>
EntryRun<const T> Entries(const Table<T, N>& table, std::int32_t first, std::int32_t last) {
    return {table.data() + (first - 1), last >= first ? last - first + 1 : 0};
}

// A fixed-length text value, blank-padded on the right (e.g. the 80-character job name).
template <std::int32_t N>
struct Text {
    std::array<char, N> chars;
    Text() { chars.fill(' '); }
    // The text without its trailing blanks.
    std::string_view Trimmed() const {
        std::size_t n = N;
        while (n > 0 && chars[n - 1] == ' ') --n;
        return {chars.data(), n};
    }
};

namespace records_detail {

// One destination or value of a statement: a run of count items of one kind.
struct Slot {
    enum Kind : std::uint8_t { Int, Real, Char, Chars };
    Kind kind;
    void* where;          // int32_t*, float*, or char*
    std::int32_t count;   // items in the run (Chars: 1)
    std::int32_t length;  // Chars only: characters in the text
};

inline Slot MakeSlot(std::int32_t& v) { return {Slot::Int, &v, 1, 0}; }
inline Slot MakeSlot(float& v) { return {Slot::Real, &v, 1, 0}; }
inline Slot MakeSlot(char& v) { return {Slot::Char, &v, 1, 0}; }
inline Slot MakeSlot(EntryRun<std::int32_t> r) { return {Slot::Int, r.first, r.count, 0}; }
inline Slot MakeSlot(EntryRun<float> r) { return {Slot::Real, r.first, r.count, 0}; }
inline Slot MakeSlot(EntryRun<char> r) { return {Slot::Char, r.first, r.count, 0}; }
template <std::int32_t N>
Slot MakeSlot(Text<N>& t) { return {Slot::Chars, t.chars.data(), 1, N}; }

// Values to write are passed through the same slots; the engine never writes through them.
inline Slot MakeValue(const std::int32_t& v) { return {Slot::Int, const_cast<std::int32_t*>(&v), 1, 0}; }
inline Slot MakeValue(const float& v) { return {Slot::Real, const_cast<float*>(&v), 1, 0}; }
inline Slot MakeValue(const char& v) { return {Slot::Char, const_cast<char*>(&v), 1, 0}; }
inline Slot MakeValue(EntryRun<const std::int32_t> r) {
    return {Slot::Int, const_cast<std::int32_t*>(r.first), r.count, 0};
}
inline Slot MakeValue(EntryRun<const float> r) { return {Slot::Real, const_cast<float*>(r.first), r.count, 0}; }
inline Slot MakeValue(EntryRun<std::int32_t> r) { return {Slot::Int, r.first, r.count, 0}; }
inline Slot MakeValue(EntryRun<float> r) { return {Slot::Real, r.first, r.count, 0}; }
inline Slot MakeValue(EntryRun<const char> r) { return {Slot::Char, const_cast<char*>(r.first), r.count, 0}; }
inline Slot MakeValue(EntryRun<char> r) { return {Slot::Char, r.first, r.count, 0}; }
inline Slot MakeValue(std::string_view s) {
    return {Slot::Chars, const_cast<char*>(s.data()), 1, static_cast<std::int32_t>(s.size())};
}
inline Slot MakeValue(const char* s) { return MakeValue(std::string_view(s)); }
inline Slot MakeValue(const std::string& s) { return MakeValue(std::string_view(s)); }
template <std::int32_t N>
Slot MakeValue(const Text<N>& t) { return {Slot::Chars, const_cast<char*>(t.chars.data()), 1, N}; }
// Any other type (a double, a 64-bit integer, ...) would reach the engine through a converted
// temporary that is gone before the statement runs: convert it explicitly at the call.
template <class T>
Slot MakeValue(const T&) = delete;

// A statement of single integers and reals, one per field, fills a table row with no checks of
// the values on the way: the kinds of its values, RowKindBits to a value in order, are compared
// with the row's at once. 0 stands for a statement of any other values.
inline constexpr std::int32_t MaxRowFields = 16;
inline constexpr std::int32_t RowKindBits = 4;
constexpr std::uint64_t RowKind(Slot::Kind kind) { return std::uint64_t{kind} + 1; }
template <class T>
constexpr std::uint64_t RowKindOf() {
    if constexpr (std::is_same_v<T, std::int32_t>) return RowKind(Slot::Int);
    if constexpr (std::is_same_v<T, float>) return RowKind(Slot::Real);
    return 0;
}
template <class... Val>
constexpr std::uint64_t RowKinds() {
    if constexpr (sizeof...(Val) == 0 || sizeof...(Val) > MaxRowFields) {
        return 0;
    } else {
        const std::uint64_t each[] = {RowKindOf<Val>()...};
        std::uint64_t kinds = 0;
        for (std::size_t i = 0; i < sizeof...(Val); ++i) {
            if (each[i] == 0) return 0;
            kinds |= each[i] << (RowKindBits * i);
        }
        return kinds;
    }
}
// The kind of the value at index i (from 0) of a statement of the given row kinds.
inline Slot::Kind RowValueKind(std::uint64_t rowKinds, std::int32_t i) {
    const auto kind = (rowKinds >> (RowKindBits * i)) & ((std::uint64_t{1} << RowKindBits) - 1);
    return kind == RowKind(Slot::Int) ? Slot::Int : Slot::Real;
}

// The engines behind Read, Write and WriteFree.
void ReadStatement(Unit& unit, const Layout& layout, const Slot* slots, std::int32_t count);
void WriteStatement(Unit& unit, const Layout& layout, const Slot* slots, std::int32_t count);
// A statement of count single integers and reals given by their bits, of the kinds rowKinds.
void WriteRowStatement(Unit& unit, const Layout& layout, const std::uint32_t* bits, std::int32_t count,
                       std::uint64_t rowKinds);
void WriteFreeStatement(Unit& unit, const Slot* slots, std::int32_t count);

// Whether the n characters at a and b are the same; layouts are short, so word by word inline.
inline bool SameText(const char* a, const char* b, std::size_t n) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    if (n < sizeof x) return std::memcmp(a, b, n) == 0;
    for (std::size_t i = 0; i + sizeof x < n; i += sizeof x) {
        std::memcpy(&x, a + i, sizeof x);
        std::memcpy(&y, b + i, sizeof y);
        if (x != y) return false;
    }
    std::memcpy(&x, a + n - sizeof x, sizeof x);
    std::memcpy(&y, b + n - sizeof y, sizeof y);
    return x == y;
}

// The layout found last, with the text it was parsed from: a loop writes with one layout many
// times over, so it is tried first, right at the call.
struct LastLayout {
    const char* text = nullptr;
    std::size_t length = 0;
    const char* copy = nullptr;
    const Layout* layout = nullptr;
};
inline thread_local LastLayout lastLayout;

// The parsed layout of a literal from the cache of each thread's layouts; sets lastLayout.
const Layout& FindLayout(const char* text, std::size_t length);

// The parsed layout of a literal, cached by the literal's address. The text is compared as well,
// so a char array rewritten in place is parsed again.
inline const Layout& CachedLayout(const char* text, std::size_t length) {
    const LastLayout& last = lastLayout;
    if (text == last.text && length == last.length && SameText(last.copy, text, length)) return *last.layout;
    return FindLayout(text, length);
}

}  // namespace records_detail

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
