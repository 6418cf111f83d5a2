// A section's description from fuzzed text: it is read, or refused by a message naming the file;
// once read, the section is meshed (or refused by a message), the bars placed, and the job's files
// written as text; the heat.toml written from it must read back, or be refused only by a message.
// Any other exception, crash or sanitizer report is a fault.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "heat/heat.hpp"
#include "prepare/prepare.hpp"
#include "records/run_error.hpp"

namespace {

void Fault(const std::string& what) {
    std::fprintf(stderr, "fuzz_description: %s\n", what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace prep = tc::prepare;
    const std::string text(reinterpret_cast<const char*>(data), size);
    prep::Description d;
    try {
        d = prep::ParseDescription(text, "d.toml");
    } catch (const tc::RunError& e) {
        if (std::string(e.what()).rfind("d.toml", 0) != 0) Fault(std::string("a message not naming the file: ") + e.what());
        return 0;
    } catch (const std::exception& e) {
        Fault(std::string("unexpected failure: ") + e.what());
    }
    try {
        const prep::SectionMesh all = prep::MeshSection(d);
        const prep::SectionMesh job = d.heatRefine == 1 ? prep::YoungConcreteMesh(d, all) : prep::JobMesh(d);
        const std::vector<prep::Bar> bars = prep::PlaceBars(d);
        prep::DeckText(d.deck, bars);
        prep::MeshText(job.mesh, static_cast<std::int32_t>(bars.size()));
        prep::MeshText(all.mesh, 0);
        const std::string heat = prep::HeatSettingsText(d, all, "d-heat.dat");
        try {
            tc::heat::ParseHeatSettings(heat, "heat.toml");
        } catch (const tc::RunError& e) {
            // Only what the description's reader leaves to the heat analysis: a part's cast age.
            if (std::string(e.what()).find("region.cast") == std::string::npos) {
                Fault("the heat.toml written does not read back: " + std::string(e.what()) + "\n" + heat);
            }
        }
    } catch (const tc::RunError&) {
        return 0;
    } catch (const std::exception& e) {
        Fault(std::string("unexpected failure: ") + e.what());
    }
    return 0;
}
