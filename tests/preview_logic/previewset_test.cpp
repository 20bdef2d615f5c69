// The preview set directory as an attacker and a careless machine meet it: a "korvelle" that
// is a link, a file, another user's or open to others; pages that are links or others'
// files; stale set numbers; deletions after the path was swapped.
#include "ordinaryuser.h"
#include "preview/previewset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes = "page")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QStringList namesIn(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class PreviewSet : public ::testing::Test {
protected:
    QTemporaryDir spool;
    QTemporaryDir outside;
    QString setPath() const { return spool.filePath("korvelle"); }
    // Files an attacker wants moved into or deleted from a directory of their choosing.
    const QStringList bait{"E0000001.emf", "Eabcdefg.emf", "Elocal12.wmf", "E0010001.emf"};
    void plantBait()
    {
        for (const QString& name : bait)
            writeFile(outside.filePath(name), "not yours");
    }
    QStringList writePages(int count)
    {
        QStringList pages;
        for (int i = 1; i <= count; ++i) {
            pages << spool.filePath(QStringLiteral("tmp%1.emf").arg(i, 4, 10, QLatin1Char('0')));
            writeFile(pages.back());
        }
        return pages;
    }
};

TEST(FreeSetNumber, SkipsUsedNumbersAndReusesFreeOnesBelow)
{
    std::set<int> all;
    for (int n = 1; n <= kv::kMostPreviewSets; ++n)
        all.insert(n);
    std::set<int> allButSeven = all;
    allButSeven.erase(7);
    struct Row {
        std::set<int> used;
        int expected;
    };
    const Row table[] = {
        {{}, 1}, {{1}, 2}, {{1, 2, 5}, 6}, {{3}, 4}, {{999}, 1}, {{1, 2, 999}, 3}, {allButSeven, 7}, {all, 0},
    };
    for (const Row& r : table)
        EXPECT_EQ(kv::freeSetNumber(r.used), r.expected) << r.used.size() << " in use";
}

TEST_F(PreviewSet, ALinkedSetDirectoryIsRefusedAndNothingOutsideIsTouched)
{
    plantBait();
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path()).constData(), QFile::encodeName(setPath()).constData()), 0);
    const QStringList pages = writePages(2);
    const kv::MovedPages moved = kv::movePagesIntoSet(spool.path(), pages);
    EXPECT_TRUE(moved.refusal.contains(setPath())) << moved.refusal.toStdString();
    EXPECT_TRUE(moved.files.isEmpty());
    QStringList sortedBait = bait;
    sortedBait.sort();
    EXPECT_EQ(namesIn(outside.path()), sortedBait);
    for (const QString& page : pages)
        EXPECT_TRUE(QFileInfo::exists(page)) << page.toStdString();
}

TEST_F(PreviewSet, ASetDirectoryThatIsAFileOrOpenToOthersIsRefused)
{
    const QStringList pages = writePages(1);
    writeFile(setPath(), "a file where the directory should be");
    kv::MovedPages moved = kv::movePagesIntoSet(spool.path(), pages);
    EXPECT_TRUE(moved.refusal.contains(setPath())) << moved.refusal.toStdString();

    ASSERT_TRUE(QFile::remove(setPath()));
    ASSERT_TRUE(QDir().mkdir(setPath()));
    ASSERT_EQ(::chmod(QFile::encodeName(setPath()).constData(), 0777), 0);
    moved = kv::movePagesIntoSet(spool.path(), pages);
    EXPECT_TRUE(moved.refusal.contains(setPath())) << moved.refusal.toStdString();
    EXPECT_TRUE(namesIn(setPath()).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(pages[0]));
}

