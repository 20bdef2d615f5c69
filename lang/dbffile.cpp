#include "lang/dbffile.h"

#include "lang/filelock.h"
#include "platform/bytereader.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

namespace {

bool readAt(int fd, uint8_t* out, size_t n, off_t offset, size_t* got)
{
    *got = 0;
    while (*got < n) {
        const ssize_t r = ::pread(fd, out + *got, n - *got, offset + off_t(*got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return r == 0;
        *got += size_t(r);
    }
    return true;
}

bool writeAt(int fd, const uint8_t* data, size_t n, off_t offset)
{
    size_t done = 0;
    while (done < n) {
        const ssize_t w = ::pwrite(fd, data + done, n - done, offset + off_t(done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        done += size_t(w);
    }
    return true;
}

void putU32(uint8_t* at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(v >> (8 * i));
}

} // namespace

DbfFile::~DbfFile()
{
    close();
}

bool DbfFile::open(const QString& path)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    fd_ = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    writable_ = fd_ >= 0;
    if (fd_ < 0) fd_ = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    reload();
    return true;
}

void DbfFile::close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    writable_ = false;
    stamp_ = {};
    table_ = {};
}

DbfFile::Stamp DbfFile::stamp() const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return {};
    return {st.st_size, st.st_mtim};
}

bool DbfFile::headerCountChanged() const
{
    uint8_t head[DbfTable::kHeaderSize] = {};
    size_t got = 0;
    readAt(fd_, head, sizeof head, 0, &got);
    ByteReader r(head, got);
    r.skip(4);
    const uint32_t count = r.u32();
    return !r.ok() || count != table_.header().recordCount;
}

void DbfFile::reload()
{
    stamp_ = stamp();
    std::vector<uint8_t> bytes(size_t(std::max<off_t>(stamp_.size, 0)));
    size_t got = 0;
    readAt(fd_, bytes.data(), bytes.size(), 0, &got);
    bytes.resize(got);
    table_ = DbfTable::parse(std::move(bytes));
}

bool DbfFile::refresh(bool checkHeader)
{
    if (fd_ < 0) return false;
    if (stamp() == stamp_ && !(checkHeader && headerCountChanged())) return false;
    reload();
    return true;
}

std::unique_ptr<FileLock> DbfFile::lock(std::chrono::milliseconds wait) const
{
    return std::make_unique<FileLock>(fd_, wait);
}

bool DbfFile::append(std::span<const uint8_t> record)
{
    if (fd_ < 0 || !writable_ || !table_.canAppend()
        || record.size() != table_.header().recordLength)
        return false;
    std::vector<uint8_t> tail(record.begin(), record.end());
    tail.push_back(DbfTable::kEndOfFile);
    const off_t at = off_t(table_.appendOffset());
    if (!writeAt(fd_, tail.data(), tail.size(), at)) return false;

    const std::time_t now = std::time(nullptr);
    std::tm today {};
    ::localtime_r(&now, &today);
    uint8_t head[8] = {table_.header().version, uint8_t(today.tm_year), uint8_t(today.tm_mon + 1),
                       uint8_t(today.tm_mday)};
    putU32(head + 4, table_.recordCount() + 1);
    if (!writeAt(fd_, head + 1, 7, 1)) return false;

    table_.addRecord(record, head[1], head[2], head[3]);
    stamp_ = stamp();
    return true;
}

} // namespace kv
