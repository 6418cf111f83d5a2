// A real field against the range its quantity plausibly takes. A field written without a decimal
// point has implied decimals: "200000" in an E12.5 field reads as 2.00000, five powers of ten
// below what was meant. Such a slip is told as one when the digits as written lie in range.

#include <charconv>

#include "check/checks.hpp"

namespace tc::check {

std::string Show(float v) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::general);
    return std::string(text, result.ptr);
}

namespace {

bool InRange(float v, const Quantity& q) { return q.low <= v && v <= q.high; }

std::string WithUnit(float v, const Quantity& q) {
    return *q.unit ? Show(v) + " " + q.unit : Show(v);
}

}  // namespace

std::optional<float> CheckReal(const JobText& text, FieldPlace place, const Quantity& q,
                               std::vector<Warning>& warnings) {
    const auto real = text.RealField(place.record, place.first, place.last, place.decimals);
    if (!real) return std::nullopt;
    if (InRange(real->value, q)) return real->value;
    Warning w{text.name(), place.record, place.first, place.last, ""};
    w.what = std::string(q.name) + " = " + WithUnit(real->value, q);
    if (!real->hasPoint && place.decimals > 0 && InRange(real->asWritten, q)) {
        w.what += ": \"" + real->text + "\" has no decimal point, so its last " + std::to_string(place.decimals) +
                  " digits are read as decimals; write \"" + real->text + ".\" for " + WithUnit(real->asWritten, q);
        // An exponent keeps the point before it: "1E-5" is meant as "1.E-5".
        const std::size_t e = real->text.find_first_of("EeDd");
        if (e != std::string::npos) {
            w.what.replace(w.what.rfind("write \""), std::string::npos,
                           "write \"" + real->text.substr(0, e) + "." + real->text.substr(e) + "\" for " +
                               WithUnit(real->asWritten, q));
        }
    } else {
        w.what += " is outside the plausible range " + Show(q.low) + " to " + WithUnit(q.high, q);
    }
    warnings.push_back(std::move(w));
    return real->value;
}

}  // namespace tc::check
