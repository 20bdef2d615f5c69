// Where a page lands on a printer: pages recorded for the printer keep their bounds, pages of
// other programs are placed by their frame at its physical size.
#include "gdi/dc/dc.h"
#include "gdi/emf/emfrecorder.h"
#include "gdi/pageplacement.h"
#include "gdi/readers.h"

#include <gtest/gtest.h>

using namespace kv::gdi;

namespace {

// The built-in PDF printer: A4 at 600 dpi with margins of 100 pixels.
DeviceCaps pdfPrinter()
{
    DeviceCaps caps;
    caps.horzRes = 4761;
    caps.vertRes = 6817;
    caps.horzSizeMm = 202;
    caps.vertSizeMm = 289;
    caps.logPixelsX = caps.logPixelsY = 600;
    caps.physicalWidth = 4961;
    caps.physicalHeight = 7017;
    caps.offsetX = caps.offsetY = 100;
    return caps;
}

EmfHeader header(RectL bounds, RectL frame, SizeL device, SizeL mm)
{
    EmfHeader h;
    h.bounds = bounds;
    h.frame = frame;
    h.device = device;
    h.millimeters = mm;
    return h;
}

// A Windows spool page: the whole A4 sheet at 300 dpi as frame, the ink as bounds.
EmfHeader spoolPage300() { return header({171, 177, 2324, 3316}, {0, 0, 21000, 29700}, {2480, 3508}, {210, 297}); }

} // namespace

TEST(PagePlacement, APageOurRecorderWroteForThePrinterKeepsItsBounds)
{
    const DeviceCaps printer = pdfPrinter();
    EmfRecorder recorder(printer);
    {
        Dc dc(recorder);
        dc.rectangle({300, 400, 1500, 1300});
    }
    const PicturePtr page = readEmf(recorder.finish());
    ASSERT_TRUE(page);

    const PagePlacement placement = placePage(page->header, printer);
    EXPECT_TRUE(placement.asRecorded);
    const RectL& b = page->header.bounds;
    EXPECT_EQ(placement.rect, QRectF(QPointF(b.left, b.top), QPointF(b.right, b.bottom)));
    // On the printer itself the bounds are played untouched, whatever its offsets.
    EXPECT_EQ(printerPlayRect(page->header, printer), placement.rect);
}

TEST(PagePlacement, ASpoolPageIsPlacedByItsFrameAtItsPhysicalSize)
{
    const DeviceCaps printer = pdfPrinter();
    const PagePlacement placement = placePage(spoolPage300(), printer);
    EXPECT_FALSE(placement.asRecorded);
    // 210 x 297 mm at 600 dpi, from the paper's corner.
    EXPECT_NEAR(placement.rect.left(), 0, 1e-9);
    EXPECT_NEAR(placement.rect.top(), 0, 1e-9);
    EXPECT_NEAR(placement.rect.right(), 210 / 25.4 * 600, 0.01);
    EXPECT_NEAR(placement.rect.bottom(), 297 / 25.4 * 600, 0.01);
    // The printer's coordinates begin at its printable corner.
    const QRectF onPrinter = printerPlayRect(spoolPage300(), printer);
    EXPECT_NEAR(onPrinter.left(), -100, 1e-9);
    EXPECT_NEAR(onPrinter.top(), -100, 1e-9);
    EXPECT_NEAR(onPrinter.width(), placement.rect.width(), 1e-9);
}

TEST(PagePlacement, AFrameEqualToTheBoundsAtAnotherResolutionIsScaledToItsPhysicalSize)
{
    // Recorded without a frame, but on a 300 dpi printer: 1 inch square of ink.
    const EmfHeader page = header({300, 300, 600, 600}, {2540, 2540, 5080, 5080}, {2480, 3508}, {210, 297});
    const PagePlacement placement = placePage(page, pdfPrinter());
    EXPECT_FALSE(placement.asRecorded);
    EXPECT_NEAR(placement.rect.left(), 600, 0.5);
    EXPECT_NEAR(placement.rect.width(), 600, 0.5);
}

TEST(PagePlacement, AnEmptyOrInvertedFrameFallsBackToTheBounds)
{
    const DeviceCaps printer = pdfPrinter();
    for (const RectL frame : {RectL{0, 0, 0, 0}, RectL{21000, 29700, 0, 0}}) {
        // At the printer's resolution the bounds are the page, as recorded.
        const EmfHeader same = header({100, 200, 999, 1199}, frame, {4761, 6817}, {202, 289});
        const PagePlacement own = placePage(same, printer);
        EXPECT_TRUE(own.asRecorded);
        EXPECT_EQ(own.rect, QRectF(QPointF(100, 200), QPointF(999, 1199)));
        // At another resolution the bounds are measured on their own device and placed.
        const EmfHeader other = header({100, 200, 999, 1199}, frame, {2480, 3508}, {210, 297});
        const PagePlacement placed = placePage(other, printer);
        EXPECT_FALSE(placed.asRecorded);
        EXPECT_NEAR(placed.rect.left(), 100 * 600.0 / (2480 / 210.0 * 25.4), 0.5);
        EXPECT_NEAR(placed.rect.width(), 900 * 600.0 / (2480 / 210.0 * 25.4), 0.5);
    }
}

TEST(PagePlacement, AFrameLargerThanTheSheetIsNeverShrunk)
{
    // A3 landscape picture on an A4 printer: kept at its size, the sheet clips it.
    const EmfHeader page = header({0, 0, 4959, 3507}, {0, 0, 42000, 29700}, {4960, 3508}, {420, 297});
    const PagePlacement placement = placePage(page, pdfPrinter());
    EXPECT_FALSE(placement.asRecorded);
    EXPECT_NEAR(placement.rect.width(), 420 / 25.4 * 600, 0.01);
    EXPECT_GT(placement.rect.width(), pdfPrinter().physicalWidth);
}

TEST(PagePlacement, APrinterThatStatesNoResolutionIsMeasuredByItsPrintableArea)
{
    DeviceCaps printer = pdfPrinter();
    printer.logPixelsX = printer.logPixelsY = 0;
    const QPointF dpi = printerDpi(printer);
    EXPECT_NEAR(dpi.x(), 4761 * 25.4 / 202, 1e-9);
    EXPECT_NEAR(dpi.y(), 6817 * 25.4 / 289, 1e-9);
    printer.horzSizeMm = 0;
    EXPECT_EQ(printerDpi(printer).x(), 96);
}
