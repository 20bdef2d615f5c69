// EMF+ playback on the real pages of the corpus: every EMF+ page is read without a fault and
// drawn through its EMF+ records, every dual page drawn so agrees with the GDI drawing it
// carries, and the EMF+-only page, blank on the GDI road, shows its drawing.
#include "similarity.h"
#include "testenv.h"

#include "gdi/emfplus/emfplusplayer.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/render.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const char* const kEmfPlusPages[] = {
    "ea-EA-test-file-020.emf", "ea-EA-test-file-101.emf", "emf2svg-test-000.emf", "emf2svg-test-068.emf",
    "emf2svg-test-109.emf", "emf2svg-test-118.emf", "emf2svg-test-150.emf", "emf2svg-test-185.emf",
    "lo-TestDrawString.emf", "lo-image15.emf", "poi-SimpleEMF_windows.emf", "poi-nested_wmf.emf",
    "uemf-test_libuemf_p_ref.emf",
};

kv::gdi::PicturePtr readPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = file.readAll();
    return kv::gdi::readEmf(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
}

// The share of pixels that are not paper white.
double inked(const QImage& image)
{
    int64_t n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return double(n) / (int64_t(image.width()) * image.height());
}

TEST(EmfPlusCorpus, EveryEmfPlusPageIsReadSoundAndDrawnThroughIt)
{
    const auto corpus = kvtest::corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus beside the project (../shared/corpus)";
    for (const char* name : kEmfPlusPages) {
        SCOPED_TRACE(name);
        const auto picture = readPage(*corpus + "/emf/" + name);
        ASSERT_NE(picture, nullptr);
        ASSERT_NE(picture->plus, nullptr);
        EXPECT_FALSE(picture->plus->damaged) << picture->plus->problem;
        EXPECT_TRUE(kv::gdi::plus::drawsThroughEmfPlus(*picture));
        EXPECT_GT(picture->plus->entries.size(), 5u);
    }
}

// The ink's bounding box: where a page's drawing lies.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(EmfPlusCorpus, EveryDualPageDrawnThroughEmfPlusAgreesWithItsGdiDrawing)
{
    const auto corpus = kvtest::corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus beside the project (../shared/corpus)";
    // Its GDI drawing spaces square letters by GDI+'s advances, while GDI+ itself stretches
    // the letters with the page's wide pixels: the text must only cover the same line.
    const QString stretchedText = QStringLiteral("lo-TestDrawString.emf");
    int compared = 0;
    for (const char* name : kEmfPlusPages) {
        SCOPED_TRACE(name);
        const auto picture = readPage(*corpus + "/emf/" + name);
        ASSERT_NE(picture, nullptr);
        if (!picture->plus || !picture->plus->dual)
            continue;
        // libUEMF's page says dual over no GDI drawing at all: nothing to agree with (the
        // test below shows it drawn).
        const QImage reference(*corpus + "/reference/emf__" + name + ".png");
        if (reference.isNull() || inkBox(reference).isEmpty())
            continue;
        ++compared;
        const QImage ours = kv::gdi::renderPicture(*picture, reference.width());
        if (QString::fromLatin1(name) == stretchedText) {
            const QRect want = inkBox(reference), got = inkBox(ours);
            EXPECT_NEAR(got.left(), want.left(), reference.width() / 25);
            EXPECT_NEAR(got.right(), want.right(), reference.width() / 10);
            EXPECT_NEAR(got.top(), want.top(), reference.height() / 25);
            EXPECT_NEAR(got.bottom(), want.bottom(), reference.height() / 25);
            continue;
        }
        EXPECT_GE(kvtest::pageSimilarity(reference, ours), 0.9);
    }
    EXPECT_GE(compared, 12) << "the corpus holds twelve dual pages with references";
}

TEST(EmfPlusCorpus, EmfPlusOnlyPageShowsItsDrawingAndIsBlankOnTheGdiRoad)
{
    const auto corpus = kvtest::corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus beside the project (../shared/corpus)";
    const auto picture = readPage(*corpus + "/emf/uemf-test_libuemf_p_ref.emf");
    ASSERT_NE(picture, nullptr);
    const double drawn = inked(kv::gdi::renderPicture(*picture, 400));
    kv::gdi::setEmfPlusPlayback(false);
    const double gdi = inked(kv::gdi::renderPicture(*picture, 400));
    kv::gdi::setEmfPlusPlayback(true);
    EXPECT_GT(drawn, 0.9) << "its pale yellow background and drawing cover the page";
    EXPECT_EQ(gdi, 0.0);
}

} // namespace
