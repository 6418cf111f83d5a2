#pragma once
// Internal to the record layer: the parsed layouts of string literals, each parsed on its first use
// and cached by the literal's address. Read and Write (records.hpp) find their layouts here.

#include <cstddef>

#include "records/layout.hpp"

namespace tc::records_detail {

// The parsed layout of a literal, from the cache of each thread's layouts. The text is compared
// as well, so a char array rewritten in place is parsed again.
const Layout& CachedLayout(const char* text, std::size_t length);

}  // namespace tc::records_detail
