// Fault injection, end to end: a user's bad day with the program, each row a grouped test on the
// small job in a fresh temporary folder. A run never mixes two runs' results, never loses the
// previous ones when it does not end, and never writes outside its job folder or over an input.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "faults/fault_job.hpp"

namespace tc::faults {
namespace {

constexpr char StopLine[] = "Stop - Program terminated.\n";
constexpr char Lock[] = "job/thermocrack.lock";

// Long enough to be caught at several points: about 17 MB of listing.
constexpr int LongSteps = 5000;

// Files whose names end like a new file not yet put in place, or the lock.
std::vector<std::string> Leftovers(const fs::path& work) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(work / "job")) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".partial-run") || name == "thermocrack.lock") found.push_back(name);
    }
    return found;
}

// The outputs of a clean run of the job.
FileSet CleanOutputs(const FileSet& job) {
    Scratch scratch;
    WriteFiles(scratch.work, job);
    const Ended ended = RunProgram(scratch);
    EXPECT_EQ(ended.code, 0) << ended.err;
    FileSet outputs;
    for (const char* name : Outputs) outputs[name] = ReadFile(scratch.work / name);
    return outputs;
}

const FileSet& LongJob() {
    static const FileSet job = SmallJob(LongSteps, 2);
    return job;
}

const FileSet& LongJobOutputs() {
    static const FileSet outputs = CleanOutputs(LongJob());
    return outputs;
}

// The folder holds the job and these outputs, byte for byte, and nothing else.
void ExpectFolder(const Scratch& scratch, const FileSet& job, const FileSet& outputs, const std::string& when) {
    FileSet expected = job;
    for (const auto& [name, bytes] : outputs) expected[name] = bytes;
    const FileSet got = ReadFiles(scratch.work);
    for (const auto& [name, bytes] : expected) {
        const auto found = got.find(name);
        if (found == got.end()) {
            ADD_FAILURE() << when << ": " << name << " is missing";
        } else if (found->second != bytes) {
            ADD_FAILURE() << when << ": " << name << " differs (" << found->second.size() << " bytes, expected "
                          << bytes.size() << ")";
        }
    }
    for (const auto& [name, bytes] : got) {
        if (!expected.count(name)) ADD_FAILURE() << when << ": " << name << " was left";
    }
}

// Starts a run of the long job over the previous results, stops the child once reached() holds,
// ends it with the signal, and checks what it leaves; then the next run ends normally, leaving
// no new file of the stopped one.
void StopAndKill(int signal, const std::string& point, const std::function<bool(const fs::path&)>& reached) {
    SCOPED_TRACE("signal " + std::to_string(signal) + " at " + point);
    Scratch scratch;
    WriteFiles(scratch.work, LongJob());
    WriteFiles(scratch.work, LongJobOutputs());
    const pid_t child = Start(scratch);
    ASSERT_TRUE(StopWhen(child, [&] { return reached(scratch.work); })) << "the run ended before the point";
    ::kill(child, signal);
    ::kill(child, SIGCONT);
    const Ended ended = Wait(child, scratch);
    if (signal == SIGKILL) {
        EXPECT_EQ(ended.signal, SIGKILL);
    } else {
        EXPECT_TRUE(ended.exited) << "ended by signal " << ended.signal;
        EXPECT_EQ(ended.code, 128 + signal);
        EXPECT_NE(ended.err.find("earlier results are kept"), std::string::npos) << ended.err;
        EXPECT_EQ(Leftovers(scratch.work), std::vector<std::string>{});
    }
    EXPECT_EQ(ended.out, "");
    // The previous results whole; a killed run's new files are not outputs.
    for (const char* name : Outputs) EXPECT_EQ(ReadFile(scratch.work / name), LongJobOutputs().at(name)) << name;

    const Ended next = RunProgram(scratch);
    EXPECT_EQ(next.code, 0) << next.err;
    ExpectFolder(scratch, LongJob(), LongJobOutputs(), "the next run");
}

