#pragma once
// Stop signals end a run like an error: SIGINT and SIGTERM (and SIGHUP where the host has it) remove
// the new files of the run's outputs, so that the job's previous results stay whole, print a message
// on the error stream and end the process with exit status 128 + the signal's number. A signal the
// process was started with ignored (a background job's SIGINT, nohup's SIGHUP) stays ignored.

#include <cstddef>

#ifndef _WIN32
#include <signal.h>
#endif

namespace tc {

class StopSignals {
public:
    // Installs the handler for every stop signal the process does not ignore.
    StopSignals();
    // Puts back the handlers found, then lets through a signal held back by Hold.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Files the handler removes, up to MaxWatched; a name must stay valid until forgotten.
    static constexpr std::size_t MaxWatched = 16;
    static void Watch(const char* name) noexcept;
    static void Forget(const char* name) noexcept;

    // From now until the guard ends, stop signals wait: the outputs are being put in place, and a
    // run stopped halfway through would leave a mix. A signal held back then ends the process
    // as it would have without the guard.
    void Hold() noexcept;

private:
    bool held_ = false;
};

// Holds stop signals back in the calling thread while it lives: for a file that must be watched
// from the moment it is created (a stop in between would leave it behind).
class StopSignalsHeldBack {
public:
    StopSignalsHeldBack() noexcept;
    ~StopSignalsHeldBack();
    StopSignalsHeldBack(const StopSignalsHeldBack&) = delete;
    StopSignalsHeldBack& operator=(const StopSignalsHeldBack&) = delete;

private:
#ifndef _WIN32
    sigset_t previous_;
    bool held_ = false;
#endif
};

}  // namespace tc
