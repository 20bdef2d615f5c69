#pragma once
// A dBASE III table file opened shared: several processes may read it and append to it at once.
// The table is kept in memory and read again only when the file changed under it.
#include "lang/dbftable.h"

#include <QString>
#include <chrono>
#include <ctime>
#include <memory>

namespace kv {

class FileLock;

class DbfFile {
public:
    DbfFile() = default;
    ~DbfFile();
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;

    // Opens the file for reading and appending, or for reading only when it may not be
    // written; false when it cannot be opened at all.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool isWritable() const { return writable_; }

    const DbfTable& table() const { return table_; }

    // Reads the table again when the file's size or modification time changed; with
    // checkHeader also when the header's record count changed (taken under the lock, where
    // another process's append must be seen whatever the clock did). True when it re-read.
    bool refresh(bool checkHeader = false);

    // The exclusive lock that every append is made under.
    std::unique_ptr<FileLock> lock(std::chrono::milliseconds wait) const;

    // Writes record (of the table's record length) after the last readable record, then the
    // end-of-file byte, then the header's new record count and today's date; the caller holds
    // the lock. The record is written before the count, so an append cut short leaves the
    // existing records and count as they were. False when the file could not be written.
    bool append(std::span<const uint8_t> record);

private:
    struct Stamp {
        off_t size = -1;
        timespec modified {};
        bool operator==(const Stamp& o) const
        {
            return size == o.size && modified.tv_sec == o.modified.tv_sec
                && modified.tv_nsec == o.modified.tv_nsec;
        }
    };
    Stamp stamp() const;
    bool headerCountChanged() const;
    void reload();

    int fd_ = -1;
    bool writable_ = false;
    Stamp stamp_;
    DbfTable table_;
};

} // namespace kv
