// The command line of the program: a job folder argument, --help, --version and wrong arguments,
// run on the built binary as a separate process.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace tc {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// The build may name the binary and the source folder; the environment variables win when set.
#ifndef THERMOCRACK_BUILT_BINARY
#define THERMOCRACK_BUILT_BINARY ""
#endif
#ifndef THERMOCRACK_BUILT_SOURCE_DIR
#define THERMOCRACK_BUILT_SOURCE_DIR ""
#endif

std::string FromEnvironment(const char* name, const char* built) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : built;
}

// The source folder: named, or the one that holds this file (tests/run/).
fs::path SourceDir() {
    const std::string named = FromEnvironment("THERMOCRACK_SOURCE_DIR", THERMOCRACK_BUILT_SOURCE_DIR);
    if (!named.empty()) return fs::path(named);
    return fs::path(__FILE__).parent_path().parent_path().parent_path();
}

// The binary under test: named, or the one at the top of the build tree that holds this test
// program (<build>/tests/run/run_tests beside <build>/thermocrack).
fs::path BinaryUnderTest() {
    const std::string named = FromEnvironment("THERMOCRACK_BINARY", THERMOCRACK_BUILT_BINARY);
    if (!named.empty()) return fs::path(named);
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return self.parent_path().parent_path().parent_path() / "thermocrack";
}

// A fresh folder per test holding copies of a small restart job, removed afterwards.
class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        binary_ = BinaryUnderTest();
        ASSERT_TRUE(!binary_.empty() && fs::exists(binary_)) << "no binary at '" << binary_.string()
                                                             << "': build the target thermocrack";
        std::string pattern = (fs::temp_directory_path() / "tc_command_line_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        // c:\job must mean ./job for the run through the path file.
        unsetenv("THERMOCRACK_DRIVE_C");
    }
    void TearDown() override {
        if (!root_.empty()) fs::remove_all(root_);
    }

    // Runs the binary in cwd with the given arguments.
    Outcome Run(const fs::path& cwd, const std::vector<std::string>& args) const {
        std::string command = "cd " + Quoted(cwd.string()) + " && " + Quoted(binary_.string());
        for (const std::string& arg : args) command += " " + Quoted(arg);
        const fs::path out = root_ / "stdout.txt";
        const fs::path err = root_ / "stderr.txt";
        command += " >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = ReadFile(out);
        outcome.err = ReadFile(err);
        return outcome;
    }

    // A copy of the restart job's input (path.dat, w.dat and job/) in root_/name.
    fs::path CopyRestartJob(const std::string& name) const {
        const fs::path input = SourceDir() / "tests" / "jobs" / "restart" / "input";
        const fs::path target = root_ / name;
        fs::create_directories(target);
        fs::copy(input, target, fs::copy_options::recursive);
        return target;
    }

    fs::path binary_;
    fs::path root_;
};

std::vector<fs::path> OutputFiles(const fs::path& job) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(job)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".inp" && ext != ".dat" && ext != ".tmp") files.push_back(entry.path().filename());
    }
    return files;
}

TEST_F(CommandLineTest, AFolderArgumentRunsTheJobAsThePathFileDoes) {
    const fs::path byPathFile = CopyRestartJob("by_path_file");
    const fs::path byArgument = CopyRestartJob("by_argument");
    // The path file is not read: one naming a missing folder does not matter.
    {
        std::ofstream path(byArgument / "path.dat", std::ios::binary);
        path << "c:\\nowhere\n";
    }
    const Outcome reference = Run(byPathFile, {});
    ASSERT_EQ(reference.status, 0) << reference.err;

    // With and without the closing slash; w.dat is taken from the current folder, not the job folder.
    for (const std::string folder : {"job", "job/"}) {
        const Outcome outcome = Run(byArgument, {folder});
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.out, reference.out);
        EXPECT_EQ(outcome.err, "");
        const std::vector<fs::path> files = OutputFiles(byPathFile / "job");
        EXPECT_EQ(files.size(), 9u);
        for (const fs::path& file : files) {
            EXPECT_EQ(ReadFile(byArgument / "job" / file), ReadFile(byPathFile / "job" / file)) << file;
        }
    }
}

