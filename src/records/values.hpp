#pragma once
// The values a statement reads or writes besides single integers, reals and characters: runs of
// table entries and fixed-length texts.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/table.hpp"

namespace tc {

// A run of table entries first..last (empty when last < first), read or written in order.
template <class T>
struct EntryRun {
    T* first;
    std::int32_t count;
};

template <class T, std::int32_t N>
EntryRun<T> Entries(Table<T, N>& table, std::int32_t first, std::int32_t last) {
    return {table.data() + (first - 1), last >= first ? last - first + 1 : 0};
}
template <class T, std::int32_t N>
EntryRun<const T> Entries(const Table<T, N>& table, std::int32_t first, std::int32_t last) {
    return {table.data() + (first - 1), last >= first ? last - first + 1 : 0};
}

// A fixed-length text value, blank-padded on the right (e.g. the 80-character job name).
template <std::int32_t N>
struct Text {
    std::array<char, N> chars;
    Text() { chars.fill(' '); }
    // The text without its trailing blanks.
    std::string_view Trimmed() const {
        std::size_t n = N;
        while (n > 0 && chars[n - 1] == ' ') --n;
        return {chars.data(), n};
    }
};

}  // namespace tc
