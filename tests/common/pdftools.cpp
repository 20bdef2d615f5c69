#include "pdftools.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <zlib.h>

namespace kvtest {

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QByteArray inflated(const QByteArray& data)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return {};
    QByteArray out;
    char buffer[65536];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : QByteArray();
}

} // namespace

QString similarityTool(const QString& corpus)
{
    return QDir::cleanPath(corpus + QStringLiteral("/../tools/similarity.py"));
}

double similarity(const QString& tool, const QString& reference, const QString& ours)
{
    bool ok = false;
    const double score = run(QStringLiteral("/usr/bin/python3"), {tool, reference, ours}).trimmed().toDouble(&ok);
    return ok ? score : -1;
}

QImage renderPdfPage(const QString& pdf, int page, double dpi, const QString& scratch)
{
    const QString stem = QDir(scratch).filePath(QStringLiteral("page%1").arg(page));
    const QString n = QString::number(page);
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi, 'f', 3), QStringLiteral("-f"), n,
                                     QStringLiteral("-l"), n, QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
    return QImage(stem + QStringLiteral(".png"));
}

QString pdfText(const QString& pdf, int page)
{
    QStringList arguments;
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    return run(QStringLiteral("pdftotext"), arguments + QStringList{pdf, QStringLiteral("-")});
}

QString pdfInfo(const QString& pdf, const QStringList& options)
{
    return run(QStringLiteral("pdfinfo"), options + QStringList{pdf});
}

QList<QByteArray> pdfStreams(const QString& pdf)
{
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<QByteArray> streams;
    for (qsizetype at = bytes.indexOf("stream"); at >= 0; at = bytes.indexOf("stream", at)) {
        // "endstream" contains the word too; only a stream's start is followed by an end of line.
        qsizetype start = at + 6;
        const bool isStart = (at < 3 || bytes.mid(at - 3, 3) != "end")
            && start < bytes.size() && (bytes[start] == '\r' || bytes[start] == '\n');
        if (!isStart) {
            at = start;
            continue;
        }
        if (bytes[start] == '\r')
            ++start;
        if (start < bytes.size() && bytes[start] == '\n')
            ++start;
        const qsizetype end = bytes.indexOf("endstream", start);
        if (end < 0)
            break;
        const QByteArray raw = bytes.mid(start, end - start);
        const QByteArray plain = inflated(raw);
        streams << (plain.isEmpty() ? raw : plain);
        at = end + 9;
    }
    return streams;
}

} // namespace kvtest
