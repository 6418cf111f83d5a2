#pragma once
// Fixed-capacity tables indexed from 1, and the capacities of a run.

#include <array>
#include <cstdint>

namespace tc {

inline constexpr std::int32_t MaxNodes = 700;
inline constexpr std::int32_t MaxElements = 700;
inline constexpr std::int32_t MaxBars = 200;

// A plain table of N entries, addressed as t(1) .. t(N). Zero-filled on construction.
template <class T, std::int32_t N>
struct Table {
    std::array<T, N> entry{};

    T& operator()(std::int32_t i) { return entry[static_cast<std::size_t>(i - 1)]; }
    const T& operator()(std::int32_t i) const { return entry[static_cast<std::size_t>(i - 1)]; }
    T* data() { return entry.data(); }
    const T* data() const { return entry.data(); }
    static constexpr std::int32_t capacity() { return N; }
    void fill(const T& value) { entry.fill(value); }
};

using NodeReals = Table<float, MaxNodes>;
using ElementReals = Table<float, MaxElements>;
using ElementInts = Table<std::int32_t, MaxElements>;
using BarReals = Table<float, MaxBars>;
using BarInts = Table<std::int32_t, MaxBars>;

// Nodes: coordinates in mm, Y across the height of the section.
struct NodeTable {
    NodeReals X;
    NodeReals Y;
};

// Elements: corner node numbers, one column per corner (node[0] is Node-1), and thickness.
struct ElementTable {
    std::array<ElementInts, 4> node;
    ElementReals thickness;
};

// Reinforcing bars: position, cross-section area and the element that holds the bar (0: none).
struct BarTable {
    BarReals SX;
    BarReals SY;
    BarReals AREA;
    BarInts ELEM;
};

// Centre point and signed area of every element.
struct ElementGeometry {
    ElementReals CX;
    ElementReals CY;
    ElementReals AREA;
};

}  // namespace tc
