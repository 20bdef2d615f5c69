#pragma once
// KVMETAFILE: the control that shows one page of the report. The page is laid out in a
// logical space of the printer's pixels (its printable width and height) which an
// anisotropic mapping stretches onto the control; zoomed, a part of that space is shown.
// The page file is read once per file change; what the control paints is kept in the page
// raster cache (pageview/pagecache.h) and replayed only when no view painted it so before.
// Zoomed, it paints from tiles of the page at the zoomed scale (pageview/pagetiles.h).
#include "gdi/metafileapi.h"
#include "gdi/core/types.h"
#include "pageview/pagesheet.h"
#include "pageview/pagemarks.h"
#include "pageview/pagetiles.h"
#include "pageview/pageviewsettings.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace kv {

class KVMETAFILE : public QWidget {
    Q_OBJECT
public:
    // top, left, width, height in the parent's client pixels (a missing size is 100).
    KVMETAFILE(int nTop, int nLeft, int nWidth, int nHeight, const QString& cFile,
               QWidget* oWnd, const PageViewSettings& settings);
    ~KVMETAFILE() override;

    // --- members the other parts of the preview read or set ----------------------------
    HENHMETAFILE hMeta = 0;
    double nWidth = 0, nHeight = 0;    // logical window extent
    double nXorig = 0, nYorig = 0;     // origin while zoomed, logical units
    double nXZoom = 2, nYZoom = 4;     // zoom divisors
    bool lZoom = false;
    bool lShadow = true;
    double nyfactor = 1;
    bool lBorder = true;
    gdi::ColorRef nPageBorColor = 0;
    double nPrnXOffset = 0, nPrnYOffset = 0;
    int nShadow_Deep = 5, nShadow_Width = 5;
    gdi::ColorRef nShadow_Color = 0;
    double nPageHeight = 0, nPageWidth = 0;
    double nPhysWidth = 0, nPhysHeight = 0;
    double nLogPixelX = 0, nLogPixelY = 0;
    gdi::ColorRef nBackClr = 8421504;
    QString cMetaFormat = QStringLiteral("EMF");
    QString cCaption;                  // the page file shown; "" = none

    // Event callbacks: double click at (col, row), right click, key (virtual-key code).
    std::function<void(int nCol, int nRow)> bLDblClick;
    std::function<void()> bRClicked;
    std::function<void(int nKey, int nFlags)> bKeyDown;
    // Marks to lay over the page of a file (found words), asked at every paint.
    std::function<std::vector<PageMark>(const QString& file)> bMarks;

    // The control's rectangle in the parent's client pixels, right and bottom inclusive.
    int nTop() const { return geometry().top(); }
    int nLeft() const { return geometry().left(); }
    int nBottom() const { return geometry().top() + geometry().height() - 1; }
    int nRight() const { return geometry().left() + geometry().width() - 1; }

    // --- methods -------------------------------------------------------------------------
    void Paint(QPainter& painter);
    void SetFile(const QString& cFile);
    // The half of the drop shadow that lies on the parent, drawn with the parent's painter
    // in the parent's client pixels (the parent paints it: a child cannot draw on it).
    void Shadow(QPainter& parentPainter) const;
    void End();
    void ZoomIn();
    void ZoomOut();
    void SetZoomFactor(double nX, double nY);
    void SetOrg(std::optional<double> nX, std::optional<double> nY);
    // A point given in fractions of the page's picture, in the logical units of the page
    // (those of nXorig and nYorig); nothing while no page is read.
    std::optional<QPointF> pagePointOfFraction(const QPointF& fraction) const;

    // Renders page file `file` in idle time, off the user-interface thread, as this control
    // would show it now, so that the page comes from the cache when it is moved here.
    void renderAhead(const QString& file);

protected:
    void paintEvent(QPaintEvent* event) override;
    // `exposed`: the part of the control to draw, in its pixels.
    void paintPage(QPainter& painter, const QRect& exposed);
    void paintMarks(QPainter& painter);
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void loadPage(HDC paintDc);
    void reportMissingFile();
    void refresh();
    bool showsSheet() const { return !cCaption.isEmpty() || !unreadableFile_.isEmpty(); }
    // What the control shows, at `ratio` device pixels a pixel (nothing: the screen's; a
    // painter onto an image of another ratio, as QWidget::render makes, gives its own).
    SheetView sheetView(std::optional<qreal> ratio = std::nullopt) const;
    // The cache key of what the control shows now; empty when it shows no page.
    QByteArray cacheKey(std::optional<qreal> ratio = std::nullopt) const;
    void drawUnreadableNote(QPainter& painter) const;
    // Zoomed: the tiles of the page under `exposed`, those not cached played from the page.
    void paintTiles(QPainter& painter, const SheetView& view, const QRect& exposed);
    // The sheet's logical units onto the control's pixels, as the page shows now.
    QTransform sheetToShown(const SheetView& view) const;

    QString alertedFile_;     // the missing-file alert comes once per file name
    QString unreadableFile_;  // a page that could not be read: its sheet shows a note naming it
    QByteArray pageStamp_;    // the page file's size and time when it was set
    PageTiles tiles_{PageRasterCache::shared()};
};

// The Windows virtual-key code of a Qt key event (keypad plus and minus are 107 and 109).
int virtualKeyOf(const QKeyEvent& event);

} // namespace kv
