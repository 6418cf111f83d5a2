// Damaged variants of a small valid job, each run end to end: a refusal gives exit status 2 and one
// console line naming the file, the record and the columns; the files of an earlier run are either
// untouched (a refusal before the outputs open) or all replaced, holding the complete records of the
// steps done; harmless damage changes nothing.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <string_view>

#include "bad_input/job_folder.hpp"
#include "bad_input/variants.hpp"

namespace tc::bad_input {
namespace {

constexpr char StopLine[] = "Stop - Program terminated.\n";

// The outputs of the undamaged job when its temperature header allows `steps` steps; run once each.
const FileSet& Reference(int steps) {
    static std::map<int, FileSet> runs;
    auto found = runs.find(steps);
    if (found != runs.end()) return found->second;
    FileSet job = SmallJob();
    SetColumns(job[Temperatures], 2, 1, 5, std::to_string(steps + 1));
    RunResult run = RunJob(job);
    EXPECT_TRUE(run.exited && run.exitCode == 0) << "the undamaged job must run: " << run.consoleError;
    return runs.emplace(steps, std::move(run.after)).first->second;
}

std::string Visible(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "<CR>";
        } else if (c != '\n' && (u < 0x20 || u >= 0x7f)) {
            out += "<" + std::to_string(u) + ">";
        } else {
            out += c;
        }
    }
    return out.size() > 400 ? out.substr(0, 400) + "..." : out;
}

// Every line of the text ends in CR LF: no half-written record.
bool CompleteRecords(const std::string& text) {
    if (!text.empty() && text.back() != '\n') return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    }
    return true;
}

std::string ContentOf(const FileSet& files, const std::string& name) {
    const auto found = files.find(name);
    return found == files.end() ? std::string("<missing>") : found->second;
}

class DamagedJob : public ::testing::TestWithParam<Variant> {};

TEST_P(DamagedJob, EndsAsExpected) {
    const Variant& v = GetParam();
    const Expectation& expect = v.expect;
#ifdef _WIN32
    // The job runs through its folder there: a damaged or missing path file is not read.
    if (expect.file == "path.dat" || v.name.starts_with("Path_")) {
        GTEST_SKIP() << "on Windows the path file is the real c:\\path.dat";
    }
#endif
    FileSet input = SmallJob();
    ASSERT_FALSE(input.empty());
    v.damage(input);
    for (const std::string& name : OutputFiles()) input[name] = EarlierContent(name);

    const RunResult run = RunJob(input);
    ASSERT_FALSE(run.timedOut) << "the run hung";
    ASSERT_TRUE(run.exited) << "the run was ended by signal " << run.signal << "; console: " << run.consoleError;

    // Inputs are never changed, and nothing but the outputs appears (no w.dat made for a restart).
    for (const auto& [name, bytes] : run.after) {
        const auto given = input.find(name);
        ASSERT_NE(given, input.end()) << "the run created " << name;
        const bool output = given->second.starts_with(" earlier run: ");
        if (!output) {
            EXPECT_EQ(bytes, given->second) << "the run changed its input " << name;
        }
    }
    for (const auto& [name, bytes] : input) EXPECT_TRUE(run.after.count(name)) << "the run removed " << name;

    if (expect.ending == Ending::Normally) {
        EXPECT_EQ(run.exitCode, 0) << run.consoleError;
        EXPECT_EQ(run.console, StopLine);
        EXPECT_EQ(run.consoleError, "");
        const FileSet& reference = Reference(StepsOfTheJob);
        for (const std::string& name : OutputFiles()) {
            if (!expect.listLikeReference && name.ends_with(".out")) continue;
            EXPECT_EQ(Visible(ContentOf(run.after, name)), Visible(ContentOf(reference, name))) << name;
        }
        return;
    }

    // One console line naming the file, the record and the columns, after any warnings the damage
    // brought about.
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.console, "") << "nothing but the error on the console";
    std::string_view error = run.consoleError;
    while (error.starts_with("warning: ") && error.find('\n') != std::string_view::npos) {
        error.remove_prefix(error.find('\n') + 1);
    }
    ASSERT_TRUE(error.starts_with("error: ")) << Visible(run.consoleError);
    ASSERT_TRUE(error.ends_with("\n"));
    const std::string message(error.substr(7, error.size() - 8));
    EXPECT_EQ(message.find('\n'), std::string::npos) << "one line: " << Visible(message);
    EXPECT_NE(message.find(expect.file), std::string::npos) << "names " << expect.file << ": " << Visible(message);
    if (expect.record > 0) {
        const std::regex record("record " + std::to_string(expect.record) + "([^0-9]|$)");
        EXPECT_TRUE(std::regex_search(message, record)) << "names record " << expect.record << ": " << Visible(message);
    }
    if (expect.firstColumn > 0) {
        const std::string columns =
            "columns " + std::to_string(expect.firstColumn) + "-" + std::to_string(expect.lastColumn);
        EXPECT_NE(message.find(columns), std::string::npos) << "names " << columns << ": " << Visible(message);
    }

    if (expect.ending == Ending::BeforeOutputs) {
        for (const std::string& name : OutputFiles()) {
            EXPECT_EQ(Visible(ContentOf(run.after, name)), Visible(EarlierContent(name))) << name << " was touched";
        }
        return;
    }

    // After the outputs opened: every output is replaced, the result files holding the complete
    // records of the steps done (none when no step was done), the status file none.
    const FileSet& reference = Reference(expect.stepsKept);
    for (const std::string& name : OutputFiles()) {
        const std::string got = ContentOf(run.after, name);
        if (name.ends_with(".out")) {
            const std::string tail = " error: " + message + "\r\n";
            ASSERT_TRUE(got.ends_with(tail)) << "the list file ends with the error: " << Visible(got);
            const std::string before = got.substr(0, got.size() - tail.size());
            EXPECT_TRUE(CompleteRecords(before)) << "half a record in " << name;
            if (expect.listLikeReference) {
                const std::string& full = ContentOf(Reference(StepsOfTheJob), name);
                EXPECT_TRUE(full.starts_with(before)) << "the list file is the undamaged job's up to the error";
            }
        } else if (name.ends_with(".sta") || expect.stepsKept == 0) {
            EXPECT_EQ(Visible(got), "") << name << " holds records of no step of this run";
        } else {
            EXPECT_EQ(Visible(got), Visible(ContentOf(reference, name))) << name;
        }
    }
}

std::string VariantName(const ::testing::TestParamInfo<Variant>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(BadInput, DamagedJob, ::testing::ValuesIn(AllVariants()), VariantName);

TEST(SmallJob, RunsAndCracks) {
    const FileSet& run = Reference(StepsOfTheJob);
    EXPECT_EQ(RecordCount(ContentOf(run, "job/small.hdp")), StepsOfTheJob);
    EXPECT_EQ(ContentOf(run, "job/small.sta"), "           3\r\n") << "the last step cracks the whole depth";
}

}  // namespace
}  // namespace tc::bad_input
