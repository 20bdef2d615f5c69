#include "ordinaryuser.h"
#include "app/pagegathering.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Entry {
    const char* name;
    bool directory;
    bool gathered;
};

// Name and extension are matched apart and without regard to case; directories count like
// files; hidden entries and names without a dot never do.
const Entry kEntries[] = {
    {"tmp0001.emf", false, true},
    {"TMP2.WMF", false, true},
    {"tmp3.emf", true, true},
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
    const QStringList pages = kv::gatherPageFiles(dir.path());
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
    const QStringList pages = kv::gatherPageFiles(dir.path());
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
    EXPECT_EQ(kv::gatherPageFiles(dir.path()),
              (QStringList{dir.filePath("Tmp0001.wmf"), dir.filePath("tmp0002.emf"), dir.filePath("TMP0003.EMF")}));
}

TEST(PageGathering, AnEmptyOrMissingDirectoryGivesNoPages)
{
    QTemporaryDir dir;
    EXPECT_TRUE(kv::gatherPageFiles(dir.path()).isEmpty());
    EXPECT_TRUE(kv::gatherPageFiles(dir.filePath("missing")).isEmpty());
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

} // namespace
