#pragma once
// The few choices of how numbers and records look on output, kept in one place.

#include <cstdint>
#include <string_view>

namespace tc::records_detail {

// Every output record ends with a carriage return and a line feed; input accepts LF or CR LF.
inline constexpr std::string_view LineEnd = "\r\n";

// Words written for values that are not finite numbers, right-justified in their field.
inline constexpr std::string_view InfinityWord = "Infinity";
inline constexpr std::string_view NegativeInfinityWord = "-Infinity";
inline constexpr std::string_view NaNWord = "NaN";

// Fills a field that cannot hold its value.
inline constexpr char OverflowFill = '*';

// Ties are broken away from zero: a magnitude whose dropped part is exactly one half is rounded
// up. Each function tells, from the dropped part in its own representation, whether to round up.
inline bool RoundsUp(double droppedFraction) { return droppedFraction >= 0.5; }
template <class Unsigned>
inline bool RoundsUp(Unsigned remainder, Unsigned unit) {
    return remainder >= unit - remainder;
}
inline bool RoundsUp(char firstDroppedDigit) { return firstDroppedDigit >= '5'; }
// The dropped part is the low `dropped` bits (1 to 63) of a binary integer.
inline bool RoundsUpAtBit(std::uint64_t value, std::int32_t dropped) { return ((value >> (dropped - 1)) & 1u) != 0; }

// A value below zero keeps its minus sign even when it rounds to zero; negative zero is zero and
// is written without a sign.
inline bool WritesMinus(float value) { return value < 0.0f; }

}  // namespace tc::records_detail
