// Reading the input deck and the mesh, the echo print, and the refusal of input beyond the tables.

#include "run/input_deck.hpp"

#include <gtest/gtest.h>

#include "support/child_process.hpp"
#include "test_paths.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace tc {
namespace {

namespace fs = std::filesystem;

// A field of w columns holding text right-justified.
std::string R(std::size_t w, std::string_view text) { return std::string(w - text.size(), ' ') + std::string(text); }

std::string Lines(const std::vector<std::string>& lines, const char* end) {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

std::string ReadFile(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& name, std::string_view text) {
    std::ofstream out(name, std::ios::binary);
    out << text;
}

struct Deck {
    std::vector<std::string> inp;
    std::vector<std::string> dat;
};

// Two 100 x 100 elements side by side; nodes numbered 101.., elements 1001..; bar 1's AREA is
// written without a point and bar 2 lies on the shared edge.
Deck SmallJob(std::string_view switches = "    2    0") {
    Deck d;
    d.inp = {
        std::string(switches),
        "    2 bars follow",
        R(12, "36.0") + R(12, "4.5") + R(12, "0.95") + R(12, "0.44") + R(12, "4700.0") + R(12, "30") +
            R(12, "not read!"),
        R(12, "300.0") + R(12, "500.0") + R(12, "150.0") + R(12, "250.0"),
        R(12, "200000.0") + R(12, "1.1"),
        R(12, "0.7") + R(12, "0.4") + R(12, "0.2"),
        R(5, "1") + R(15, "70.0") + R(15, "60.0") + R(15, "100"),
        R(5, "2") + R(15, "100.0") + R(15, "60.0") + R(15, "198.6"),
    };
    d.dat = {
        "    1    0    0       0.0",
        "    6    2    2       0.0",
        "    1    1    4       1.0",
        R(10, "101") + R(10, "0.0") + R(10, "0.0"),
        R(10, "102") + R(10, "100.0") + R(10, "0.0"),
        R(10, "103") + R(10, "200.0") + R(10, "0.0"),
        R(10, "104") + R(10, "0.0") + R(10, "100.0"),
        R(10, "105") + R(10, "100.0") + R(10, "100.0"),
        R(10, "106") + R(10, "200.0") + R(10, "100.0"),
        R(10, "1001") + R(6, "5") + R(6, "4") + R(6, "1") + R(6, "2") + R(8, "250.0"),
        R(10, "1002") + R(6, "6") + R(6, "5") + R(6, "2") + R(6, "3") + R(8, "250.0"),
    };
    return d;
}

const std::vector<std::string> SmallJobEchoParts1To4 = {
    "     ***** Echo print of input data  *****",
    "",
    "                          IECHO=2",
    "                          Iinit=0",
    "",
    "          NX     =    6",
    "          NELX   =    2",
    "          NSTEEL =    2",
    "          THKALL =      .000",
    "",
    "",
    "",
    "",
    "          *****  Material parameters  *****",
    "",
    "                 Sigma-91day                 =    36.000",
    "                 Parameter-A                 =     4.500",
    "                 Parameter-B                 =      .950",
    "                 Parameter-C                 =      .440",
    "                 fc -> Ec                    =  4700.000",
    "                 Thermal exp coeff. of Conc. =  .300E-03",
    "                 lcb                         =   300.000",
    "                 lcu                         =   500.000",
    "                 lsb                         =   150.000",
    "                 lsu                         =   250.000",
    "                 Es                          =  .200E+06",
    "                 Thermal exp. coeff of Reinf.=  .100E-04",
    "                 Rn                          =      .700",
    "                 Rm1                         =      .400",
    "                 Rm2                         =      .200",
    "                 Crack Index for Judge       =     1.100",
    "",
};

const std::vector<std::string> SmallJobListings = {
    "                    *****  COORDINATES   *****",
    "             No.          X           Y   (mm)",
    "              1        .000        .000",
    "              2     100.000        .000",
    "              3     200.000        .000",
    "              4        .000     100.000",
    "              5     100.000     100.000",
    "              6     200.000     100.000",
    "",
    "",
    "                    *****  COORDINATE OF REINFORCEMENTS  *****",
    "            No.        SX        SY     AREA      ELEM",
    "              1      70.0      60.0      10.0         1",
    "              2     100.0      60.0     198.6         2",
    "",
    "",
    "          *****   Node - Element data   *****",
    "       No.   Node-1    Node-2    Node-3    Node-4        Thickness",
    "        1         5         4         1         2         250.000",
    "        2         6         5         2         3         250.000",
};

// Writes a deck and a mesh into a fresh folder, reads them, and gives the list file's bytes.
class InputDeckTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing::MakeTemporaryFolder("tc_input_deck_");
    }
    void TearDown() override { fs::remove_all(root_); }