std::uintmax_t SizeOf(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

TEST(Faults, TwoRunsOfOneJobAtOnce) {
    Scratch scratch;
    WriteFiles(scratch.work, LongJob());
    const pid_t first = Start(scratch);
    ASSERT_TRUE(StopWhen(first, [&] { return SizeOf(scratch.work / "job/small.out.partial-run") > 0; }));

    // The second run, into the same job folder while the first holds it: refused at once, naming
    // the folder and the first run's process, and changing nothing.
    const FileSet during = ReadFiles(scratch.work);
    Scratch other;  // its own console, its working folder a link to the first run's
    fs::remove_all(other.work);
    fs::create_directory_symlink(scratch.work, other.work);
    const Ended second = RunProgram(other);
    EXPECT_EQ(second.code, 2);
    EXPECT_EQ(second.out, "");
    EXPECT_NE(second.err.find("job folder ./job/"), std::string::npos) << second.err;
    EXPECT_NE(second.err.find("process " + std::to_string(first)), std::string::npos) << second.err;
    EXPECT_EQ(ReadFiles(scratch.work), during) << "the refused run changed the folder";

    ::kill(first, SIGCONT);
    const Ended ended = Wait(first, scratch);
    EXPECT_EQ(ended.code, 0) << ended.err;
    EXPECT_EQ(ended.out, StopLine);
    ExpectFolder(scratch, LongJob(), LongJobOutputs(), "after the first run");
}

TEST(Faults, EveryOutputIsReplacedWholeOrNotAtAll) {
    Scratch scratch;
    FileSet job = SmallJob(40, 0);
    WriteFiles(scratch.work, job);
    ASSERT_EQ(RunProgram(scratch).code, 0);
    const FileSet forty = ReadFiles(scratch.work);

    // A rerun whose temperature file has a single block: no step, so every history file is
    // empty and the status 1, not the forty steps of the run before.
    FileSet single = SmallJob(0, 0);
    WriteFiles(scratch.work, single);
    Ended ended = RunProgram(scratch);
    EXPECT_EQ(ended.code, 0) << ended.err;
    for (const char* name : Outputs) {
        const std::string text = ReadFile(scratch.work / name);
        if (std::string(name).ends_with(".sta")) {
            EXPECT_EQ(text, "           1\r\n");
        } else if (!std::string(name).ends_with(".out")) {
            EXPECT_EQ(text, "") << name;
        }
    }
    EXPECT_EQ(Leftovers(scratch.work), std::vector<std::string>{});

    // A run stopped by a read error (the temperature file cut in its sixth block) replaces every
    // output too: five steps in each history, the error at the end of the listing, no status.
    WriteFiles(scratch.work, forty);
    std::string cut = ReadFile(scratch.work / "job/small.tmp");
    std::size_t at = 0;
    for (int line = 0; line < 3 + 3 * 6 + 1; ++line) at = cut.find('\n', at) + 1;
    WriteFiles(scratch.work, {{"job/small.tmp", cut.substr(0, at + 20)}});
    ended = RunProgram(scratch);
    EXPECT_EQ(ended.code, 2);
    EXPECT_NE(ended.err.find("small.tmp"), std::string::npos) << ended.err;
    const std::string list = ReadFile(scratch.work / "job/small.out");
    EXPECT_TRUE(list.ends_with(" error: " + ended.err.substr(7, ended.err.size() - 8) + "\r\n"));
    EXPECT_EQ(ReadFile(scratch.work / "job/small.sta"), "");
    for (const char* name : {"job/small.hss", "job/small.hdp", "job/small.hst"}) {
        EXPECT_TRUE(forty.at(name).starts_with(ReadFile(scratch.work / name))) << name;
    }
    const std::string depths = ReadFile(scratch.work / "job/small.hdp");
    EXPECT_EQ(std::count(depths.begin(), depths.end(), '\n'), 5) << "one line per step done";
    EXPECT_EQ(Leftovers(scratch.work), std::vector<std::string>{});
}

TEST(Faults, ReadOnlyLinkedAndOddOutputs) {
    const FileSet job = SmallJob(3, 0);
    const FileSet outputs = CleanOutputs(job);
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        const char* message;  // in the refusal; empty when the run must end normally
    };
    const std::vector<Case> cases = {
        {"read-only output", [](const fs::path& w) { fs::permissions(w / "job/small.hss", fs::perms::owner_read | fs::perms::group_read); },
         "small.hss), open: the file is read-only"},
        {"link from an output to an input",
         [](const fs::path& w) {
             fs::remove(w / "job/small.hdp");
             fs::create_symlink("small.tmp", w / "job/small.hdp");
         },
         "same file as the input ./job/small.tmp (through a link)"},
        {"second name of an input",
         [](const fs::path& w) {
             fs::remove(w / "job/small.out");
             fs::create_hard_link(w / "job/small.inp", w / "job/small.out");
         },
         "same file as the input ./job/small.inp (a second name)"},
        {"folder at an output's name",
         [](const fs::path& w) {
             fs::remove(w / "job/small.hcr");
             fs::create_directory(w / "job/small.hcr");
         },
         "small.hcr), open: the name is taken by a folder"},
        {"FIFO at an output's name",
         [](const fs::path& w) {
             fs::remove(w / "job/small.hss");
             ASSERT_EQ(::mkfifo((w / "job/small.hss").c_str(), 0644), 0);
         },
         "small.hss), open: the name is taken by a FIFO"},
        {"links elsewhere", [](const fs::path& w) {
             fs::remove(w / "job/small.hwd");
             fs::create_symlink("../victim.txt", w / "job/small.hwd");
             fs::remove(w / "job/small.sta");
             fs::create_symlink("nowhere/at/all", w / "job/small.sta");
         },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scratch scratch;
        WriteFiles(scratch.work, job);
        WriteFiles(scratch.work, outputs);
        WriteFiles(scratch.work, {{"victim.txt", "not the job's\n"}});
        c.make(scratch.work);
        const FileSet before = ReadFiles(scratch.work);
        const Ended ended = RunProgram(scratch);
        EXPECT_EQ(ReadFile(scratch.work / "victim.txt"), "not the job's\n");
        EXPECT_EQ(Leftovers(scratch.work), std::vector<std::string>{});
        if (*c.message == '\0') {
            // The links are replaced by the outputs; what they named is left alone.
            EXPECT_EQ(ended.code, 0) << ended.err;
            for (const char* name : Outputs) {
                EXPECT_FALSE(fs::is_symlink(scratch.work / name)) << name;
                EXPECT_EQ(ReadFile(scratch.work / name), outputs.at(name)) << name;
            }
            EXPECT_FALSE(fs::exists(scratch.work / "job/nowhere"));
            continue;
        }
        EXPECT_EQ(ended.code, 2);
        EXPECT_NE(ended.err.find(c.message), std::string::npos) << ended.err;
        EXPECT_EQ(ReadFiles(scratch.work), before) << "the refused run changed the folder";
    }
}

TEST(Faults, JobNamesThatLeadOutOfTheJobFolder) {
    for (const std::string name : {"'../../victim/x'", "'..\\..\\victim\\x'", "'/tmp/x'", "c:x", "'a\tb'", "..",
                                   "'x\x1b[2Jy'"}) {
        SCOPED_TRACE(name);
        Scratch scratch;
        FileSet job = SmallJob(3, 0);
        job["job/title.dat"] = name + "\n";
        WriteFiles(scratch.work, job);
        const FileSet before = ReadFiles(scratch.root);
        const Ended ended = RunProgram(scratch);
        EXPECT_EQ(ended.code, 2);
        EXPECT_TRUE(ended.err.starts_with("error: unit 31 (./job/title.dat), read of record 1: the job name"))
            << ended.err;
        FileSet after = ReadFiles(scratch.root);
        after.erase("stdout");
        after.erase("stderr");
        EXPECT_EQ(after, before) << "files were written";
    }
}

TEST(Faults, KilledRunsKeepThePreviousResults) {
    const auto lockTaken = [](const fs::path& w) { return fs::exists(w / Lock); };
    const auto listStarted = [](const fs::path& w) { return SizeOf(w / "job/small.out.partial-run") > 64 * 1024; };
    const auto listHalfway = [](const fs::path& w) {
        return SizeOf(w / "job/small.out.partial-run") > LongJobOutputs().at("job/small.out").size() / 2;
    };
    for (const int signal : {SIGKILL, SIGTERM, SIGINT}) {
        StopAndKill(signal, "the lock", lockTaken);
        StopAndKill(signal, "64 KiB of listing", listStarted);
        StopAndKill(signal, "half the listing", listHalfway);
    }
}

TEST(Faults, AStopLineThatCannotBeWrittenIsAnError) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
    Scratch scratch;
    const FileSet job = SmallJob(3, 0);
    WriteFiles(scratch.work, job);
    const Ended ended = RunProgram(scratch, true);
    EXPECT_EQ(ended.code, 2);
    EXPECT_EQ(ended.err, "error: standard output, write of the stop line: No space left on device\n");
    // The results are complete and in place all the same.
    ExpectFolder(scratch, job, CleanOutputs(job), "after the run");
}

