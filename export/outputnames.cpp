#include "outputnames.h"

namespace kv {

namespace {

// Where the file-name part of a path begins.
qsizetype fileNameStart(const QString& path) { return path.lastIndexOf(QLatin1Char('/')) + 1; }

} // namespace

QString pageNumberPart(const QString& pageFile)
{
    QString base = pageFile.mid(fileNameStart(pageFile));
    const qsizetype dot = base.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        base.truncate(dot);
    return base.mid(4);
}

QString outputFileName(const QString& outputName, const QString& pageFile)
{
    const QString name = outputName.trimmed();
    const QString number = pageNumberPart(pageFile);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < fileNameStart(name))
        return name + number;
    return name.left(dot) + number + name.mid(dot);
}

QString archiveName(const QString& outputName)
{
    const QString name = outputName.trimmed();
    const qsizetype start = fileNameStart(name);
    const QString directory = name.left(start);
    QString file = name.mid(start);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        return directory + file.left(dot).toUpper() + QStringLiteral(".ZIP");
    file = directory + file.toUpper();
    return name.contains(QLatin1Char('.')) ? file : file + QStringLiteral(".zip");
}

} // namespace kv
