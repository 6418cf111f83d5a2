#pragma once
// A job held in memory as its files, damaged by small edits and run end to end by the binary in a
// fresh temporary folder.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace tc::bad_input {

namespace fs = std::filesystem;

// The files of a working folder by their relative names ("path.dat", "job/small.inp"), raw bytes.
using FileSet = std::map<std::string, std::string>;

// The small valid job kept in tests/bad_input/job.
FileSet SmallJob();

// What a run left: how it ended, the console, and every file of the working folder afterwards.
struct RunResult {
    bool exited = false;    // ended by exit, not by a signal or the time limit
    int exitCode = -1;
    int signal = 0;
    bool timedOut = false;
    std::string console;       // standard output
    std::string consoleError;  // standard error
    FileSet after;
};

// Writes the files into a fresh temporary folder, runs the binary there (no drive mapping, so
// c:\path.dat is ./path.dat) with a time limit, collects the result and removes the folder.
RunResult RunJob(const FileSet& files);

// Record edits on a file's text. Records are lines ended by LF; numbers and columns count from 1.
int RecordCount(const std::string& text);
// Puts text right-justified into columns first..last of a record, padding a short record with blanks.
void SetColumns(std::string& text, int record, int first, int last, std::string_view value);
// Replaces a whole record (its line end stays).
void SetRecord(std::string& text, int record, std::string_view value);
// Keeps the first n records with their line ends.
void KeepRecords(std::string& text, int n);
// Keeps the records before this one and its first columns, with no line end after them.
void CutRecord(std::string& text, int record, int columns);
// Pads every record with fill up to length characters (records already as long are left).
void PadRecords(std::string& text, std::size_t length, std::string_view fill);

}  // namespace tc::bad_input
