#include "faults/fault_job.hpp"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "test_paths.hpp"

namespace tc::faults {

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

FileSet ReadFiles(const fs::path& folder) {
    FileSet files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && !entry.is_symlink()) {
            files[fs::relative(entry.path(), folder).generic_string()] = ReadFile(entry.path());
        }
    }
    return files;
}

void WriteFiles(const fs::path& folder, const FileSet& files) {
    for (const auto& [name, bytes] : files) {
        fs::create_directories((folder / name).parent_path());
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
}

FileSet SmallJob(int steps, int iecho) {
    FileSet job = ReadFiles(testing::SourceDir() / "tests" / "bad_input" / "job");
    // The deck's first record: IECHO, Iinit.
    std::string& deck = job["job/small.inp"];
    char head[16];
    std::snprintf(head, sizeof head, "%5d%5d", iecho, 0);
    deck.replace(0, 10, head);
    // Blocks of one number line and two lines of node temperatures after a three-record header;
    // the job's three steps again and again, its ages rising.
    const std::vector<std::string> lines = Lines(job["job/small.tmp"]);
    std::string temperatures = lines[0] + "\n" + std::to_string(steps + 1) + "\n" + lines[2] + "\n";
    for (int block = 0; block <= steps; ++block) {
        const int source = block == 0 ? 0 : 1 + (block - 1) % 3;
        char number[32];
        std::snprintf(number, sizeof number, "%5d%10.4f", block + 1, 0.5 + 0.01 * block);
        temperatures += number;
        temperatures += "\n" + lines[4 + 3 * static_cast<std::size_t>(source)] + "\n" +
                        lines[5 + 3 * static_cast<std::size_t>(source)] + "\n";
    }
    job["job/small.tmp"] = temperatures;
    return job;
}

Scratch::Scratch() {
    std::string pattern = (fs::temp_directory_path() / "tc-faults-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root = pattern;
    work = root / "work";
    fs::create_directories(work / "job");
}

Scratch::~Scratch() {
    std::error_code ignored;
    // A test may have left read-only files or folders: make them removable first.
    for (auto it = fs::recursive_directory_iterator(root, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(root, ignored);
}

pid_t Start(const Scratch& scratch, bool stdoutToFull) {
    const std::string binary = testing::BinaryPath().string();
    const pid_t child = ::fork();
    if (child != 0) return child;
    // The child: stop signals at their defaults (a test runner may have them ignored), console
    // to files, no drive mapping.
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (::chdir(scratch.work.c_str()) != 0) ::_exit(127);
    const int out = stdoutToFull ? ::open("/dev/full", O_WRONLY)
                                 : ::open((scratch.root / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open((scratch.root / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(127);
    ::unsetenv("THERMOCRACK_DRIVE_C");
    ::execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
}

Ended Wait(pid_t child, const Scratch& scratch) {
    Ended ended;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ended.exited = WIFEXITED(status);
    if (ended.exited) ended.code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) ended.signal = WTERMSIG(status);
    ended.out = ReadFile(scratch.root / "stdout");
    ended.err = ReadFile(scratch.root / "stderr");
    return ended;
}

Ended RunProgram(const Scratch& scratch, bool stdoutToFull) { return Wait(Start(scratch, stdoutToFull), scratch); }

bool StopWhen(pid_t child, const std::function<bool()>& reached) {
    for (;;) {
        if (reached()) {
            ::kill(child, SIGSTOP);
            int status = 0;
            return ::waitpid(child, &status, WUNTRACED) == child && WIFSTOPPED(status);
        }
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == child) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

}  // namespace tc::faults
