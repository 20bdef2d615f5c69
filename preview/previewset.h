#pragma once
// Moving a report's page files into a private preview set: Path/korvelle/E<set><page>.<ext>.
// Several previews may share one spool directory; each takes a set number no other set in
// the directory has, so a later preview never meets an earlier one's files.
#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

// One more than the highest set number among the directory's set files (1 when none).
int nextSetNumber(const QString& setDirectory);

// "E" + 3-digit set + 4-digit page + ".emf" or ".wmf" (by the old name's extension).
QString previewSetFileName(int set, int page, const QString& oldFile);

struct MovedPages {
    QStringList files;         // the new names, page order, whether or not each move worked
    QStringList failedMoves;   // old paths that could not be renamed
    QString refusal;           // non-empty: nothing was moved, this says why
};

// Moves `pages` into spoolPath + "/korvelle". Set numbers above 999 and page counts above 9999
// do not fit the names: refused with a message instead of writing clashing names.
MovedPages movePagesIntoSet(const QString& spoolPath, const QStringList& pages);

} // namespace kv
