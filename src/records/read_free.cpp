// ReadFree: one free-form text value, the rest of its record passed over.
#include <cstring>

#include "records/records.hpp"

namespace tc {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void ReadFree(Unit& unit, char* dest, std::int32_t length) {
    // Blank records before the value are passed over.
    std::string_view record;
    std::size_t i = 0;
    for (;;) {
        if (unit.AtEnd()) throw RunError(unit.Place("read", unit.records() + 1) + ": end of file, no value");
        record = unit.NextRecord("free form");
        i = 0;
        while (i < record.size() && IsBlank(record[i])) ++i;
        if (i < record.size()) break;
    }
    const auto capacity = static_cast<std::size_t>(length);
    std::memset(dest, ' ', capacity);
    std::size_t stored = 0;
    auto store = [&](char c) {
        if (stored < capacity) dest[stored++] = c;
    };
    const char first = record[i];
    if (first == '\'' || first == '"') {
        // A quoted value may hold blanks, commas and slashes; a doubled quote stands for one.
        for (++i; i < record.size(); ++i) {
            if (record[i] == first) {
                if (i + 1 < record.size() && record[i + 1] == first) {
                    store(first);
                    ++i;
                    continue;
                }
                break;
            }
            store(record[i]);
        }
        return;
    }
    for (; i < record.size(); ++i) {
        const char c = record[i];
        if (IsBlank(c) || c == ',' || c == '/') break;
        store(c);
    }
}

}  // namespace tc
