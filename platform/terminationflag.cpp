#include "platform/terminationflag.h"

#include <atomic>

namespace kv {

namespace {

std::atomic<bool> gRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

} // namespace

bool terminationRequested() { return gRequested.load(); }

void noteTerminationRequest() { gRequested.store(true); }

} // namespace kv
