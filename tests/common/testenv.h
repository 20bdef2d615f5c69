#pragma once
#include <QSizeF>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace kvtest {

// The shared corpus lives beside the project (../shared/corpus); a fresh clone may not have it.
// Returns its path, or nothing (tests then GTEST_SKIP, saying so).
std::optional<QString> corpusDir();

// Path of a file under tests/data/ in the source tree.
QString dataFile(const QString& name);

// Pages of a PDF file as pdfinfo reports them; -1 when it cannot be read.
int pdfPageCount(const QString& file);
// Page size in points as pdfinfo reports it for one page; empty when unreadable.
QSizeF pdfPageSizePoints(const QString& file, int page = 1);

// Path of a file in the build tree (for example the resource file).
QString buildFile(const QString& name);

} // namespace kvtest
