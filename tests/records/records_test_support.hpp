#pragma once
// Helpers for the record layer's tests: a temporary folder and whole-file reads and writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>

#include "records/records.hpp"

namespace tc::records_test {

// A fresh folder, removed with everything in it when the test ends.
class TempFolder {
public:
    TempFolder() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("tc_records_" + std::to_string(seed()) + "_" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& name, const std::string& contents) {
    std::ofstream out(name, std::ios::binary);
    out << contents;
}

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A test that writes records to a unit and looks at the bytes that reach the file.
class OutputTest : public ::testing::Test {
protected:
    Unit& Out() {
        if (!units_.IsOpen(70)) units_.Open(70, folder_.File("out.txt"), OpenStatus::Unknown);
        return units_[70];
    }
    // Everything written so far, the unit closed.
    std::string Written() {
        units_.Close(70);
        return ReadFile(folder_.File("out.txt"));
    }

    TempFolder folder_;
    UnitTable units_;
};

// A test that reads records from a file of given contents.
class InputTest : public ::testing::Test {
protected:
    Unit& In(const std::string& contents) {
        WriteFile(folder_.File("in.dat"), contents);
        return units_.Open(20, folder_.File("in.dat"), OpenStatus::Old);
    }
    std::string Name() const { return folder_.File("in.dat"); }

    TempFolder folder_;
    UnitTable units_;
};

// The message of the RunError that f throws; empty when it throws none.
template <class F>
std::string ThrownBy(F&& f) {
    try {
        f();
    } catch (const RunError& e) {
        return e.what();
    }
    return {};
}

// The message of the RunError that f throws; fails the test when nothing is thrown.
template <class F>
std::string ErrorOf(F&& f) {
    std::string message = ThrownBy(std::forward<F>(f));
    if (message.empty()) ADD_FAILURE() << "no RunError thrown";
    return message;
}

}  // namespace tc::records_test
