#pragma once
// The hand-off file KORVELLE.TMP: the small INI file through which a report application tells
// the preview where its page files are, what the document is called, how the pages are turned
// and which printer to print on. One hand-off file serves exactly one preview: the preview
// object deletes it once it has read it.
#include <QString>

namespace kv {

// What a report application hands over (section General). Values are the raw texts; an absent
// key reads as the empty text.
struct Handoff {
    QString path;         // spool directory holding the page files, no trailing separator
    QString document;     // document name: print-job name and end of the window title
    QString orientation;  // "1" portrait, "2" landscape (read as a number by its users)
    QString printer;      // printer name to print on
    QString parentWnd;    // decimal handle of an outside window; written by outside writers only
};

class HandoffFile {
public:
    // The hand-off file at handoffFilePath().
    HandoffFile();
    explicit HandoffFile(QString filePath);

    const QString& filePath() const { return filePath_; }
    bool exists() const;

    // Path, Document, Orientation, Printer and ParentWnd, read in that order.
    Handoff read() const;

    // Writes Printer, Path, Document and Orientation in that order, creating the file when it is
    // missing; other keys already in the file (ParentWnd) stay. False when the file could not be
    // written.
    bool write(const QString& printer, const QString& path, const QString& document,
               int orientation) const;

    bool remove() const;

private:
    QString filePath_;
};

} // namespace kv
