#pragma once
// A parsed record layout: the descriptors of a layout text with repeat counts expanded.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

namespace records_detail {
struct WritePlan;
}

struct FieldDescriptor {
    enum Kind : std::uint8_t {
        I,        // Iw: integer
        F,        // Fw.d: real, fixed point
        E,        // Ew.d: real, exponent form
        A,        // Aw: characters (width 0: A without width, the whole text item)
        X,        // nX: skip / blanks
        Slash,    // end of record
        Literal,  // 'text' (output only; skipped over on input)
    };
    Kind kind;
    std::int32_t width;     // w, or n of nX; Literal: the length of its text
    std::int32_t decimals;  // d of Fw.d and Ew.d
    std::string_view text;  // Literal: the text with doubled apostrophes made single
};

// Limits that keep a hostile layout from taking unbounded time or memory.
inline constexpr std::int32_t MaxLayoutDescriptors = 10000;  // after repeat counts are expanded
inline constexpr std::int32_t MaxFieldWidth = 10000;         // w, d, n of nX and repeat counts

// Literal texts live in literalStore, shared between copies, so a Layout may be copied or moved
// freely while its descriptors keep viewing them.
struct Layout {
    std::string source;                        // the layout text, up to its closing parenthesis
    std::vector<FieldDescriptor> descriptors;  // repeat counts expanded, in order
    std::int32_t reversion = 0;                // where processing resumes when values remain
    bool dataAfterReversion = false;           // a data descriptor lies at or after reversion
    bool hasData = false;                      // the layout holds any I, F, E or A descriptor
    std::shared_ptr<const std::string> literalStore;  // unescaped literal texts, back to back
    std::shared_ptr<const records_detail::WritePlan> writePlan;  // null: written item by item
    bool kept = false;  // lives as long as the program: a literal's layout, kept by the cache
};

// Parses a layout text such as "(1X,I5,5(4X,E10.3))". The layout ends at the parenthesis that
// closes its first one; what follows is ignored. Throws RunError naming the layout and the
// position of the fault when the text is not a layout.
Layout ParseLayout(std::string_view text);

}  // namespace tc
