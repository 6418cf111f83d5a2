// The centre-point listing and every bar temperature table of the public jobs, made from their input
// files by the mesh operations alone, must appear verbatim in the jobs' expected list files.

#include <gtest/gtest.h>

#include "test_paths.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "mesh/mesh.hpp"
#include "mesh_test_support.hpp"
#include "run/mesh_listing.hpp"

namespace tc {
namespace {

namespace fs = std::filesystem;

fs::path CasesFolder() {
    return tc::testing::PublicCasesDir();
}

struct Job {
    std::int32_t IECHO = 0, NX = 0, NELX = 0, NSTEEL = 0;
    NodeReals X, Y;
    ElementTable elements;
    BarReals SX, SY, AREA;
    BarInts ELEM;
};

// The switches and bars of the deck, the nodes and elements of the mesh file.
void ReadJob(UnitTable& units, const fs::path& stem, Job& job) {
    std::int32_t iinit = 0, unused = 0;
    Unit& deck = units.Open(10, stem.string() + ".inp", OpenStatus::Old);
    Read(deck, "(2I5)", job.IECHO, iinit);
    Read(deck, "(3I5,F10.0)", job.NSTEEL);
    for (std::int32_t record = 0; record < 4; ++record) Read(deck, "(7E12.5)");
    for (std::int32_t b = 1; b <= job.NSTEEL; ++b) Read(deck, "(I5,3F15.1)", unused, job.SX(b), job.SY(b), job.AREA(b));

    Unit& mesh = units.Open(20, stem.string() + ".dat", OpenStatus::Old);
    Read(mesh, "(3I5,F10.0)", unused);
    Read(mesh, "(3I5,F10.0)", job.NX, job.NELX);
    Read(mesh, "(3I5,F10.0)", unused);
    for (std::int32_t i = 1; i <= job.NX; ++i) Read(mesh, "(I10,2F10.0)", unused, job.X(i), job.Y(i));
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        float thickness = 0.0f;
        Read(mesh, "(I10,4I6,F8.0)", unused, job.elements.node[0](e), job.elements.node[1](e),
             job.elements.node[2](e), job.elements.node[3](e), thickness);
    }
    LocateBars(job.X, job.Y, job.elements, job.NELX, job.NSTEEL, job.SX, job.SY, job.ELEM);
}

TEST(PublicCasesTest, ListingsAppearInTheExpectedListFiles) {
    const fs::path cases = CasesFolder();
    if (!fs::is_directory(cases)) GTEST_SKIP() << "no public jobs at " << cases;

    std::int32_t checked = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(cases)) {
        if (!fs::is_directory(entry.path() / "input" / "job")) continue;
        std::string name;
        std::ifstream(entry.path() / "input" / "job" / "title.dat") >> name;
        const fs::path stem = entry.path() / "input" / "job" / name;
        const std::string expected = test::Contents((entry.path() / "expected" / "job" / (name + ".out")).string());
        SCOPED_TRACE(entry.path().filename().string());

        test::ScratchFolder folder;
        UnitTable units;
        Job job;
        ReadJob(units, stem, job);

        const std::string geometryName = folder.File("geometry.out");
        ElementGeometry g;
        ComputeElementGeometry(job.X, job.Y, job.elements, job.NX, job.NELX, g);
        Unit& geometryList = units.Open(70, geometryName, OpenStatus::Unknown);
        if (job.IECHO >= 1) WriteElementGeometry(geometryList, job.NELX, g);
        units.FlushAll();
        const std::string geometry = test::Contents(geometryName);
        EXPECT_EQ(geometry.empty(), job.IECHO < 1);
        EXPECT_NE(expected.find(geometry), std::string::npos) << "centre-point listing";

        Unit& temperatures = units.Open(56, stem.string() + ".tmp", OpenStatus::Old);
        std::int32_t stepCount = 0;
        ReadTemperatureHeader(temperatures, stepCount);
        for (std::int32_t block = 1; block <= stepCount; ++block) {
            float age = 0.0f;
            std::int32_t nstep = 0;
            NodeReals nodeTemp;
            ElementReals elementTemp;
            BarReals barTemp;
            ReadTemperatureBlock(temperatures, job.NX, job.NELX, job.elements, age, nodeTemp, elementTemp, nstep);
            const std::string barsName = folder.File("bars" + std::to_string(block) + ".out");
            BarLocalCoordinates local;
            ComputeBarLocalCoordinates(job.X, job.Y, job.elements, job.NSTEEL, job.SX, job.SY, job.ELEM, local);
            InterpolateBarTemperatures(local, job.NSTEEL, nodeTemp, barTemp);
            WriteBarTemperatures(units.Open(71, barsName, OpenStatus::Unknown), local, job.NSTEEL, nodeTemp, barTemp,
                                 job.IECHO);
            units.Close(71);
            const std::string bars = test::Contents(barsName);
            EXPECT_EQ(bars.empty(), job.IECHO < 1);
            EXPECT_NE(expected.find(bars), std::string::npos) << "bar table of block " << block;
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace tc
