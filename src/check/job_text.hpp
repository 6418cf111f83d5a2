#pragma once
// A job file as the run sees it: records split at LF (a CR before the LF is not data), fields cut
// out by their inclusive column ranges (columns past the record's end are blanks), numbers read by
// the record layer's own field rules, so a check sees the very value the run computes with.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/number_parse.hpp"

namespace tc::check {

class JobText {
public:
    // Empty (no records) when the file cannot be read.
    explicit JobText(const std::string& fileName);

    const std::string& name() const { return name_; }
    std::int64_t records() const { return static_cast<std::int64_t>(records_.size()); }

    // The text of columns first..last of record r (from 1), blank-padded to the field's width.
    std::string Field(std::int64_t r, std::int32_t first, std::int32_t last) const;

    // The value of an integer field, or nothing when the record is missing or the field is no number.
    std::optional<std::int32_t> Integer(std::int64_t r, std::int32_t first, std::int32_t last) const;

    // A real field of the given implied decimals: the value the run reads, and whether the text
    // holds a decimal point (without one, the last `decimals` digits are the fraction).
    struct Real {
        float value = 0.0f;
        float asWritten = 0.0f;  // the same digits read with no implied decimals
        bool hasPoint = true;
        std::string text;        // the field's text without blanks
    };
    std::optional<Real> RealField(std::int64_t r, std::int32_t first, std::int32_t last, std::int32_t decimals) const;

    // count real fields of width columns each from column 1 of record r, into values; false when
    // the record is missing or a field is no number.
    bool Reals(std::int64_t r, std::int32_t width, std::int32_t count, std::int32_t decimals, float* values) const;

private:
    std::string name_;
    std::string bytes_;
    std::vector<std::string_view> records_;
};

}  // namespace tc::check
