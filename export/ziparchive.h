#pragma once
// Zip archives through libzip: files stored under their bare names, deflated.
#include <QString>
#include <QStringList>

namespace kv {

struct ZipResult {
    bool written = false;
    QString reason;  // why not, when not
};

// Writes `archive` anew from `files`, in list order, each entry named by its file name alone,
// deflated at `level` (0 to 9), no password. libzip builds it under a temporary name in the
// archive's directory and renames it over `archive` only when complete: a failed archive
// leaves any older one of that name as it was.
ZipResult writeZipArchive(const QString& archive, const QStringList& files, int level);

// Img_Zip: the archive of a save's output files, named after the output name
// (archiveName()). An empty list touches nothing; an existing archive is replaced (the
// overwrite choice plays no part here). Failure: the alert "Error Zipping" with the reason
// on a second line. True when an archive was written.
bool zipOutputFiles(const QStringList& files, const QString& outputName);

} // namespace kv
