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

constexpr const char* kWindowsDirectoryVariables[] = {"WINDIR", "XDG_RUNTIME_DIR"};

// A directory others may write into (and so plant or swap a hand-off file in) is refused even
// when the sticky bit is set: the hand-off file must come from this user alone.
bool othersCanWrite(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & S_IWOTH) != 0;
}

bool isPrivateDirectory(const QString& path)
{
    return isDirectory(path) && !othersCanWrite(path);
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
    for (const char* name : kWindowsDirectoryVariables) {
        const QString path = withoutTrailingSlash(qEnvironmentVariable(name));
        if (isPrivateDirectory(path)) return path;
    }
    return stateDirectory();
}

std::vector<OpenDirectory> passedOverOpenDirectories()
{
    std::vector<OpenDirectory> open;
    for (const char* name : kWindowsDirectoryVariables) {
        const QString path = withoutTrailingSlash(qEnvironmentVariable(name));
        if (isPrivateDirectory(path)) break;
        if (isDirectory(path) && othersCanWrite(path)) open.push_back({QString::fromLatin1(name), path});
    }
    return open;
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
