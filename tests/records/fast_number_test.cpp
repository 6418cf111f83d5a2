// The fast number routines checked against the slow ones that round the whole decimal expansion:
// floats over the whole range, values next to every power of ten and to every rounding carry,
// decimal ties, for each field form the program's layouts use.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "records/number_format.hpp"

namespace tc {
namespace {

using records_detail::FormatExponent;
using records_detail::FormatExponentExact;
using records_detail::FormatFixed;
using records_detail::FormatFixedExact;
using records_detail::FormatFreeReal;
using records_detail::FormatFreeRealExact;

struct Form {
    char kind;  // 'F', 'E' or 'G' (free form)
    std::int32_t width;
    std::int32_t decimals;
};

// The forms of the program's layouts, narrower fields that overflow often, and decimals beyond
// those with routines of their own.
const Form Forms[] = {{'F', 10, 0}, {'F', 8, 0},  {'F', 10, 1},  {'F', 10, 2},  {'F', 10, 3},  {'F', 7, 3},
                      {'F', 15, 3}, {'F', 15, 1}, {'F', 5, 2},   {'F', 20, 6},  {'F', 24, 12}, {'E', 10, 3},
                      {'E', 12, 5}, {'E', 9, 3},  {'E', 14, 7},  {'E', 24, 16}, {'G', 15, 7},  {'G', 16, 7}};

std::string Fast(const Form& form, float v) {
    std::string field(static_cast<std::size_t>(form.width), '?');
    if (form.kind == 'F') FormatFixed(field.data(), form.width, form.decimals, v);
    if (form.kind == 'E') FormatExponent(field.data(), form.width, form.decimals, v);
    if (form.kind == 'G') FormatFreeReal(field.data(), form.width, v);
    return field;
}

std::string Exact(const Form& form, float v) {
    std::string field(static_cast<std::size_t>(form.width), '?');
    if (form.kind == 'F') FormatFixedExact(field.data(), form.width, form.decimals, v);
    if (form.kind == 'E') FormatExponentExact(field.data(), form.width, form.decimals, v);
    if (form.kind == 'G') FormatFreeRealExact(field.data(), form.width, v);
    return field;
}

std::string Describe(const Form& form, float v) {
    char text[96];
    std::snprintf(text, sizeof text, "%c%d.%d of %.9g (bits %08x)", form.kind, form.width, form.decimals,
                  static_cast<double>(v), std::bit_cast<std::uint32_t>(v));
    return text;
}

// Checks every form on the values and their negatives; stops at the first difference.
void ExpectSameAsExact(const std::vector<float>& values) {
    for (const Form& form : Forms) {
        for (const float magnitude : values) {
            for (const float v : {magnitude, -magnitude}) {
                ASSERT_EQ(Fast(form, v), Exact(form, v)) << Describe(form, v);
            }
        }
    }
}

TEST(FastNumbers, RandomBitPatterns) {
    std::mt19937 random(20250101);
    std::vector<float> values;
    while (values.size() < 30000) {
        const float v = std::bit_cast<float>(static_cast<std::uint32_t>(random()) & 0x7fffffffu);
        if (std::isfinite(v)) values.push_back(v);
    }
    ExpectSameAsExact(values);
}

TEST(FastNumbers, MagnitudesOfTheProgram) {
    // Strains, stresses, heights and temperatures: log-uniform from 1e-9 to 1e9.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> exponent(-9.0, 9.0);
    std::vector<float> values;
    for (std::int32_t i = 0; i < 30000; ++i) values.push_back(static_cast<float>(std::pow(10.0, exponent(random))));
    ExpectSameAsExact(values);
}

TEST(FastNumbers, NextToPowersOfTenAndCarries) {
    // Every decade boundary of the float range, and the points where rounding to 3, 5 or 7 digits
    // carries into a new leading digit, with the floats around each.
    std::vector<float> values;
    for (std::int32_t e = -46; e <= 39; ++e) {
        for (const double scale : {1.0, 0.9995, 0.999995, 0.99999995, 0.95, 0.5}) {
            const auto centre = static_cast<float>(scale * std::pow(10.0, e));
            if (!std::isfinite(centre) || centre == 0.0f) continue;
            float up = centre;
            float down = centre;
            values.push_back(centre);
            for (std::int32_t step = 0; step < 12; ++step) {
                up = std::nextafter(up, INFINITY);
                down = std::nextafter(down, 0.0f);
                if (std::isfinite(up)) values.push_back(up);
                if (down > 0.0f) values.push_back(down);
            }
        }
    }
    values.push_back(0.0f);
    values.push_back(std::numeric_limits<float>::denorm_min());
    values.push_back(std::numeric_limits<float>::min());
    values.push_back(std::numeric_limits<float>::max());
    ExpectSameAsExact(values);
}

TEST(FastNumbers, DecimalTies) {
    // k / 2^j holds every tie a float can hold at the digits shown: F with d decimals ties at odd
    // multiples of 2^-(d+1), E and free form at such values and at whole numbers ending in 5.
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int32_t> whole(1, (1 << 24) - 1);
    std::uniform_int_distribution<std::int32_t> power(0, 40);
    std::vector<float> values;
    for (std::int32_t i = 0; i < 10000; ++i) {
        const auto k = static_cast<float>(whole(random));
        values.push_back(std::ldexp(k, -power(random)));
        values.push_back(std::ldexp(k, power(random)));
    }
    for (std::int32_t d = 0; d <= 12; ++d) {
        for (std::int32_t odd = 1; odd < 1000; odd += 2) values.push_back(std::ldexp(static_cast<float>(odd), -(d + 1)));
    }
    for (std::int32_t lead = 1; lead < 10000; lead += 7) {
        for (float v = static_cast<float>(lead * 10 + 5); v < 1.0e12f; v *= 10.0f) values.push_back(v);
    }
    ExpectSameAsExact(values);
}

}  // namespace
}  // namespace tc
