// A save whose last bytes do not reach the disk must fail and leave the old file, even when
// every write call before the final flush was accepted into the buffer.
#include "platform/savefile.h"
#include "common/filesizelimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using kvtest::FileSizeLimit;

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

TEST(CommitWhole, AShortFlushFailsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.ini"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QString reason;
    {
        const FileSizeLimit full(1024);
        // Smaller than QFileDevice's buffer: the write is taken, only the flush meets the limit.
        ASSERT_EQ(file.write(QByteArray(3000, 'x')), 3000);
        EXPECT_FALSE(kv::commitWhole(file, &reason));
    }
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(contents(path), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("report.ini")})
        << "the temporary file is gone";
}

TEST(CommitWhole, ACompleteSaveReplacesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.ini"));
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("new contents");
    QString reason;
    EXPECT_TRUE(kv::commitWhole(file, &reason)) << reason.toStdString();
    EXPECT_EQ(contents(path), QByteArray("new contents"));
}

} // namespace
