#pragma once
// Reading back what we write as PDF, with poppler's tools and the corpus scorer: text, page
// pictures, document facts, the content streams, and how alike two renderings are.
#include <QImage>
#include <QString>
#include <QStringList>

namespace kvtest {

// The corpus scorer beside the corpus (corpus/../tools/similarity.py).
QString similarityTool(const QString& corpus);
// The score similarity.py gives `ours` against `reference`; below 0 when it could not run.
double similarity(const QString& tool, const QString& reference, const QString& ours);

// Page `page` of `pdf` at `dpi`, as pdftoppm draws it; `scratch` holds the picture.
QImage renderPdfPage(const QString& pdf, int page, double dpi, const QString& scratch);
// The text pdftotext finds on `page` (0: all pages), in reading order.
QString pdfText(const QString& pdf, int page = 0);
// What pdfinfo says of the document (`options` before the file name); empty when unreadable.
QString pdfInfo(const QString& pdf, const QStringList& options = {});
// Every stream of the file, inflated where it is deflated (as the bytes stand otherwise).
QList<QByteArray> pdfStreams(const QString& pdf);

} // namespace kvtest
