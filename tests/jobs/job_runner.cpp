#include "jobs/job_runner.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string_view>
#include <vector>

extern char** environ;

namespace tc::jobs {

namespace {

constexpr std::array<std::string_view, 9> OutputExtensions = {".out", ".hss", ".hci", ".hwd", ".hcr",
                                                              ".hdp", ".hst", ".sta", ".hcj"};

bool IsOutputFile(const fs::path& path) {
    const std::string ext = path.extension().string();
    return std::find(OutputExtensions.begin(), OutputExtensions.end(), ext) != OutputExtensions.end();
}

// The environment's value when set, else the path the build compiled in.
fs::path EnvPath(const char* name, const char* built) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') value = built;
    return fs::path(value);
}

// A drive mapping inherited from the caller's environment would send c:\path.dat elsewhere.
void ClearDriveMapping() {
    std::vector<std::string> names;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        if (entry.starts_with("THERMOCRACK_DRIVE_")) names.emplace_back(entry.substr(0, entry.find('=')));
    }
    for (const std::string& name : names) unsetenv(name.c_str());
}

std::string Quoted(const fs::path& path) {
    std::string text = "'";
    for (char c : path.string()) {
        if (c == '\'') {
            text += "'\\''";
        } else {
            text += c;
        }
    }
    return text + "'";
}

std::set<fs::path> RelativeFiles(const fs::path& dir) {
    std::set<fs::path> files;
    if (!fs::exists(dir)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), dir));
    }
    return files;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

std::string Visible(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') {
            out += "<CR>";
        } else {
            out += c;
        }
    }
    return out;
}

// Byte comparison; on a difference, names the first line that differs.
void ExpectSameText(const std::string& expected, const std::string& actual, const std::string& label) {
    if (expected == actual) return;
    const std::vector<std::string> want = Lines(expected);
    const std::vector<std::string> got = Lines(actual);
    std::size_t i = 0;
    while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
    ADD_FAILURE() << label << " differs at line " << i + 1 << "\n  expected: "
                  << (i < want.size() ? Visible(want[i]) : "<end of file>")
                  << "\n  actual:   " << (i < got.size() ? Visible(got[i]) : "<end of file>")
                  << "\n  (" << want.size() << " expected lines, " << got.size() << " actual)";
}

}  // namespace

JobRun::~JobRun() {
    if (root.empty()) return;
    if (keep) {
        std::fprintf(stderr, "kept the run folder %s\n", root.string().c_str());
        return;
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

fs::path SourceDir() { return EnvPath("THERMOCRACK_SOURCE_DIR", THERMOCRACK_BUILT_SOURCE_DIR); }

fs::path Binary() { return EnvPath("THERMOCRACK_BINARY", THERMOCRACK_BUILT_BINARY); }

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RunJob(const fs::path& input, bool skipOutputs, JobRun& run) {
    ASSERT_TRUE(fs::is_directory(input)) << input;
    const fs::path binary = Binary();
    ASSERT_TRUE(fs::is_regular_file(binary)) << "no binary at " << binary;
    std::string pattern = (fs::temp_directory_path() / "tc-job-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "cannot make a temporary folder";
    run.root = pattern;
    run.work = run.root / "work";
    fs::create_directory(run.work);
    for (const fs::path& rel : RelativeFiles(input)) {
        if (skipOutputs && IsOutputFile(rel)) continue;
        fs::create_directories((run.work / rel).parent_path());
        fs::copy_file(input / rel, run.work / rel);
    }
    ClearDriveMapping();
    const std::string command = "cd " + Quoted(run.work) + " && " + Quoted(binary) + " >" +
                                Quoted(run.root / "stdout") + " 2>" + Quoted(run.root / "stderr");
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "the run did not end normally: " << command;
    run.exitCode = WEXITSTATUS(status);
    run.console = ReadFile(run.root / "stdout");
    run.consoleError = ReadFile(run.root / "stderr");
}

void ExpectRunMatches(const fs::path& input, const fs::path& expected, bool skipOutputs, JobRun& run) {
    ASSERT_TRUE(fs::is_directory(expected)) << expected;

    const std::string code = ReadFile(expected / "exit-code");
    EXPECT_EQ(run.exitCode, std::atoi(code.c_str())) << "exit status; standard error:\n" << run.consoleError;
    ExpectSameText(ReadFile(expected / "console.txt"), run.console, "console (standard output)");
    const fs::path errorFile = expected / "console-error.txt";
    ExpectSameText(fs::exists(errorFile) ? ReadFile(errorFile) : std::string(), run.consoleError,
                   "console (standard error)");

    std::set<fs::path> allowed;
    for (const fs::path& rel : RelativeFiles(input)) {
        if (!(skipOutputs && IsOutputFile(rel))) allowed.insert(rel);
    }
    for (const fs::path& rel : RelativeFiles(expected)) {
        if (rel == "exit-code" || rel == "console.txt" || rel == "console-error.txt") continue;
        allowed.insert(rel);
        const fs::path actual = run.work / rel;
        if (!fs::exists(actual)) {
            ADD_FAILURE() << rel << " was not written";
            continue;
        }
        ExpectSameText(ReadFile(expected / rel), ReadFile(actual), rel.string());
    }
    for (const fs::path& rel : RelativeFiles(run.work)) {
        EXPECT_TRUE(allowed.contains(rel)) << "the run created " << rel << ", which no expected file names";
    }

    run.keep = ::testing::Test::HasFailure();
}

}  // namespace tc::jobs
