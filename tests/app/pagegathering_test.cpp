#include "ordinaryuser.h"
#include "app/pagegathering.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace {

struct Entry {
    const char* name;
    bool directory;
    bool gathered;
};

// Name and extension are matched apart and without regard to case; a directory is not a page;
// hidden entries and names without a dot never count.
const Entry kEntries[] = {
    {"tmp0001.emf", false, true},
    {"TMP2.WMF", false, true},
    {"tmp3.emf", true, false},
    {"Tmp0004.EmF", false, true},
    {"tmp.mf", false, true},
    {"tmp1.emf.bak", false, false},
    {".tmp4.emf", false, false},
    {"tmpx", false, false},
    {"xtmp5.emf", false, false},
    {"tmp6.emf1", false, false},
    {"page7.emf", false, false},
};

TEST(PageGathering, TakesExactlyTheMatchingEntries)
{
    QTemporaryDir dir;
    QStringList expected;
    for (const Entry& e : kEntries) {
        const QString path = dir.filePath(QString::fromLatin1(e.name));
        if (e.directory)
            ASSERT_TRUE(QDir().mkdir(path));
        else
            ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
        if (e.gathered)
            expected << path;
    }
    const QStringList pages = kv::gatherPageFiles(dir.path()).files;
    for (const Entry& e : kEntries)
        EXPECT_EQ(pages.contains(dir.filePath(QString::fromLatin1(e.name))), e.gathered) << e.name;
    EXPECT_EQ(pages.size(), expected.size());
}

TEST(PageGathering, ListsPagesInNameOrderWhateverTheCreationOrder)
{
    QTemporaryDir dir;
    const QStringList created = {"tmp0010.emf", "tmp0002.emf", "tmp0001.emf", "tmp0009.emf", "tmp0003.emf"};
    for (const QString& name : created)
        ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
    const QStringList pages = kv::gatherPageFiles(dir.path()).files;
    ASSERT_EQ(pages.size(), created.size());
    QStringList sorted = created;
    sorted.sort();
    for (int i = 0; i < sorted.size(); ++i)
        EXPECT_EQ(pages[i], dir.filePath(sorted[i]));
}

TEST(PageGathering, NamesDifferingInCaseSortAsOneAlphabet)
{
    QTemporaryDir dir;
    for (const char* name : {"TMP0003.EMF", "tmp0002.emf", "Tmp0001.wmf"})
        ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
    EXPECT_EQ(kv::gatherPageFiles(dir.path()).files,
              (QStringList{dir.filePath("Tmp0001.wmf"), dir.filePath("tmp0002.emf"), dir.filePath("TMP0003.EMF")}));
}

TEST(PageGathering, AnEmptyOrMissingDirectoryGivesNoPages)
{
    QTemporaryDir dir;
    EXPECT_TRUE(kv::gatherPageFiles(dir.path()).files.isEmpty());
    EXPECT_TRUE(kv::gatherPageFiles(dir.filePath("missing")).files.isEmpty());
}

TEST(PageGathering, LinksDirectoriesAndUndecodableNamesAreLeftAloneAndCounted)
{
    QTemporaryDir dir;
    QTemporaryDir outside;
    const QString target = outside.filePath("precious.emf");
    ASSERT_TRUE(QFile(target).open(QIODevice::WriteOnly));
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(dir.filePath("tmp0001.emf")).constData()), 0);
    ASSERT_EQ(::symlink("/nowhere", QFile::encodeName(dir.filePath("tmp0002.emf")).constData()), 0);
    ASSERT_TRUE(QDir().mkdir(dir.filePath("tmp0003.wmf")));
    // Latin-1 bytes from an old report application: not UTF-8.
    const QByteArray latin1 = QFile::encodeName(dir.path()) + "/tmp\xe9t\xe9.emf";
    const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_TRUE(QFile(dir.filePath("tmp0004.emf")).open(QIODevice::WriteOnly));

    const kv::GatheredPages gathered = kv::gatherPageFiles(dir.path());
    EXPECT_EQ(gathered.files, QStringList{dir.filePath("tmp0004.emf")});
    EXPECT_EQ(gathered.notOwnFiles, 3);
    EXPECT_EQ(gathered.undecodableNames, 1);
    const QString note = kv::leftAloneNote(gathered, dir.path());
    EXPECT_TRUE(note.contains(dir.path()) && note.contains("3") && note.contains("UTF-8")) << note.toStdString();
    EXPECT_TRUE(kv::leftAloneNote(kv::GatheredPages{{dir.filePath("tmp0004.emf")}}, dir.path()).isEmpty());
    // Qt cannot name it either, so it would outlive the temporary folder.
    ::unlink(latin1.constData());
}

TEST(PageGathering, AnotherUsersFileIsNotAPageEvenForRoot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    QTemporaryDir dir;
    const QString others = dir.filePath("tmp0001.emf");
    ASSERT_TRUE(QFile(others).open(QIODevice::WriteOnly));
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr) << "no second user on this machine";
    ASSERT_EQ(::chown(QFile::encodeName(others).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_TRUE(QFile(dir.filePath("tmp0002.emf")).open(QIODevice::WriteOnly));
    const kv::GatheredPages gathered = kv::gatherPageFiles(dir.path());
    EXPECT_EQ(gathered.files, QStringList{dir.filePath("tmp0002.emf")});
    EXPECT_EQ(gathered.notOwnFiles, 1);
}

TEST(SpoolDirectoryProblem, NamesTheDirectoryWhenItCannotServe)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("plain-file");
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    const QString missing = dir.filePath("gone");
    struct Case {
        QString directory;
        bool usable;
    };
    for (const Case& c : {Case{dir.path(), true}, Case{missing, false}, Case{file, false}, Case{QString(), false}}) {
        const QString problem = kv::spoolDirectoryProblem(c.directory);
        EXPECT_EQ(problem.isEmpty(), c.usable) << c.directory.toStdString();
        if (!c.usable && !c.directory.isEmpty())
            EXPECT_TRUE(problem.contains(c.directory)) << problem.toStdString();
    }
}

TEST(SpoolDirectoryProblem, AReadOnlyDirectoryCannotServe)
{
    QTemporaryDir dir;
    const QString readOnly = dir.filePath("ro");
    ASSERT_TRUE(QDir().mkdir(readOnly));
    const std::string failure = kvtest::asOrdinaryUser(dir.path(), [&]() -> std::string {
        if (!QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner)) return "folder not made read-only";
        const QString problem = kv::spoolDirectoryProblem(readOnly);
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return problem.contains(readOnly) ? "" : "a read-only spool folder was accepted: " + problem.toStdString();
    });
    EXPECT_EQ(failure, "");
}

// Root passes every permission check; a directory its owner made read-only still keeps its
// files, whoever runs the preview.
TEST(SpoolDirectoryProblem, AReadOnlyDirectoryCannotServeEvenRoot)
{
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    const QString problem = kv::spoolDirectoryProblem(dir.path());
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    EXPECT_TRUE(problem.contains(dir.path())) << "a 0555 spool directory was accepted";
}

} // namespace