TEST_F(CommandLineTest, AnAbsoluteFolderWorksFromAnyCurrentFolder) {
    const fs::path job = CopyRestartJob("abs");
    fs::copy_file(job / "w.dat", root_ / "w.dat");
    const Outcome outcome = Run(root_, {(job / "job").string()});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Stop - Program terminated.\n");
    EXPECT_TRUE(fs::exists(job / "job" / "rest.sta"));
}

TEST_F(CommandLineTest, AMissingFolderOrTitleFileIsAnError) {
    Outcome outcome = Run(root_, {"no_such_job"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("no_such_job"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("does not exist"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");

    { std::ofstream file(root_ / "plain_file"); }
    outcome = Run(root_, {"plain_file"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("not a folder"), std::string::npos) << outcome.err;

    fs::create_directories(root_ / "empty");
    outcome = Run(root_, {"empty"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("empty/title.dat"), std::string::npos) << outcome.err;
}

TEST_F(CommandLineTest, HelpTellsWhatTheProgramDoesAndReads) {
    const Outcome outcome = Run(root_, {"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out.rfind("usage: thermocrack [JOB_FOLDER]", 0), 0u) << outcome.out;
    for (const char* part : {"title.dat", ".inp", ".dat", ".tmp", "w.dat", ".out", ".hss", ".hci", ".hwd",
                             ".hcr", ".hdp", ".hst", ".sta", ".hcj", "c:\\path.dat", "THERMOCRACK_DRIVE_<LETTER>",
                             "backslash", "Exit status", "Stop - Program terminated."}) {
        EXPECT_NE(outcome.out.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(Run(root_, {"-h"}).out, outcome.out);
}

TEST_F(CommandLineTest, VersionIsTheProjectVersion) {
    const std::string cmake = ReadFile(SourceDir() / "CMakeLists.txt");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(cmake, match, std::regex(R"(project\(thermocrack VERSION ([0-9.]+))")));
    const Outcome outcome = Run(root_, {"--version"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "thermocrack " + match[1].str() + "\n");
}

TEST_F(CommandLineTest, AWrongArgumentGivesTheUsageAndRunsNothing) {
    const fs::path job = CopyRestartJob("wrong");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--frobnicate"}, {"-x", "job"}, {"job", "job"}, {"job", "--bad"}}) {
        const Outcome outcome = Run(job, args);
        EXPECT_EQ(outcome.status, 2) << args.front();
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("usage: thermocrack"), std::string::npos) << outcome.err;
    }
    EXPECT_FALSE(fs::exists(job / "job" / "rest.out"));
    // After "--" a name that starts with '-' is a folder.
    const Outcome dashed = Run(job, {"--", "-job"});
    EXPECT_EQ(dashed.status, 2);
    EXPECT_NE(dashed.err.find("\"-job\" does not exist"), std::string::npos) << dashed.err;
}

}  // namespace
}  // namespace tc

namespace tc {
namespace {

// Warnings about the input go to the error stream alone: the console output and every file a
// run writes are the same with them and without them (--quiet), and "check" tells them alone.
TEST_F(CommandLineTest, WarningsChangeNothingAndQuietSilencesThem) {
    const fs::path loud = CopyRestartJob("loud");
    const fs::path quiet = CopyRestartJob("quiet");
    for (const fs::path& copy : {loud, quiet}) {
        const fs::path deck = copy / "job" / "rest.inp";
        std::string text = ReadFile(deck);
        const std::size_t es = text.find("    200000.0");
        ASSERT_NE(es, std::string::npos);
        text.replace(es, 12, "      200000");
        std::ofstream(deck, std::ios::binary) << text;
    }
    const Outcome warned = Run(loud, {"job"});
    const Outcome silent = Run(quiet, {"--quiet", "job"});
    EXPECT_EQ(warned.status, silent.status);
    EXPECT_EQ(warned.out, silent.out);
    EXPECT_EQ(silent.err, "");
    EXPECT_NE(warned.err.find("rest.inp, record 5, columns 1-12: Es = 2 N/mm2"), std::string::npos) << warned.err;
    for (const fs::path& file : OutputFiles(quiet / "job")) {
        EXPECT_EQ(ReadFile(loud / "job" / file), ReadFile(quiet / "job" / file)) << file;
    }
    const Outcome checked = Run(loud, {"check", "job"});
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(checked.out, "");
    EXPECT_NE(checked.err.find("write \"200000.\""), std::string::npos) << checked.err;
    EXPECT_EQ(Run(root_, {"check"}).status, 2);
}

}  // namespace
}  // namespace tc
