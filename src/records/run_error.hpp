#pragma once
// The one error type of a run: a failed open, read or write, a field that is not a number, or input
// that the program refuses. main prints it, flushes every open file and exits with status 2.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tc {

class RunError : public std::runtime_error {
public:
    // message is the full text after "error: ", e.g.
    // unit 20 (./jobs/wall1/wall1.dat), read of record 7: columns 11-20 "12.3.4" is not a number (layout (I10,2F10.0))
    explicit RunError(const std::string& message) : std::runtime_error(message) {}
};

// The head of every message about a unit's file, built here alone:
//   ErrorHead(20, "./jobs/wall1/wall1.dat", "read", 7)   unit 20 (./jobs/wall1/wall1.dat), read of record 7
//   ErrorHead(20, "./jobs/wall1/wall1.dat", "open")      unit 20 (./jobs/wall1/wall1.dat), open
//   ErrorHead(20)                                        unit 20            (no file bound to it)
// The operation is "open", "read", "write" or "close"; records are numbered from 1 in their file.
std::string ErrorHead(std::int32_t unit, std::string_view file, std::string_view operation, std::int64_t record);
std::string ErrorHead(std::int32_t unit, std::string_view file, std::string_view operation);
std::string ErrorHead(std::int32_t unit);

// Failures that are faults of the program rather than of its input (an exception other than a
// RunError): counted here, where a test harness reads them, apart from messages a user's text may
// resemble.
void NoteUnexpectedFailure() noexcept;
long long UnexpectedFailures() noexcept;

}  // namespace tc
