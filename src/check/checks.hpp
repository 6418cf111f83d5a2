#pragma once
// The checks of each input file and what they hand on to one another.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/job_check.hpp"
#include "check/job_text.hpp"

namespace tc::check {

// A quantity with the range that values of it plausibly take.
struct Quantity {
    const char* name;
    const char* unit;  // "" for none
    float low;
    float high;
};

// Adds warnings of one kind up to a limit, then one line that counts the rest.
class Capped {
public:
    static constexpr std::int32_t Limit = 10;
    Capped(std::vector<Warning>& warnings, std::string kind) : warnings_(warnings), kind_(std::move(kind)) {}
    void Add(Warning w) {
        if (++count_ <= Limit) warnings_.push_back(std::move(w));
    }
    void Close(const std::string& file) {
        if (count_ > Limit) {
            warnings_.push_back({file, 0, 0, 0, std::to_string(count_ - Limit) + " more " + kind_ + " not listed"});
        }
    }

private:
    std::vector<Warning>& warnings_;
    std::string kind_;
    std::int32_t count_ = 0;
};

// Warns when a real field's value lies outside q's range: as a slip of the implied decimals when
// the same digits with a decimal point would lie inside, else as a value outside its range.
// Gives the value read, or nothing when the field does not read as a number.
struct FieldPlace {
    std::int64_t record;
    std::int32_t first;
    std::int32_t last;
    std::int32_t decimals;
};
std::optional<float> CheckReal(const JobText& text, FieldPlace place, const Quantity& q,
                               std::vector<Warning>& warnings);

// The shortest text that reads back as v.
std::string Show(float v);

struct Point {
    double x = 0.0;
    double y = 0.0;
};

struct MeshFacts {
    bool complete = false;  // every node and element record read
    std::vector<Point> nodes;
    std::vector<std::int64_t> nodeRecord;
    std::vector<std::array<std::int32_t, 4>> elements;  // corner nodes, from 1
    std::vector<std::int64_t> elementRecord;
};

struct Bar {
    Point at;
    Point written;  // the coordinates read with no implied decimals
    float area = 0.0f;
    std::int64_t record = 0;
};

// Material values, restraint factors, the judge value and the bars of the input deck.
std::vector<Bar> CheckInputDeck(const JobText& deck, std::vector<Warning>& warnings);

// Elements that are clockwise, folded or degenerate; nodes used by no element; nodes that share
// their place with another.
MeshFacts CheckMesh(const JobText& mesh, std::vector<Warning>& warnings);

// Bars outside the section or closer to its boundary than their own radius.
void CheckBars(const JobText& deck, const std::vector<Bar>& bars, const MeshFacts& mesh,
               std::vector<Warning>& warnings);

// Ages that do not increase and temperatures outside the range of concrete at early age.
void CheckTemperatures(const JobText& temperatures, std::int32_t nodeCount, std::vector<Warning>& warnings);

}  // namespace tc::check
