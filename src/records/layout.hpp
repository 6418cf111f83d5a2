#pragma once
// A parsed record layout: the descriptors of a layout text with repeat counts expanded.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

struct FieldDescriptor {
    enum Kind : std::uint8_t {
        I,        // Iw: integer
        F,        // Fw.d: real, fixed point
        E,        // Ew.d: real, exponent form
        A,        // Aw: characters
        X,        // nX: skip / blanks
        Slash,    // end of record
        Literal,  // 'text' (output only)
    };
    Kind kind;
    std::int32_t width;     // w, or n of nX
    std::int32_t decimals;  // d of Fw.d and Ew.d
    std::string_view text;  // Literal: the text with doubled apostrophes made single
};

// The layout text is kept alive by its owner (a string literal, or the Layout itself).
struct Layout {
    std::string source;                        // the layout text as given
    std::vector<FieldDescriptor> descriptors;  // repeat counts expanded, in order
    std::int32_t reversion = 0;                // where processing resumes when values remain
    std::vector<std::string> literalStore;     // unescaped literal texts that descriptors view
};

// Parses a layout text such as "(1X,I5,5(4X,E10.3))". Throws RunError naming the layout and the
// position of the fault when the text is not a layout.
Layout ParseLayout(std::string_view text);

}  // namespace tc
