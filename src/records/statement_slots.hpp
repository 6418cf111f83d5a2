#pragma once
// Internal to the record layer: how a statement's values and destinations reach its engines. Read,
// Write and WriteFree (records.hpp) put each argument into a slot, or a table row's values into
// their bits, and call the engines declared here; callers never use this header themselves.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

#include "records/layout.hpp"
#include "records/unit.hpp"
#include "records/values.hpp"

namespace tc {

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

}  // namespace records_detail

}  // namespace tc
