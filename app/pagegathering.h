#pragma once
// Finding a report's page files in its spool directory.
#include <QString>
#include <QStringList>

namespace kv {

// The pattern report applications name their page files by (tmp0001.emf, tmp0002.wmf, …).
inline constexpr char kPageFilePattern[] = "tmp*.*mf";

// Full paths of the entries of `spoolDirectory` matching tmp*.*mf (name and extension matched
// apart, without regard to case; directories included; hidden entries left out), sorted by
// name without regard to case, so that the zero-padded page numbers give page order.
QStringList gatherPageFiles(const QString& spoolDirectory);

// Why the preview cannot work in `spoolDirectory` (it is missing, not a directory, or cannot be
// written, so the page files could not be moved out of it), as a message for the user; empty
// when it is usable.
QString spoolDirectoryProblem(const QString& spoolDirectory);

} // namespace kv
