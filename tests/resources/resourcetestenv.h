#pragma once
// Shared set-up of the resource library tests: the library built beside the program, an
// environment override that undoes itself, and recorded message boxes.
#include "common/messagerecorder.h"
#include "common/testenv.h"
#include "platform/notify.h"
#include "preview/resourcelib.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace kvtest {

// Sets (or, with a null value, removes) an environment variable for the life of the object.
class EnvOverride {
public:
    EnvOverride(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvOverride()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// The folder in which the build puts the program and its resource library.
inline QString programBuildDir() { return buildFile(QStringLiteral("app")); }

// Every test starts with the built library as the current source and leaves the source as it
// found it.
class ResourceLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString library = programBuildDir() + QLatin1Char('/') + kv::kResourceFileName;
        ASSERT_TRUE(QFileInfo(library).isFile()) << "resource library not built: " << library.toStdString();
        m_saved = kv::currentResourceSource();
        ASSERT_TRUE(kv::selectResourceLibrary(kv::kResourceFileName));
    }
    void TearDown() override { kv::restoreResourceSource(m_saved); }

    EnvOverride m_dir{"KV_RESOURCE_DIR", programBuildDir().toLocal8Bit()};

private:
    QString m_saved;
};

// A program run of its own for every test: private Windows, spool, PDF and current directories,
// the built resource library, and recorded message boxes. Derived fixtures call SetUp and
// TearDown first and last.
class IsolatedProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(windir.isValid() && spool.isValid() && pdf.isValid() && cwd.isValid());
        ASSERT_TRUE(QFileInfo(programBuildDir() + QLatin1Char('/') + kv::kResourceFileName).isFile())
            << "resource library not built beside the program";
        oldCwd = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(cwd.path()));
    }
    void TearDown() override { QDir::setCurrent(oldCwd); }

    QTemporaryDir windir, spool, pdf, cwd;
    QString oldCwd;
    EnvOverride envWindir{"WINDIR", windir.path().toLocal8Bit()};
    EnvOverride envTemp{"TEMP", spool.path().toLocal8Bit()};
    EnvOverride envPdf{"KV_PDF_DIR", pdf.path().toLocal8Bit()};
    EnvOverride envResources{"KV_RESOURCE_DIR", programBuildDir().toLocal8Bit()};
    MessageRecorder messages;
};

} // namespace kvtest
