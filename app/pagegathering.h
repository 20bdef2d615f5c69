#pragma once
// Finding a report's page files in its spool directory.
#include <QString>
#include <QStringList>

namespace kv {

// The pattern report applications name their page files by (tmp0001.emf, tmp0002.wmf, …).
inline constexpr char kPageFilePattern[] = "tmp*.*mf";

struct GatheredPages {
    // Full paths, sorted by name without regard to case, so that the zero-padded page numbers
    // give page order.
    QStringList files;
    // Matching entries that were left where they are: links, directories, other users' files
    // (also when root runs the preview), and names that are not valid UTF-8.
    int notOwnFiles = 0;
    int undecodableNames = 0;
};

// The entries of `spoolDirectory` matching tmp*.*mf (name and extension matched apart,
// without regard to case; hidden entries left out) that are plain files of the effective user.
GatheredPages gatherPageFiles(const QString& spoolDirectory);

// One message saying how many matching entries were left alone and why; empty when none were.
QString leftAloneNote(const GatheredPages& gathered, const QString& spoolDirectory);

// Why the preview cannot work in `spoolDirectory` (it is missing, not a directory, or cannot be
// written, so the page files could not be moved out of it), as a message for the user; empty
// when it is usable.
QString spoolDirectoryProblem(const QString& spoolDirectory);

} // namespace kv
