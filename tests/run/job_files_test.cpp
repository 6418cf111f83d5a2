// The job folder from the path file, host file names, and the opening of the job's files.

#include "run/job_files.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "run/job_input.hpp"
#include "support/child_process.hpp"

namespace tc {
namespace {

namespace fs = std::filesystem;

PathLine MakeLine(std::string_view text) {
    PathLine line;
    line.fill(' ');
    for (std::size_t c = 0; c < text.size() && c < static_cast<std::size_t>(PathLineLength); ++c) {
        line(static_cast<std::int32_t>(c + 1)) = text[c];
    }
    return line;
}

std::string Folder(std::string_view text) { return DeriveJobFolder(MakeLine(text), "./path.dat"); }

std::string RefusalOf(std::string_view text) {
    try {
        Folder(text);
    } catch (const RunError& error) {
        return error.what();
    }
    return "";
}

TEST(DeriveJobFolder, EndsTheFolderAtTheFirstBlankAfterTheLastBackslash) {
    EXPECT_EQ(Folder(R"(c:\work\case)"), R"(c:\work\case\)");
    EXPECT_EQ(Folder(R"(c:\my work\case)"), R"(c:\my work\case\)");
    EXPECT_EQ(Folder(R"(c:\work\case A)"), R"(c:\work\case\)");
    EXPECT_EQ(Folder(R"(c:\work\case\)"), R"(c:\work\case\\)");
    EXPECT_EQ(Folder(R"(   c:\job)"), R"(   c:\job\)");
}

TEST(DeriveJobFolder, TakesAHostPathWithSlashesWhenTheLineHoldsNoBackslash) {
    EXPECT_EQ(Folder("/home/me/jobs/wall1"), "/home/me/jobs/wall1/");
    EXPECT_EQ(Folder("/home/my jobs/wall1 rest"), "/home/my jobs/wall1/");
    // A backslash anywhere makes the backslash the separator.
    EXPECT_EQ(Folder(R"(c:\jobs/wall1 x)"), R"(c:\jobs/wall1\)");
}

TEST(DeriveJobFolder, AcceptsTheFullTables) {
    std::string fifty;
    for (int k = 0; k < 50; ++k) fifty += "\\a";
    EXPECT_EQ(Folder(fifty), fifty + "\\");
    const std::string blanks49(49, ' ');
    EXPECT_EQ(Folder(blanks49 + R"(c:\x)"), blanks49 + R"(c:\x\)");
    // The last backslash in column 199 and a blank in column 200.
    const std::string long199 = std::string(198, 'a') + "\\";
    EXPECT_EQ(Folder(long199), long199 + "\\");
}

TEST(DeriveJobFolder, RefusesALineThatNamesNoFolder) {
    EXPECT_NE(RefusalOf("job").find("no backslash"), std::string::npos);
    EXPECT_NE(RefusalOf("").find("no backslash"), std::string::npos);
    std::string fiftyOne;
    for (int k = 0; k < 51; ++k) fiftyOne += "\\a";
    EXPECT_NE(RefusalOf(fiftyOne).find("51"), std::string::npos);
    EXPECT_NE(RefusalOf(std::string(50, ' ') + R"(c:\x)").find("50 blanks"), std::string::npos);
    // No blank from the last backslash to column 200.
    EXPECT_NE(RefusalOf(std::string(199, 'a') + "\\").find("no blank"), std::string::npos);
    EXPECT_NE(RefusalOf(R"(c:\)" + std::string(197, 'a')).find("no blank"), std::string::npos);
    // Every refusal names the path file.
    EXPECT_NE(RefusalOf("job").find("unit 30 (./path.dat)"), std::string::npos);
}

// Sets or clears an environment variable for one test and puts it back afterwards.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr) {
            testing::SetEnvironment(name, value);
        } else {
            testing::UnsetEnvironment(name);
        }
    }
    ~EnvGuard() {
        if (old_) {
            testing::SetEnvironment(name_, *old_);
        } else {
            testing::UnsetEnvironment(name_);
        }
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

#ifdef _WIN32
TEST(HostFileName, UsesNamesAsTheyStandOnWindows) {
    EnvGuard c("THERMOCRACK_DRIVE_C", "d:\\elsewhere");
    EXPECT_EQ(HostFileName(R"(c:\path.dat)"), R"(c:\path.dat)");
    EXPECT_EQ(HostFileName(R"(job\x.dat)"), R"(job\x.dat)");
}
#else
TEST(HostFileName, MapsTheDriveToTheCurrentFolderByDefault) {
    EnvGuard c("THERMOCRACK_DRIVE_C", nullptr);
    EXPECT_EQ(HostFileName(R"(c:\path.dat)"), "./path.dat");
    EXPECT_EQ(HostFileName(R"(C:\jobs\wall1\wall1.inp)"), "./jobs/wall1/wall1.inp");
    EXPECT_EQ(HostFileName(R"(c:\job\\title.dat)"), "./job//title.dat");
}

TEST(HostFileName, MapsTheDriveToItsVariableWhenSet) {
    EnvGuard c("THERMOCRACK_DRIVE_C", "/mnt/c");
    EnvGuard d("THERMOCRACK_DRIVE_D", "/data/");
    EXPECT_EQ(HostFileName(R"(c:\path.dat)"), "/mnt/c/path.dat");
    EXPECT_EQ(HostFileName(R"(C:\jobs\w.inp)"), "/mnt/c/jobs/w.inp");
    EXPECT_EQ(HostFileName(R"(d:\w.inp)"), "/data/w.inp");
}

TEST(HostFileName, TurnsBackslashesIntoSlashesAndLeavesHostPaths) {
    EXPECT_EQ(HostFileName(R"(job\x.dat)"), "job/x.dat");
    EXPECT_EQ(HostFileName("/home/me/jobs/wall1/wall1.inp"), "/home/me/jobs/wall1/wall1.inp");
    EXPECT_EQ(HostFileName("w.dat"), "w.dat");
}
#endif

// A fresh folder for one test; the working folder is restored and the folder removed afterwards.
class JobFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "on Windows the path file is the real c:\\path.dat";
#endif
        root_ = testing::MakeTemporaryFolder("tc_job_files_");
        saved_ = fs::current_path();
        fs::current_path(root_);
    }
    void TearDown() override {
        if (root_.empty()) return;
        fs::current_path(saved_);
        fs::remove_all(root_);
    }
    static void WriteFile(const fs::path& name, std::string_view text) {
        fs::create_directories(fs::absolute(name).parent_path());
        std::ofstream out(name, std::ios::binary);
        out << text;
    }
    static std::string ReadFile(const fs::path& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A job folder "job" with title.dat and the three input files of the job "name".
    static void MakeJob(std::string_view title, const std::string& name) {
        WriteFile("job/title.dat", title);
        WriteFile("job/" + name + ".inp", "    0    0\n");
        WriteFile("job/" + name + ".dat", "    1\n");
        WriteFile("job/" + name + ".tmp", "    1\n");
    }

    fs::path root_;
    fs::path saved_;
    EnvGuard drive_{"THERMOCRACK_DRIVE_C", nullptr};
};

