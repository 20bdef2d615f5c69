#include "platform/dirs.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>

namespace kv {

namespace {

QString withoutTrailingSlash(QString path)
{
    if (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    return path;
}

bool isDirectory(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// A directory others may write into (and so plant or swap a hand-off file in) is refused even
// when the sticky bit is set: the hand-off file must come from this user alone.
bool isPrivateDirectory(const QString& path)
{
    struct stat st {};
    if (!isDirectory(path) || ::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    return (st.st_mode & S_IWOTH) == 0;
}

QString stateDirectory()
{
    const QString path = QDir::homePath() + QLatin1String("/.local/state/korvelle");
    if (!QFileInfo(path).isDir()) {
        QDir().mkpath(QDir::homePath() + QLatin1String("/.local/state"));
        ::mkdir(QFile::encodeName(path).constData(), 0700);
    }
    return path;
}

} // namespace

QString windowsDirectory()
{
    for (const char* name : {"WINDIR", "XDG_RUNTIME_DIR"}) {
        const QString path = withoutTrailingSlash(qEnvironmentVariable(name));
        if (isPrivateDirectory(path)) return path;
    }
    return stateDirectory();
}

QString tempDirectory()
{
    for (const char* name : {"TEMP", "TMP", "TMPDIR"}) {
        if (qEnvironmentVariableIsEmpty(name)) continue;
        const QString path = withoutTrailingSlash(qEnvironmentVariable(name));
        return isDirectory(path) ? path : windowsDirectory();
    }
    return windowsDirectory();
}

QString handoffFilePath()
{
    return windowsDirectory() + QLatin1String("/KORVELLE.TMP");
}

QString settingsFilePath()
{
    return QStringLiteral("./KORVELLE.INI");
}

} // namespace kv
