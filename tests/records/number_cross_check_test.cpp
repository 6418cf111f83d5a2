// Number fields checked against a slow, independent reference: the exact decimal expansion of each
// float is built with schoolbook big-number arithmetic and rounded half up as a digit string.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "records/number_format.hpp"

namespace tc {
namespace {

// The exact value of a finite positive float as digits * 10^-point (digits without leading zeros).
struct Exact {
    std::string digits;
    std::int32_t point;
};

void MultiplySmall(std::string& digits, std::int32_t factor) {
    std::int32_t carry = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        const std::int32_t v = (*it - '0') * factor + carry;
        *it = static_cast<char>('0' + v % 10);
        carry = v / 10;
    }
    while (carry > 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
        carry /= 10;
    }
}

Exact ExactOf(float v) {
    const auto bits = std::bit_cast<std::uint32_t>(v);
    const std::uint32_t biased = (bits >> 23) & 0xffu;
    std::uint32_t m = bits & 0x7fffffu;
    std::int32_t k = -149;
    if (biased != 0) {
        m |= 0x800000u;
        k = static_cast<std::int32_t>(biased) - 150;
    }
    Exact x{std::to_string(m), 0};
    // m * 2^k: doubling for k > 0; for k < 0, m * 5^-k with the point -k places from the right.
    for (std::int32_t i = 0; i < k; ++i) MultiplySmall(x.digits, 2);
    for (std::int32_t i = 0; i < -k; ++i) MultiplySmall(x.digits, 5);
    x.point = k < 0 ? -k : 0;
    return x;
}

// Rounds the digit string so that `drop` trailing digits go, half up; returns the kept digits.
std::string RoundOff(std::string digits, std::int32_t drop) {
    if (drop <= 0) return digits + std::string(static_cast<std::size_t>(-drop), '0');
    if (drop > static_cast<std::int32_t>(digits.size())) return "0";
    const bool up = digits[digits.size() - static_cast<std::size_t>(drop)] >= '5';
    digits.resize(digits.size() - static_cast<std::size_t>(drop));
    if (digits.empty()) digits = "0";
    if (up) {
        std::int32_t i = static_cast<std::int32_t>(digits.size()) - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
        if (i < 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[static_cast<std::size_t>(i)];
        }
    }
    return digits;
}

std::string Justify(const std::string& text, std::int32_t w) {
    if (static_cast<std::int32_t>(text.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
    return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

std::string ReferenceFixed(std::int32_t w, std::int32_t d, float v, const Exact& x) {
    std::string sign = v < 0.0f ? "-" : "";
    std::string units = "0";
    if (v != 0.0f) {
        units = RoundOff(x.digits, x.point - d);  // the value in units of 10^-d
    }
    units.erase(0, std::min(units.find_first_not_of('0'), units.size()));
    if (units.size() < static_cast<std::size_t>(d)) units.insert(0, static_cast<std::size_t>(d) - units.size(), '0');
    std::string whole = units.substr(0, units.size() - static_cast<std::size_t>(d));
    if (whole.empty() && d == 0) whole = "0";
    return Justify(sign + whole + "." + units.substr(units.size() - static_cast<std::size_t>(d)), w);
}

// The value rounded to n significant digits, and its exponent e with value = 0.ddd * 10^e.
std::string Significant(const Exact& x, std::int32_t n, std::int32_t& e) {
    std::string digits = x.digits;
    digits.erase(0, digits.find_first_not_of('0'));
    e = static_cast<std::int32_t>(digits.size()) - x.point;
    std::string kept = RoundOff(digits, static_cast<std::int32_t>(digits.size()) - n);
    if (static_cast<std::int32_t>(kept.size()) > n) {
        kept.pop_back();
        ++e;
    }
    return kept;
}

std::string ReferenceExponent(std::int32_t w, std::int32_t d, float v, const Exact& x) {
    std::int32_t e = 0;
    const std::string digits = v == 0.0f ? std::string(static_cast<std::size_t>(d), '0') : Significant(x, d, e);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%c%02d", e < 0 ? '-' : '+', std::abs(e));
    return Justify(std::string(v < 0.0f ? "-" : "") + "." + digits + exponent, w);
}

std::string ReferenceFree(float v, const Exact& x) {
    std::int32_t e = 0;
    const std::string sign = v < 0.0f ? "-" : "";
    if (v == 0.0f) return Justify("0.000000E+00", 15);
    const std::string digits = Significant(x, 7, e);
    if (e >= 1 && e <= 7) {
        return Justify(sign + digits.substr(0, static_cast<std::size_t>(e)) + "." +
                           digits.substr(static_cast<std::size_t>(e)) + std::string(static_cast<std::size_t>(e - 1), '0'),
                       15);
    }
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%c%02d", e - 1 < 0 ? '-' : '+', std::abs(e - 1));
    return Justify(sign + digits.substr(0, 1) + "." + digits.substr(1) + exponent, 15);
}

struct Sample {
    float value;
    Exact exact;  // of its magnitude
};

// Floats spread over the whole range, plus values on exact decimal ties.
const std::vector<Sample>& Samples() {
    static const std::vector<Sample> samples = [] {
        std::mt19937 random(20240611);
        std::vector<float> values;
        for (std::int32_t i = 0; i < 4000; ++i) {
            const float v = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
            if (std::isfinite(v)) values.push_back(v);
        }
        std::uniform_real_distribution<float> moderate(-2000.0f, 2000.0f);
        std::uniform_real_distribution<float> strain(-1.0e-3f, 1.0e-3f);
        for (std::int32_t i = 0; i < 4000; ++i) {
            values.push_back(moderate(random));
            values.push_back(strain(random));
        }
        std::uniform_int_distribution<std::int32_t> small(-100000, 100000);
        for (std::int32_t i = 0; i < 4000; ++i) {
            const auto n = static_cast<float>(small(random));
            values.push_back(n / 16.0f);    // ties at the fourth decimal and before
            values.push_back(n * 1000.0f);  // whole numbers with ties at the leading digits
        }
        std::vector<Sample> result;
        for (const float v : values) result.push_back({v, v == 0.0f ? Exact{"0", 0} : ExactOf(std::fabs(v))});
        return result;
    }();
    return samples;
}

TEST(NumberCrossCheck, FixedFields) {
    for (const auto& [v, exact] : Samples()) {
        for (const std::int32_t d : {0, 1, 2, 3, 5, 8, 13}) {
            std::string field(20, '?');
            records_detail::FormatFixed(field.data(), 20, d, v);
            ASSERT_EQ(field, ReferenceFixed(20, d, v, exact)) << "F20." << d << " of " << v;
        }
    }
}

TEST(NumberCrossCheck, ExponentFields) {
    for (const auto& [v, exact] : Samples()) {
        for (const std::int32_t d : {1, 3, 5, 9, 14}) {
            std::string field(24, '?');
            records_detail::FormatExponent(field.data(), 24, d, v);
            ASSERT_EQ(field, ReferenceExponent(24, d, v, exact)) << "E24." << d << " of " << v;
        }
    }
}

TEST(NumberCrossCheck, FreeFormReals) {
    for (const auto& [v, exact] : Samples()) {
        std::string field(15, '?');
        records_detail::FormatFreeReal(field.data(), 15, v);
        ASSERT_EQ(field, ReferenceFree(v, exact)) << v;
    }
}

}  // namespace
}  // namespace tc
