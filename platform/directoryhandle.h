#pragma once
// An open directory that names its entries relative to itself (the *at() calls), so that a
// path component swapped for a link between a check and its use cannot redirect what is
// listed, moved or deleted.
#include <QByteArray>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace kv {

class DirectoryHandle {
public:
    DirectoryHandle() = default;
    ~DirectoryHandle();
    DirectoryHandle(DirectoryHandle&& other) noexcept;
    DirectoryHandle& operator=(DirectoryHandle&& other) noexcept;
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    // The directory a caller named; links on the way are followed, as for any path the user gives.
    static DirectoryHandle open(const QByteArray& path);

    bool isOpen() const { return fd_ >= 0; }
    // errno of the failed open; 0 when open.
    int openError() const { return error_; }

    // The entry `name` opened as a directory without following a link in its place.
    DirectoryHandle openSubdirectory(const QByteArray& name) const;
    // Makes the entry `name` as a directory with `mode`; false (errno kept) when it failed.
    bool makeSubdirectory(const QByteArray& name, mode_t mode) const;

    std::optional<struct stat> status() const;
    // What the entry itself is (a link is reported as a link).
    std::optional<struct stat> entryStatus(const QByteArray& name) const;
    // Every entry but "." and "..", as the bytes the file system holds.
    std::vector<QByteArray> entryNames() const;

    // Moves the entry `name` to `target` in `into`; never replaces an entry already there.
    bool moveEntry(const QByteArray& name, const DirectoryHandle& into, const QByteArray& target) const;
    // Deletes the entry `name` (a link itself, never what it points to); not a directory.
    bool removeEntry(const QByteArray& name) const;

private:
    explicit DirectoryHandle(int fd, int error) : fd_(fd), error_(error) {}
    int fd_ = -1;
    int error_ = 0;
};

// A plain file of the effective user: the only kind of entry the preview takes or deletes,
// whoever runs it (root included).
bool isOwnRegularFile(const struct stat& status);

} // namespace kv
