#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "cracking/section_state.hpp"

namespace tc {
namespace {

namespace fs = std::filesystem;

// Runs each test in a fresh current folder, since the starting state is looked for there.
class InitialStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        std::random_device seed;
        folder_ = fs::temp_directory_path() / ("tc_state_" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(folder_);
        fs::current_path(folder_);
    }
    void TearDown() override {
        // Files are closed before their folder goes: Windows removes no folder with an open file.
        for (std::int32_t unit = 0; unit <= MaxUnit; ++unit) {
            if (units.IsOpen(unit)) units.Close(unit);
        }
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }
    static void WriteStateFile(const std::string& text) { std::ofstream("w.dat", std::ios::binary) << text; }

    // A group of n reals from first by step, eight fields of ten columns a record.
    static std::string Reals(std::int32_t n, float first, float step) {
        std::string text;
        for (std::int32_t i = 0; i < n; ++i) {
            char field[16];
            std::snprintf(field, sizeof field, "%10.3E", static_cast<double>(first + step * static_cast<float>(i)));
            text += field;
            if (i % 8 == 7 || i == n - 1) text += "\r\n";
        }
        return n == 0 ? "\r\n" : text;
    }

    UnitTable units;
    SectionState state;

private:
    fs::path previous_;
    fs::path folder_;
};

TEST_F(InitialStateTest, ZeroSwitchOpensNothingAndStartsFromZeros) {
    WriteStateFile("garbage that is never read\r\n");
    state.SigmaCPrev(3) = 5.0f;
    state.CrackCount(2) = 4;
    state.u.u1 = 1.0f;
    state.curvature.RmSwitched = true;
    ReadInitialState(units, 0, 5, 2, state);
    EXPECT_EQ(state.SigmaCPrev(3), 0.0f);
    EXPECT_EQ(state.CrackCount(2), 0);
    EXPECT_EQ(state.u.u1, 0.0f);
    EXPECT_FALSE(state.curvature.RmSwitched);
    EXPECT_FALSE(units.IsOpen(4));
}

TEST_F(InitialStateTest, SeventeenElementsTakeThreeRecordsPerGroupAndOneForCounts) {
    std::string text = Reals(17, 1.0f, 1.0f) + Reals(17, 0.001f, 0.001f) + Reals(17, -1.0f, 0.0f);
    for (int e = 1; e <= 17; ++e) text += e % 2 == 0 ? "  2" : "  0";
    text += "\r\n";
    text += Reals(2, 10.0f, 1.0f) + Reals(2, 0.5f, 0.0f) + Reals(2, 0.25f, 0.0f) + Reals(2, 0.125f, 0.0f);
    text += " 5.000E+03 1.500E+02 1.000E-01 2.000E-01 9.000E+02 1.000E+02 3.000E+00  1\r\n";
    WriteStateFile(text);

    ReadInitialState(units, 1, 17, 2, state);
    EXPECT_EQ(state.SigmaCPrev(1), 1.0f);
    EXPECT_EQ(state.SigmaCPrev(17), 17.0f);
    EXPECT_FLOAT_EQ(state.EpsilonCPrev(9), 0.009f);
    EXPECT_EQ(state.depsc0(17), -1.0f);
    EXPECT_EQ(state.CrackCount(1), 0);
    EXPECT_EQ(state.CrackCount(16), 2);
    EXPECT_EQ(state.SigmaSPrev(2), 11.0f);
    EXPECT_EQ(state.ThermalStrainS(2), 0.125f);
    EXPECT_EQ(state.SectionM, 5000.0f);  // the moment comes first
    EXPECT_EQ(state.SectionN, 150.0f);
    EXPECT_FLOAT_EQ(state.u.u1, 0.1f);
    EXPECT_FLOAT_EQ(state.u.u2, 0.2f);
    EXPECT_EQ(state.previous.hmax, 900.0f);
    EXPECT_EQ(state.previous.hmin, 100.0f);
    EXPECT_EQ(state.AgeOffset, 3.0f);
    EXPECT_TRUE(state.curvature.RmSwitched);
    EXPECT_FALSE(units.IsOpen(4));
}

TEST_F(InitialStateTest, NoBarsStillTakeOneRecordPerBarGroup) {
    std::string text = Reals(2, 1.0f, 1.0f) + Reals(2, 0.0f, 0.0f) + Reals(2, 0.0f, 0.0f) + "  1  1\r\n";
    text += "not read\r\nnot read\r\nnot read\r\nnot read\r\n";
    text += " 1.000E+00 2.000E+00                                                   \r\n";
    WriteStateFile(text);
    ReadInitialState(units, 1, 2, 0, state);
    EXPECT_EQ(state.CrackCount(2), 1);
    EXPECT_EQ(state.SectionM, 1.0f);
    EXPECT_EQ(state.SectionN, 2.0f);
    EXPECT_EQ(state.AgeOffset, 0.0f);  // blank fields read as zero
}

TEST_F(InitialStateTest, MissingFileIsRefusedWithoutCreatingIt) {
    try {
        ReadInitialState(units, 1, 2, 0, state);
        FAIL() << "a missing w.dat was accepted";
    } catch (const RunError& e) {
        EXPECT_NE(std::string(e.what()).find("w.dat"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists("w.dat"));
}

TEST_F(InitialStateTest, ShortFileStopsWithTheReadError) {
    WriteStateFile(Reals(2, 1.0f, 1.0f));
    EXPECT_THROW(ReadInitialState(units, 1, 2, 0, state), RunError);
}

}  // namespace
}  // namespace tc
