// Selecting the resource library, remembering and restoring the current source, and the stop
// message when the library cannot be selected.
#include "resourcetestenv.h"

#include "preview/resourcescope.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

namespace {

using kvtest::EnvOverride;
using kvtest::MessageRecorder;
using kvtest::ResourceLibraryTest;

const QString kLibrary = QString::fromLatin1(kv::kResourceFileName);

QString builtLibrary() { return kvtest::programBuildDir() + QLatin1Char('/') + kLibrary; }

// A copy of the built library under another name in `dir`.
QString copyLibrary(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(QFile::copy(builtLibrary(), path)) << path.toStdString();
    return path;
}

TEST_F(ResourceLibraryTest, SelectedLibraryIsTheCurrentSource)
{
    EXPECT_EQ(kv::currentResourceSource(), kLibrary);
    EXPECT_EQ(QFileInfo(kv::locateResourceLibrary(kLibrary)), QFileInfo(builtLibrary()));
}

TEST_F(ResourceLibraryTest, ScopeRestoresTheRememberedSource)
{
    kv::restoreResourceSource(QString());
    {
        kv::ResourceScope scope(kLibrary);
        EXPECT_TRUE(scope.selected());
        EXPECT_TRUE(scope.saved().isEmpty());
        EXPECT_EQ(kv::currentResourceSource(), kLibrary);
        EXPECT_FALSE(kv::bitmap(QStringLiteral("Top")).isNull());
    }
    EXPECT_TRUE(kv::currentResourceSource().isEmpty());
    EXPECT_TRUE(kv::bitmap(QStringLiteral("Top")).isNull());
}

TEST_F(ResourceLibraryTest, NestedScopesUnwindToEachRememberedSource)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    copyLibrary(dir, QStringLiteral("Second.rcc"));
    EnvOverride env("KV_RESOURCE_DIR", QFile::encodeName(dir.path()));
    {
        kv::ResourceScope outer;
        EXPECT_FALSE(outer.selected());
        EXPECT_EQ(outer.saved(), kLibrary);
        {
            kv::ResourceScope inner(QStringLiteral("Second.rcc"));
            ASSERT_TRUE(inner.selected());
            EXPECT_EQ(kv::currentResourceSource(), QStringLiteral("Second.rcc"));
            // The second library answers lookups on its own.
            EXPECT_FALSE(kv::bitmap(QStringLiteral("Next")).isNull());
        }
        EXPECT_EQ(kv::currentResourceSource(), kLibrary);
        kv::restoreResourceSource(QString());
    }
    EXPECT_EQ(kv::currentResourceSource(), kLibrary);
}

TEST_F(ResourceLibraryTest, FailedSelectionKeepsTheCurrentSource)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    EnvOverride env("KV_RESOURCE_DIR", QFile::encodeName(empty.path()));
    {
        kv::ResourceScope scope(QStringLiteral("Nowhere.rcc"));
        EXPECT_FALSE(scope.selected());
        EXPECT_EQ(kv::currentResourceSource(), kLibrary);
    }
    EXPECT_EQ(kv::currentResourceSource(), kLibrary);
    EXPECT_FALSE(kv::bitmap(QStringLiteral("Top")).isNull());
}

TEST_F(ResourceLibraryTest, RestoringAnUnknownSourceLeavesNone)
{
    kv::restoreResourceSource(QStringLiteral("Never selected.rcc"));
    EXPECT_TRUE(kv::currentResourceSource().isEmpty());
    EXPECT_EQ(kv::loadDialog(QStringLiteral("PRINT")), nullptr);
}

TEST_F(ResourceLibraryTest, ChosenFolderComesBeforeTheProgramFolder)
{
    const QString besideProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/Twice.rcc");
    ASSERT_TRUE(QFile::copy(builtLibrary(), besideProgram));
    const auto removeCopy = qScopeGuard([&] { QFile::remove(besideProgram); });
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString inChosenFolder = copyLibrary(dir, QStringLiteral("Twice.rcc"));

    EnvOverride chosen("KV_RESOURCE_DIR", QFile::encodeName(dir.path()));
    EXPECT_EQ(QFileInfo(kv::locateResourceLibrary(QStringLiteral("Twice.rcc"))), QFileInfo(inChosenFolder));
    EnvOverride unset("KV_RESOURCE_DIR", QByteArray());
    EXPECT_EQ(QFileInfo(kv::locateResourceLibrary(QStringLiteral("Twice.rcc"))), QFileInfo(besideProgram));
}

TEST_F(ResourceLibraryTest, SelectionAtWindowStartSaysNothingWhenTheLibraryIsThere)
{
    MessageRecorder recorder;
    EXPECT_TRUE(kv::selectResourceLibraryOrStop(kLibrary));
    EXPECT_TRUE(recorder.messages.empty());
}

// How the library can be unusable: missing, not a resource file, or a folder of that name.
enum class Damage { Missing, NotAResourceFile, Folder };

class UnusableLibraryTest : public ResourceLibraryTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(UnusableLibraryTest, WindowStartStopsWithTheLibraryName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A name of its own per case: a library once registered stays registered.
    const QString name = QStringLiteral("Unusable%1.rcc").arg(int(GetParam()));
    if (GetParam() == Damage::NotAResourceFile) {
        QFile junk(dir.filePath(name));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("MZ this is not a resource file");
    } else if (GetParam() == Damage::Folder) {
        ASSERT_TRUE(QDir(dir.path()).mkdir(name));
    }
    EnvOverride env("KV_RESOURCE_DIR", QFile::encodeName(dir.path()));
    MessageRecorder recorder;

    EXPECT_FALSE(kv::selectResourceLibraryOrStop(name));

    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].kind, kv::BoxKind::Stop);
    EXPECT_EQ(recorder.messages[0].title, "Tessaro Printing Error");
    EXPECT_EQ(recorder.messages[0].text, name.toStdString() + " not found, imposible to continue");
    EXPECT_EQ(kv::currentResourceSource(), kLibrary);
}

INSTANTIATE_TEST_SUITE_P(AllDamages, UnusableLibraryTest,
                         ::testing::Values(Damage::Missing, Damage::NotAResourceFile, Damage::Folder),
                         [](const auto& info) {
                             switch (info.param) {
                             case Damage::Missing: return "Missing";
                             case Damage::NotAResourceFile: return "NotAResourceFile";
                             case Damage::Folder: return "Folder";
                             }
                             return "Unknown";
                         });

TEST_F(ResourceLibraryTest, RenamedLibraryIsNotFound)
{
    if (QFileInfo::exists(QCoreApplication::applicationDirPath() + QLatin1Char('/') + kLibrary))
        GTEST_SKIP() << "a copy of the library lies beside the test program";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString copy = copyLibrary(dir, kLibrary);
    ASSERT_TRUE(QFile::rename(copy, dir.filePath(QStringLiteral("Korvelle.old"))));
    EnvOverride env("KV_RESOURCE_DIR", QFile::encodeName(dir.path()));
    EXPECT_TRUE(kv::locateResourceLibrary(kLibrary).isEmpty());
}

} // namespace