TEST(Faults, ZeroStressHasAnUnboundedCrackIndexWhateverTheStrength) {
    // One temperature throughout: no element is ever stressed. Parameter-C (deck record 3,
    // columns 37-48) makes ft zero or negative.
    for (const char* parameterC : {"        0.44", "         0.0", "       -0.44"}) {
        SCOPED_TRACE(parameterC);
        Scratch scratch;
        FileSet job = SmallJob(3, 0);
        std::string& deck = job["job/small.inp"];
        const std::size_t record3 = deck.find('\n', deck.find('\n') + 1) + 1;
        deck.replace(record3 + 36, 12, parameterC);
        std::string& temperatures = job["job/small.tmp"];
        std::string flat;
        std::size_t start = 0;
        for (int line = 0; start < temperatures.size(); ++line) {
            const std::size_t end = temperatures.find('\n', start);
            if (line >= 3 && (line - 3) % 3 != 0) {
                for (int k = 0; k < 10; ++k) flat += "    20.000";
            } else {
                flat += temperatures.substr(start, end - start);
            }
            flat += '\n';
            start = end + 1;
        }
        temperatures = flat;
        WriteFiles(scratch.work, job);
        const Ended ended = RunProgram(scratch);
        ASSERT_EQ(ended.code, 0) << ended.err;
        const std::string index = ReadFile(scratch.work / "job/small.hci");
        std::size_t infinities = 0;
        for (std::size_t at = index.find("Infinity"); at != std::string::npos; at = index.find("Infinity", at + 1)) {
            ++infinities;
            EXPECT_NE(index[at - 1], '-') << index;
        }
        EXPECT_EQ(infinities, 3u * 12u) << index;
        EXPECT_EQ(index.find("NaN"), std::string::npos) << index;
    }
}

