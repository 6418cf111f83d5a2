// The plausibility checks as part of a run and as a command of their own.

#include "run/check_command.hpp"

#include <cstdio>
#include <exception>

#include "check/job_check.hpp"
#include "run/job_input.hpp"

namespace tc {

namespace {

std::vector<check::Warning> CheckSafely(const check::JobFileNames& files, bool withTemperatures) {
    try {
        return check::CheckJob(files, withTemperatures);
    } catch (const std::exception&) {
        return {};  // a check that fails says nothing: the run reports what is wrong with the files
    }
}

}  // namespace

void WarnAboutJob(UnitTable& units) {
    if (!units.IsOpen(unit::Deck) || !units.IsOpen(unit::Mesh) || !units.IsOpen(unit::Temperature)) return;
    check::PrintWarnings(stderr, CheckSafely({units[unit::Deck].name(), units[unit::Mesh].name(),
                                              units[unit::Temperature].name()},
                                             false));
}

void WarnAboutTemperatures(check::TemperatureWatch* watch) {
    if (watch == nullptr) return;
    try {
        check::PrintWarnings(stderr, watch->Take());
    } catch (const std::exception&) {
    }
}

int RunCheckCommand(const std::string& hostFolder) {
    std::string folder = hostFolder;
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    std::string jobName;
    try {
        UnitTable units;
        Unit& title = units.Open(unit::Title, folder + "title.dat", OpenStatus::Old);
        Text<80> name;
        ReadFree(title, name);
        jobName = std::string(name.Trimmed());
    } catch (const RunError& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 2;
    }
    const std::string stem = folder + jobName;
    const std::vector<check::Warning> warnings = CheckSafely({stem + ".inp", stem + ".dat", stem + ".tmp"}, true);
    check::PrintWarnings(stderr, warnings);
    std::fprintf(stderr, "%zu warning%s\n", warnings.size(), warnings.size() == 1 ? "" : "s");
    return warnings.empty() ? 0 : 1;
}

}  // namespace tc
