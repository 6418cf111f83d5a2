// Plausibility warnings: each kind fired by one slip in a copy of a sound job, with the file,
// record and columns it names; and silent on sound jobs (the public jobs, the examples, the
// project's job tests).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "check/job_check.hpp"

namespace tc::check {
namespace {

namespace fs = std::filesystem;

// A sound job: two 200 x 200 elements side by side 1 m up, one bar, two temperature blocks.
const std::string SoundDeck =
    "    0    0\n"
    "    1\n"
    "        40.0         4.5        0.95        0.44      4700.0     1.0E-05\n"
    "       400.0       400.0       200.0       200.0\n"
    "    200000.0         1.0\n"
    "         0.6         0.5         0.3\n"
    "    1          100.0         1100.0          286.5\n";
const std::string SoundMesh =
    "    1\n"
    "    6    2\n"
    "    0    0    0\n"
    "         1       0.0    1000.0\n"
    "         2     200.0    1000.0\n"
    "         3     400.0    1000.0\n"
    "         4       0.0    1200.0\n"
    "         5     200.0    1200.0\n"
    "         6     400.0    1200.0\n"
    "         1     1     2     5     4   200.0\n"
    "         2     2     3     6     5   200.0\n";
const std::string SoundTemperatures =
    "    0\n"
    "    2\n"
    "    0\n"
    "    1       0.5\n"
    "    20.000    20.000    20.000    20.000    20.000    20.000\n"
    "    2       1.0\n"
    "    30.000    31.000    30.000    30.000    31.000    30.000\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class JobCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("tc_job_check_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<Warning> Check(const std::string& deck, const std::string& mesh, const std::string& temperatures) {
        const JobFileNames names{(folder_ / "j.inp").string(), (folder_ / "j.dat").string(),
                                 (folder_ / "j.tmp").string()};
        std::ofstream(names.deck, std::ios::binary) << deck;
        std::ofstream(names.mesh, std::ios::binary) << mesh;
        std::ofstream(names.temperatures, std::ios::binary) << temperatures;
        return CheckJob(names);
    }

