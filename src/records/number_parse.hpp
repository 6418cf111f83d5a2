#pragma once
// Number fields of input records.

#include <cstdint>
#include <string_view>

namespace tc::records_detail {

enum class FieldStatus { Ok, NotANumber, OutOfRange };

// Iw: blanks anywhere are ignored, an all-blank field is 0, an optional sign precedes the digits.
FieldStatus ParseIntegerField(std::string_view field, std::int32_t& value);

// Fw.d and Ew.d: blanks are ignored; optional sign, digits with an optional point, and an optional
// exponent (E or D and a signed or unsigned integer, or a sign and an integer). Without a point
// the last d digits are the fraction. The value is the float nearest to the decimal text.
FieldStatus ParseRealField(std::string_view field, std::int32_t decimals, float& value);

}  // namespace tc::records_detail
