#pragma once
// The names Save as writes: one output file per page, and the archive beside them.
#include <QString>

namespace kv {

// The page's number part: its file's base name (without directory, cut before the first dot)
// less its first four characters, so E0010003.emf gives 0003.
QString pageNumberPart(const QString& pageFile);

// The output name (surrounding blanks removed) with the page's number part put in front of
// the dot that starts the extension of its file-name part: report.jpg -> report0003.jpg. A
// file-name part without a dot gets the number part at its end (report -> report0003), so
// the pages of one save never share a name. Dots in the directory part stay as they are.
QString outputFileName(const QString& outputName, const QString& pageFile);

// The archive of a save: the file-name part in upper case with its extension (whatever its
// case) replaced by ZIP, in the output name's directory (report.jpeg -> REPORT.ZIP). A
// file-name part without an extension keeps its upper-cased name; ".zip" is added when the
// whole name has no dot at all.
QString archiveName(const QString& outputName);

} // namespace kv
