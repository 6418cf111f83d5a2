// StopSignals: the handler of SIGINT, SIGTERM and SIGHUP. It does only what a signal handler may:
// removes the watched files, writes a fixed message and ends the process with 128 + signal.
#include "run/stop_signals.hpp"

#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <stdlib.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace tc {
namespace {

std::atomic<const char*> watched[StopSignals::MaxWatched];

#ifdef _WIN32
constexpr int Signals[] = {SIGINT, SIGTERM};
void RemoveName(const char* name) { _unlink(name); }
void WriteError(const char* text) { _write(2, text, static_cast<unsigned>(std::strlen(text))); }
[[noreturn]] void EndProcess(int status) { _exit(status); }
#else
constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
void RemoveName(const char* name) { ::unlink(name); }
void WriteError(const char* text) {
    const ssize_t ignored = ::write(2, text, std::strlen(text));
    static_cast<void>(ignored);
}
[[noreturn]] void EndProcess(int status) { ::_exit(status); }
#endif
constexpr std::size_t SignalCount = sizeof Signals / sizeof Signals[0];

const char* MessageFor(int signal) {
    switch (signal) {
        case SIGINT:
            return "error: stopped by SIGINT before the run ended; its new files were removed and the job's "
                   "earlier results are kept\n";
        case SIGTERM:
            return "error: stopped by SIGTERM before the run ended; its new files were removed and the job's "
                   "earlier results are kept\n";
        default:
            return "error: stopped by SIGHUP before the run ended; its new files were removed and the job's "
                   "earlier results are kept\n";
    }
}

extern "C" void OnStopSignal(int signal) {
    for (std::atomic<const char*>& slot : watched) {
        const char* name = slot.load();
        if (name != nullptr) RemoveName(name);
    }
    WriteError(MessageFor(signal));
    EndProcess(128 + signal);
}

#ifdef _WIN32
using Handler = void (*)(int);
Handler previous[SignalCount];
#else
struct sigaction previous[SignalCount];
#endif
bool installed[SignalCount];

}  // namespace

StopSignals::StopSignals() {
    for (std::size_t k = 0; k < SignalCount; ++k) {
        installed[k] = false;
#ifdef _WIN32
        previous[k] = std::signal(Signals[k], OnStopSignal);
        if (previous[k] == SIG_ERR) continue;
        if (previous[k] == SIG_IGN) {
            std::signal(Signals[k], SIG_IGN);
            continue;
        }
        installed[k] = true;
#else
        if (::sigaction(Signals[k], nullptr, &previous[k]) != 0 || previous[k].sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        for (const int other : Signals) sigaddset(&action.sa_mask, other);
        installed[k] = ::sigaction(Signals[k], &action, nullptr) == 0;
#endif
    }
}

StopSignals::~StopSignals() {
    for (std::size_t k = 0; k < SignalCount; ++k) {
        if (!installed[k]) continue;
#ifdef _WIN32
        std::signal(Signals[k], previous[k]);
#else
        ::sigaction(Signals[k], &previous[k], nullptr);
#endif
        installed[k] = false;
    }
#ifndef _WIN32
    if (held_) {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : Signals) sigaddset(&set, signal);
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    }
#endif
}

void StopSignals::Watch(const char* name) noexcept {
    for (std::atomic<const char*>& slot : watched) {
        const char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, name)) return;
    }
}

void StopSignals::Forget(const char* name) noexcept {
    for (std::atomic<const char*>& slot : watched) {
        const char* expected = name;
        slot.compare_exchange_strong(expected, nullptr);
    }
}

void StopSignals::Hold() noexcept {
#ifndef _WIN32
    if (held_) return;
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : Signals) sigaddset(&set, signal);
    held_ = ::pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
#endif
}

StopSignalsHeldBack::StopSignalsHeldBack() noexcept {
#ifndef _WIN32
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : Signals) sigaddset(&set, signal);
    held_ = ::pthread_sigmask(SIG_BLOCK, &set, &previous_) == 0;
#endif
}

StopSignalsHeldBack::~StopSignalsHeldBack() {
#ifndef _WIN32
    if (held_) ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
#endif
}

}  // namespace tc
