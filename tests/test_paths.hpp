#pragma once
// Where the tests find the repository, the public jobs beside it, and the program they run.

#include <cstdlib>
#include <filesystem>

namespace tc::testing {

// THERMOCRACK_BUILT_SOURCE_DIR and THERMOCRACK_BUILT_BINARY are set by the build for every test program;
// the environment variables of the same meaning without _BUILT win when set.
inline std::filesystem::path PathFromEnvironment(const char* name, const char* built) {
    const char* value = std::getenv(name);
    return std::filesystem::path(value != nullptr && *value != '\0' ? value : built);
}

inline std::filesystem::path SourceDir() {
    return PathFromEnvironment("THERMOCRACK_SOURCE_DIR", THERMOCRACK_BUILT_SOURCE_DIR);
}

inline std::filesystem::path BinaryPath() { return PathFromEnvironment("THERMOCRACK_BINARY", THERMOCRACK_BUILT_BINARY); }

// The public jobs with expected results, when the shared folder lies beside the repository.
inline std::filesystem::path PublicCasesDir() { return SourceDir() / ".." / "shared" / "cases"; }

}  // namespace tc::testing
