// Splits a job file into records and reads its fields with the record layer's number rules.

#include "check/job_text.hpp"

#include <fstream>

#include "records/number_parse.hpp"

namespace tc::check {

using records_detail::FieldStatus;

JobText::JobText(const std::string& fileName) : name_(fileName) {
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in) return;
    const std::streamoff size = in.tellg();
    if (size <= 0) return;
    bytes_.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(bytes_.data(), size)) bytes_.resize(static_cast<std::size_t>(in.gcount()));
    std::string_view rest(bytes_);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view record = rest.substr(0, end);
        if (!record.empty() && record.back() == '\r') record.remove_suffix(1);
        records_.push_back(record);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

std::string JobText::Field(std::int64_t r, std::int32_t first, std::int32_t last) const {
    std::string field(static_cast<std::size_t>(last - first + 1), ' ');
    if (r < 1 || r > records()) return field;
    const std::string_view record = records_[static_cast<std::size_t>(r - 1)];
    for (std::int32_t c = first; c <= last && static_cast<std::size_t>(c) <= record.size(); ++c) {
        field[static_cast<std::size_t>(c - first)] = record[static_cast<std::size_t>(c - 1)];
    }
    return field;
}

std::optional<std::int32_t> JobText::Integer(std::int64_t r, std::int32_t first, std::int32_t last) const {
    if (r < 1 || r > records()) return std::nullopt;
    std::int32_t value = 0;
    if (records_detail::ParseIntegerField(Field(r, first, last), value) != FieldStatus::Ok) return std::nullopt;
    return value;
}

std::optional<JobText::Real> JobText::RealField(std::int64_t r, std::int32_t first, std::int32_t last,
                                               std::int32_t decimals) const {
    if (r < 1 || r > records()) return std::nullopt;
    const std::string field = Field(r, first, last);
    Real real;
    if (records_detail::ParseRealField(field, decimals, real.value) != FieldStatus::Ok) return std::nullopt;
    real.asWritten = real.value;
    for (const char c : field) {
        if (c != ' ') real.text += c;
    }
    real.hasPoint = real.text.find('.') != std::string::npos;
    if (!real.hasPoint && decimals > 0) {
        records_detail::ParseRealField(field, 0, real.asWritten);
    }
    return real;
}

bool JobText::Reals(std::int64_t r, std::int32_t width, std::int32_t count, std::int32_t decimals,
                    float* values) const {
    if (r < 1 || r > records()) return false;
    const std::string_view record = records_[static_cast<std::size_t>(r - 1)];
    for (std::int32_t i = 0; i < count; ++i) {
        const auto first = static_cast<std::size_t>(i * width);
        const auto w = static_cast<std::size_t>(width);
        // Fields wholly within the record are read in place; the rest are padded with blanks.
        const std::string padded = first + w <= record.size() ? std::string() : Field(r, i * width + 1, (i + 1) * width);
        const std::string_view field = padded.empty() ? record.substr(first, w) : std::string_view(padded);
        if (records_detail::ParseRealField(field, decimals, values[i]) != FieldStatus::Ok) return false;
    }
    return true;
}

}  // namespace tc::check
