// RunOutputs: the start and the end of a run's outputs. At the start, the lock, the leftovers of a
// stopped run and the checks, then every output opened as a new file; at the end, every new file
// renamed over its output, with stop signals held back so that none is left half done.
#include "run/run_outputs.hpp"

#include <filesystem>
#include <string>
#include <system_error>

#include "records/replace_file.hpp"
#include "run/stop_signals.hpp"

namespace tc {
namespace {

namespace fs = std::filesystem;

// The input that a run reads from the current folder (when its input deck asks for it).
constexpr char InitialStateFile[] = "w.dat";

// New files that a stopped run left in the folder: every name ending in the replacement suffix.
void RemoveLeftovers(const std::string& hostFolder) {
    std::error_code error;
    const fs::path folder = hostFolder.empty() ? fs::path(".") : fs::path(hostFolder);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= ReplacementSuffix.size() || !name.ends_with(ReplacementSuffix)) continue;
        std::error_code ignored;
        const fs::file_type type = it->symlink_status(ignored).type();
        if (type == fs::file_type::regular || type == fs::file_type::symlink) fs::remove(it->path(), ignored);
    }
}

}  // namespace

RunOutputs::RunOutputs(StopSignals* signals) : signals_(signals) {}

RunOutputs::~RunOutputs() {
    for (const std::string& name : watched_) StopSignals::Forget(name.c_str());
}

void RunOutputs::Open(UnitTable& units, const std::string& hostFolder, const std::vector<OutputFile>& outputs) {
    std::vector<std::string> inputs;
    for (std::int32_t n = 0; n <= MaxUnit; ++n) {
        if (units.IsOpen(n)) inputs.push_back(units[n].name());
    }
    if (FileExists(InitialStateFile)) inputs.emplace_back(InitialStateFile);

    // The names are kept before the handler may read them, and never move afterwards.
    watched_.reserve(outputs.size() + 1);
    {
        // Watched from the moment the lock file is ours: a stop in between would leave it behind.
        const StopSignalsHeldBack heldBack;
        lock_.Take(hostFolder);
        watched_.push_back(lock_.name());
        StopSignals::Watch(watched_.back().c_str());
    }
    RemoveLeftovers(hostFolder);
    for (const OutputFile& output : outputs) CheckOutputPlace(output, inputs);

    for (const OutputFile& output : outputs) {
        // Each new file watched before it is created.
        watched_.push_back(ReplacementName(output.name));
        StopSignals::Watch(watched_.back().c_str());
        units.Open(output.unit, output.name, OpenStatus::Replace);
        units_.push_back(output.unit);
    }
    complete_ = true;
}

void RunOutputs::PutInPlace(UnitTable& units) {
    std::string failure;
    if (complete_) {
        if (signals_ != nullptr) signals_->Hold();
        for (const std::int32_t unit : units_) {
            try {
                units.PutInPlace(unit);
            } catch (const RunError& e) {
                if (failure.empty()) failure = e.what();
            }
        }
    } else {
        // Not every output could be opened: the new files go, the old ones stay.
        for (const std::int32_t unit : units_) {
            try {
                units.Close(unit);
            } catch (const RunError&) {
            }
        }
    }
    complete_ = false;
    units_.clear();
    // Another run may take the folder as soon as the lock goes: its files are no longer ours to
    // remove.
    for (const std::string& name : watched_) StopSignals::Forget(name.c_str());
    lock_.Release();
    if (!failure.empty()) throw RunError(failure);
}

}  // namespace tc
