#include "testenv.h"
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace kvtest {

std::optional<QString> corpusDir()
{
    const QString fromEnv = qEnvironmentVariable("KV_CORPUS_DIR");
    const QString path = fromEnv.isEmpty()
        ? QDir::cleanPath(QStringLiteral(KV_SOURCE_DIR) + "/../shared/corpus")
        : fromEnv;
    if (QFileInfo(path + "/emf").isDir())
        return path;
    return std::nullopt;
}

QString dataFile(const QString& name)
{
    return QStringLiteral(KV_SOURCE_DIR) + "/tests/data/" + name;
}

QString buildFile(const QString& name)
{
    return QStringLiteral(KV_BUILD_DIR) + "/" + name;
}

namespace {
QString pdfinfo(const QString& file, const QStringList& options = {})
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), options + QStringList{file});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

int pdfPageCount(const QString& file)
{
    const auto match = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
                           .match(pdfinfo(file));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QSizeF pdfPageSizePoints(const QString& file, int page)
{
    const QString number = QString::number(page);
    const auto match = QRegularExpression(QStringLiteral("^Page\\s+%1 size:\\s+([\\d.]+) x ([\\d.]+) pts").arg(number),
                                          QRegularExpression::MultilineOption)
                           .match(pdfinfo(file, {QStringLiteral("-f"), number, QStringLiteral("-l"), number}));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) : QSizeF();
}

} // namespace kvtest
