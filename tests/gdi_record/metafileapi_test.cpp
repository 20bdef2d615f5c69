// The metafile primitives: handles, sizes, playing, recording and WMF conversion.
#include "recordtestutil.h"

#include "gdi/metafileapi.h"
#include "gdi/emf/emfrecorder.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/wmf/wmfformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv;
using namespace kv::gdi;

namespace {

// A device that keeps the device-space boxes of the shapes it is given.
class BoxDevice : public Device {
public:
    explicit BoxDevice(DeviceCaps caps) : caps_(caps) {}
    DeviceCaps caps() const override { return caps_; }
    void setClip(const std::optional<QRegion>&) override {}
    void fillPath(const QPainterPath& path, Qt::FillRule, const DrawBrush&) override { boxes.push_back(path.boundingRect()); }
    void strokePath(const QPainterPath& path, const DrawPen&) override { boxes.push_back(path.boundingRect()); }
    void drawText(const TextRun&) override { ++texts; }
    void drawImage(const ImageDraw&) override {}
    std::vector<QRectF> boxes;
    int texts = 0;

private:
    DeviceCaps caps_;
};

void writeFile(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// A page recorded through the primitives: one filled rectangle.
HENHMETAFILE recordPage(HDC reference, const std::optional<QString>& file = std::nullopt)
{
    const HDC hdc = CREATEENHMETAFILE(reference, file, 0);
    if (!hdc)
        return 0;
    Dc* dc = dcFromHandle(hdc);
    dc->selectObject(makeObject(Brush{BS_SOLID, 0x0000FF}));
    dc->rectangle(RectL{10, 20, 110, 70});
    return CLOSEENHMETAFILE(hdc);
}

std::vector<uint8_t> smallWmf()
{
    return kvtest::WmfBuilder()
        .record(wmf::META_SETWINDOWEXT, {100, 200})
        .record(wmf::META_RECTANGLE, {60, 150, 10, 20})
        .finish();
}

} // namespace

TEST(MetafileApi, DisplayIsTheFixedScreenWhenHeadless)
{
    const DeviceCaps caps = displayCaps();
    EXPECT_EQ(caps.horzRes, 1920);
    EXPECT_EQ(caps.vertRes, 1080);
    EXPECT_EQ(caps.horzSizeMm, 508);
    EXPECT_EQ(caps.vertSizeMm, 286);
    EXPECT_EQ(capsOf(0).horzRes, 1920);
}

TEST(MetafileApi, EnhMetaSizeGivesBoundsForKindOneElseFrame)
{
    const HENHMETAFILE hemf = recordPage(0);
    ASSERT_NE(hemf, 0u);
    const PicturePtr picture = pictureOf(hemf);
    ASSERT_TRUE(picture);
    const RectL& b = picture->header.bounds;
    const RectL& f = picture->header.frame;
    EXPECT_EQ(ENHMETASIZE(hemf, 1), (std::array<int32_t, 4>{b.left, b.top, b.right, b.bottom}));
    for (int kind : {0, 2, 3})
        EXPECT_EQ(ENHMETASIZE(hemf, kind), (std::array<int32_t, 4>{f.left, f.top, f.right, f.bottom})) << kind;
    EXPECT_NE(ENHMETASIZE(hemf, 1), ENHMETASIZE(hemf, 2));
    EXPECT_EQ(ENHMETASIZE(hemf + 1000, 1), (std::array<int32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(DELETEENHMETAFILE(hemf), 1);
    EXPECT_EQ(DELETEENHMETAFILE(hemf), 0);
    EXPECT_EQ(ENHMETASIZE(hemf, 2), (std::array<int32_t, 4>{0, 0, 0, 0}));
}

TEST(MetafileApi, PlayRectangleIsTruncatedTowardZero)
{
    const HENHMETAFILE hemf = recordPage(0);
    ASSERT_NE(hemf, 0u);
    const DeviceCaps caps = kvtest::referenceCaps(300, 300, 96);
    auto boxesOf = [&](const std::function<void(Dc&, HDC)>& play) {
        BoxDevice device(caps);
        Dc dc(device);
        const HDC hdc = registerDc(&dc);
        play(dc, hdc);
        unregisterDc(hdc);
        return device.boxes;
    };
    const auto fractional = boxesOf([&](Dc&, HDC hdc) {
        EXPECT_TRUE(PLAYENHMETAFILE(hdc, hemf, {-2.7, 3.9, 150.6, -80.2}));
    });
    const auto whole = boxesOf([&](Dc& dc, HDC) { playPicture(dc, *pictureOf(hemf), RectL{-2, 3, 150, -80}); });
    const auto rounded = boxesOf([&](Dc& dc, HDC) { playPicture(dc, *pictureOf(hemf), RectL{-3, 4, 151, -80}); });
    ASSERT_FALSE(fractional.empty());
    EXPECT_EQ(fractional, whole);
    EXPECT_NE(fractional, rounded);
    EXPECT_FALSE(PLAYENHMETAFILE(0, hemf, {0, 0, 10, 10}));
    DELETEENHMETAFILE(hemf);
}

TEST(MetafileApi, RecordingWithoutFileStaysInMemoryAndWithFileLeavesIt)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("tmp0001.emf");
    const HENHMETAFILE memory = recordPage(0);
    ASSERT_NE(memory, 0u);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    const HENHMETAFILE onDisk = recordPage(0, file);
    ASSERT_NE(onDisk, 0u);
    EXPECT_EQ(DELETEENHMETAFILE(onDisk), 1);
    ASSERT_TRUE(QFileInfo::exists(file));
    const HENHMETAFILE reread = GETENHMETAFILE(file);
    ASSERT_NE(reread, 0u);
    EXPECT_EQ(ENHMETASIZE(reread, 1), ENHMETASIZE(memory, 1));
    DELETEENHMETAFILE(reread);
    DELETEENHMETAFILE(memory);

    EXPECT_EQ(CREATEENHMETAFILE(0, dir.filePath("missing/dir/page.emf"), 0), 0u);
    EXPECT_EQ(CLOSEENHMETAFILE(12345678), 0u);
}

TEST(MetafileApi, RecordingUsesTheReferenceDevice)
{
    const DeviceCaps printerCaps = kvtest::referenceCaps(4960, 7016, 600);
    BoxDevice printer(printerCaps);
    Dc printerDc(printer);
    const HDC hPrinter = registerDc(&printerDc);
    const HENHMETAFILE hemf = recordPage(hPrinter);
    unregisterDc(hPrinter);
    ASSERT_NE(hemf, 0u);
    const EmfHeader& h = pictureOf(hemf)->header;
    EXPECT_EQ(h.device.cx, printerCaps.horzRes);
    EXPECT_EQ(h.millimeters.cy, printerCaps.vertSizeMm);
    EXPECT_EQ(h.bounds.left, 10);
    EXPECT_EQ(h.bounds.bottom, 69);
    DELETEENHMETAFILE(hemf);
}

TEST(MetafileApi, Wmf2EmfFramesFollowTheReferenceAndOwnTheirPicture)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("page.wmf");
    writeFile(file, smallWmf());
    const HMETAFILE hmf = GETMETAFILE(file);
    ASSERT_NE(hmf, 0u);

    const DeviceCaps printerCaps = kvtest::referenceCaps(4960, 7016, 600);
    BoxDevice printer(printerCaps);
    Dc printerDc(printer);
    const HDC hPrinter = registerDc(&printerDc);
    const HENHMETAFILE onScreen = WMF2EMF(0, hmf);
    const HENHMETAFILE onPrinter = WMF2EMF(hPrinter, hmf);
    unregisterDc(hPrinter);
    ASSERT_NE(onScreen, 0u);
    ASSERT_NE(onPrinter, 0u);
    EXPECT_NE(ENHMETASIZE(onScreen, 2), ENHMETASIZE(onPrinter, 2));
    EXPECT_EQ(ENHMETASIZE(onScreen, 2)[2], displayCaps().horzSizeMm * 100);
    EXPECT_EQ(ENHMETASIZE(onPrinter, 2)[2], printerCaps.horzSizeMm * 100);

    // The Windows metafile stays usable, and deleting it leaves the converted picture alone.
    const HENHMETAFILE again = WMF2EMF(0, hmf);
    EXPECT_NE(again, 0u);
    const auto frameBefore = ENHMETASIZE(onScreen, 2);
    EXPECT_EQ(DELETEMETAFILE(hmf), 1);
    EXPECT_EQ(WMF2EMF(0, hmf), 0u);
    EXPECT_EQ(ENHMETASIZE(onScreen, 2), frameBefore);
    BoxDevice screen(displayCaps());
    Dc screenDc(screen);
    const HDC hScreen = registerDc(&screenDc);
    EXPECT_TRUE(PLAYENHMETAFILE(hScreen, onScreen, {0, 0, 400, 200}));
    unregisterDc(hScreen);
    ASSERT_EQ(screen.boxes.size(), 2u);  // fill and outline
    // The WMF's window (200 x 100) fills the rectangle: its rectangle 20..150 x 10..60.
    EXPECT_NEAR(screen.boxes[0].left(), 40, 1.5);
    EXPECT_NEAR(screen.boxes[0].top(), 20, 1.5);
    EXPECT_NEAR(screen.boxes[0].right(), 300, 2.5);
    for (HENHMETAFILE h : {onScreen, onPrinter, again})
        DELETEENHMETAFILE(h);
    EXPECT_EQ(GETMETAFILE(dir.filePath("absent.wmf")), 0u);
}

TEST(MetafileApi, PlayMetaFileDrawsInTheTargetsOwnUnits)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("page.wmf");
    writeFile(file, kvtest::WmfBuilder().record(wmf::META_RECTANGLE, {60, 150, 10, 20}).finish());
    const HMETAFILE hmf = GETPMETAFILE(file);
    ASSERT_NE(hmf, 0u);
    BoxDevice device(kvtest::referenceCaps(1000, 1000, 96));
    Dc dc(device);
    const HDC hdc = registerDc(&dc);
    EXPECT_TRUE(PLAYMETAFILE(hdc, hmf));
    unregisterDc(hdc);
    ASSERT_EQ(device.boxes.size(), 2u);  // fill and outline
    EXPECT_NEAR(device.boxes[0].left(), 20, 1);
    EXPECT_NEAR(device.boxes[0].top(), 10, 1);
    EXPECT_NEAR(device.boxes[0].right(), 150, 1);
    EXPECT_NEAR(device.boxes[0].bottom(), 60, 1);
    EXPECT_FALSE(PLAYMETAFILE(0, hmf));
    DELETEMETAFILE(hmf);
}

