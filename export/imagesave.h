#pragma once
// Img_Save's work: the chosen pages written one output file each through the image-export
// component, optionally packed into one archive, with the program's messages in page order.
// The document formats (PDF, multi-page TIFF) write all chosen pages into the one file the
// output name names, without a page number (export/documentexport.h); the archive then packs
// that one file.
//
// Pages are recorded one after the other on the calling (user-interface) thread, which
// owns the metafile handles; rendering, encoding and writing run on a pool of worker
// threads, one per processor core, a few pages ahead at most. Names, messages and archive
// entries keep the order of the pages. While the workers are busy the caller's thread keeps
// the user interface painting (SaveProgress::wait).
#include <QString>
#include <QStringList>
#include <cstdint>

namespace kv {

class TPrinter;

struct SaveRequest {
    QStringList pages;         // page files, in the order to write
    QString outputName;        // as the Save as dialog holds it (trailing blanks allowed)
    QString format;            // a format entry ("PNG - Portable Network Graphic", ...)
    bool overwrite = true;
    int optionIndex = 0;       // 1-based position of the chosen option; 0: none found
    bool zip = false;
    bool wmfPages = false;     // the document's pages are Windows metafiles
    TPrinter* device = nullptr;  // the printer device whose context the pages are recorded against
    qulonglong owner = 0;      // the window the save belongs to
    double dpi = 150;          // raster resolution
    QString document;          // the document's name: the title of a PDF
    bool nameAsGiven = false;  // the output name is the whole file name (a save of one page)
};

enum class SaveOutcome {
    Done,               // every page processed (whatever the component or the archive reported)
    StoppedAtExisting,  // an output file existed and overwrite was off: the " exists." stop
    Cancelled,          // stopped by SaveProgress: pages written stay; with zip they are deleted and no archive is made
};

struct SaveReport {
    SaveOutcome outcome = SaveOutcome::Done;
    QStringList outputFiles;  // the output file list, one name per processed page (documents: the one file, once written)
    int written = 0;          // pages the component wrote (documents: 1 when the file was written)
    QString archive;          // the archive written, empty when none
};

// Lets a caller follow a save and stop it between pages. Every call comes on the saving thread.
class SaveProgress {
public:
    virtual ~SaveProgress() = default;
    // Page `index` (1-based) of `count` is about to be recorded, to be written as `file`.
    virtual void pageStarted(int /*index*/, int /*count*/, const QString& /*file*/) {}
    // Asked before each page: true stops the save there (see SaveOutcome::Cancelled).
    virtual bool cancelRequested() { return false; }
    // Called repeatedly while the saving thread waits for the workers. The default lets the
    // windows paint and keeps user input for later.
    virtual void wait();
    // The save is over (after its last message): what was written, and where.
    virtual void finished(const SaveReport& /*report*/) {}
};

SaveReport saveImages(const SaveRequest& request, SaveProgress* progress = nullptr);

} // namespace kv
