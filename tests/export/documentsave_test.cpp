// All chosen pages in one file: a PDF drawn by the engine (page sizes, text, pixels against our
// own raster export, pen widths, PDF/A) and a multi-page TIFF (one directory per page with the
// compression asked for); the one file's name, its archive, an existing target and failures.
#include "exporttestenv.h"
#include "common/imagereaders.h"
#include "common/pdftools.h"

#include "export/exportformats.h"
#include "export/imageexport.h"
#include "export/imagesave.h"
#include "gdi/player.h"
#include "gdi/render.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <zip.h>

namespace kvtest {
namespace {

const QString kPdf = QStringLiteral("PDF - Portable Document Format");
const QString kTiffPages = QStringLiteral("TIFF - multi-page (one file)");
const QString kTitle = QStringLiteral("Quarterly Report");

class DocumentSaveTest : public ExportTest {
protected:
    kv::SaveReport save(const QStringList& pages, const QString& name, const QString& format, int option,
                        bool overwrite = true, bool zip = false)
    {
        kv::SaveRequest request;
        request.pages = pages;
        request.outputName = name + QStringLiteral("   ");  // the dialog pads it
        request.format = format;
        request.optionIndex = option;
        request.overwrite = overwrite;
        request.zip = zip;
        request.device = device.get();
        request.document = kTitle;
        return kv::saveImages(request);
    }