TEST(MetafileApi, PicturesAreWrittenAsEmfAndWmfFiles)
{
    QTemporaryDir dir;
    const HENHMETAFILE hemf = recordPage(0);
    ASSERT_NE(hemf, 0u);
    ASSERT_TRUE(writeEnhMetaFile(hemf, dir.filePath("page.emf")));
    ASSERT_TRUE(writeWinMetaFile(hemf, dir.filePath("page.wmf")));
    const HENHMETAFILE emf = GETENHMETAFILE(dir.filePath("page.emf"));
    EXPECT_EQ(ENHMETASIZE(emf, 1), ENHMETASIZE(hemf, 1));
    const HMETAFILE wmf = GETMETAFILE(dir.filePath("page.wmf"));
    ASSERT_NE(wmf, 0u);
    const HENHMETAFILE converted = WMF2EMF(0, wmf);
    EXPECT_NE(converted, 0u);
    // A converted picture (no bytes of its own) is written by recording it afresh.
    ASSERT_TRUE(writeEnhMetaFile(converted, dir.filePath("converted.emf")));
    const HENHMETAFILE back = GETENHMETAFILE(dir.filePath("converted.emf"));
    EXPECT_NE(back, 0u);
    EXPECT_FALSE(writeEnhMetaFile(hemf, dir.filePath("missing/x.emf")));
    for (HENHMETAFILE h : {hemf, emf, converted, back})
        DELETEENHMETAFILE(h);
    DELETEMETAFILE(wmf);
}
