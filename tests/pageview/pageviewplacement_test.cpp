// Where the page view plays a page in its logical space: our own pages by the rule for pages
// recorded for the printer, other programs' pages at their frame's place on the sheet, scaled
// like the sheet onto the printable size.
#include "pageview/pageviewplacement.h"

#include <gtest/gtest.h>

namespace {

// The built-in PDF printer, A4 portrait at 600 dpi with 100-pixel margins.
kv::PageViewPrinter pdfPrinter()
{
    kv::PageViewPrinter p;
    p.horzRes = 4761;
    p.vertRes = 6817;
    p.xOffset = p.yOffset = 100;
    p.physWidth = 4961;
    p.physHeight = 7017;
    p.dpiX = p.dpiY = 600;
    return p;
}

kv::gdi::EmfHeader header(kv::gdi::RectL bounds, kv::gdi::RectL frame, kv::gdi::SizeL device, kv::gdi::SizeL mm)
{
    kv::gdi::EmfHeader h;
    h.bounds = bounds;
    h.frame = frame;
    h.device = device;
    h.millimeters = mm;
    return h;
}

// A page of this printer: its frame is its bounds (0.01 mm at 4761 / 202 pixels a millimetre).
kv::gdi::EmfHeader ownPage()
{
    const double perMm = 4761.0 / 202;
    const auto hmm = [perMm](int px) { return int(px / perMm * 100); };
    return header({300, 400, 1500, 1300}, {hmm(300), hmm(400), hmm(1500), hmm(1300)}, {4761, 6817}, {202, 289});
}

struct Case {
    const char* what;
    kv::gdi::EmfHeader page;
    kv::PageViewPrinter printer;
    QRectF expected;  // left, top, right, bottom
};

std::vector<Case> cases()
{
    const kv::PageViewPrinter pdf = pdfPrinter();
    kv::PageViewPrinter unknownResolution = pdf;
    unknownResolution.dpiX = unknownResolution.dpiY = 0;
    kv::PageViewPrinter unknownSheet = pdf;
    unknownSheet.physWidth = unknownSheet.physHeight = 0;
    const double sx = 4761.0 / 4961, sy = 6817.0 / 7017;
    const double px = 600 / 25.4;  // printer pixels a millimetre
    const auto sheet300 = header({171, 177, 2324, 3316}, {0, 0, 21000, 29700}, {2480, 3508}, {210, 297});
    const auto box = header({118, 236, 708, 826}, {1000, 2000, 6000, 7000}, {2480, 3508}, {210, 297});
    return {
        {"our own page keeps its bounds less twice the offsets", ownPage(), pdf,
         QRectF(QPointF(300, 400), QPointF(1300, 1100))},
        {"a whole-sheet frame fills the paper", sheet300, pdf,
         QRectF(QPointF(-100, -100), QPointF(210 * px * sx - 100, 297 * px * sy - 100))},
        {"a frame inside the sheet lands at its place and size", box, pdf,
         QRectF(QPointF(10 * px * sx - 100, 20 * px * sy - 100), QPointF(60 * px * sx - 100, 70 * px * sy - 100))},
        {"without a sheet size the sheet is the printable area and the offsets", sheet300, unknownSheet,
         QRectF(QPointF(-100, -100), QPointF(210 * px * 4761 / 4961 - 100, 297 * px * 6817 / 7017 - 100))},
        {"a printer of unknown resolution plays every page as recorded", sheet300, unknownResolution,
         QRectF(QPointF(171, 177), QPointF(2124, 3116))},
    };
}

TEST(PageViewPlacement, EachPageLandsAtItsPlace)
{
    for (const Case& c : cases()) {
        const QRectF r = kv::pageViewPlayRect(c.page, c.printer);
        EXPECT_NEAR(r.left(), c.expected.left(), 0.5) << c.what;
        EXPECT_NEAR(r.top(), c.expected.top(), 0.5) << c.what;
        EXPECT_NEAR(r.right(), c.expected.right(), 0.5) << c.what;
        EXPECT_NEAR(r.bottom(), c.expected.bottom(), 0.5) << c.what;
    }
}

TEST(PageViewPlacement, OurOwnPageIsUntouchedWhateverTheOffsets)
{
    // The rule for recorded pages subtracts whole offsets, as it always did.
    kv::PageViewPrinter printer = pdfPrinter();
    printer.xOffset = 50.7;
    printer.yOffset = 0;
    const QRectF r = kv::pageViewPlayRect(ownPage(), printer);
    EXPECT_EQ(r, QRectF(QPointF(300, 400), QPointF(1500 - 101, 1300)));
}

} // namespace
