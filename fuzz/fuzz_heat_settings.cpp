// heat.toml from fuzzed text: it is read, or refused by a message naming heat.toml; once read, the
// heat analysis runs on a small mesh (3 x 3 elements) when its last output age is at most 3 days,
// and refuses only by a message (an element outside the mesh, a boundary taking no edge). Any other
// exception, crash or sanitizer report is a fault.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "heat/heat.hpp"
#include "records/run_error.hpp"

namespace {

tc::heat::HeatMesh SmallMesh() {
    tc::heat::HeatMesh m;
    m.file = "grid.dat";
    for (int j = 0; j <= 3; ++j) {
        for (int i = 0; i <= 3; ++i) {
            m.x.push_back(100.0 * i);
            m.y.push_back(100.0 * j);
        }
    }
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            const int n = j * 4 + i;
            m.elements.push_back({n, n + 1, n + 5, n + 4});
        }
    }
    return m;
}

void Fault(const std::string& what) {
    std::fprintf(stderr, "fuzz_heat_settings: %s\n", what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tc::heat::HeatSettings settings;
    try {
        settings = tc::heat::ParseHeatSettings(text, "heat.toml");
    } catch (const tc::RunError& e) {
        if (std::string(e.what()).rfind("heat.toml", 0) != 0) Fault(std::string("a message not naming the file: ") + e.what());
        return 0;
    } catch (const std::exception& e) {
        Fault(std::string("unexpected failure: ") + e.what());
    }
    if (!(settings.outputAges.back() <= 3.0)) return 0;
    static const tc::heat::HeatMesh mesh = SmallMesh();
    try {
        tc::heat::RunHeatAnalysis(settings, mesh, [](double, const std::vector<double>&) {});
    } catch (const tc::RunError&) {
        return 0;
    } catch (const std::exception& e) {
        Fault(std::string("unexpected failure in the analysis: ") + e.what());
    }
    return 0;
}
