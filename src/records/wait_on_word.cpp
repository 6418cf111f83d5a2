// WaitWhileEqual and WakeOneWaiter on Windows: WaitOnAddress and WakeByAddressSingle. This file
// alone includes <windows.h>, whose macros (StoreFence among them) would clash with names of the
// record layer.
#ifdef _WIN32

#if !defined(_WIN32_WINNT) || _WIN32_WINNT < 0x0602
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0602  // Windows 8: the first with a wait on an address
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "records/wait_on_word.hpp"

namespace tc::records_detail {
namespace {

// The host compares the word with old and sleeps while they are equal; it may wake early, so the
// word is looked at again.
template <typename T>
void WaitOnWord(const std::atomic<T>& word, T old) {
    static_assert(sizeof(std::atomic<T>) == sizeof(T) && std::atomic<T>::is_always_lock_free);
    auto* address = const_cast<std::atomic<T>*>(&word);
    while (word.load(std::memory_order_acquire) == old) {
        ::WaitOnAddress(static_cast<volatile void*>(address), &old, sizeof old, INFINITE);
    }
}

}  // namespace

void WaitWhileEqual(const std::atomic<std::uint32_t>& word, std::uint32_t old) { WaitOnWord(word, old); }
void WaitWhileEqual(const std::atomic<std::uint64_t>& word, std::uint64_t old) { WaitOnWord(word, old); }
void WakeOneWaiter(std::atomic<std::uint32_t>& word) { ::WakeByAddressSingle(&word); }
void WakeOneWaiter(std::atomic<std::uint64_t>& word) { ::WakeByAddressSingle(&word); }

}  // namespace tc::records_detail

#endif
