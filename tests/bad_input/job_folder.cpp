#include "bad_input/job_folder.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/child_process.hpp"

namespace tc::bad_input {

namespace {

// A run that takes longer than this is taken for a hang and killed.
constexpr auto RunTimeLimit = std::chrono::seconds(60);

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

FileSet ReadFolder(const fs::path& dir) {
    FileSet files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) files[fs::relative(entry.path(), dir).generic_string()] = ReadFile(entry.path());
    }
    return files;
}

// The environment's value, else the path built in.
fs::path EnvPath(const char* name, const char* builtIn) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? fs::path(value) : fs::path(builtIn);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, lf - start));
        start = lf + 1;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, bool finalLineEnd) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 < lines.size() || finalLineEnd) text += '\n';
    }
    return text;
}

bool EndsInLineEnd(const std::string& text) { return !text.empty() && text.back() == '\n'; }

}  // namespace

FileSet SmallJob() {
    const fs::path source = EnvPath("THERMOCRACK_SOURCE_DIR", THERMOCRACK_BUILT_SOURCE_DIR);
    return ReadFolder(source / "tests" / "bad_input" / "job");
}

RunResult RunJob(const FileSet& files) {
    RunResult result;
    const fs::path binary = EnvPath("THERMOCRACK_BINARY", THERMOCRACK_BUILT_BINARY);
    const fs::path root = tc::testing::MakeTemporaryFolder("tc-bad-");
    const fs::path work = root / "work";
    fs::create_directory(work);
    for (const auto& [name, bytes] : files) WriteFile(work / name, bytes);

    tc::testing::ClearDriveMapping();
    std::vector<std::string> arguments;
#ifdef _WIN32
    // The path file is the real c:\path.dat there: the job runs through its folder instead.
    arguments = {"./job"};
#endif
    const tc::testing::ProgramRun run =
        tc::testing::RunProgram(binary, arguments, work, root / "stdout", root / "stderr", RunTimeLimit);
    result.exited = run.exited;
    result.exitCode = run.exitCode;
    result.signal = run.signal;
    result.timedOut = run.timedOut;
    // The console's line ends are the host's.
    result.console = tc::testing::WithoutCarriageReturns(run.output);
    result.consoleError = tc::testing::WithoutCarriageReturns(run.error);
    result.after = ReadFolder(work);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return result;
}

int RecordCount(const std::string& text) { return static_cast<int>(Lines(text).size()); }

void SetColumns(std::string& text, int record, int first, int last, std::string_view value) {
    std::vector<std::string> lines = Lines(text);
    while (static_cast<int>(lines.size()) < record) lines.emplace_back();
    std::string& line = lines[static_cast<std::size_t>(record - 1)];
    const auto width = static_cast<std::size_t>(last - first + 1);
    if (line.size() < static_cast<std::size_t>(last)) line.resize(static_cast<std::size_t>(last), ' ');
    std::string field(width, ' ');
    const std::size_t n = value.size() < width ? value.size() : width;
    field.replace(width - n, n, value.substr(0, n));
    line.replace(static_cast<std::size_t>(first - 1), width, field);
    text = Join(lines, true);
}

void SetRecord(std::string& text, int record, std::string_view value) {
    std::vector<std::string> lines = Lines(text);
    while (static_cast<int>(lines.size()) < record) lines.emplace_back();
    lines[static_cast<std::size_t>(record - 1)] = std::string(value);
    text = Join(lines, true);
}

void KeepRecords(std::string& text, int n) {
    std::vector<std::string> lines = Lines(text);
    if (static_cast<int>(lines.size()) > n) lines.resize(static_cast<std::size_t>(n));
    text = lines.empty() ? std::string() : Join(lines, true);
}

void CutRecord(std::string& text, int record, int columns) {
    std::vector<std::string> lines = Lines(text);
    lines.resize(static_cast<std::size_t>(record));
    std::string& line = lines.back();
    if (line.size() > static_cast<std::size_t>(columns)) line.resize(static_cast<std::size_t>(columns));
    text = Join(lines, false);
}

void PadRecords(std::string& text, std::size_t length, std::string_view fill) {
    std::vector<std::string> lines = Lines(text);
    for (std::string& line : lines) {
        for (std::size_t k = 0; line.size() < length; ++k) line += fill[k % fill.size()];
    }
    text = Join(lines, EndsInLineEnd(text));
}

}  // namespace tc::bad_input
