#include "lang/filelock.h"

#include <cerrno>
#include <fcntl.h>
#include <thread>

namespace kv {

namespace {

// Open-file-description locks: held per open file rather than per process, so they are not
// dropped when some other descriptor of the same file is closed, and two opens in one process
// exclude each other just as two processes do.
bool setLock(int fd, short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // the whole file, however long it grows
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

} // namespace

FileLock::FileLock(int fd, std::chrono::milliseconds wait) : fd_(fd)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + wait;
    auto pause = std::chrono::microseconds(200);
    while (!(locked_ = setLock(fd_, F_WRLCK))) {
        if ((errno != EAGAIN && errno != EACCES && errno != EINTR) || Clock::now() >= deadline)
            return;
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(10));
    }
}

FileLock::~FileLock()
{
    if (locked_) setLock(fd_, F_UNLCK);
}

} // namespace kv
