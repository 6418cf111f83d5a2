// MakeTemporaryFolder, the environment and RunProgram: fork and exec on Linux and macOS,
// CreateProcess on Windows.
#include "support/child_process.hpp"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace tc::testing {
namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> DriveMappingNames() {
    std::vector<std::string> names;
#ifdef _WIN32
    char** entries = _environ;
#else
    char** entries = environ;
#endif
    for (char** e = entries; e != nullptr && *e != nullptr; ++e) {
        const std::string_view entry(*e);
        if (entry.starts_with("THERMOCRACK_DRIVE_")) names.emplace_back(entry.substr(0, entry.find('=')));
    }
    return names;
}

#ifdef _WIN32
// One argument as the C runtime of the started program splits its command line: in quotes, a
// quote escaped, and backslashes doubled where a quote follows them.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

HANDLE OpenForChild(const fs::path& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Start(ProgramRun& run, const fs::path& program, const std::vector<std::string>& arguments, const fs::path& work,
           const fs::path& outFile, const fs::path& errFile, std::chrono::seconds timeLimit) {
    std::wstring line;
    AppendQuoted(line, program.wstring());
    for (const std::string& argument : arguments) {
        line += L' ';
        AppendQuoted(line, fs::path(argument).wstring());
    }
    const HANDLE in = OpenForChild("NUL", false);
    const HANDLE out = OpenForChild(outFile, true);
    const HANDLE err = OpenForChild(errFile, true);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::wstring folder = work.wstring();
    const bool started = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
                         ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          folder.c_str(), &startup, &process) != 0;
    for (const HANDLE h : {in, out, err}) {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
    if (!started) throw std::runtime_error("cannot start " + program.string());
    const auto limit = static_cast<DWORD>(std::chrono::milliseconds(timeLimit).count());
    if (::WaitForSingleObject(process.hProcess, limit) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        run.timedOut = true;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    // Exit codes from 0xC0000000 on are the exceptions that end a program (access violation, ...).
    if (!run.timedOut && code < 0xC0000000u) {
        run.exited = true;
        run.exitCode = static_cast<int>(code);
    } else if (!run.timedOut) {
        run.signal = static_cast<int>(code);
    }
}
#else
void Start(ProgramRun& run, const fs::path& program, const std::vector<std::string>& arguments, const fs::path& work,
           const fs::path& outFile, const fs::path& errFile, std::chrono::seconds timeLimit) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("cannot start " + program.string());
    if (child == 0) {
        // Between fork and exec only calls that are safe there.
        if (::chdir(work.c_str()) != 0) ::_exit(127);
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    for (;;) {
        if (::waitpid(child, &status, WNOHANG) == child) break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            run.timedOut = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(status)) {
        run.exited = true;
        run.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
}
#endif

}  // namespace

fs::path MakeTemporaryFolder(std::string_view prefix) {
    static std::mt19937_64 random{std::random_device{}()};
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder = base / (std::string(prefix) + std::to_string(random() % 1000000000u));
        if (fs::create_directory(folder)) return folder;
    }
    throw std::runtime_error("cannot make a temporary folder in " + base.string());
}

void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name.c_str(), value.c_str());
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
    // An empty value removes the variable.
    ::_putenv_s(name.c_str(), "");
#else
    ::unsetenv(name.c_str());
#endif
}

void ClearDriveMapping() {
    for (const std::string& name : DriveMappingNames()) UnsetEnvironment(name);
}

ProgramRun RunProgram(const fs::path& program, const std::vector<std::string>& arguments, const fs::path& work,
                      const fs::path& outFile, const fs::path& errFile, std::chrono::seconds timeLimit) {
    ProgramRun run;
    Start(run, fs::absolute(program), arguments, work, outFile, errFile, timeLimit);
    run.output = ReadAll(outFile);
    run.error = ReadAll(errFile);
    return run;
}

std::string WithoutCarriageReturns(std::string text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

}  // namespace tc::testing
