#include "bad_input/job_folder.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

extern char** environ;

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

// The child: into the folder, console to files, no drive mapping, then the program.
[[noreturn]] void RunChild(const fs::path& work, const fs::path& root, const fs::path& binary) {
    if (::chdir(work.c_str()) != 0) ::_exit(127);
    const int out = ::open((root / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open((root / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(127);
    std::vector<std::string> names;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        if (entry.starts_with("THERMOCRACK_DRIVE_")) names.emplace_back(entry.substr(0, entry.find('=')));
    }
    for (const std::string& n : names) ::unsetenv(n.c_str());
    ::execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
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
    std::string pattern = (fs::temp_directory_path() / "tc-bad-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder";
        return result;
    }
    const fs::path root = pattern;
    const fs::path work = root / "work";
    fs::create_directory(work);
    for (const auto& [name, bytes] : files) WriteFile(work / name, bytes);

    const pid_t child = ::fork();
    if (child == 0) RunChild(work, root, binary);
    int status = 0;
    if (child > 0) {
        const auto deadline = std::chrono::steady_clock::now() + RunTimeLimit;
        for (;;) {
            const pid_t done = ::waitpid(child, &status, WNOHANG);
            if (done == child) break;
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                result.timedOut = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        result.exited = !result.timedOut && WIFEXITED(status);
        if (result.exited) result.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    } else {
        ADD_FAILURE() << "cannot start the program";
    }
    result.console = ReadFile(root / "stdout");
    result.consoleError = ReadFile(root / "stderr");
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
