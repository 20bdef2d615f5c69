// The eight Windows spool pages of the corpus printed from the preview window to "PDF File",
// the upright pages in an upright report and the turned ones in a turned report: every printed
// page, cropped to its frame's place on the sheet, looks like the GDI reference rendering.
#include "previewtestenv.h"
#include "common/pdftools.h"

#include "gdi/player.h"
#include "gdi/readers.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>

namespace kvtest {
namespace {

// One set of reference renderings and the score every printed page must reach against it.
struct ReferenceSet {
    const char* folder;
    double minimum;
};

// At 1000 pixels small text is a few pixels high: poppler draws it unhinted and softer than
// GDI draws it, which costs a few hundredths of the score on text-heavy pages without any
// fault of the page (kvconvert's hinted text does not pay it). A misplaced or misscaled page
// scores far below the mark. The 2480-pixel renderings (A4 at 300 dpi) show printed detail,
// where the pages must reach 0.9; scoring at that width takes half a minute, so it runs when
// $KV_PRINT_DETAIL is set (scripts/print-score).
std::vector<ReferenceSet> referenceSets()
{
    std::vector<ReferenceSet> sets{{"reference", 0.85}};
    if (!qEnvironmentVariableIsEmpty("KV_PRINT_DETAIL"))
        sets.push_back({"reference-2480", 0.9});
    return sets;
}

class SpoolPrintTest : public PreviewTest {
protected:
    // Prints `pages` (spool page names) as one report and scores every printed page.
    void printAndScore(const QString& corpus, const QStringList& pages, bool landscape)
    {
        QStringList sources;
        for (const QString& name : pages)
            sources << corpus + QStringLiteral("/emf/") + name;
        openFiles(sources, landscape);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(preview->PrintPrv(nullptr, 1, 1, int(pages.size()), 1));
        const QString pdfFile = QDir(pdf.path()).filePath(QStringLiteral("Quarterly Report.pdf"));
        ASSERT_EQ(pdfPageCount(pdfFile), pages.size());
        QTemporaryDir scratch;
        for (int i = 0; i < pages.size(); ++i) {
            const kv::gdi::PicturePtr page = kv::gdi::readMetafileFile(sources[i], {}, kv::gdi::WmfSurface::PictureSize);
            ASSERT_TRUE(page);
            const QRectF frame = kv::gdi::pictureFrame(page->header);  // 0.01 mm
            for (const ReferenceSet& set : referenceSets()) {
                const QString reference = corpus + QLatin1Char('/') + QLatin1String(set.folder) + QStringLiteral("/emf__")
                    + pages[i] + QStringLiteral(".png");
                const QImage ref(reference);
                ASSERT_FALSE(ref.isNull()) << reference.toStdString();
                // The reference shows the frame across its width; the frame sits at its place on
                // the sheet.
                const double dpi = ref.width() / (frame.width() / 2540);
                const QImage sheet = renderPdfPage(pdfFile, i + 1, dpi, scratch.path());
                ASSERT_FALSE(sheet.isNull()) << "pdftoppm could not draw page " << i + 1;
                const QPoint corner(int(std::lround(frame.left() / 2540 * dpi)), int(std::lround(frame.top() / 2540 * dpi)));
                const QString ours = scratch.filePath(QStringLiteral("ours.png"));
                ASSERT_TRUE(sheet.copy(QRect(corner, ref.size())).save(ours));
                const double score = similarity(similarityTool(corpus), reference, ours);
                std::printf("%.4f %s against %s\n", score, qPrintable(pages[i]), set.folder);
                EXPECT_GE(score, set.minimum) << pages[i].toStdString() << " against " << set.folder
                                              << (landscape ? " in a turned report" : "");
            }
        }
    }
};

std::optional<QString> scoringCorpus()
{
    const auto corpus = corpusDir();
    if (!corpus || !QFileInfo(similarityTool(*corpus)).isFile())
        return std::nullopt;
    return corpus;
}

TEST_F(SpoolPrintTest, UprightSpoolPagesPrintLikeTheirReference)
{
    const auto corpus = scoringCorpus();
    if (!corpus)
        GTEST_SKIP() << "no shared corpus with its scorer (../shared): spool pages not printed";
    printAndScore(*corpus, {"spool-EMFSpool_0000.emf", "spool-EMFSpool_0001.emf", "spool-EMFSpool_0004.emf",
                            "spool-EMFSpool_0006.emf", "spool-EMFSpool_0014.emf"}, false);
}

TEST_F(SpoolPrintTest, TurnedSpoolPagesPrintLikeTheirReference)
{
    const auto corpus = scoringCorpus();
    if (!corpus)
        GTEST_SKIP() << "no shared corpus with its scorer (../shared): spool pages not printed";
    printAndScore(*corpus, {"spool-EMFSpool_0012.emf", "spool-EMFSpool_0017.emf", "spool-EMFSpool_0020.emf"}, true);
}

} // namespace
} // namespace kvtest