    // The page's frame in points, as a PDF page of it measures.
    static QSizeF framePoints(const QString& pageFile)
    {
        const kv::HENHMETAFILE page = kv::GETENHMETAFILE(pageFile);
        const QRectF frame = kv::gdi::pictureFrame(kv::pictureOf(page)->header);
        kv::DELETEENHMETAFILE(page);
        return {frame.width() / 2540 * 72, frame.height() / 2540 * 72};
    }
};

// A width operator of zero ("0 w", "0.0 w") in a content stream.
bool hasZeroWidth(const QByteArray& stream)
{
    static const QRegularExpression zero(QStringLiteral("(^|[^0-9.])0(\\.0+)? w\\b"));
    return zero.match(QString::fromLatin1(stream)).hasMatch();
}

int widthOperators(const QByteArray& stream)
{
    static const QRegularExpression width(QStringLiteral("[0-9.] w\\b"));
    int count = 0;
    for (auto it = width.globalMatch(QString::fromLatin1(stream)); it.hasNext(); it.next())
        ++count;
    return count;
}

TEST(PdfPenWidths, TheZeroWidthCheckTellsZeroFromOtherWidths)
{
    EXPECT_TRUE(hasZeroWidth("q 0 w 1 0 0 RG"));
    EXPECT_TRUE(hasZeroWidth("0.0 w"));
    EXPECT_FALSE(hasZeroWidth("q 10 w 2.5 w 0.5 w"));
    EXPECT_EQ(widthOperators("q 10 w 2.5 w S"), 2);
}

TEST_F(DocumentSaveTest, SpoolPagesBecomeOnePdfWithTheirSizesTextAndPixels)
{
    const QStringList spool = spoolPages();
    if (spool.isEmpty())
        GTEST_SKIP() << "no shared corpus (../shared/corpus): spool pages not saved as PDF";
    const QString corpus = *corpusDir();
    if (!QFileInfo(similarityTool(corpus)).isFile())
        GTEST_SKIP() << "no corpus scorer (../shared/tools/similarity.py)";
    // Two upright pages and a turned one.
    QStringList pages;
    for (const char* name : {"spool-EMFSpool_0001.emf", "spool-EMFSpool_0006.emf", "spool-EMFSpool_0012.emf"})
        pages << corpus + QStringLiteral("/emf/") + QLatin1String(name);
    const kv::SaveReport report = save(pages, out("report.pdf"), kPdf, 1);
    EXPECT_TRUE(messages.messages.empty()) << shown().join('\n').toStdString();
    EXPECT_EQ(report.outcome, kv::SaveOutcome::Done);
    EXPECT_EQ(report.written, 1);
    const QString pdf = out("report.pdf");
    EXPECT_EQ(report.outputFiles, QStringList{pdf});
    EXPECT_EQ(allEntries(outDir.path()), QStringList{"report.pdf"}) << "one file, named without a page number";
    ASSERT_EQ(pdfPageCount(pdf), 3);
    EXPECT_TRUE(pdfInfo(pdf).contains(QRegularExpression(QStringLiteral("^Title:\\s+Quarterly Report$"),
                                                          QRegularExpression::MultilineOption)));

    QTemporaryDir scratch;
    for (int i = 0; i < 3; ++i) {
        const QSizeF expected = framePoints(pages[i]);
        const QSizeF size = pdfPageSizePoints(pdf, i + 1);
        EXPECT_NEAR(size.width(), expected.width(), 1.0) << "page " << i + 1;
        EXPECT_NEAR(size.height(), expected.height(), 1.0) << "page " << i + 1;
        EXPECT_GE(pdfText(pdf, i + 1).simplified().size(), 40) << "page " << i + 1 << " has its text as text";

        const kv::HENHMETAFILE page = kv::GETENHMETAFILE(pages[i]);
        const QString raster = scratch.filePath(QStringLiteral("ours%1.png").arg(i + 1));
        ASSERT_EQ(kv::exportImage(page, raster, kv::kFormatPng, 0, 0, 150), 0);
        kv::DELETEENHMETAFILE(page);
        const QImage drawn = renderPdfPage(pdf, i + 1, 150, scratch.path());
        ASSERT_FALSE(drawn.isNull()) << "pdftoppm could not draw page " << i + 1;
        const QString drawnFile = scratch.filePath(QStringLiteral("pdf%1.png").arg(i + 1));
        ASSERT_TRUE(drawn.save(drawnFile));
        EXPECT_NEAR(drawn.width(), QImage(raster).width(), 2) << "page " << i + 1;
        const double score = similarity(similarityTool(corpus), raster, drawnFile);
        std::printf("%.4f PDF page %d (%s) against our raster export\n", score, i + 1, qPrintable(QFileInfo(pages[i]).fileName()));
        EXPECT_GE(score, 0.97) << "page " << i + 1;
    }

    int widths = 0;
    for (const QByteArray& stream : pdfStreams(pdf)) {
        EXPECT_FALSE(hasZeroWidth(stream)) << "a pen of width 0 in the PDF";
        widths += widthOperators(stream);
    }
    EXPECT_GT(widths, 0) << "the pages stroke lines, so the PDF sets pen widths";
}

TEST_F(DocumentSaveTest, OurOwnPagesLieOnThePrintersSheetWithTheirText)
{
    const QStringList pages = makePages(2);
    const QString pdf = out("own.pdf");
    save(pages, pdf, kPdf, 1);
    EXPECT_TRUE(messages.messages.empty()) << shown().join('\n').toStdString();
    ASSERT_EQ(pdfPageCount(pdf), 2);
    const std::array<int, 2> sheet = device->GetPhysPageSize();
    for (int page = 1; page <= 2; ++page) {
        const QSizeF size = pdfPageSizePoints(pdf, page);
        EXPECT_NEAR(size.width(), sheet[0] * 72.0 / device->nLogPixelX(), 1.0);
        EXPECT_NEAR(size.height(), sheet[1] * 72.0 / device->nLogPixelY(), 1.0);
        EXPECT_TRUE(pdfText(pdf, page).contains(QStringLiteral("Quarterly figures, page %1").arg(page)))
            << pdfText(pdf, page).toStdString();
    }
    // The box our pages draw: its ink, 300 pixels from the printable corner, on the sheet.
    QTemporaryDir scratch;
    const QImage drawn = renderPdfPage(pdf, 1, 100, scratch.path());
    const std::array<int, 2> offset = device->GetPrintingOffset();
    const double scale = 100.0 / device->nLogPixelX();
    const int x = int(std::lround((offset[0] + 300) * scale)), y = int(std::lround((offset[1] + 2000) * scale));
    int darkest = 255;
    for (int dx = -2; dx <= 2; ++dx)
        darkest = std::min(darkest, qGray(drawn.pixel(x + dx, y)));
    EXPECT_LT(darkest, 128) << "the frame's left edge at its place";
    EXPECT_GT(qGray(drawn.pixel(x + 20, y)), 200);
}

TEST_F(DocumentSaveTest, TheArchiveOptionWritesPdfA)
{
    const QStringList pages = makePages(1);
    save(pages, out("standard.pdf"), kPdf, 1);
    save(pages, out("archive.pdf"), kPdf, 2);
    EXPECT_TRUE(messages.messages.empty()) << shown().join('\n').toStdString();
    const auto identifies = [](const QString& pdf) {
        for (const QByteArray& stream : pdfStreams(pdf))
            if (QString::fromLatin1(stream).contains(QRegularExpression(QStringLiteral("pdfaid:part[>=\"' ]+1")))
                && QString::fromLatin1(stream).contains(QRegularExpression(QStringLiteral("pdfaid:conformance[>=\"' ]+B"))))
                return true;
        return false;
    };
    EXPECT_TRUE(identifies(out("archive.pdf"))) << "PDF/A-1b identification in the metadata";
    EXPECT_FALSE(identifies(out("standard.pdf")));
    EXPECT_EQ(pdfPageCount(out("archive.pdf")), 1);
}

TEST_F(DocumentSaveTest, MultiPageTiffHasADirectoryPerPageWithTheCompressionAsked)
{
    const QStringList pages = makePages(3);
    std::vector<QImage> expected;
    for (const QString& page : pages) {
        const kv::HENHMETAFILE recorded = recordedPage(page);
        expected.push_back(kv::gdi::renderPictureDpi(*kv::pictureOf(recorded), 150));
        kv::DELETEENHMETAFILE(recorded);
    }
    struct Case {
        int option;
        int compression;
        int bits;
    };
    for (const Case& c : {Case{1, 1, 8}, Case{2, 5, 8}, Case{3, 32773, 8}, Case{4, 4, 1}}) {
        const QString file = out(QStringLiteral("pages%1.tif").arg(c.option));
        const kv::SaveReport report = save(pages, file, kTiffPages, c.option);
        EXPECT_EQ(report.outputFiles, QStringList{file}) << shown().join(QLatin1Char(10)).toStdString();
        const std::vector<TiffFacts> read = readTiffPages(file);
        ASSERT_EQ(read.size(), 3u) << "option " << c.option;
        for (size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].compression, c.compression) << "option " << c.option << " page " << i + 1;
            EXPECT_EQ(read[i].bitsPerSample, c.bits);
            EXPECT_FLOAT_EQ(read[i].resolutionX, 150);
            if (c.bits == 8) {
                EXPECT_TRUE(sameRgb(read[i].pixels, expected[i])) << "option " << c.option << " page " << i + 1;
            } else {
                EXPECT_EQ(read[i].pixels.size(), expected[i].size());
                EXPECT_GT(darkCovered(expected[i], read[i].pixels), 0.95) << "page " << i + 1;
                EXPECT_GT(darkCovered(read[i].pixels, expected[i]), 0.95) << "page " << i + 1;
            }
        }
    }
    EXPECT_TRUE(messages.messages.empty()) << shown().join('\n').toStdString();
    EXPECT_EQ(allEntries(outDir.path()).size(), 4);
}