    // Reads the deck; gives the refusal's message, or "" when the input is taken.
    std::string Run(const Deck& d) {
        WriteFile(root_ / "x.inp", Lines(d.inp, "\n"));
        WriteFile(root_ / "x.dat", Lines(d.dat, "\n"));
        return RunFiles(root_ / "x.inp", root_ / "x.dat");
    }
    std::string RunFiles(const fs::path& inp, const fs::path& dat) {
        std::string refusal;
        UnitTable units;
        Unit& deck = units.Open(10, inp.string(), OpenStatus::Old);
        Unit& mesh = units.Open(20, dat.string(), OpenStatus::Old);
        Unit& list = units.Open(70, (root_ / "x.out").string(), OpenStatus::Unknown);
        try {
            ReadInputDeck(deck, mesh, list, *job_);
        } catch (const RunError& error) {
            refusal = error.what();
        }
        units.FlushAll();
        return refusal;
    }
    std::string List() const { return ReadFile(root_ / "x.out"); }

    fs::path root_;
    std::unique_ptr<JobInput> job_ = std::make_unique<JobInput>();
};

TEST_F(InputDeckTest, EchoesASmallJobByteForByte) {
    ASSERT_EQ(Run(SmallJob()), "");
    EXPECT_EQ(List(), Lines(SmallJobEchoParts1To4, "\r\n") + Lines(SmallJobListings, "\r\n"));
}

TEST_F(InputDeckTest, StoresValuesByTheirFieldsAndPositions) {
    ASSERT_EQ(Run(SmallJob()), "");
    const JobInput& job = *job_;
    EXPECT_EQ(job.IECHO, 2);
    EXPECT_EQ(job.NSTEEL, 2);
    EXPECT_EQ(job.material.alphaC, 0.00030f);  // "30" without a point: five decimals
    EXPECT_EQ(job.material.alphaS, 1.0E-5f);
    EXPECT_EQ(job.material.Es, 200000.0f);
    EXPECT_EQ(job.material.judge, 1.1f);
    EXPECT_EQ(job.material.Rn, 0.7f);
    EXPECT_EQ(job.material.Rm2, 0.2f);
    EXPECT_EQ(job.bars.AREA(1), 10.0f);  // "100" without a point: one decimal
    EXPECT_EQ(job.bars.AREA(2), 198.6f);
    EXPECT_EQ(job.nodes.X(2), 100.0f);  // record 102 is node 2
    EXPECT_EQ(job.nodes.Y(6), 100.0f);
    EXPECT_EQ(job.elements.node[3](2), 3);
    EXPECT_EQ(job.elements.thickness(1), 250.0f);
    EXPECT_EQ(job.bars.ELEM(2), 2);
    EXPECT_EQ(job.nodes.X(7), 0.0f);
}

TEST_F(InputDeckTest, EchoesAnIechoThatDoesNotFitOneDigitAsAnAsterisk) {
    ASSERT_EQ(Run(SmallJob("   10    1")), "");
    std::vector<std::string> expected = SmallJobEchoParts1To4;
    expected[2] = "                          IECHO=*";
    expected[3] = "                          Iinit=1";
    EXPECT_EQ(List(), Lines(expected, "\r\n") + Lines(SmallJobListings, "\r\n"));
}

TEST_F(InputDeckTest, ABlankSwitchRecordGivesPartsOneToFourOnly) {
    ASSERT_EQ(Run(SmallJob("")), "");
    std::vector<std::string> expected = SmallJobEchoParts1To4;
    expected[2] = "                          IECHO=0";
    EXPECT_EQ(List(), Lines(expected, "\r\n"));
}

TEST_F(InputDeckTest, WithoutBarsTheDeckMayEndAfterTheMaterialsAndTheHeadingStands) {
    Deck d = SmallJob();
    d.inp[1] = "    0";
    d.inp.resize(6);
    ASSERT_EQ(Run(d), "");
    std::vector<std::string> expected = SmallJobEchoParts1To4;
    expected[7] = "          NSTEEL =    0";
    std::vector<std::string> listings = SmallJobListings;
    listings.erase(listings.begin() + 12, listings.begin() + 14);
    EXPECT_EQ(List(), Lines(expected, "\r\n") + Lines(listings, "\r\n"));
}