    fs::path folder_;
};

struct Slip {
    const char* what;
    std::string deck = SoundDeck;
    std::string mesh = SoundMesh;
    std::string temperatures = SoundTemperatures;
    const char* file;  // extension of the file the warning names
    std::int64_t record;
    std::int32_t firstColumn;
    const char* says;
};

TEST_F(JobCheckTest, EachSlipIsToldWithItsPlaceAndWhatWasMeant) {
    const std::vector<Slip> slips = {
        {"Es without a point", Replaced(SoundDeck, "    200000.0", "      200000"), SoundMesh, SoundTemperatures,
         ".inp", 5, 1, "Es = 2 N/mm2: \"200000\" has no decimal point, so its last 5 digits are read as decimals; "
                       "write \"200000.\" for 200000 N/mm2"},
        {"expansion without a point", Replaced(SoundDeck, "     1.0E-05", "       1E-05"), SoundMesh,
         SoundTemperatures, ".inp", 3, 61, "write \"1.E-05\" for 1e-05 1/C"},
        {"restraint above one", Replaced(SoundDeck, "         0.6", "         6.0"), SoundMesh, SoundTemperatures,
         ".inp", 6, 1, "Rn = 6 is outside the plausible range 0 to 1"},
        {"strength in the wrong unit", Replaced(SoundDeck, "        40.0", "     40000.0"), SoundMesh,
         SoundTemperatures, ".inp", 3, 1, "Sigma-91day = 40000 N/mm2 is outside"},
        {"judge value", Replaced(SoundDeck, "         1.0\n", "        10.0\n"), SoundMesh, SoundTemperatures, ".inp",
         5, 13, "the judge value of the crack index = 10 is outside"},
        {"bar area without a point", Replaced(SoundDeck, "          286.5", "             87"), SoundMesh,
         SoundTemperatures, ".inp", 7, 36, "bar area = 8.7 mm2: \"87\" has no decimal point"},
        {"bar outside", Replaced(SoundDeck, "          100.0         1100.0", "          900.0         1100.0"),
         SoundMesh, SoundTemperatures, ".inp", 7, 6, "bar 1 at (900, 1100) mm lies outside the section"},
        {"bar coordinate without a point",
         Replaced(SoundDeck, "          100.0         1100.0", "          100.0           1100"), SoundMesh,
         SoundTemperatures, ".inp", 7, 6, "bar 1 at (100, 110) mm lies outside the section: a coordinate without a "
                                          "decimal point has its last digit read as a decimal; write it with a point "
                                          "for (100, 1100) mm"},
        {"bar sticking out", Replaced(SoundDeck, "          100.0         1100.0", "            5.0         1100.0"),
         SoundMesh, SoundTemperatures, ".inp", 7, 6, "is 5.0 mm from the section's face: it would stick out"},
        {"clockwise element", SoundDeck, Replaced(SoundMesh, "     1     2     5     4", "     1     4     5     2"),
         SoundTemperatures, ".dat", 10, 11, "element 1 runs clockwise (area -40000 mm2): list its corners "
                                            "counter-clockwise, e.g. 1 2 5 4"},
        {"folded element", SoundDeck, Replaced(SoundMesh, "     1     2     5     4", "     1     5     2     4"),
         SoundTemperatures, ".dat", 10, 11, "element 1 is concave or folded"},
        {"degenerate element", SoundDeck, Replaced(SoundMesh, "     1     2     5     4", "     1     2     2     4"),
         SoundTemperatures, ".dat", 10, 11, "node 2 is two of its corners"},
        {"node used by nothing", SoundDeck,
         Replaced(Replaced(SoundMesh, "    6    2", "    7    2"), "    1200.0\n         1 ",
                  "    1200.0\n         7     600.0    1000.0\n         1 "),
         SoundTemperatures, ".dat", 10, 11, "node 7 (600, 1000) is used by no element"},
        {"doubled node", SoundDeck,
         Replaced(Replaced(Replaced(SoundMesh, "    6    2", "    7    2"), "    1200.0\n         1 ",
                           "    1200.0\n         7     200.0    1200.0\n         1 "),
                  "     2     3     6     5", "     2     3     6     7"),
         SoundTemperatures, ".dat", 10, 11, "node 7 stands at the place of node 5 (200, 1200)"},
        {"ages going back", SoundDeck, SoundMesh, Replaced(SoundTemperatures, "    2       1.0", "    2       0.2"),
         ".tmp", 6, 6, "block 2 is at age 0.2 days, not later than block 1 at 0.5 days"},
        {"boiling concrete", SoundDeck, SoundMesh, Replaced(SoundTemperatures, "    31.000    30.000\n",
                                                            "    31.000   120.000\n"),
         ".tmp", 7, 51, "node 6 at age 1 days is at 120 C, outside -30 to 95 C"},
    };
    EXPECT_TRUE(Check(SoundDeck, SoundMesh, SoundTemperatures).empty());
    for (const Slip& slip : slips) {
        // A slip in one file may bring warnings about another (a folded element moves the faces the
        // bars are measured from): those of the slip's own file count.
        std::vector<Warning> warnings;
        std::string all;
        for (const Warning& w : Check(slip.deck, slip.mesh, slip.temperatures)) {
            all += FormatWarning(w) + "\n";
            if (fs::path(w.file).extension() == slip.file) warnings.push_back(w);
        }
        ASSERT_EQ(warnings.size(), 1u) << slip.what << "\n" << all;
        const Warning& w = warnings.front();
        EXPECT_EQ(w.record, slip.record) << slip.what;
        EXPECT_EQ(w.firstColumn, slip.firstColumn) << slip.what;
        EXPECT_NE(FormatWarning(w).find(slip.says), std::string::npos) << slip.what << ": " << FormatWarning(w);
    }
}

TEST_F(JobCheckTest, ManyWarningsOfOneKindAreCounted) {
    std::string temperatures = SoundTemperatures;
    for (int i = 0; i < 6; ++i) temperatures = Replaced(temperatures, "    20.000", "   -40.000");
    for (int i = 0; i < 6; ++i) temperatures = Replaced(temperatures, "    3", "   13");
    const std::vector<Warning> warnings = Check(SoundDeck, SoundMesh, temperatures);
    ASSERT_EQ(warnings.size(), 11u);
    EXPECT_EQ(warnings.back().what, "2 more temperatures outside -30 to 95 C not listed");
}

// Every job folder under the public jobs, the examples and the project's job tests.
std::vector<fs::path> SoundJobFolders() {
    std::vector<fs::path> folders;
    const fs::path source = fs::path(__FILE__).parent_path().parent_path().parent_path();
    for (const fs::path& top : {source / ".." / "shared" / "cases", source / "examples", source / "tests" / "jobs"}) {
        if (!fs::exists(top)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(top)) {
            if (entry.path().filename() == "title.dat" && entry.path().parent_path().parent_path().filename() != "expected") {
                folders.push_back(entry.path().parent_path());
            }
        }
    }
    return folders;
}

TEST(JobCheck, SoundJobsGiveNoWarning) {
    const std::vector<fs::path> folders = SoundJobFolders();
    EXPECT_GE(folders.size(), 6u);
    for (const fs::path& folder : folders) {
        std::ifstream title(folder / "title.dat");
        std::string name;
        title >> name;
        const std::string stem = (folder / name).string();
        for (const Warning& w : CheckJob({stem + ".inp", stem + ".dat", stem + ".tmp"})) {
            // The job tests of bad input are damaged on purpose.
            if (folder.string().find("bad_field") != std::string::npos) continue;
            ADD_FAILURE() << FormatWarning(w);
        }
    }
}

}  // namespace
}  // namespace tc::check
