// Direct printing on the built-in printer: one PDF per job with the pages drawn, placed from
// the printable corner, named after the document and never over an earlier file.
#include "printtestenv.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

namespace {

using kvtest::PrintTest;

// Page 1 of a PDF rendered at `dpi`; null when pdftoppm cannot do it.
QImage renderFirstPage(const QString& pdf, int dpi)
{
    QTemporaryDir dir;
    QProcess process;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    process.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                                               QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                               QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, prefix});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return QImage(prefix + QStringLiteral(".png"));
}

bool isDark(QRgb c) { return qGray(c) < 96; }

void printPages(kv::TPrinter& device, int pages)
{
    for (int page = 1; page <= pages; ++page) {
        device.StartPage();
        device.Say(300, 300, QStringLiteral("Page %1").arg(page));
        device.FillRect({1000, 1000, 2000, 2000}, kv::gdi::makeObject(kv::gdi::Brush{kv::gdi::BS_SOLID, 0, 0, {}, false}));
        device.EndPage();
    }
}

TEST_F(PrintTest, DirectJobWritesOnePdfWithEveryPage)
{
    kv::TPrinter device(QStringLiteral("Direct Report"));
    ASSERT_NE(device.hDC, 0u);
    printPages(device, 3);
    EXPECT_TRUE(device.lStarted);
    EXPECT_EQ(device.nPage, 3);
    device.End();
    EXPECT_FALSE(device.lStarted);
    EXPECT_TRUE(messages.empty());
    const QString pdf = QDir(pdfDir()).filePath(QStringLiteral("Direct Report.pdf"));
    ASSERT_TRUE(QFileInfo::exists(pdf));
    EXPECT_EQ(kvtest::pdfPageCount(pdf), 3);
    const QSizeF points = kvtest::pdfPageSizePoints(pdf);
    const QSizeF a4 = QPageSize(QPageSize::A4).sizePoints();
    EXPECT_NEAR(points.width(), a4.width(), 1);
    EXPECT_NEAR(points.height(), a4.height(), 1);
}

TEST_F(PrintTest, DrawingStartsAtThePrintableCorner)
{
    kv::TPrinter device(QStringLiteral("Corner"));
    ASSERT_NE(device.hDC, 0u);
    printPages(device, 1);
    const int offset = device.nXOffset;
    device.End();
    // Rendered at a tenth of the printer's resolution: the filled square covers printer pixels
    // 1000..2000 of the printable area, so 1000 + offset .. 2000 + offset of the sheet.
    const QImage page = renderFirstPage(QDir(pdfDir()).filePath(QStringLiteral("Corner.pdf")), 60);
    ASSERT_FALSE(page.isNull()) << "pdftoppm could not render the job";
    const int inside0 = (1000 + offset) / 10 + 2, inside1 = (2000 + offset) / 10 - 2;
    const int outside0 = (1000 + offset) / 10 - 3, outside1 = (2000 + offset) / 10 + 3;
    EXPECT_TRUE(isDark(page.pixel(inside0, inside0)));
    EXPECT_TRUE(isDark(page.pixel(inside1, inside1)));
    EXPECT_FALSE(isDark(page.pixel(outside0, inside0)));
    EXPECT_FALSE(isDark(page.pixel(inside0, outside0)));
    EXPECT_FALSE(isDark(page.pixel(outside1, inside1)));
    EXPECT_FALSE(isDark(page.pixel(inside1, outside1)));
}

TEST_F(PrintTest, ASecondJobOfTheSameDocumentGetsANewFile)
{
    for (int job = 1; job <= 3; ++job) {
        kv::TPrinter device(QStringLiteral("Weekly: sales/north"));
        printPages(device, job);
        device.End();
    }
    const QDir dir(pdfDir());
    EXPECT_EQ(kvtest::pdfPageCount(dir.filePath(QStringLiteral("Weekly_ sales_north.pdf"))), 1);
    EXPECT_EQ(kvtest::pdfPageCount(dir.filePath(QStringLiteral("Weekly_ sales_north (2).pdf"))), 2);
    EXPECT_EQ(kvtest::pdfPageCount(dir.filePath(QStringLiteral("Weekly_ sales_north (3).pdf"))), 3);
    EXPECT_EQ(dir.entryList(QDir::Files).size(), 3);
}

