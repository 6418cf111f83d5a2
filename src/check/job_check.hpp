#pragma once
// Plausibility checks of a job's input files: values that read without error but are surely not
// what the engineer meant (a number whose implied decimals moved it by a power of ten, a modulus
// or restraint factor outside its physical range, a clockwise or folded element, a bar sticking
// out of the section, temperatures or ages that cannot be right). They only warn: a run goes on.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tc::check {

// One suspicious value: where it stands, what it reads as, why it is suspicious and what was
// probably meant. record and the columns are 0 when the warning is about the file as a whole or
// about an item that spans records.
struct Warning {
    std::string file;
    std::int64_t record = 0;
    std::int32_t firstColumn = 0;
    std::int32_t lastColumn = 0;
    std::string what;  // "Es = 2 N/mm2: ..."
};

// The three input files of a job, by host name.
struct JobFileNames {
    std::string deck;         // .inp
    std::string mesh;         // .dat
    std::string temperatures; // .tmp
};

// Every warning for the job, in file order. A file that cannot be read, or a record that does not
// read as the run reads it, ends the checks of that file quietly: the run itself reports it. A run
// leaves out the temperature file (withTemperatures false): it keeps a TemperatureWatch on the
// blocks as it reads them, rather than reading the file twice.
std::vector<Warning> CheckJob(const JobFileNames& files, bool withTemperatures = true);

// "warning: FILE, record R, columns A-B: WHAT", one line each.
std::string FormatWarning(const Warning& warning);
void PrintWarnings(std::FILE* stream, const std::vector<Warning>& warnings);

}  // namespace tc::check
