// All checks of a job, and how a warning is written.

#include "check/checks.hpp"

namespace tc::check {

std::vector<Warning> CheckJob(const JobFileNames& files, bool withTemperatures) {
    std::vector<Warning> warnings;
    const JobText deck(files.deck);
    const std::vector<Bar> bars = CheckInputDeck(deck, warnings);
    const JobText meshText(files.mesh);
    const MeshFacts mesh = CheckMesh(meshText, warnings);
    CheckBars(deck, bars, mesh, warnings);
    if (mesh.complete && withTemperatures) {
        CheckTemperatures(JobText(files.temperatures), static_cast<std::int32_t>(mesh.nodes.size()), warnings);
    }
    return warnings;
}

std::string FormatWarning(const Warning& w) {
    std::string line = "warning: " + w.file;
    if (w.record > 0) line += ", record " + std::to_string(w.record);
    if (w.firstColumn > 0) line += ", columns " + std::to_string(w.firstColumn) + "-" + std::to_string(w.lastColumn);
    return line + ": " + w.what;
}

void PrintWarnings(std::FILE* stream, const std::vector<Warning>& warnings) {
    for (const Warning& w : warnings) {
        const std::string line = FormatWarning(w) + "\n";
        std::fputs(line.c_str(), stream);
    }
    std::fflush(stream);
}

}  // namespace tc::check