TEST_F(PrintTest, RebuildEndsTheJobAndTheNextPageStartsAnother)
{
    kv::TPrinter device(QStringLiteral("Two jobs"));
    printPages(device, 2);
    device.SetLandscape();  // remakes the context: the first job is finished
    EXPECT_FALSE(device.lStarted);
    printPages(device, 1);
    device.End();
    const QDir dir(pdfDir());
    EXPECT_EQ(kvtest::pdfPageCount(dir.filePath(QStringLiteral("Two jobs.pdf"))), 2);
    const QString second = dir.filePath(QStringLiteral("Two jobs (2).pdf"));
    EXPECT_EQ(kvtest::pdfPageCount(second), 1);
    const QSizeF points = kvtest::pdfPageSizePoints(second);
    EXPECT_GT(points.width(), points.height());
}

TEST_F(PrintTest, AnUnwritableOutputFolderIsReportedOnce)
{
    QFile blocker(QDir(pdfDir()).filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("KV_PDF_DIR", blocker.fileName().toUtf8() + "/sub");
    kv::TPrinter device(QStringLiteral("Nowhere"));
    ASSERT_NE(device.hDC, 0u);
    printPages(device, 2);
    device.End();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, kv::BoxKind::Alert);
    EXPECT_NE(messages[0].text.find("Nowhere"), std::string::npos);
}

TEST_F(PrintTest, TextMetricsAndTheCharacterGrid)
{
    kv::TPrinter device(QStringLiteral("Grid"));
    ASSERT_NE(device.hDC, 0u);
    EXPECT_FALSE(device.oFont);
    const double width = device.GetTextWidth(QStringLiteral("BBBB"));
    ASSERT_TRUE(device.oFont);
    EXPECT_EQ(device.oFont->face, QStringLiteral("COURIER"));
    const double height = device.GetTextHeight(QStringLiteral("B"));
    // 12 points at 600 dpi: 100 pixels of character height, a cell a little taller.
    EXPECT_GE(height, 100);
    EXPECT_LT(height, 140);
    EXPECT_NEAR(width, 4 * device.GetTextWidth(QStringLiteral("B")), 1);
    EXPECT_EQ(device.CharWidth(), int(device.nHorzRes() / device.GetTextWidth(QStringLiteral("B"))));
    EXPECT_EQ(device.CharHeight(), int(device.nVertRes() / height));
    kv::PrinterFont big{QStringLiteral("Arial"), 24, 700};
    EXPECT_GT(device.GetTextHeight(QStringLiteral("B"), big), 1.8 * height);
    EXPECT_EQ(*device.oFont, big);
    device.End();
    EXPECT_FALSE(device.oFont);
}

} // namespace

namespace {

using kvtest::PrintTest;

TEST_F(PrintTest, ResetDcTurnsTheFollowingPagesOfTheSameJob)
{
    kv::TPrinter device(QStringLiteral("Mixed"));
    ASSERT_NE(device.hDC, 0u);
    printPages(device, 1);
    kv::sharedPrinterState().orientation = kv::kLandscape;
    device.ResetDC();
    EXPECT_TRUE(device.lStarted);  // still the same job
    EXPECT_GT(device.nHorzRes(), device.nVertRes());
    printPages(device, 1);
    device.End();
    const QString pdf = QDir(pdfDir()).filePath(QStringLiteral("Mixed.pdf"));
    ASSERT_EQ(kvtest::pdfPageCount(pdf), 2);
    const QSizeF first = kvtest::pdfPageSizePoints(pdf, 1), second = kvtest::pdfPageSizePoints(pdf, 2);
    ASSERT_FALSE(first.isEmpty());
    EXPECT_LT(first.width(), first.height());
    EXPECT_GT(second.width(), second.height());
}

TEST_F(PrintTest, LongDocumentNamesAreCutForTheJobButNotForTheFile)
{
    const QString document = QStringLiteral("Quarterly figures of every branch office, all regions");
    kv::TPrinter device(document);
    printPages(device, 1);
    device.End();
    const QString pdf = QDir(pdfDir()).filePath(document + QStringLiteral(".pdf"));
    ASSERT_TRUE(QFileInfo::exists(pdf));
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString info = QString::fromUtf8(process.readAllStandardOutput());
    const auto title = QRegularExpression(QStringLiteral("^Title:\\s+(.*)$"), QRegularExpression::MultilineOption).match(info);
    ASSERT_TRUE(title.hasMatch()) << info.toStdString();
    EXPECT_EQ(title.captured(1), document.left(31));
}

} // namespace