TEST_F(DocumentSaveTest, TheArchivePacksTheOneFile)
{
    const QStringList pages = makePages(3);
    const kv::SaveReport report = save(pages, out("report.pdf"), kPdf, 1, true, true);
    EXPECT_TRUE(messages.messages.empty()) << shown().join('\n').toStdString();
    EXPECT_EQ(report.archive, out("REPORT.ZIP"));
    EXPECT_EQ(allEntries(outDir.path()), QStringList{"REPORT.ZIP"}) << "the PDF is packed and removed";
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(out("REPORT.ZIP")).constData(), ZIP_RDONLY, &error);
    ASSERT_TRUE(za);
    ASSERT_EQ(zip_get_num_entries(za, 0), 1);
    EXPECT_STREQ(zip_get_name(za, 0, 0), "report.pdf");
    zip_close(za);
}

TEST_F(DocumentSaveTest, AnExistingTargetStopsBeforeAnythingIsWritten)
{
    const QStringList pages = makePages(2);
    for (const QString& format : {kPdf, kTiffPages}) {
        messages.messages.clear();
        const QString file = out("kept.file");
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("older work");
        old.close();
        const kv::SaveReport report = save(pages, file, format, 1, false, true);
        EXPECT_EQ(report.outcome, kv::SaveOutcome::StoppedAtExisting) << format.toStdString();
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, (file + " exists.").toStdString());
        QFile again(file);
        ASSERT_TRUE(again.open(QIODevice::ReadOnly));
        EXPECT_EQ(again.readAll(), "older work");
        EXPECT_EQ(allEntries(outDir.path()), QStringList{"kept.file"});
        QFile::remove(file);
    }
}

TEST_F(DocumentSaveTest, AFailedDocumentSaysWhyAndLeavesNothing)
{
    const QStringList pages = makePages(2);
    const QString missing = out("no/such/folder/report.pdf");
    for (const QString& format : {kPdf, kTiffPages}) {
        messages.messages.clear();
        const kv::SaveReport report = save(pages, missing, format, 1);
        EXPECT_EQ(report.written, 0);
        EXPECT_TRUE(report.outputFiles.isEmpty());
        ASSERT_EQ(messages.messages.size(), 1u) << format.toStdString();
        EXPECT_TRUE(QString::fromStdString(messages.messages[0].text).startsWith("Error while saving file.\n" + missing + ": "));
    }
    // A page file that cannot be read still takes its page: the others keep their numbers.
    QStringList withBroken = pages;
    withBroken.insert(1, pageDir.filePath(QStringLiteral("E0010009.emf")));
    QFile broken(withBroken[1]);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a metafile");
    broken.close();
    messages.messages.clear();
    save(withBroken, out("three.pdf"), kPdf, 1);
    EXPECT_EQ(pdfPageCount(out("three.pdf")), 3);
    EXPECT_TRUE(pdfText(out("three.pdf"), 3).contains(QStringLiteral("page 2")));
    EXPECT_EQ(allEntries(outDir.path()), QStringList{"three.pdf"});
}

} // namespace
} // namespace kvtest
