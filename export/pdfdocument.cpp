#include "pdfdocument.h"

#include "gdi/dc/dc.h"
#include "gdi/pageplacement.h"
#include "gdi/paint/painterdevice.h"
#include "gdi/player.h"

#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// The writer's own unit: fine enough that a pixel of a 600 dpi printer is two units wide.
constexpr int kWriterDpi = 1200;
// Reference devices outside this range are taken as its nearest end, so that neither a pen
// of one pixel nor the coordinates grow absurd.
constexpr double kMinDpi = 72, kMaxDpi = 2400;

double sensibleDpi(double dpi) { return std::clamp(std::isfinite(dpi) ? dpi : 96.0, kMinDpi, kMaxDpi); }

QPageLayout pageLayout(QSizeF sheetPixels, QPointF dpi)
{
    const QSizeF mm(sheetPixels.width() / dpi.x() * 25.4, sheetPixels.height() / dpi.y() * 25.4);
    const bool landscape = mm.width() > mm.height();
    const QSizeF portrait = landscape ? mm.transposed() : mm;
    const QPageSize size(portrait, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    QPageLayout layout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

gdi::RectL roundedRect(const QRectF& r)
{
    return {int32_t(std::lround(r.left())), int32_t(std::lround(r.top())), int32_t(std::lround(r.right())),
            int32_t(std::lround(r.bottom()))};
}

gdi::DeviceCaps pageCaps(const PdfPagePlan& plan)
{
    gdi::DeviceCaps caps;
    caps.horzRes = int32_t(std::lround(plan.sheetPixels.width()));
    caps.vertRes = int32_t(std::lround(plan.sheetPixels.height()));
    caps.horzSizeMm = std::max(1, int(std::lround(plan.sheetPixels.width() / plan.dpi.x() * 25.4)));
    caps.vertSizeMm = std::max(1, int(std::lround(plan.sheetPixels.height() / plan.dpi.y() * 25.4)));
    caps.logPixelsX = int32_t(std::lround(plan.dpi.x()));
    caps.logPixelsY = int32_t(std::lround(plan.dpi.y()));
    caps.physicalWidth = caps.horzRes;
    caps.physicalHeight = caps.vertRes;
    return caps;
}

} // namespace

PdfPagePlan planPdfPage(const gdi::EmfHeader& page, const gdi::DeviceCaps& printer)
{
    PdfPagePlan plan;
    const gdi::PagePlacement placement = gdi::placePage(page, printer);
    if (placement.asRecorded && printer.physicalWidth > 0 && printer.physicalHeight > 0) {
        const QPointF dpi = gdi::printerDpi(printer);
        plan.dpi = {sensibleDpi(dpi.x()), sensibleDpi(dpi.y())};
        const double sx = plan.dpi.x() / dpi.x(), sy = plan.dpi.y() / dpi.y();
        plan.sheetPixels = QSizeF(printer.physicalWidth * sx, printer.physicalHeight * sy);
        const QRectF onSheet = placement.rect.translated(printer.offsetX, printer.offsetY);
        plan.playRect = roundedRect(QRectF(QPointF(onSheet.left() * sx, onSheet.top() * sy),
                                           QPointF(onSheet.right() * sx, onSheet.bottom() * sy)));
    } else {
        const QPointF ppm = gdi::pixelsPerMm(page);
        plan.dpi = {sensibleDpi(ppm.x() * 25.4), sensibleDpi(ppm.y() * 25.4)};
        const QRectF frame = gdi::pictureFrame(page);
        plan.sheetPixels = QSizeF(frame.width() / 2540 * plan.dpi.x(), frame.height() / 2540 * plan.dpi.y());
        plan.playRect = roundedRect(QRectF(QPointF(0, 0), plan.sheetPixels));
    }
    plan.layout = pageLayout(plan.sheetPixels, plan.dpi);
    return plan;
}

PdfDocument::PdfDocument(QIODevice& out, const QString& title, bool archive)
    : writer_(std::make_unique<QPdfWriter>(&out)), painter_(std::make_unique<QPainter>())
{
    writer_->setTitle(title);
    writer_->setCreator(QStringLiteral("Orvanta"));
    writer_->setResolution(kWriterDpi);
    if (archive)
        writer_->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
}

PdfDocument::~PdfDocument()
{
    if (painter_->isActive())
        painter_->end();
}

bool PdfDocument::addPage(const gdi::Picture& picture, const gdi::DeviceCaps& printer)
{
    const PdfPagePlan plan = planPdfPage(picture.header, printer);
    if (!(plan.sheetPixels.width() >= 1 && plan.sheetPixels.height() >= 1))
        return false;
    if (!writer_->setPageLayout(plan.layout))
        return false;
    if (pages_ == 0 ? !painter_->begin(writer_.get()) : !writer_->newPage())
        return false;
    painter_->resetTransform();
    painter_->scale(kWriterDpi / plan.dpi.x(), kWriterDpi / plan.dpi.y());
    {
        gdi::PainterDevice device(*painter_, pageCaps(plan));
        gdi::Dc dc(device);
        gdi::playPicture(dc, picture, plan.playRect);
    }
    ++pages_;
    return true;
}

bool PdfDocument::finish()
{
    return pages_ > 0 && painter_->end();
}

} // namespace kv