TEST_F(InputDeckTest, RefusesCountsBeyondTheTablesAfterEchoingThem) {
    Deck d = SmallJob();
    d.dat[1] = "  800    2    2       0.0";
    const std::string refusal = Run(d);
    EXPECT_NE(refusal.find("unit 20 (" + (root_ / "x.dat").string() + "), read of record 2: NX = 800"), std::string::npos)
        << refusal;
    EXPECT_NE(refusal.find("700"), std::string::npos);
    EXPECT_NE(List().find("          NX     =  800\r\n"), std::string::npos);
    EXPECT_EQ(List().find("Material"), std::string::npos);

    d = SmallJob();
    d.dat[1] = "    6  701    2       0.0";
    EXPECT_NE(Run(d).find("NELX = 701"), std::string::npos);
    d.dat[1] = "    0    2    2       0.0";
    EXPECT_NE(Run(d).find("NX = 0"), std::string::npos);
    d.dat[1] = "    6   -1    2       0.0";
    EXPECT_NE(Run(d).find("NELX = -1"), std::string::npos);

    d = SmallJob();
    d.inp[1] = "  201";
    const std::string bars = Run(d);
    EXPECT_NE(bars.find("unit 10 (" + (root_ / "x.inp").string() + "), read of record 2: NSTEEL = 201"), std::string::npos)
        << bars;
}

TEST_F(InputDeckTest, RefusesACornerOutsideTheNodesNamingItsRecord) {
    Deck d = SmallJob();
    d.dat[10] = R(10, "1002") + R(6, "6") + R(6, "5") + R(6, "7") + R(6, "3") + R(8, "250.0");
    const std::string refusal = Run(d);
    EXPECT_NE(refusal.find("record 11: element 2, Node-3 = 7"), std::string::npos) << refusal;
    d.dat[9] = R(10, "1001") + R(6, "0") + R(6, "4") + R(6, "1") + R(6, "2") + R(8, "250.0");
    EXPECT_NE(Run(d).find("record 10: element 1, Node-1 = 0"), std::string::npos);
}

TEST_F(InputDeckTest, RefusesABarInNoElementAfterTheListing) {
    Deck d = SmallJob();
    d.inp[7] = R(5, "2") + R(15, "500.0") + R(15, "60.0") + R(15, "198.6");
    const std::string refusal = Run(d);
    EXPECT_NE(refusal.find("unit 10 (" + (root_ / "x.inp").string() + "), read of record 8: bar 2"), std::string::npos)
        << refusal;
    EXPECT_NE(List().find("              2     500.0      60.0     198.6         0\r\n"), std::string::npos);
    EXPECT_NE(List().find("Node - Element data"), std::string::npos);
}

// The echo print of a public case must be the start of its expected list file.
class CaseEchoTest : public InputDeckTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CaseEchoTest, MatchesTheStartOfTheExpectedListFile) {
    const fs::path cases = tc::testing::PublicCasesDir();
    const std::string name = GetParam();
    const fs::path job = cases / name / "input" / "job";
    if (!fs::exists(job)) GTEST_SKIP() << "no case folder " << job;
    std::string title = ReadFile(job / "title.dat");
    title = title.substr(0, title.find_first_of(" \r\n"));

    ASSERT_EQ(RunFiles(job / (title + ".inp"), job / (title + ".dat")), "");
    const std::string echo = List();
    const std::string expected = ReadFile(cases / name / "expected" / "job" / (title + ".out"));
    ASSERT_GT(echo.size(), 0u);
    ASSERT_LE(echo.size(), expected.size());
    EXPECT_EQ(expected.substr(0, echo.size()), echo);
    // What follows is the next phase's listing: centre points, or the first step's heading.
    const std::string next = expected.substr(echo.size(), 30);
    EXPECT_TRUE(next.starts_with("\r\n\r\n  ***** Coordinate") || next.starts_with("\r\n\r\n     *** Nstep="))
        << next;
}

INSTANTIATE_TEST_SUITE_P(PublicCases, CaseEchoTest, ::testing::Values("p02_wall_iecho2", "p04_thin_slab_101"));

}  // namespace
}  // namespace tc