TEST(Faults, BarsOnTheCornersOfATrapezoidAreInsideIt) {
    // One element whose closed-form inverse has no usable root, with a bar on each corner: the
    // iteration used instead must not put them a hair outside and warn of a "jacobian error".
    const FileSet job = {
        {"path.dat", "c:\\job\n"},
        {"job/title.dat", "corner\n"},
        {"job/corner.inp",
         "    1    0\n    4\n"
         "        40.0         4.5        0.95        0.44      4700.0     1.0E-05\n"
         "       300.0       500.0       150.0       250.0\n"
         "    200000.0         1.0\n"
         "         0.8         0.6         0.5\n"
         "    1           40.0            9.0          198.6\n"
         "    2           40.0           18.0          198.6\n"
         "    3            2.0           37.0          198.6\n"
         "    4            2.0           18.0          198.6\n"},
        {"job/corner.dat",
         "    1    0    0       0.0\n    4    1    4       0.0\n    1    1    4       1.0\n"
         "         1      40.0       9.0\n         2      40.0      18.0\n"
         "         3       2.0      37.0\n         4       2.0      18.0\n"
         "         1     1     2     3     4  1000.0\n"},
        {"job/corner.tmp",
         "    4   12    1\n    2\n    0\n"
         "    1    0.5000\n    20.000    20.000    20.000    20.000\n"
         "    2    1.5000\n    30.000    31.000    32.000    33.000\n"},
    };
    Scratch scratch;
    WriteFiles(scratch.work, job);
    const Ended ended = RunProgram(scratch);
    ASSERT_EQ(ended.code, 0) << ended.err;
    const std::string list = ReadFile(scratch.work / "job/corner.out");
    EXPECT_EQ(list.find("jacobian error"), std::string::npos) << list;
    // Each bar takes its corner's temperature.
    EXPECT_NE(list.find("    1     30.00     33.00     30.00     31.00     32.00"), std::string::npos) << list;
}

}  // namespace
}  // namespace tc::faults
