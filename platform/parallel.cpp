#include "platform/parallel.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace kv {

void runParallel(size_t count, size_t threads, const std::function<void(size_t)>& job)
{
    std::atomic<size_t> next = 0;
    const auto work = [&] {
        for (size_t i = next++; i < count; i = next++)
            job(i);
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < std::min(threads, count); ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
}

size_t batchThreads()
{
    return size_t(std::max(1, QThread::idealThreadCount()));
}

} // namespace kv
