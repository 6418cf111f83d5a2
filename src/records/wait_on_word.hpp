#pragma once
// WaitWhileEqual and WakeOneWaiter: one thread sleeps until another changes a word, as
// std::atomic::wait and notify_one do. On Windows they go to the host's own wait on an address
// (WaitOnAddress): the C++ library of the MinGW-w64 compilers has no native wait there and
// emulates it in a way that can miss a wake-up, which left a run hanging at its end.

#include <atomic>
#include <cstdint>

namespace tc::records_detail {

#ifdef _WIN32
// Defined in wait_on_word.cpp, the one file that sees the host's headers.
void WaitWhileEqual(const std::atomic<std::uint32_t>& word, std::uint32_t old);
void WaitWhileEqual(const std::atomic<std::uint64_t>& word, std::uint64_t old);
void WakeOneWaiter(std::atomic<std::uint32_t>& word);
void WakeOneWaiter(std::atomic<std::uint64_t>& word);
#else
template <typename T>
void WaitWhileEqual(const std::atomic<T>& word, T old) {
    word.wait(old, std::memory_order_acquire);
}
template <typename T>
void WakeOneWaiter(std::atomic<T>& word) {
    word.notify_one();
}
#endif

}  // namespace tc::records_detail
