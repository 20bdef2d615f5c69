#include "print/printerdevice.h"

#include "gdi/paint/painterdevice.h"
#include "print/joboutput.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// The CUPS "sides" of a duplex mode; empty leaves it to the queue.
QString cupsSides(QPrinter::DuplexMode mode)
{
    switch (mode) {
    case QPrinter::DuplexNone: return QStringLiteral("one-sided");
    case QPrinter::DuplexLongSide: return QStringLiteral("two-sided-long-edge");
    case QPrinter::DuplexShortSide: return QStringLiteral("two-sided-short-edge");
    default: return {};
    }
}


// The built-in printer's margins: 12 pt, which is 100 pixels at 600 dpi (4.23 mm). Small, but
// not zero, so that everything built on printing offsets is exercised on every machine.
constexpr double kPdfMarginPoints = 12.0;

int millimetres(int pixels, int dpi) { return int(std::lround(pixels * 25.4 / dpi)); }

} // namespace

gdi::DeviceCaps capsFromLayout(const QPageLayout& layout, int dpi)
{
    const QRect full = layout.fullRectPixels(dpi);
    const QRect paint = layout.paintRectPixels(dpi);
    gdi::DeviceCaps caps;
    caps.horzRes = paint.width();
    caps.vertRes = paint.height();
    caps.horzSizeMm = millimetres(paint.width(), dpi);
    caps.vertSizeMm = millimetres(paint.height(), dpi);
    caps.logPixelsX = caps.logPixelsY = dpi;
    caps.physicalWidth = full.width();
    caps.physicalHeight = full.height();
    caps.offsetX = paint.left() - full.left();
    caps.offsetY = paint.top() - full.top();
    return caps;
}

PrinterDevice::PrinterDevice(const PrinterDescription& printer)
    : printer_(printer), qprinter_(QPrinter::HighResolution)
{
}

PrinterDevice::~PrinterDevice()
{
    if (painter_.isActive()) endDoc();
}

std::unique_ptr<PrinterDevice> PrinterDevice::create(const PrinterState& state)
{
    const auto printer = describePrinter(state.deviceName);
    if (!printer) return nullptr;
    std::unique_ptr<PrinterDevice> device(new PrinterDevice(*printer));
    if (!device->configure(state)) return nullptr;
    return device;
}

bool PrinterDevice::configure(const PrinterState& state)
{
    if (printer_.builtInPdf) {
        qprinter_.setOutputFormat(QPrinter::PdfFormat);
    } else {
        qprinter_.setPrinterName(printer_.name);
        // Qt ignores a name CUPS does not know: the queue went away since it was described.
        if (qprinter_.printerName() != printer_.name) return false;
    }
    // A positive print quality is a resolution in dots per inch, as in a Windows device mode.
    const int dpi = state.printQuality > 0 ? state.printQuality : printer_.dpi;
    qprinter_.setResolution(dpi);
    qprinter_.setFullPage(false);
    return applyMode(state);
}

bool PrinterDevice::applyMode(const PrinterState& state)
{
    qprinter_.setPageSize(state.pageSize());
    qprinter_.setPageOrientation(state.orientation == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // A CUPS queue prints up to its hardware margins, as a GDI printer context does; Qt's own
    // default margins would only add white space the printer does not need.
    const QPageLayout layout = qprinter_.pageLayout();
    if (printer_.builtInPdf)
        qprinter_.setPageMargins(QMarginsF(kPdfMarginPoints, kPdfMarginPoints, kPdfMarginPoints, kPdfMarginPoints), QPageLayout::Point);
    else
        qprinter_.setPageMargins(layout.minimumMargins(), layout.units());
    qprinter_.setCopyCount(std::max(1, state.copies));
    static constexpr QPrinter::DuplexMode duplexModes[] = {QPrinter::DuplexAuto, QPrinter::DuplexNone,
                                                           QPrinter::DuplexLongSide, QPrinter::DuplexShortSide};
    qprinter_.setDuplex(duplexModes[std::clamp(state.duplex, 0, DMDUP_HORIZONTAL)]);
    if (const auto source = paperSourceForBin(state.defaultSource)) qprinter_.setPaperSource(*source);
    caps_ = capsFromLayout(qprinter_.pageLayout(), qprinter_.resolution());
    if (job_) job_->writer().setPageLayout(qprinter_.pageLayout());  // from the next page on
    if (painterDevice_) attachPainterDevice();
    return caps_.horzRes > 0 && caps_.vertRes > 0;
}

void PrinterDevice::attachPainterDevice()
{
    painterDevice_ = std::make_unique<gdi::PainterDevice>(painter_, caps_);
    painterDevice_->setClip(clip_);
}

bool PrinterDevice::startDoc(const QString& document)
{
    if (painter_.isActive()) return true;
    outcome_ = {};
    job_ = JobOutput::open(printer_, document, qprinter_.pageLayout(), qprinter_.resolution(),
                           qprinter_.copyCount(), cupsSides(qprinter_.duplex()), outcome_);
    if (!job_) return false;
    if (!painter_.begin(&job_->writer())) {
        outcome_ = job_->discard();
        outcome_.state = PrintJobOutcome::State::Failed;
        job_.reset();
        return false;
    }
    attachPainterDevice();
    jobPages_ = 0;
    return true;
}

bool PrinterDevice::startPage()
{
    if (!painter_.isActive()) return false;
    if (jobPages_++ == 0) return true;
    if (!job_->writer().newPage()) return false;
    painterDevice_->setClip(clip_);
    return true;
}

bool PrinterDevice::endDoc()
{
    if (!painter_.isActive()) return false;
    painterDevice_.reset();
    const bool painted = painter_.end();
    outcome_ = painted ? job_->finish() : job_->discard();
    if (!painted) outcome_.state = PrintJobOutcome::State::Failed;
    job_.reset();
    return outcome_.state == PrintJobOutcome::State::Done;
}

void PrinterDevice::abortDoc()
{
    if (!painter_.isActive()) return;
    painterDevice_.reset();
    painter_.end();
    outcome_ = job_->discard();
    job_.reset();
}

void PrinterDevice::setClip(const std::optional<QRegion>& clip)
{
    clip_ = clip;
    if (painterDevice_) painterDevice_->setClip(clip);
}

void PrinterDevice::fillPath(const QPainterPath& path, Qt::FillRule rule, const gdi::DrawBrush& brush)
{
    if (painterDevice_) painterDevice_->fillPath(path, rule, brush);
}

void PrinterDevice::strokePath(const QPainterPath& path, const gdi::DrawPen& pen)
{
    if (painterDevice_) painterDevice_->strokePath(path, pen);
}

void PrinterDevice::drawText(const gdi::TextRun& run)
{
    if (painterDevice_) painterDevice_->drawText(run);
}

void PrinterDevice::drawImage(const gdi::ImageDraw& image)
{
    if (painterDevice_) painterDevice_->drawImage(image);
}

} // namespace kv
