#include "platform/directoryhandle.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#include <utility>

namespace kv {

namespace {

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

} // namespace

DirectoryHandle::~DirectoryHandle()
{
    if (fd_ >= 0)
        ::close(fd_);
}

DirectoryHandle::DirectoryHandle(DirectoryHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_)
{
}

DirectoryHandle& DirectoryHandle::operator=(DirectoryHandle&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

DirectoryHandle DirectoryHandle::open(const QByteArray& path)
{
    const int fd = ::open(path.constData(), kDirectoryFlags);
    return DirectoryHandle(fd, fd < 0 ? errno : 0);
}

DirectoryHandle DirectoryHandle::openSubdirectory(const QByteArray& name) const
{
    const int fd = ::openat(fd_, name.constData(), kDirectoryFlags | O_NOFOLLOW);
    return DirectoryHandle(fd, fd < 0 ? errno : 0);
}

bool DirectoryHandle::makeSubdirectory(const QByteArray& name, mode_t mode) const
{
    return ::mkdirat(fd_, name.constData(), mode) == 0;
}

std::optional<struct stat> DirectoryHandle::status() const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return std::nullopt;
    return st;
}

std::optional<struct stat> DirectoryHandle::entryStatus(const QByteArray& name) const
{
    struct stat st {};
    if (::fstatat(fd_, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return st;
}

std::vector<QByteArray> DirectoryHandle::entryNames() const
{
    std::vector<QByteArray> names;
    // fdopendir takes over the descriptor it is given; a duplicate keeps ours open, and the
    // rewind starts the listing afresh whatever an earlier listing left behind.
    const int copy = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return names;
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return names;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool DirectoryHandle::moveEntry(const QByteArray& name, const DirectoryHandle& into, const QByteArray& target) const
{
    if (::renameat2(fd_, name.constData(), into.fd_, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: a new link fails just as surely on an
    // existing name, and the old one goes once the new one is there.
    if (::linkat(fd_, name.constData(), into.fd_, target.constData(), 0) != 0)
        return false;
    ::unlinkat(fd_, name.constData(), 0);
    return true;
}

bool DirectoryHandle::removeEntry(const QByteArray& name) const
{
    return ::unlinkat(fd_, name.constData(), 0) == 0;
}

bool isOwnRegularFile(const struct stat& status)
{
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

} // namespace kv
