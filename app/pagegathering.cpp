#include "app/pagegathering.h"

#include "lang/kvgl.h"
#include "platform/filepattern.h"

#include <QFile>
#include <algorithm>
#include <QFileInfo>
#include <unistd.h>

namespace kv {

QStringList gatherPageFiles(const QString& spoolDirectory)
{
    QStringList pages = listMatching(spoolDirectory, QString::fromLatin1(kPageFilePattern));
    // Page order is name order, and the names match without regard to case, so they sort that
    // way too: TMP0003.EMF comes after tmp0002.emf.
    std::stable_sort(pages.begin(), pages.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return pages;
}

QString spoolDirectoryProblem(const QString& spoolDirectory)
{
    const QString shown = QStringLiteral("\"") + spoolDirectory + QStringLiteral("\"");
    if (spoolDirectory.isEmpty())
        return KV_GL(QStringLiteral("The hand-off file names no spool directory."));
    const QFileInfo info(spoolDirectory);
    if (!info.exists())
        return KV_GL(QStringLiteral("The spool directory does not exist: ")) + shown;
    if (!info.isDir())
        return KV_GL(QStringLiteral("The spool directory is not a directory: ")) + shown;
    // The pages are moved out of the directory (a rename), which needs write and search
    // permission on it; access() also honours the effective user and ACLs.
    if (::access(QFile::encodeName(spoolDirectory).constData(), W_OK | X_OK) != 0)
        return KV_GL(QStringLiteral("The spool directory cannot be written: ")) + shown;
    return {};
}

} // namespace kv
