#pragma once
// The damaged variants of the small job and what each run must do.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "bad_input/job_folder.hpp"

namespace tc::bad_input {

// The job's files by their names in the working folder.
inline constexpr char PathFile[] = "path.dat";
inline constexpr char TitleFile[] = "job/title.dat";
inline constexpr char Deck[] = "job/small.inp";
inline constexpr char Mesh[] = "job/small.dat";
inline constexpr char Temperatures[] = "job/small.tmp";
inline constexpr char InitialState[] = "w.dat";
inline constexpr int StepsOfTheJob = 3;

enum class Ending {
    BeforeOutputs,  // refused before the list and result files are opened: they stay as they were
    AfterOutputs,   // refused later: records of the completed steps stay, complete
    Normally,       // the damage is harmless: exit 0 and the outputs of the undamaged job
};

struct Expectation {
    Ending ending = Ending::AfterOutputs;
    std::string file;       // the file the message names (its last name part), e.g. "small.inp"
    int record = 0;         // the record number the message names; 0 when none applies
    int firstColumn = 0;    // the columns the message names; 0 when none apply
    int lastColumn = 0;
    int stepsKept = 0;      // AfterOutputs: steps whose result records stay
    bool listLikeReference = true;  // the list file (up to the error) is that of the undamaged job
};

struct Variant {
    std::string name;  // letters, digits and underscores: the test's name
    std::function<void(FileSet&)> damage;
    Expectation expect;
};

// Test names print the variant's name rather than its bytes.
inline void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

// Every variant of the suite.
const std::vector<Variant>& AllVariants();

// The result files and their earlier contents, put in place before every run.
const std::vector<std::string>& OutputFiles();
std::string EarlierContent(const std::string& name);

}  // namespace tc::bad_input
