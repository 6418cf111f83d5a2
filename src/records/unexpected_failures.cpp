// The count of unexpected failures: exceptions other than RunError met while running.
#include <atomic>

#include "records/run_error.hpp"

namespace tc {
namespace {
std::atomic<long long> count{0};
}  // namespace

void NoteUnexpectedFailure() noexcept { count.fetch_add(1, std::memory_order_relaxed); }

long long UnexpectedFailures() noexcept { return count.load(std::memory_order_relaxed); }

}  // namespace tc
