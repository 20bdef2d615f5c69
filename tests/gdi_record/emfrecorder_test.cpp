// The EMF recorder: what it writes plays back as the drawing it was given, its header
// describes the drawing, and an independent reader accepts the file.
#include "recordtestutil.h"

#include "gdi/emf/emfrecorder.h"
#include "gdi/emf/emrcodes.h"
#include "gdi/core/objects.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/wmf/wmfformat.h"
#include "gdi/wmf/wmfpicture.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv::gdi;

namespace {

const DeviceCaps kRef = kvtest::referenceCaps(400, 300, 96);
const QSize kSize(400, 300);

BitmapPtr checkerBitmap()
{
    QImage image(16, 12, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, ((x / 4 + y / 4) & 1) ? qRgb(0, 0, 200) : qRgb(250, 200, 0));
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->image = image;
    return bitmap;
}

// Lines, filled shapes, text, a bitmap and a clip: the drawing both roads are compared on.
void drawScene(Dc& dc)
{
    dc.selectObject(makeObject(Pen{PS_SOLID, 3, 0x00AA00}));
    dc.selectObject(makeObject(Brush{BS_SOLID, 0x3030C0}));
    dc.rectangle(RectL{20, 20, 120, 90});
    dc.ellipse(RectL{140, 20, 240, 100});
    dc.moveTo(20, 120);
    dc.lineTo(380, 140);
    const PointL triangle[] = {{260, 30}, {380, 30}, {320, 110}};
    dc.polygon(triangle);
    dc.selectObject(makeObject(Brush{BS_HATCHED, 0x000000, HS_CROSS}));
    dc.rectangle(RectL{20, 200, 120, 280});

    LogFont font;
    font.height = -24;
    font.faceName = u"Arial";
    dc.selectObject(makeObject(Font{font}));
    dc.setBkMode(TRANSPARENT);
    dc.setTextColor(0x000080);
    dc.extTextOut(140, 160, 0, nullptr, u"Recorded text");

    rec::Blt blt;
    blt.xDest = 260;
    blt.yDest = 200;
    blt.cxDest = 64;
    blt.cyDest = 48;
    blt.cxSrc = 16;
    blt.cySrc = 12;
    blt.source = checkerBitmap();
    dc.blt(blt);

    dc.intersectClipRect(RectL{140, 200, 200, 260});
    dc.selectObject(makeObject(Brush{BS_SOLID, 0x00C0C0}));
    dc.ellipse(RectL{120, 180, 240, 290});
}

std::vector<uint8_t> recordScene(const DeviceCaps& ref, const std::function<void(Dc&)>& draw)
{
    EmfRecorder recorder(ref);
    {
        Dc dc(recorder);
        draw(dc);
    }
    return recorder.finish();
}

size_t countType(const std::vector<uint8_t>& bytes, uint32_t type)
{
    size_t n = 0;
    for (const auto& [t, offset] : kvtest::emfRecords(bytes))
        n += t == type;
    return n;
}

} // namespace

TEST(EmfRecorder, PlaysBackAsTheDrawingItRecorded)
{
    const QImage direct = kvtest::renderDirect(kSize, kRef, drawScene);
    const std::vector<uint8_t> bytes = recordScene(kRef, drawScene);
    const PicturePtr picture = readEmf(bytes);
    ASSERT_TRUE(picture);
    // The frame is derived from the bounds as GDI derives it (right = bounds.right scaled), so
    // playing into the bounds' own numbers puts every pixel back where it was.
    const RectL& b = picture->header.bounds;
    const QImage played = kvtest::renderDirect(kSize, kRef, [&](Dc& dc) {
        kv::gdi::playPicture(dc, *picture, RectL{b.left, b.top, b.right, b.bottom});
    });
    ASSERT_GT(kvtest::inkCount(direct), 10000);
    EXPECT_GT(kvtest::inkAgreement(direct, played, 1), 0.99);
}

