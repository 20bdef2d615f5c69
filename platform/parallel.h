#pragma once
// Batch work over every processor core: the pages of a conversion, the corpus of a test.
#include <cstddef>
#include <functional>

namespace kv {

// Runs job(i) for every i below `count` on up to `threads` threads of Qt's global pool (never
// more than the pool holds), each taking the next index as soon as it is free, so that one
// slow item does not hold back a share of the others. Returns when every job is done. Not for
// use from a thread of that pool.
void runParallel(size_t count, size_t threads, const std::function<void(size_t)>& job);

// The threads a batch should use: one per processor core, at least one.
size_t batchThreads();

} // namespace kv