TEST_F(JobFolderTest, OpensTheElevenFilesOnTheirUnits) {
    WriteFile("path.dat", "c:\\job\r\n");
    MakeJob("wall1   further words\n", "wall1");
    std::string folder, name;
    {
        RunOutputs outputs;
        UnitTable units;
        OpenJob(units, outputs, folder, name);
        EXPECT_EQ(units[unit::Path].name(), "./path.dat");
        EXPECT_EQ(units[unit::Title].name(), "./job/title.dat");
        EXPECT_EQ(units[unit::Deck].name(), "./job/wall1.inp");
        EXPECT_EQ(units[unit::Mesh].name(), "./job/wall1.dat");
        EXPECT_EQ(units[unit::Temperature].name(), "./job/wall1.tmp");
        EXPECT_EQ(units[unit::List].name(), "./job/wall1.out");
        EXPECT_EQ(units[unit::BarStress].name(), "./job/wall1.hss");
        EXPECT_EQ(units[unit::CrackIndex].name(), "./job/wall1.hci");
        EXPECT_EQ(units[unit::CrackWidth].name(), "./job/wall1.hwd");
        EXPECT_EQ(units[unit::CrackedList].name(), "./job/wall1.hcr");
        EXPECT_EQ(units[unit::ZoneDepth].name(), "./job/wall1.hdp");
        EXPECT_EQ(units[unit::ConcreteStress].name(), "./job/wall1.hst");
        EXPECT_EQ(units[unit::Status].name(), "./job/wall1.sta");
        // An output is written as a new file beside its name until the run's end puts it in place.
        EXPECT_TRUE(fs::exists("job/wall1.sta.partial-run"));
        EXPECT_FALSE(fs::exists("job/wall1.sta"));
    }
    EXPECT_EQ(folder, "c:\\job\\");
    EXPECT_EQ(name, "wall1");
    // Never put in place, the new files went with their units.
    EXPECT_FALSE(fs::exists("job/wall1.sta.partial-run"));
    EXPECT_FALSE(fs::exists("job/wall1.sta"));
}

