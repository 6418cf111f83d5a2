// Whole jobs run by the binary: every file the run leaves, its console output and its exit status are
// compared byte for byte with the expected files under tests/jobs/<job>/expected/.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "jobs/job_runner.hpp"

namespace tc::jobs {
namespace {

fs::path JobsDir() { return SourceDir() / "tests" / "jobs"; }

// The blank-separated values of a file, records and lines alike.
std::vector<std::string> Values(const std::string& text) {
    std::vector<std::string> values;
    std::istringstream in(text);
    std::string value;
    while (in >> value) values.push_back(value);
    return values;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

// Runs the job of tests/jobs/<name>/input and checks it against tests/jobs/<name>/expected.
void RunAndCompare(const std::string& name, JobRun& run) {
    const fs::path input = JobsDir() / name / "input";
    RunJob(input, false, run);
    if (::testing::Test::HasFatalFailure()) return;
    ExpectRunMatches(input, JobsDir() / name / "expected", false, run);
}

TEST(ExampleJob, WallOnFootingMatchesItsExpectedFiles) {
    const fs::path input = SourceDir() / "examples" / "wall";
    JobRun run;
    RunJob(input, true, run);
    ASSERT_FALSE(HasFatalFailure());
    ExpectRunMatches(input, JobsDir() / "example_wall" / "expected", true, run);
    // The example is meant to show cracking during cooling: some element is cracked at the end.
    EXPECT_NE(Values(ReadFile(run.work / "job" / "wall.sta")), std::vector<std::string>{"1"});
}

TEST(Jobs, Echo2WithGeneralQuadrilateralsAndABarOnAnElementSide) {
    JobRun run;
    RunAndCompare("general_quads", run);
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Jobs, RestartFromSavedStateInWorkingFolder) {
    JobRun run;
    RunAndCompare("restart", run);
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Jobs, SectionWithoutBars) {
    JobRun run;
    RunAndCompare("no_bars", run);
    EXPECT_EQ(run.exitCode, 0);
    // Five steps; with no bar each bar-stress record is the age alone.
    const std::vector<std::string> records = Lines(ReadFile(run.work / "job" / "plain.hss"));
    EXPECT_EQ(records.size(), 5u);
    for (const std::string& record : records) EXPECT_EQ(Values(record).size(), 1u) << record;
}

TEST(Jobs, SingleTemperatureBlockRunsNoStep) {
    JobRun run;
    RunAndCompare("single_block", run);
    EXPECT_EQ(run.exitCode, 0);
    const fs::path job = run.work / "job";
    EXPECT_EQ(Values(ReadFile(job / "one.sta")), std::vector<std::string>{"1"}) << "no cracked element";
    // The job folder holds an earlier run's .hst: replaced like every output, so that no file of
    // the earlier run stays beside this one's.
    for (const char* ext : {".hss", ".hci", ".hwd", ".hcr", ".hdp", ".hst"}) {
        EXPECT_EQ(ReadFile(job / (std::string("one") + ext)), "") << ext << " gets no record";
    }
}

TEST(Jobs, MissingTemperatureFileLeavesEarlierOutputsAlone) {
    JobRun run;
    RunAndCompare("missing_tmp", run);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.consoleError.find("gone.tmp"), std::string::npos) << run.consoleError;
    const fs::path earlier = JobsDir() / "missing_tmp" / "input" / "job";
    for (const char* ext : {".out", ".hss", ".hci", ".hwd", ".hcr", ".hdp", ".hst"}) {
        const std::string name = std::string("gone") + ext;
        EXPECT_EQ(ReadFile(run.work / "job" / name), ReadFile(earlier / name)) << name;
    }
    EXPECT_FALSE(fs::exists(run.work / "job" / "gone.sta"));
}

TEST(Jobs, BadNumberStopsTheRunAndKeepsWhatWasWritten) {
    JobRun run;
    RunAndCompare("bad_field", run);
    EXPECT_EQ(run.exitCode, 2);
    const std::string& message = run.consoleError;
    EXPECT_NE(message.find("typo.tmp"), std::string::npos) << message;
    EXPECT_NE(message.find("record 11"), std::string::npos) << message;
    EXPECT_NE(message.find("columns 11-20"), std::string::npos) << message;
    EXPECT_EQ(run.console, "");
    // The first step was done before the bad record: one record in each result file.
    EXPECT_FALSE(ReadFile(run.work / "job" / "typo.hst").empty());
    EXPECT_EQ(ReadFile(run.work / "job" / "typo.sta"), "");
}

}  // namespace
}  // namespace tc::jobs
