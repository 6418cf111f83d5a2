#pragma once
// Small helpers of the mesh tests: a scratch folder, list files and hand-built meshes.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <utility>

#include "core/table.hpp"

namespace tc::test {

// A folder of its own for one test, removed at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() / ("tc_mesh_" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string Contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
}

// Nodes 1.. at the given points, and element e with corner nodes a, b, c, d.
struct Mesh {
    NodeReals X;
    NodeReals Y;
    ElementTable elements;
    std::int32_t nx = 0;
    std::int32_t nelx = 0;

    std::int32_t AddNode(float x, float y) {
        ++nx;
        X(nx) = x;
        Y(nx) = y;
        return nx;
    }
    std::int32_t AddElement(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
        ++nelx;
        elements.node[0](nelx) = a;
        elements.node[1](nelx) = b;
        elements.node[2](nelx) = c;
        elements.node[3](nelx) = d;
        return nelx;
    }
    // One element whose corners Node-1 .. Node-4 are the given points, in that order.
    std::int32_t AddQuad(std::initializer_list<std::pair<float, float>> corners) {
        std::int32_t n[4] = {0, 0, 0, 0};
        std::int32_t k = 0;
        for (const auto& [x, y] : corners) n[k++] = AddNode(x, y);
        return AddElement(n[0], n[1], n[2], n[3]);
    }
};

}  // namespace tc::test