TEST(EmfRecorder, HeaderDescribesTheDrawingAndTheReference)
{
    const DeviceCaps ref = kvtest::referenceCaps(2480, 3508, 300);
    const std::vector<uint8_t> bytes = recordScene(ref, [](Dc& dc) {
        dc.selectStockObject(NULL_PEN);
        dc.selectObject(makeObject(Brush{BS_SOLID, 0}));
        const PointL box[] = {{100, 200}, {600, 200}, {600, 500}, {100, 500}};
        dc.polygon(box);
    });
    const PicturePtr picture = readEmf(bytes);
    ASSERT_TRUE(picture);
    const EmfHeader& h = picture->header;
    // Inclusive bounds in reference pixels: the polygon covers x 100..599, y 200..499.
    EXPECT_EQ(h.bounds.left, 100);
    EXPECT_EQ(h.bounds.top, 200);
    EXPECT_EQ(h.bounds.right, 599);
    EXPECT_EQ(h.bounds.bottom, 499);
    auto toFrame = [](int32_t px, int32_t mm, int32_t res) { return int32_t(int64_t(px) * mm * 100 / res); };
    EXPECT_EQ(h.frame.left, toFrame(100, ref.horzSizeMm, ref.horzRes));
    EXPECT_EQ(h.frame.top, toFrame(200, ref.vertSizeMm, ref.vertRes));
    EXPECT_EQ(h.frame.right, toFrame(599, ref.horzSizeMm, ref.horzRes));
    EXPECT_EQ(h.frame.bottom, toFrame(499, ref.vertSizeMm, ref.vertRes));
    EXPECT_EQ(h.device.cx, ref.horzRes);
    EXPECT_EQ(h.device.cy, ref.vertRes);
    EXPECT_EQ(h.millimeters.cx, ref.horzSizeMm);
    EXPECT_EQ(h.millimeters.cy, ref.vertSizeMm);
    EXPECT_EQ(h.bytes, bytes.size());
    EXPECT_EQ(h.records, kvtest::emfRecords(bytes).size());
    EXPECT_EQ(kvtest::emfRecords(bytes).back().first, uint32_t(emr::EOF_));
}

TEST(EmfRecorder, GivenFrameAndDescriptionAreKept)
{
    EmfRecorder recorder(kRef, RectL{0, 0, 21000, 29700}, u"Orvanta\0Page 1");
    const std::vector<uint8_t> bytes = recorder.finish();
    const PicturePtr picture = readEmf(bytes);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->header.frame.right, 21000);
    EXPECT_EQ(picture->header.frame.bottom, 29700);
    EXPECT_EQ(picture->header.bounds.right, -1);  // nothing drawn: empty bounds
    EXPECT_EQ(picture->header.description.substr(0, 7), u"Orvanta");
}

TEST(EmfRecorder, IdenticalObjectsAreWrittenOnceAndReplacedOnesDeleted)
{
    const std::vector<uint8_t> bytes = recordScene(kRef, [](Dc& dc) {
        dc.selectStockObject(NULL_PEN);
        dc.selectObject(makeObject(Brush{BS_SOLID, 0x0000FF}));
        dc.rectangle(RectL{0, 0, 10, 10});
        dc.selectObject(makeObject(Brush{BS_SOLID, 0x0000FF}));  // same brush again
        dc.rectangle(RectL{20, 0, 30, 10});
        dc.selectObject(makeObject(Brush{BS_SOLID, 0x00FF00}));
        dc.rectangle(RectL{40, 0, 50, 10});
    });
    EXPECT_EQ(countType(bytes, emr::CREATEBRUSHINDIRECT), 2u);
    EXPECT_EQ(countType(bytes, emr::DELETEOBJECT), 1u);
    const PicturePtr picture = readEmf(bytes);
    ASSERT_TRUE(picture);
    // The second brush is made while the first is still selected: indexes 1 and 2.
    EXPECT_EQ(picture->header.handles, 3);
}

TEST(EmfRecorder, ClipChangesBecomeRegionRecords)
{
    const std::vector<uint8_t> bytes = recordScene(kRef, [](Dc& dc) {
        dc.selectObject(makeObject(Brush{BS_SOLID, 0}));
        dc.intersectClipRect(RectL{10, 10, 50, 50});
        dc.excludeClipRect(RectL{20, 20, 30, 30});
        dc.rectangle(RectL{0, 0, 100, 100});
    });
    ASSERT_GE(countType(bytes, emr::EXTSELECTCLIPRGN), 1u);
    const PicturePtr picture = readEmf(bytes);
    ASSERT_TRUE(picture);
    const auto clips = kvtest::recordsOf<rec::ExtSelectClipRgn>(*picture);
    ASSERT_FALSE(clips.empty());
    EXPECT_TRUE(clips.back().hasRegion);
    EXPECT_GE(clips.back().region.rects.size(), 4u);  // a frame around the excluded square
    EXPECT_EQ(picture->header.bounds.left, 10);
    EXPECT_EQ(picture->header.bounds.right, 49);
}

TEST(EmfRecorder, TextCarriesAdvancesFromTheRun)
{
    const std::vector<uint8_t> bytes = recordScene(kRef, [](Dc& dc) {
        LogFont font;
        font.height = -20;
        font.faceName = u"Arial";
        dc.selectObject(makeObject(Font{font}));
        const int32_t dx[] = {30, 40, 50};
        dc.extTextOut(10, 50, 0, nullptr, u"abc", dx);
    });
    const PicturePtr picture = readEmf(bytes);
    ASSERT_TRUE(picture);
    const auto texts = kvtest::recordsOf<rec::TextOut>(*picture);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"abc");
    ASSERT_EQ(texts[0].dx.size(), 3u);
    EXPECT_EQ(texts[0].dx[0], 30);
    EXPECT_EQ(texts[0].dx[1], 40);
    EXPECT_EQ(countType(bytes, emr::EXTCREATEFONTINDIRECTW), 1u);
}

