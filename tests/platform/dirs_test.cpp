// Where the hand-off file, the spool directory and the settings file are looked for.
#include "platform/dirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

// Sets or clears environment variables for one test and puts them back afterwards.
class EnvGuard {
public:
    void set(const char* name, const QString& value)
    {
        remember(name);
        qputenv(name, QFile::encodeName(value));
    }
    void unset(const char* name)
    {
        remember(name);
        qunsetenv(name);
    }
    ~EnvGuard()
    {
        for (auto& [name, value] : saved_) {
            if (value) qputenv(name.c_str(), *value);
            else qunsetenv(name.c_str());
        }
    }

private:
    void remember(const char* name)
    {
        for (auto& entry : saved_) if (entry.first == name) return;
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name)
                                      ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<QByteArray>>> saved_;
};

class DirsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"WINDIR", "XDG_RUNTIME_DIR", "TEMP", "TMP", "TMPDIR"}) env.unset(name);
        env.set("HOME", home.path());
    }
    QString makeDir(const QString& name, QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
    {
        const QString path = scratch.filePath(name);
        QDir().mkpath(path);
        ::chmod(QFile::encodeName(path).constData(), 0700);
        QFile::setPermissions(path, mode);
        return path;
    }
    QString stateDir() const { return home.path() + "/.local/state/korvelle"; }

    EnvGuard env;
    QTemporaryDir home;
    QTemporaryDir scratch;
};

TEST_F(DirsTest, WindowsDirectoryIsWindirWhenItIsAPrivateDirectory)
{
    const QString windir = makeDir("windows");
    env.set("WINDIR", windir + "/");
    env.set("XDG_RUNTIME_DIR", makeDir("runtime"));
    EXPECT_EQ(kv::windowsDirectory(), windir);
    EXPECT_EQ(kv::handoffFilePath(), windir + "/KORVELLE.TMP");
}

TEST_F(DirsTest, WindowsDirectoryFallsBackToTheRuntimeDirectory)
{
    const QString runtime = makeDir("runtime");
    env.set("XDG_RUNTIME_DIR", runtime);
    for (const QString& windir : {QString(), scratch.filePath("missing"), scratch.filePath("file")}) {
        QFile(scratch.filePath("file")).open(QIODevice::WriteOnly);
        env.set("WINDIR", windir);
        EXPECT_EQ(kv::windowsDirectory(), runtime) << windir.toStdString();
    }
}

TEST_F(DirsTest, WorldWritableDirectoriesAreNeverTheWindowsDirectory)
{
    const QString open = makeDir("open");
    ::chmod(QFile::encodeName(open).constData(), 01777);
    env.set("WINDIR", open);
    env.set("XDG_RUNTIME_DIR", open);
    EXPECT_EQ(kv::windowsDirectory(), stateDir());
}

TEST_F(DirsTest, TheDirectoriesPassedOverForOthersWritingThemAreNamed)
{
    const QString open = makeDir("open"), alsoOpen = makeDir("also-open"), mine = makeDir("mine");
    ::chmod(QFile::encodeName(open).constData(), 01777);
    ::chmod(QFile::encodeName(alsoOpen).constData(), 0777);
    struct Case {
        QString windir, runtime;
        std::vector<std::pair<QString, QString>> passedOver;  // variable, directory
    };
    for (const Case& c : {Case{open, mine, {{"WINDIR", open}}},
                          Case{open, alsoOpen, {{"WINDIR", open}, {"XDG_RUNTIME_DIR", alsoOpen}}},
                          Case{mine, alsoOpen, {}},  // WINDIR is taken: the rest was never tried
                          Case{scratch.filePath("missing"), alsoOpen, {{"XDG_RUNTIME_DIR", alsoOpen}}},
                          Case{QString(), mine, {}}}) {
        env.set("WINDIR", c.windir);
        env.set("XDG_RUNTIME_DIR", c.runtime);
        std::vector<std::pair<QString, QString>> seen;
        for (const kv::OpenDirectory& d : kv::passedOverOpenDirectories()) seen.emplace_back(d.variable, d.path);
        EXPECT_EQ(seen, c.passedOver) << c.windir.toStdString() << " / " << c.runtime.toStdString();
    }
}

TEST_F(DirsTest, WindowsDirectoryIsAPrivateStateDirectoryOtherwise)
{
    ASSERT_FALSE(QFileInfo::exists(stateDir()));
    EXPECT_EQ(kv::windowsDirectory(), stateDir());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(stateDir()).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(kv::handoffFilePath(), stateDir() + "/KORVELLE.TMP");
}

TEST_F(DirsTest, TempDirectoryTakesTheFirstSetVariable)
{
    const QString temp = makeDir("temp");
    const QString tmp = makeDir("tmp");
    const QString tmpdir = makeDir("tmpdir");
    env.set("TMPDIR", tmpdir + "/");
    EXPECT_EQ(kv::tempDirectory(), tmpdir);
    env.set("TMP", tmp + "\\");
    EXPECT_EQ(kv::tempDirectory(), tmp);
    env.set("TEMP", temp);
    EXPECT_EQ(kv::tempDirectory(), temp);
    env.set("TEMP", "");
    EXPECT_EQ(kv::tempDirectory(), tmp) << "an empty variable counts as not set";
}

TEST_F(DirsTest, TempDirectoryFallsBackToTheWindowsDirectory)
{
    const QString windir = makeDir("windows");
    env.set("WINDIR", windir);
    EXPECT_EQ(kv::tempDirectory(), windir);
    env.set("TEMP", scratch.filePath("missing"));
    env.set("TMPDIR", makeDir("tmpdir"));
    EXPECT_EQ(kv::tempDirectory(), windir) << "the first set variable decides";
}

TEST_F(DirsTest, SettingsFileLiesInTheCurrentDirectory)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(scratch.path()));
    const QString resolved = QFileInfo(kv::settingsFilePath()).absoluteFilePath();
    QDir::setCurrent(before);
    EXPECT_EQ(kv::settingsFilePath(), "./KORVELLE.INI");
    EXPECT_EQ(resolved, QFileInfo(scratch.path()).canonicalFilePath() + "/KORVELLE.INI");
}

} // namespace
