#include "platform/parallel.h"

#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace kv {

// The work runs on Qt's global pool rather than on threads of our own: Qt splits a large
// image operation (a fill, a conversion, a scaling) over that pool unless the calling thread
// already belongs to it, which on a machine whose cores are all busy with pages is pure cost.
void runParallel(size_t count, size_t threads, const std::function<void(size_t)>& job)
{
    QThreadPool& pool = *QThreadPool::globalInstance();
    std::atomic<size_t> next = 0;
    const int workers = int(std::clamp<size_t>(std::min(threads, count), 0, size_t(std::max(1, pool.maxThreadCount()))));
    // The standard library's lock rather than Qt's semaphore, so that a thread-checking build
    // sees the hand-over (Qt's own libraries are not built for it).
    std::mutex lock;
    std::condition_variable allDone;
    int running = workers;
    for (int w = 0; w < workers; ++w)
        pool.start([&] {
            for (size_t i = next++; i < count; i = next++)
                job(i);
            const std::lock_guard guard(lock);
            if (--running == 0)
                allDone.notify_one();
        });
    std::unique_lock wait(lock);
    allDone.wait(wait, [&] { return running == 0; });
}

size_t batchThreads()
{
    return size_t(std::max(1, QThread::idealThreadCount()));
}

} // namespace kv
