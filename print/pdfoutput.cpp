#include "print/pdfoutput.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace kv {

namespace {
constexpr int kMaxStemLength = 120;
constexpr int kMaxAttempts = 10000;
} // namespace

QString pdfOutputDirectory()
{
    QString dir = qEnvironmentVariable("KV_PDF_DIR");
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty()) dir = QDir::homePath();
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
    return dir;
}

QString pdfFileStem(const QString& document)
{
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    QString stem;
    for (const QChar c : document) stem += (c.unicode() < 0x20 || refused.contains(c)) ? QLatin1Char('_') : c;
    stem = stem.left(kMaxStemLength);
    while (!stem.isEmpty() && (stem.front().isSpace() || stem.front() == QLatin1Char('.'))) stem.remove(0, 1);
    while (!stem.isEmpty() && (stem.back().isSpace() || stem.back() == QLatin1Char('.'))) stem.chop(1);
    return stem.isEmpty() ? QStringLiteral("Document") : stem;
}

QString reservePdfFile(const QString& directory, const QString& document, QString* problem)
{
    const auto refuse = [problem](const QString& why) {
        if (problem) *problem = why;
        return QString();
    };
    // A folder that cannot be made shows why when a file is tried in it.
    QDir().mkpath(directory);
    const QString stem = QDir(directory).filePath(pdfFileStem(document));
    for (int n = 1; n <= kMaxAttempts; ++n) {
        const QString path = n == 1 ? stem + QStringLiteral(".pdf") : QStringLiteral("%1 (%2).pdf").arg(stem).arg(n);
        QFile file(path);
        // NewOnly makes taking the name atomic: two jobs never get the same file.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return path;
        if (!file.exists()) return refuse(file.errorString());  // not taken, yet not creatable
    }
    return refuse(QStringLiteral("all names are taken"));
}

} // namespace kv
