#pragma once
// Where the built-in "PDF File" printer writes its jobs: one PDF per job, named after the
// document, in the user's documents folder (or $KV_PDF_DIR), never over an earlier file.
#include <QString>

namespace kv {

// $KV_PDF_DIR when set, else the user's documents folder. No trailing slash.
QString pdfOutputDirectory();

// The document name made safe as a file name: path separators, characters other systems
// refuse and control characters become "_"; leading and trailing blanks and dots go; an empty
// result becomes "Document".
QString pdfFileStem(const QString& document);

// Creates (empty, exclusively) and returns the first free one of "<stem>.pdf", "<stem> (2).pdf",
// … in `directory`, creating the directory when missing. Empty when nothing can be created there;
// `problem` (when given) then says why, in the system's words.
QString reservePdfFile(const QString& directory, const QString& document, QString* problem = nullptr);

} // namespace kv
