// Layout parsing on arbitrary text: a layout is parsed or refused with RunError, never more. A layout
// that parses again from its own source text, and is then used for one read of a fixed small file and, when its records stay small, for
// one write, with a mix of values of every kind.

#include <cstdint>
#include <string_view>

#include "records/records.hpp"
#include "scratch_folder.hpp"

namespace {

// Longest output a write may build: a layout may ask for 10 000 fields of 10 000 columns.
constexpr std::int64_t MaxWrittenColumns = 1 << 20;

std::int64_t WrittenColumns(const tc::Layout& layout) {
    std::int64_t columns = 0;
    for (const tc::FieldDescriptor& d : layout.descriptors) columns += d.width;
    return columns;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tc::Layout layout;
    try {
        layout = tc::ParseLayout(text);
    } catch (const tc::RunError&) {
        return 0;
    }
    // The text kept as the layout's source parses again to the same descriptors.
    const tc::Layout again = tc::ParseLayout(layout.source);
    if (again.descriptors.size() != layout.descriptors.size() || again.reversion != layout.reversion) __builtin_trap();

    static const auto input = tc::fuzz::ScratchFolder() / "layout-input.txt";
    static const auto output = tc::fuzz::ScratchFolder() / "layout-output.txt";
    static const bool written = (tc::fuzz::WriteText(input, "   12  3.5E2abc\n-7 1.25 x\n\n"), true);
    (void)written;

    tc::UnitTable units;
    std::int32_t i1 = 0, i2 = 0;
    float r1 = 0.0f, r2 = 0.0f;
    tc::Text<8> t;
    char c = ' ';
    try {
        tc::Read(units.Open(10, input.string(), tc::OpenStatus::Old), layout, i1, r1, t, c, i2, r2);
    } catch (const tc::RunError&) {
    }
    if (WrittenColumns(layout) > MaxWrittenColumns) return 0;
    try {
        tc::Write(units.Open(11, output.string(), tc::OpenStatus::Unknown), layout, i1, r1, t, c, i2, r2,
                  std::string_view("text"), -1.5e-7f);
        units[11].Flush();
    } catch (const tc::RunError&) {
    }
    return 0;
}
