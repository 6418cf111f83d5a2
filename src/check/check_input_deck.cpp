// The input deck's values against broad physical ranges. The bounds are wide on purpose: they
// catch slips of units and implied decimals, not designs out of the ordinary.
//   fc(t) = Sigma-91day t / (A + B t),  ft = C sqrt(fc),  Ec = (fc -> Ec) sqrt(fc)
//   restraint factors are fractions of full restraint: 0 to 1.

#include <array>

#include "check/checks.hpp"

namespace tc::check {

namespace {

struct DeckField {
    std::int64_t record;
    std::int32_t first;
    Quantity quantity;
};

// E12.5 fields of records 3 to 6.
constexpr std::array<DeckField, 15> DeckFields = {{
    {3, 1, {"Sigma-91day", "N/mm2", 10.0f, 150.0f}},
    {3, 13, {"Parameter-A", "", 0.0f, 30.0f}},
    {3, 25, {"Parameter-B", "", 0.5f, 1.5f}},
    {3, 37, {"Parameter-C", "", 0.1f, 1.0f}},
    {3, 49, {"fc -> Ec", "", 1000.0f, 10000.0f}},
    {3, 61, {"thermal expansion of the concrete", "1/C", 4.0e-6f, 20.0e-6f}},
    {4, 1, {"lcb", "mm", 1.0f, 20000.0f}},
    {4, 13, {"lcu", "mm", 1.0f, 20000.0f}},
    {4, 25, {"lsb", "mm", 1.0f, 20000.0f}},
    {4, 37, {"lsu", "mm", 1.0f, 20000.0f}},
    {5, 1, {"Es", "N/mm2", 100000.0f, 300000.0f}},
    {5, 13, {"the judge value of the crack index", "", 0.5f, 3.0f}},
    {6, 1, {"Rn", "", 0.0f, 1.0f}},
    {6, 13, {"Rm1", "", 0.0f, 1.0f}},
    {6, 25, {"Rm2", "", 0.0f, 1.0f}},
}};

constexpr Quantity BarArea = {"bar area", "mm2", 10.0f, 10000.0f};

}  // namespace

std::vector<Bar> CheckInputDeck(const JobText& deck, std::vector<Warning>& warnings) {
    std::vector<Bar> bars;
    for (const DeckField& f : DeckFields) {
        CheckReal(deck, {f.record, f.first, f.first + 11, 5}, f.quantity, warnings);
    }
    const auto nsteel = deck.Integer(2, 1, 5);
    if (!nsteel) return bars;
    for (std::int32_t b = 1; b <= *nsteel; ++b) {
        const std::int64_t r = 6 + b;
        const auto sx = deck.RealField(r, 6, 20, 1);
        const auto sy = deck.RealField(r, 21, 35, 1);
        const auto area = CheckReal(deck, {r, 36, 50, 1}, BarArea, warnings);
        if (!sx || !sy || !area) break;
        Bar bar;
        bar.at = {sx->value, sy->value};
        bar.written = {sx->asWritten, sy->asWritten};
        bar.area = *area;
        bar.record = r;
        bars.push_back(bar);
    }
    return bars;
}

}  // namespace tc::check
