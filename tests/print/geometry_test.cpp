// The built-in printer's device context: resolution, paper, printing offsets, orientation
// through the shared state, and what a device without a context answers.
#include "printtestenv.h"

#include "print/printercontext.h"

#include <QPageSize>
#include <cmath>

namespace {

using kvtest::PrintTest;

int pixels(double points, int dpi) { return int(points * dpi / 72.0); }

TEST_F(PrintTest, BuiltInPrinterHasSixHundredDpiA4AndSmallMargins)
{
    kv::TPrinter device(QStringLiteral("Geometry"), false, false, kv::kPdfFilePrinter);
    ASSERT_NE(device.hDC, 0u);
    EXPECT_EQ(device.hDCOut, device.hDC);
    EXPECT_EQ(device.nLogPixelX(), 600);
    EXPECT_EQ(device.nLogPixelY(), 600);

    const QSizeF a4 = QPageSize(QPageSize::A4).sizePoints();
    const auto phys = device.GetPhysPageSize();
    EXPECT_NEAR(phys[0], pixels(a4.width(), 600), 1);
    EXPECT_NEAR(phys[1], pixels(a4.height(), 600), 1);

    const auto offset = device.GetPrintingOffset();
    EXPECT_GT(offset[0], 0);
    EXPECT_GT(offset[1], 0);
    EXPECT_EQ(device.nXOffset, offset[0]);
    EXPECT_EQ(device.nYOffset, offset[1]);
    // Printable area: the physical page less the margins on both sides.
    EXPECT_EQ(device.nHorzRes(), phys[0] - 2 * offset[0]);
    EXPECT_EQ(device.nVertRes(), phys[1] - 2 * offset[1]);
    EXPECT_EQ(device.nHorzSize(), std::lround(device.nHorzRes() * 25.4 / 600));
    EXPECT_EQ(device.nVertSize(), std::lround(device.nVertRes() * 25.4 / 600));
    EXPECT_LT(device.nHorzSize(), 210);
    EXPECT_GT(device.nHorzSize(), 200);

    const auto physMm = device.GetPhySize();
    EXPECT_NEAR(physMm[0], 210, 0.5);
    EXPECT_NEAR(physMm[1], 297, 0.5);
    EXPECT_EQ(device.cModel, QStringLiteral("PDF File,Orvanta PDF,") + pdfDir());
    EXPECT_EQ(device.GetDriver(), QStringLiteral("Orvanta PDF"));
    EXPECT_EQ(device.GetPort(), pdfDir());
    EXPECT_EQ(device.cDocument, QStringLiteral("Geometry"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(PrintTest, NewWithoutArgumentsUsesTheDefaultPrinterAndTheDefaultDocument)
{
    kv::TPrinter device;
    ASSERT_NE(device.hDC, 0u);
    EXPECT_EQ(device.GetModel(), kv::kPdfFilePrinter);
    EXPECT_EQ(device.cDocument, kv::kDefaultDocument);
    EXPECT_EQ(device.nPage, 0);
    EXPECT_EQ(device.nPad, 0);
    EXPECT_FALSE(device.lStarted);
    EXPECT_FALSE(device.lModified);
    EXPECT_EQ(device.nOrient, kv::kPortrait);
}

TEST_F(PrintTest, LandscapeTurnsThePageAndEndRestoresTheOrientation)
{
    kv::TPrinter device(QStringLiteral("Turn"));
    ASSERT_NE(device.hDC, 0u);
    const int portraitWidth = device.nHorzRes();
    const int portraitHeight = device.nVertRes();
    ASSERT_LT(device.nHorzSize(), device.nVertSize());

    device.SetLandscape();
    ASSERT_NE(device.hDC, 0u);
    EXPECT_TRUE(device.lModified);
    EXPECT_EQ(device.GetOrientation(), kv::kLandscape);
    EXPECT_GE(device.nHorzSize(), device.nVertSize());
    EXPECT_EQ(device.nHorzRes(), portraitHeight);
    EXPECT_EQ(device.nVertRes(), portraitWidth);
    EXPECT_EQ(device.GetPhysPageSize()[0], device.nHorzRes() + 2 * device.nXOffset);

    device.SetPortrait();
    EXPECT_EQ(device.nHorzRes(), portraitWidth);
    device.SetLandscape();
    device.End();
    EXPECT_EQ(device.hDC, 0u);
    EXPECT_EQ(kv::sharedPrinterState().orientation, kv::kPortrait);

    // A device made in landscape gets landscape back.
    kv::sharedPrinterState().orientation = kv::kLandscape;
    kv::TPrinter second(QStringLiteral("Turned"));
    EXPECT_EQ(second.nOrient, kv::kLandscape);
    second.SetPortrait();
    second.End();
    EXPECT_EQ(kv::sharedPrinterState().orientation, kv::kLandscape);
}

TEST_F(PrintTest, PaperSizeCodesAndUserSizes)
{
    kv::TPrinter device(QStringLiteral("Paper"));
    ASSERT_NE(device.hDC, 0u);
    device.SetPage(kv::DMPAPER_LETTER);
    const QSizeF letter = QPageSize(QPageSize::Letter).sizePoints();
    EXPECT_NEAR(device.GetPhysPageSize()[0], pixels(letter.width(), 600), 1);
    EXPECT_NEAR(device.GetPhysPageSize()[1], pixels(letter.height(), 600), 1);
    EXPECT_EQ(kv::sharedPrinterState().paperSize, kv::DMPAPER_LETTER);

    device.SetSize(1000, 1500);  // 100 x 150 mm
    EXPECT_EQ(kv::sharedPrinterState().paperSize, kv::DMPAPER_USER);
    EXPECT_NEAR(device.GetPhySize()[0], 100, 0.5);
    EXPECT_NEAR(device.GetPhySize()[1], 150, 0.5);

    device.SetCopies(3);
    EXPECT_EQ(kv::sharedPrinterState().copies, 3);
    device.SetBin(7);
    EXPECT_EQ(kv::sharedPrinterState().defaultSource, 7);
    device.DraftMode(true);
    EXPECT_EQ(kv::sharedPrinterState().printQuality, kv::DMRES_DRAFT);
    device.DraftMode(false);
    EXPECT_EQ(kv::sharedPrinterState().printQuality, kv::DMRES_HIGH);
    EXPECT_NE(device.hDC, 0u);
}

TEST_F(PrintTest, SetupEditsTheSharedStateThroughItsHook)
{
    kv::TPrinter device(QStringLiteral("Setup"));
    ASSERT_NE(device.hDC, 0u);
    kv::setPageSetupHook([](kv::PrinterState& state) {
        state.orientation = kv::kLandscape;
        state.setPaper(QPageSize(QPageSize::A5));
        return true;
    });
    device.Setup();
    EXPECT_EQ(device.GetOrientation(), kv::kLandscape);
    const QSizeF a5 = QPageSize(QPageSize::A5).sizePoints();
    EXPECT_NEAR(device.GetPhysPageSize()[0], pixels(a5.height(), 600), 1);

    kv::setPageSetupHook([](kv::PrinterState& state) {
        state.orientation = kv::kPortrait;
        return false;  // cancelled: nothing taken
    });
    device.Setup();
    EXPECT_EQ(device.GetOrientation(), kv::kLandscape);
}

TEST_F(PrintTest, CancelledChoiceGivesNoContextSilently)
{
    chooserAnswer.reset();
    kv::TPrinter device(QStringLiteral("Cancelled"), true);
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_EQ(device.hDC, 0u);
    EXPECT_EQ(device.hDCOut, 0u);
    EXPECT_EQ(device.nXOffset, 0);
    EXPECT_EQ(device.nYOffset, 0);
    EXPECT_FALSE(device.nOrient);
    EXPECT_FALSE(device.cModel);
    EXPECT_TRUE(messages.empty());
    // Every query is 0 and every drawing or page method does nothing.
    for (int v : {device.nHorzRes(), device.nVertRes(), device.nHorzSize(), device.nVertSize(),
                  device.nLogPixelX(), device.nLogPixelY(), device.GetPhysPageSize()[0],
                  device.GetPrintingOffset()[1], device.CharWidth(), device.CharHeight()})
        EXPECT_EQ(v, 0);
    double row = 1, col = 1;
    EXPECT_EQ(device.Cmtr2Pix(row, col)[0], 0);
    device.StartPage();
    device.Say(10, 10, QStringLiteral("nothing"));
    device.Line(0, 0, 10, 10);
    device.EndPage();
    EXPECT_EQ(device.nPage, 0);
    EXPECT_EQ(device.GetTextWidth(QStringLiteral("abc")), 0);
    device.End();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(QDir(pdfDir()).isEmpty());
}

TEST_F(PrintTest, ChosenPrinterTakesTheDialogsCopiesAndOrientation)
{
    chooserAnswer = kv::PrinterChoice{kv::kPdfFilePrinter, 2, kv::kLandscape};
    kv::TPrinter device(QStringLiteral("Chosen"), true);
    ASSERT_NE(device.hDC, 0u);
    EXPECT_EQ(kv::sharedPrinterState().copies, 2);
    EXPECT_EQ(device.nOrient, kv::kLandscape);
    EXPECT_GT(device.nHorzRes(), device.nVertRes());
}

TEST_F(PrintTest, APrinterThatIsNotThereGivesNoContextAndSaysSo)
{
    kv::TPrinter device(QStringLiteral("Gone"), false, false, QStringLiteral("No-Such-Queue-7f3a,drv,port"));
    EXPECT_EQ(device.hDC, 0u);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, kv::BoxKind::Stop);
    EXPECT_NE(messages[0].text.find("No-Such-Queue-7f3a"), std::string::npos);
}

TEST_F(PrintTest, PrinterDcReportsTheSameGeometry)
{
    kv::TPrinter device(QStringLiteral("Caps"));
    ASSERT_NE(device.hDC, 0u);
    const kv::gdi::DeviceCaps caps = kv::capsOf(device.hDC);
    EXPECT_EQ(caps.horzRes, device.nHorzRes());
    EXPECT_EQ(caps.vertSizeMm, device.nVertSize());
    EXPECT_EQ(caps.offsetX, device.nXOffset);
    EXPECT_EQ(caps.physicalHeight, device.GetPhysPageSize()[1]);
    device.End();
    EXPECT_EQ(kv::dcFromHandle(device.hDC), nullptr);
}

} // namespace
