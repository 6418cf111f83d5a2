// A non-ASCII character where TOML allows whitespace (after a line-ending backslash, after a value)
// is refused by a message naming the file and line: the TOML library's copy in the build answers
// "not whitespace" there instead of reaching undefined behaviour.

#include <gtest/gtest.h>

#include "heat/heat.hpp"
#include "records/run_error.hpp"

namespace tc::heat {
namespace {

TEST(HeatTomlText, NonAsciiWhereWhitespaceMayStandIsRefusedByAMessage) {
    for (const char* text : {"mesh = \"\"\"\\\n\xc2\xa7\"\"\"\n", "mesh = \"a\" \xd0\xa4\n", "\xcc\xaa"}) {
        try {
            ParseHeatSettings(text, "heat.toml");
            ADD_FAILURE() << "read: " << text;
        } catch (const RunError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("heat.toml", 0), 0u) << e.what();
        }
    }
}

}  // namespace
}  // namespace tc::heat
