#pragma once
// Number fields of output records. Each Format routine fills field[0, width) completely: the value
// right-justified, or the field filled with asterisks when the value does not fit. Each Put routine
// does the same in a field that holds blanks already, and writes only the value's characters.

#include <cstdint>

namespace tc::records_detail {

// Iw: an integer.
void FormatInteger(char* field, std::int32_t width, std::int32_t value);
// Fw.d: a real rounded to d decimals, no zero before the point unless the field holds no digit.
void FormatFixed(char* field, std::int32_t width, std::int32_t decimals, float value);
// Ew.d: a real as .ddd E+ee (or .ddd+eee when the exponent needs three digits).
void FormatExponent(char* field, std::int32_t width, std::int32_t decimals, float value);
// A free-form real: 7 significant digits, fixed form from 1 up to 10 000 000, exponent form
// otherwise. The field is 15 columns or more.
void FormatFreeReal(char* field, std::int32_t width, float value);

void PutInteger(char* field, std::int32_t width, std::int32_t value);
void PutFixed(char* field, std::int32_t width, std::int32_t decimals, float value);
void PutExponent(char* field, std::int32_t width, std::int32_t decimals, float value);
void PutFreeReal(char* field, std::int32_t width, float value);

// The Put routine of I, F or E fields, taking the bits of the value (an int32_t's or a float's);
// the common decimals have routines of their own, made for them.
using FieldRoutine = void (*)(char* field, std::int32_t width, std::int32_t decimals, std::uint32_t bits);
FieldRoutine IntegerRoutine();
FieldRoutine FixedRoutine(std::int32_t decimals);
FieldRoutine ExponentRoutine(std::int32_t decimals);

// The same fields rounded from the value's whole decimal expansion, digit by digit: slow, taken
// when the integer arithmetic of the routines above would not hold the value, and the reference
// they are tested against.
void FormatFixedExact(char* field, std::int32_t width, std::int32_t decimals, float value);
void FormatExponentExact(char* field, std::int32_t width, std::int32_t decimals, float value);
void FormatFreeRealExact(char* field, std::int32_t width, float value);

// Free-form field widths; every numeric field after the first of a record is one column wider.
inline constexpr std::int32_t FreeIntegerWidth = 11;
inline constexpr std::int32_t FreeRealWidth = 15;
inline constexpr std::int32_t FreeSignificantDigits = 7;

}  // namespace tc::records_detail