TEST_F(PreviewSet, IsMadePrivateAndTakesThePagesInOrder)
{
    const QStringList pages = writePages(3);
    const kv::MovedPages moved = kv::movePagesIntoSet(spool.path(), pages);
    ASSERT_TRUE(moved.refusal.isEmpty()) << moved.refusal.toStdString();
    EXPECT_TRUE(moved.failedMoves.isEmpty());
    EXPECT_EQ(namesIn(setPath()), (QStringList{"E0010001.emf", "E0010002.emf", "E0010003.emf"}));
    EXPECT_EQ(moved.files.first(), setPath() + "/E0010001.emf");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(setPath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

TEST_F(PreviewSet, APageThatIsALinkOrADirectoryStaysWhereItIs)
{
    plantBait();
    const QString linked = spool.filePath("tmp0001.emf");
    const QString directory = spool.filePath("tmp0002.emf");
    ASSERT_EQ(::symlink(QFile::encodeName(outside.filePath("E0000001.emf")).constData(), QFile::encodeName(linked).constData()), 0);
    ASSERT_TRUE(QDir().mkdir(directory));
    const QString real = spool.filePath("tmp0003.emf");
    writeFile(real);
    const kv::MovedPages moved = kv::movePagesIntoSet(spool.path(), {linked, directory, real});
    ASSERT_TRUE(moved.refusal.isEmpty()) << moved.refusal.toStdString();
    EXPECT_EQ(moved.failedMoves, (QStringList{linked, directory}));
    EXPECT_EQ(namesIn(setPath()), QStringList{"E0010003.emf"});
    EXPECT_TRUE(QFileInfo(linked).isSymLink());
    EXPECT_TRUE(QFileInfo(directory).isDir());
    EXPECT_EQ(namesIn(outside.path()).size(), bait.size());
}

TEST_F(PreviewSet, AStaleHighSetBlocksNothingAndAFullDirectoryIsRefused)
{
    ASSERT_TRUE(QDir().mkdir(setPath()));
    ASSERT_EQ(::chmod(QFile::encodeName(setPath()).constData(), 0700), 0);
    writeFile(setPath() + "/E9990001.emf", "stale");
    kv::MovedPages moved = kv::movePagesIntoSet(spool.path(), writePages(1));
    ASSERT_TRUE(moved.refusal.isEmpty()) << moved.refusal.toStdString();
    EXPECT_EQ(namesIn(setPath()), (QStringList{"E0010001.emf", "E9990001.emf"}));

    for (int n = 2; n < 999; ++n)
        writeFile(setPath() + QStringLiteral("/E%1%2.wmf").arg(n, 3, 10, QLatin1Char('0')).arg(1, 4, 10, QLatin1Char('0')));
    const QStringList last = writePages(1);
    moved = kv::movePagesIntoSet(spool.path(), last);
    EXPECT_TRUE(moved.refusal.contains("999")) << moved.refusal.toStdString();
    EXPECT_TRUE(QFileInfo::exists(last[0]));
}

TEST_F(PreviewSet, WithoutAnEarlierSetOnlyOurLeftoverSetFilesAreCleared)
{
    ASSERT_TRUE(QDir().mkdir(setPath()));
    ASSERT_EQ(::chmod(QFile::encodeName(setPath()).constData(), 0700), 0);
    writeFile(setPath() + "/Eabcdefg.emf", "leftover");
    writeFile(setPath() + "/notes.txt", "kept");
    ASSERT_TRUE(QDir().mkdir(setPath() + "/Elocal12.wmf"));
    const kv::MovedPages moved = kv::movePagesIntoSet(spool.path(), writePages(1));
    ASSERT_TRUE(moved.refusal.isEmpty()) << moved.refusal.toStdString();
    EXPECT_EQ(namesIn(setPath()), (QStringList{"E0010001.emf", "Elocal12.wmf", "notes.txt"}));
}

TEST_F(PreviewSet, PagesAreDeletedThroughTheDirectoryTheyWereMovedInto)
{
    plantBait();
    const kv::MovedPages moved = kv::movePagesIntoSet(spool.path(), writePages(1));
    ASSERT_TRUE(moved.refusal.isEmpty() && moved.directory);
    // The path is swapped for a link to someone else's files after the move.
    const QString movedAway = spool.filePath("moved-away");
    ASSERT_TRUE(QDir().rename(setPath(), movedAway));
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path()).constData(), QFile::encodeName(setPath()).constData()), 0);
    for (const QString& file : moved.files)
        moved.directory->removePage(file);
    EXPECT_TRUE(namesIn(movedAway).isEmpty());
    EXPECT_EQ(namesIn(outside.path()).size(), bait.size());
}

// The victim is an ordinary user previewing from a shared directory like /tmp (everyone may
// write, sticky bit set); the attacker is another user who got there first.
TEST_F(PreviewSet, AnotherUsersPlantsInASharedSpoolDirectoryAreLeftAlone)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second user (the attacker) beside the ordinary user";
    ASSERT_EQ(::chmod(QFile::encodeName(spool.path()).constData(), 01777), 0);
    plantBait();
    ASSERT_EQ(::chmod(QFile::encodeName(outside.path()).constData(), 0755), 0);
    const QString othersPage = spool.filePath("tmp0009.emf");
    writeFile(othersPage, "the attacker's page");
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path()).constData(), QFile::encodeName(setPath()).constData()), 0);
    QTemporaryDir victimHome;
    const std::string failure = kvtest::asOrdinaryUser(victimHome.path(), [&]() -> std::string {
        const QString own = spool.filePath("tmp0001.emf");
        if (!QFile(own).open(QIODevice::WriteOnly))
            return "the ordinary user could not write a page";
        kv::MovedPages moved = kv::movePagesIntoSet(spool.path(), {own});
        if (!moved.refusal.contains(setPath()))
            return "a planted link was used as the set directory: " + moved.refusal.toStdString();
        return "";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(namesIn(outside.path()).size(), bait.size());

    // With the link gone, the other user's page is not taken along with the victim's.
    ASSERT_TRUE(QFile::remove(setPath()));
    const std::string second = kvtest::asOrdinaryUser(victimHome.path(), [&]() -> std::string {
        const QString own = spool.filePath("tmp0001.emf");
        const kv::MovedPages moved = kv::movePagesIntoSet(spool.path(), {own, othersPage});
        if (!moved.refusal.isEmpty())
            return "refused: " + moved.refusal.toStdString();
        if (moved.failedMoves != QStringList{othersPage})
            return "another user's page was moved";
        return QFileInfo::exists(setPath() + "/E0010001.emf") ? "" : "the ordinary user's page was not moved";
    });
    EXPECT_EQ(second, "");
    EXPECT_TRUE(QFileInfo::exists(othersPage));
}

} // namespace
