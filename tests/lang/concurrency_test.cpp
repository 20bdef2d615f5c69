// Several previews collect into one table at once: real processes, real file locks.
#include "langtesttable.h"

#include "common/testenv.h"
#include "lang/filelock.h"
#include "lang/kvgl.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kProcesses = 4;
constexpr int kTextsEach = 300;

QString kvlangProgram()
{
    return kvtest::buildFile("tools/kvlang");
}

// Starts one collecting process per prefix, all on the same table, and waits for them all.
void collectAtOnce(const QString& table, const QStringList& prefixes, int count)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const QString& prefix : prefixes) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(kvlangProgram(), {"collect", table, prefix, QString::number(count)});
        processes.push_back(std::move(p));
    }
    for (auto& p : processes) {
        ASSERT_TRUE(p->waitForFinished(240000)) << "a collecting process hung";
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << "a process reported a table problem";
    }
}

class ConcurrentCollectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(kvlangProgram()).isExecutable())
            FAIL() << "build the kvlang tool first: " << kvlangProgram().toStdString();
        table = dir.filePath("KORVELLE.DBF");
        ASSERT_TRUE(QFile::copy(kvtest::shippedLanguageTable(), table));
        QFile::setPermissions(table, QFile::ReadOwner | QFile::WriteOwner);
        shippedRecords = kvtest::readTable(table).recordCount();
    }
    QTemporaryDir dir;
    QString table;
    uint32_t shippedRecords = 0;
};

TEST_F(ConcurrentCollectTest, EveryDistinctTextLandsExactlyOnce)
{
    QStringList prefixes;
    for (int i = 0; i < kProcesses; ++i) prefixes << QString("process %1 text ").arg(i);
    collectAtOnce(table, prefixes, kTextsEach);

    EXPECT_TRUE(kvtest::isSoundTable(table));
    const kv::DbfTable t = kvtest::readTable(table);
    EXPECT_EQ(t.recordCount(), shippedRecords + kProcesses * kTextsEach);
    for (const QString& prefix : prefixes) {
        for (int n = 0; n < kTextsEach; ++n) {
            const std::string key = QString(prefix + QString::number(n)).replace(' ', '_').toStdString();
            ASSERT_EQ(kvtest::countKey(t, key), 1) << key;
        }
    }
    EXPECT_EQ(kvtest::countKey(t, "&Save_as"), 1) << "the shipped records are untouched";
}

TEST_F(ConcurrentCollectTest, TheSameTextCollectedByAllLandsOnce)
{
    collectAtOnce(table, QStringList(kProcesses, "shared text "), kTextsEach);

    EXPECT_TRUE(kvtest::isSoundTable(table));
    const kv::DbfTable t = kvtest::readTable(table);
    EXPECT_EQ(t.recordCount(), shippedRecords + kTextsEach);
    for (int n = 0; n < kTextsEach; ++n)
        ASSERT_EQ(kvtest::countKey(t, "shared_text_" + std::to_string(n)), 1) << n;
}

// A lock that is never released costs one bounded wait and one text not collected, not a hang.
TEST_F(ConcurrentCollectTest, AHeldLockSkipsTheAppend)
{
    const int other = ::open(QFile::encodeName(table).constData(), O_RDWR);
    ASSERT_GE(other, 0);
    auto held = std::make_unique<kv::FileLock>(other, std::chrono::milliseconds(100));
    ASSERT_TRUE(held->locked());

    kv::closeLanguageTable();
    ASSERT_TRUE(kv::openLanguageTable(table));
    kv::setLanguageLockWait(std::chrono::milliseconds(50));
    kv::nLanguage = 0;
    const qsizetype problems = kv::languageProblems().size();
    EXPECT_EQ(kv::KV_GL("Locked out"), "Locked out");
    EXPECT_EQ(kvtest::readTable(table).recordCount(), shippedRecords);
    EXPECT_EQ(kv::languageProblems().size(), problems + 1);

    held.reset();
    EXPECT_EQ(kv::KV_GL("Locked out"), "Locked out");
    EXPECT_EQ(kvtest::countKey(kvtest::readTable(table), "Locked_out"), 1);

    kv::closeLanguageTable();
    kv::setLanguageLockWait(std::chrono::seconds(3));
    kv::nLanguage = 1;
    ::close(other);
}

} // namespace
