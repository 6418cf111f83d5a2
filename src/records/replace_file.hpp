#pragma once
// Whole-file replacement: a unit that replaces a file writes a new file beside it, under the same
// name with a fixed suffix, and renames it over the old one only when the run puts it in place. A
// run stopped on the way leaves the old file whole, and the new one for the next run to remove.

#include <string>
#include <string_view>

namespace tc {

// The suffix of a new file not yet put in place: "wall.out" is written as "wall.out.partial-run".
inline constexpr std::string_view ReplacementSuffix = ".partial-run";

inline std::string ReplacementName(std::string_view name) {
    std::string temporary(name);
    temporary += ReplacementSuffix;
    return temporary;
}

namespace records_detail {

// Creates the file for writing; fails (-1, errno set) when anything, a link included, has the name.
int CreateNewFile(const std::string& name);
// Renames from over to, replacing what to names (a link is replaced, not followed); false with
// errno set on failure.
bool PutFileInPlace(const std::string& from, const std::string& to);
// Removes the file (a link itself, not what it names); failures are ignored.
void RemoveFileQuietly(const std::string& name) noexcept;

}  // namespace records_detail
}  // namespace tc
