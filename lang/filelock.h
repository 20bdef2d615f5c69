#pragma once
// An exclusive lock on a whole open file, shared by every process that opens the same file.
// Taking it waits a bounded time: a lock held by a hung process must not hang this one.
#include <chrono>

namespace kv {

class FileLock {
public:
    // Tries to lock the file behind fd until wait has passed; locked() tells whether it did.
    FileLock(int fd, std::chrono::milliseconds wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return locked_; }

private:
    int fd_;
    bool locked_ = false;
};

} // namespace kv