TEST_F(JobFolderTest, TakesAQuotedJobNameWithItsBlank) {
    WriteFile("path.dat", "c:\\job\n");
    MakeJob("'my beam' 2\n", "my beam");
    std::string folder, name;
    RunOutputs outputs;
    UnitTable units;
    OpenJob(units, outputs, folder, name);
    EXPECT_EQ(name, "my beam");
    EXPECT_EQ(units[unit::Deck].name(), "./job/my beam.inp");
}

TEST_F(JobFolderTest, KeepsBothBackslashesOfALineEndingInOne) {
    WriteFile("path.dat", "c:\\job\\\n");
    MakeJob("x\n", "x");
    std::string folder, name;
    RunOutputs outputs;
    UnitTable units;
    OpenJob(units, outputs, folder, name);
    EXPECT_EQ(folder, "c:\\job\\\\");
    EXPECT_EQ(units[unit::Title].name(), "./job//title.dat");
    EXPECT_EQ(units[unit::Deck].name(), "./job//x.inp");
}

TEST_F(JobFolderTest, FindsTheDriveThroughItsVariable) {
    WriteFile("path.dat", "c:\\job\n");
    MakeJob("x\n", "x");
    const std::string rootText = root_.string();
    EnvGuard c("THERMOCRACK_DRIVE_C", rootText.c_str());
    fs::current_path(saved_);
    std::string folder, name;
    RunOutputs outputs;
    UnitTable units;
    OpenJob(units, outputs, folder, name);
    EXPECT_EQ(units[unit::Path].name(), rootText + "/path.dat");
    EXPECT_EQ(units[unit::Deck].name(), rootText + "/job/x.inp");
}

TEST_F(JobFolderTest, TakesAHostPathFromThePathFile) {
    WriteFile("path.dat", (root_ / "job").string() + "\n");
    MakeJob("x\n", "x");
    std::string folder, name;
    RunOutputs outputs;
    UnitTable units;
    OpenJob(units, outputs, folder, name);
    EXPECT_EQ(folder, (root_ / "job").string() + "/");
    EXPECT_EQ(units[unit::Mesh].name(), (root_ / "job" / "x.dat").string());
}

TEST_F(JobFolderTest, AMissingTemperatureFileLeavesEarlierOutputsAlone) {
    WriteFile("path.dat", "c:\\job\n");
    MakeJob("x\n", "x");
    fs::remove("job/x.tmp");
    WriteFile("job/x.out", "earlier run\r\n");
    std::string folder, name;
    {
        RunOutputs outputs;
        UnitTable units;
        EXPECT_THROW(OpenJob(units, outputs, folder, name), RunError);
        EXPECT_FALSE(units.IsOpen(unit::List));
    }
    EXPECT_EQ(ReadFile("job/x.out"), "earlier run\r\n");
    EXPECT_FALSE(fs::exists("job/x.hss"));
    EXPECT_FALSE(fs::exists("job/x.sta"));
}

TEST_F(JobFolderTest, RefusesAnEmptyPathFileOrOneWithoutAFolder) {
    for (const char* content : {"", "job\n"}) {
        WriteFile("path.dat", content);
        std::string folder, name;
        RunOutputs outputs;
        UnitTable units;
        try {
            OpenJob(units, outputs, folder, name);
            ADD_FAILURE() << "accepted a path file holding \"" << content << '"';
        } catch (const RunError& error) {
            EXPECT_NE(std::string(error.what()).find("./path.dat"), std::string::npos) << error.what();
        }
        EXPECT_FALSE(units.IsOpen(unit::Title));
    }
}

}  // namespace
}  // namespace tc
