#pragma once
// What a page view draws inside its control, as plain values: the sheet, its border, the page
// played onto it and the inner half of the drop shadow. The control paints through this, and
// the raster cache renders the same pixels into an image on any thread.
#include "gdi/dc/dc.h"
#include "gdi/core/records.h"
#include "gdi/core/types.h"

#include "pageview/pageviewplacement.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTransform>

namespace kv {

struct SheetView {
    QSize size;                       // the control, logical pixels
    double devicePixelRatio = 1;
    double width = 0, height = 0;     // logical window extent
    double xOrigin = 0, yOrigin = 0;  // origin while zoomed
    double yFactor = 1;               // viewport height factor while zoomed
    PageViewPrinter printer;          // the sheet the page lies on
    bool border = false;
    gdi::ColorRef borderColor = 0;
    bool shadow = true;
    int shadowDeep = 5, shadowWidth = 5;
    gdi::ColorRef shadowColor = 0;
    gdi::ColorRef background = 0;
    bool wmfPages = false;
    gdi::DeviceCaps screen;           // the reference surface the control's Dc reports

    // The image size the control's pixels take on the screen: a ratio of 2 is another size.
    QSize devicePixels() const;
    // Everything here, and the page file as it was when set, as one key: two views with
    // equal keys paint equal pixels.
    QByteArray key(const QString& file, const QByteArray& fileStamp) const;
};

// The rectangle the page is played into, in the view's logical units.
QRectF sheetPlayRect(const SheetView& view, const gdi::EmfHeader& page);

// The three layers of the control, in the order they are drawn onto `dc`, which paints the
// control's pixels: the mapping and the paper with its border, the page cut by the paper, the
// inner half of the drop shadow.
// The mapping drawPaper sets: the sheet's logical units onto the control's pixels.
QTransform sheetToControl(const SheetView& view);
void drawPaper(gdi::Dc& dc, const SheetView& view);
void playOnPaper(gdi::Dc& dc, const SheetView& view, const gdi::Picture& page);
void drawInnerShadow(gdi::Dc& dc, const SheetView& view);

// The three layers drawn with `painter`, whose units are the control's pixels.
void paintSheet(QPainter& painter, const SheetView& view, const gdi::Picture& page);
// The control's pixels with `page` on its sheet, the background filled where there is no paper.
QImage renderSheet(const SheetView& view, const gdi::Picture& page);

// What identifies a page file's content cheaply: its size and modification time.
QByteArray pageFileStamp(const QString& file);

} // namespace kv
