#pragma once
// The one error type of a run: a failed open, read or write, a field that is not a number, or input
// that the program refuses. main prints it, flushes every open file and exits with status 2.

#include <stdexcept>
#include <string>

namespace tc {

class RunError : public std::runtime_error {
public:
    // message is the full text after "error: ", e.g.
    // unit 20 (./jobs/wall1/wall1.dat), read of record 7: columns 11-20 "12.3.4" is not a number (layout (I10,2F10.0))
    explicit RunError(const std::string& message) : std::runtime_error(message) {}
};

// Failures that are faults of the program rather than of its input (an exception other than a
// RunError): counted here, where a test harness reads them, apart from messages a user's text may
// resemble.
void NoteUnexpectedFailure() noexcept;
long long UnexpectedFailures() noexcept;

}  // namespace tc