TEST(EmfRecorder, AnIndependentReaderAcceptsTheFile)
{
    const QString tool = QStandardPaths::findExecutable("emf2svg-conv");
    if (tool.isEmpty())
        GTEST_SKIP() << "emf2svg-conv (Debian package emf2svg) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<uint8_t> bytes = recordScene(kRef, drawScene);
    QFile out(dir.filePath("scene.emf"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    out.close();
    QProcess process;
    process.start(tool, {"-i", dir.filePath("scene.emf"), "-o", dir.filePath("scene.svg")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QFile svg(dir.filePath("scene.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    EXPECT_TRUE(text.contains("Recorded text"));
    EXPECT_TRUE(text.contains("<path") || text.contains("<polygon"));
    EXPECT_TRUE(text.contains("<image"));
}

namespace {

const DeviceCaps kA4At300 = kvtest::referenceCaps(2480, 3508, 300);

// A small black box on a page recorded with the given frame (nothing: derived from the ink).
PicturePtr pageWithBox(std::optional<RectL> frame)
{
    EmfRecorder recorder(kA4At300, frame);
    {
        Dc dc(recorder);
        dc.selectStockObject(NULL_PEN);
        dc.selectObject(makeObject(Brush{BS_SOLID, 0}));
        dc.rectangle(RectL{1000, 1500, 1200, 1700});
    }
    return readEmf(recorder.finish());
}

// The bounds of a recording into which `page` was played at `into`.
RectL replayedBounds(const Picture& page, const RectL& into, bool rectIsFrame)
{
    EmfRecorder recording(kA4At300);
    {
        Dc dc(recording);
        playPicture(dc, page, into, PlayOptions{.rectIsFrame = rectIsFrame});
    }
    const PicturePtr recorded = readEmf(recording.finish());
    return recorded ? recorded->header.bounds : RectL{};
}

} // namespace

// A picture played into a recording counts as drawn over the whole rectangle it is played
// into, so the recording's derived frame holds the played picture's frame, not only its ink.
TEST(EmfRecorder, APlayedPictureCountsItsWholeRectangleAsDrawn)
{
    const PicturePtr sheet = pageWithBox(RectL{0, 0, 21000, 29700});
    ASSERT_TRUE(sheet);
    const RectL bounds = replayedBounds(*sheet, RectL{100, 50, 2380, 3458}, true);
    EXPECT_EQ(bounds.left, 100);
    EXPECT_EQ(bounds.top, 50);
    EXPECT_EQ(bounds.right, 2379);
    EXPECT_EQ(bounds.bottom, 3457);
}

// A page recorded without a frame of its own and played at its bounds: the rectangle lies
// within its ink, so the recording's bounds are those of the ink alone.
TEST(EmfRecorder, APageWithoutFramePlayedAtItsBoundsKeepsThem)
{
    const PicturePtr page = pageWithBox(std::nullopt);
    ASSERT_TRUE(page);
    const RectL& b = page->header.bounds;
    const RectL counted = replayedBounds(*page, b, true);
    const RectL inkOnly = replayedBounds(*page, b, false);
    EXPECT_EQ(counted.left, inkOnly.left);
    EXPECT_EQ(counted.top, inkOnly.top);
    EXPECT_EQ(counted.right, inkOnly.right);
    EXPECT_EQ(counted.bottom, inkOnly.bottom);
    EXPECT_NEAR(counted.left, b.left, 1);
    EXPECT_NEAR(counted.right, b.right, 1);
}

// Unscaled playback of a Windows metafile plays into a notional unit square, which is no
// frame: only the ink counts.
TEST(EmfRecorder, UnscaledPlaybackCountsOnlyItsInk)
{
    // A rectangle from (10, 20) to (50, 60): WMF keeps bottom, right, top, left.
    const std::vector<uint8_t> wmf = kvtest::WmfBuilder().record(wmf::META_RECTANGLE, {60, 50, 20, 10}).finish();
    const PicturePtr unscaled = readWmfUnscaled(wmf);
    ASSERT_TRUE(unscaled);
    const RectL bounds = replayedBounds(*unscaled, RectL{0, 0, kWmfUnitRect, kWmfUnitRect}, false);
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.top, 20);
    EXPECT_LE(bounds.right, 50);
    EXPECT_LE(bounds.bottom, 60);
}
