#pragma once
// A report as one PDF file, drawn by the engine through Qt's PDF writer: vector drawing, text
// as text in embedded font subsets. Each page takes its own size and orientation: a page of
// another program is its frame (the sheet it was written for); a page our own printer device
// recorded, which carries no frame of its own, is the printer's sheet with the page at its
// place there (the placement rule of gdi/pageplacement.h).
//
// The page is drawn at its reference device's resolution, so a line GDI draws one device
// pixel wide is one pixel of that device wide in the PDF.
#include "gdi/core/records.h"
#include "gdi/core/types.h"

#include <QPageLayout>
#include <QString>
#include <memory>

class QIODevice;
class QPainter;
class QPdfWriter;

namespace kv {

struct PdfPagePlan {
    QPageLayout layout;     // the page's size and orientation, no margins
    QPointF dpi;            // the resolution the page is drawn at
    QSizeF sheetPixels;     // the whole page at that resolution
    gdi::RectL playRect;    // where the picture's frame lands, at that resolution
};

// `printer`: the device the pages were made for (all zeros when there is none).
PdfPagePlan planPdfPage(const gdi::EmfHeader& page, const gdi::DeviceCaps& printer);

class PdfDocument {
public:
    // `title` becomes the document's title; `archive` writes PDF/A-1b.
    PdfDocument(QIODevice& out, const QString& title, bool archive);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    // Draws the picture as the next page. False when the writer refused to start or go on.
    bool addPage(const gdi::Picture& picture, const gdi::DeviceCaps& printer);
    // Ends the document (false when it could not be completed).
    bool finish();
    int pages() const { return pages_; }

private:
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    int pages_ = 0;
};

} // namespace kv
