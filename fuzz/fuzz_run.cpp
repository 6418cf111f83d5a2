// A whole run on a fuzzed input deck and mesh file (and, when the input has further parts, w.dat and the
// title file), with a fixed small temperature file. The input is split at lines holding only "%%":
// deck, mesh, w.dat, title. After any plausibility warnings (a line each), the run must end with
// status 0 and nothing more on the error stream, or with status 2 and one line "error: unit ..." that
// says where, with no unexpected failure counted by the program
// (whatever the message says: a job name may hold any words); the files it writes hold complete
// records only, no new file or lock is left beside them, and its input files are left as they were.

#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "records/replace_file.hpp"
#include "records/run_error.hpp"
#include "run/job_lock.hpp"
#include "run/run_driver.hpp"
#include "scratch_folder.hpp"

namespace {

namespace fs = std::filesystem;

// Four blocks of 20 node temperatures: the starting state and three steps.
constexpr char Temperatures[] = R"(   20   12    1
    4
    0
    1    0.5000
    27.161    33.019    33.019    27.161    28.228    34.842    34.842    28.228    28.692    35.635
    35.635    28.692    28.537    35.369    35.369    28.537    27.667    33.884    33.884    27.667
    2    1.5000
    29.227    37.635    37.635    29.227    30.759    40.251    40.251    30.759    31.424    41.388
    41.388    31.424    31.201    41.007    41.007    31.201    29.953    38.875    38.875    29.953
    3    4.0000
    24.399    30.579    30.579    24.399    25.524    32.502    32.502    25.524    26.014    33.338
    33.338    26.014    25.849    33.058    33.058    25.849    24.932    31.491    31.491    24.932
    4   10.0000
    18.250    20.530    20.530    18.250    18.665    21.239    21.239    18.665    18.846    21.547
    21.547    18.846    18.785    21.444    21.444    18.785    18.447    20.866    20.866    18.447
)";

constexpr const char* Outputs[] = {"job/small.out", "job/small.hss", "job/small.hci", "job/small.hwd",
                                   "job/small.hcr", "job/small.hdp", "job/small.hst", "job/small.sta",
                                   "job/small.hcj"};

int savedStderr = -1;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Complete records: every line ends in CR LF, and so does the file unless it is empty.
bool CompleteRecords(const std::string& text) {
    if (!text.empty() && text.back() != '\n') return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    }
    return true;
}

[[noreturn]] void Fault(const char* what, const std::string& detail) {
    ::dup2(savedStderr, 2);
    std::fprintf(stderr, "fuzz_run: %s\n%s\n", what, detail.c_str());
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The run works in a private folder: ./path.dat names ./job/, which holds the fixed files.
    const fs::path& folder = tc::fuzz::ScratchFolder();
    fs::create_directories(folder / "job");
    tc::fuzz::WriteText(folder / "path.dat", "c:\\job\n");
    tc::fuzz::WriteText(folder / "job" / "title.dat", "small\n");
    tc::fuzz::WriteText(folder / "job" / "small.tmp", Temperatures);
    if (::chdir(folder.c_str()) != 0) return 1;
    // The run's console goes elsewhere; sanitizer reports keep the real error stream.
    savedStderr = ::dup(2);
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<std::intptr_t>(savedStderr)));
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, 1);
    ::close(devNull);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[4];
    for (int k = 0; k < 4; ++k) {
        const std::size_t split = input.find("\n%%\n");
        if (split == std::string_view::npos || k == 3) {
            parts[k] = input;
            input = {};
            break;
        }
        parts[k] = input.substr(0, split + 1);
        input.remove_prefix(split + 4);
    }
    const std::string deck(parts[0]);
    const std::string mesh(parts[1]);
    const std::string initialState(parts[2]);
    const std::string title = parts[3].empty() ? std::string("small\n") : std::string(parts[3]);
    tc::fuzz::WriteText("job/small.inp", deck);
    tc::fuzz::WriteText("job/small.dat", mesh);
    tc::fuzz::WriteText("job/title.dat", title);
    std::error_code ignored;
    if (initialState.empty()) {
        fs::remove("w.dat", ignored);
    } else {
        tc::fuzz::WriteText("w.dat", initialState);
    }
    for (const char* output : Outputs) fs::remove(output, ignored);

    const int console = ::open("console-error.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(console, 2);
    ::close(console);
    char name[] = "thermocrack";
    char* argv[] = {name, nullptr};
    const long long unexpectedBefore = tc::UnexpectedFailures();
    const int status = tc::RunMain(1, argv);
    const bool unexpected = tc::UnexpectedFailures() != unexpectedBefore;
    ::dup2(savedStderr, 2);

    // Plausibility warnings come first, one line each; then at most the error line.
    const std::string errorStream = ReadText("console-error.txt");
    std::size_t warnings = 0;
    while (errorStream.compare(warnings, 9, "warning: ") == 0 && errorStream.find('\n', warnings) != std::string::npos) {
        warnings = errorStream.find('\n', warnings) + 1;
    }
    const std::string message = errorStream.substr(warnings);
    if (status == 0) {
        if (!message.empty()) Fault("a normal end wrote an error", errorStream);
    } else if (status == 2) {
        const bool oneLine = message.starts_with("error: unit ") && message.find('\n') == message.size() - 1;
        if (!oneLine) Fault("an error that does not say where", errorStream);
    } else {
        Fault("exit status other than 0 or 2", std::to_string(status));
    }
    if (unexpected) Fault("an unexpected failure", message);
    for (const char* output : Outputs) {
        if (fs::exists(output) && !CompleteRecords(ReadText(output))) Fault("half a record in", output);
        if (fs::exists(tc::ReplacementName(output))) Fault("a new file left beside", output);
    }
    if (fs::exists(std::string("job/") + tc::JobLockFileName)) Fault("the lock file left in the job folder", "");
    if (ReadText("job/small.inp") != deck || ReadText("job/small.dat") != mesh ||
        ReadText("job/small.tmp") != Temperatures || ReadText("job/title.dat") != title ||
        (!initialState.empty() && ReadText("w.dat") != initialState)) {
        Fault("an input file was changed", "");
    }
    return 0;
}
