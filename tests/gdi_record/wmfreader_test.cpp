// The WMF reader on hand-built files and on the corpus.
#include "recordtestutil.h"
#include "common/testenv.h"

#include "gdi/tracedevice.h"

#include "gdi/emf/emfrecorder.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/render.h"
#include "gdi/wmf/wmfformat.h"
#include "gdi/wmf/wmfpicture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace kv::gdi;
using namespace kv::gdi::wmf;
using kvtest::recordsOf;
using kvtest::WmfBuilder;

namespace {

const DeviceCaps kScreen = kvtest::referenceCaps(1920, 1080, 96);

std::vector<uint8_t> textOutParams(const std::string& text, int16_t x, int16_t y)
{
    std::vector<uint8_t> p{uint8_t(text.size()), 0};
    p.insert(p.end(), text.begin(), text.end());
    if (text.size() & 1)
        p.push_back(0);
    for (int16_t v : {y, x}) {
        p.push_back(uint8_t(v));
        p.push_back(uint8_t(uint16_t(v) >> 8));
    }
    return p;
}

// META_CREATEFONTINDIRECT's parameters: a LOGFONT of 16-bit fields and an ANSI face name.
std::vector<uint8_t> fontParams(int16_t height, uint8_t charSet, std::string_view face)
{
    std::vector<uint8_t> p(18, 0);
    p[0] = uint8_t(height), p[1] = uint8_t(uint16_t(height) >> 8);
    p[13] = charSet;
    p.insert(p.end(), face.begin(), face.end());
    p.resize(18 + 32, 0);
    return p;
}

std::vector<uint8_t> penParams(uint16_t style, int16_t width, uint32_t color)
{
    return {uint8_t(style), uint8_t(style >> 8), uint8_t(width), uint8_t(uint16_t(width) >> 8), 0, 0,
            uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16), 0};
}

std::vector<uint8_t> brushParams(uint16_t style, uint32_t color)
{
    return {uint8_t(style), 0, uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16), 0, 0, 0};
}

} // namespace

TEST(WmfReader, ReversedParametersBecomeEmfRecords)
{
    const std::vector<uint8_t> file = WmfBuilder()
        .record(META_SETWINDOWEXT, {200, 400})
        .record(META_RECTANGLE, {40, 30, 20, 10})          // bottom, right, top, left
        .record(META_LINETO, {7, 5})                       // y, x
        .record(META_ARC, {1, 2, 3, 4, 50, 60, 70, 80})
        .raw(META_TEXTOUT, textOutParams("Hello", 12, 34))
        .finish();
    const PicturePtr picture = readWmf(file, kScreen);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->fromWmf);
    EXPECT_FALSE(picture->stats.truncated);

    const auto shapes = recordsOf<rec::Shape>(*picture);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].box.left, 10);
    EXPECT_EQ(shapes[0].box.top, 20);
    EXPECT_EQ(shapes[0].box.right, 30);
    EXPECT_EQ(shapes[0].box.bottom, 40);

    const auto lines = recordsOf<rec::LineTo>(*picture);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].point.x, 5);
    EXPECT_EQ(lines[0].point.y, 7);

    const auto arcs = recordsOf<rec::ArcShape>(*picture);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(arcs[0].box.left, 80);
    EXPECT_EQ(arcs[0].box.bottom, 50);
    EXPECT_EQ(arcs[0].start.x, 4);
    EXPECT_EQ(arcs[0].start.y, 3);
    EXPECT_EQ(arcs[0].end.x, 2);
    EXPECT_EQ(arcs[0].end.y, 1);

    const auto texts = recordsOf<rec::TextOut>(*picture);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].ansi);
    EXPECT_EQ(texts[0].bytes, "Hello");
    EXPECT_EQ(texts[0].reference.x, 12);
    EXPECT_EQ(texts[0].reference.y, 34);

    const auto windows = recordsOf<rec::SetExtOrg>(*picture);
    const auto fileWindow = std::find_if(windows.begin(), windows.end(),
                                         [](const rec::SetExtOrg& r) { return r.which == rec::Ext::WindowExt; });
    ASSERT_NE(fileWindow, windows.end());
    EXPECT_EQ(fileWindow->x, 400);
    EXPECT_EQ(fileWindow->y, 200);
}

TEST(WmfReader, HeaderFillsTheReferenceSurfaceAnisotropically)
{
    const DeviceCaps printer = kvtest::referenceCaps(4960, 7016, 600);
    const std::vector<uint8_t> file = WmfBuilder().record(META_SETWINDOWEXT, {100, 100}).finish();
    for (const DeviceCaps& ref : {kScreen, printer}) {
        const PicturePtr picture = readWmf(file, ref);
        ASSERT_TRUE(picture);
        const EmfHeader& h = picture->header;
        EXPECT_EQ(h.device.cx, ref.horzRes);
        EXPECT_EQ(h.device.cy, ref.vertRes);
        EXPECT_EQ(h.millimeters.cx, ref.horzSizeMm);
        EXPECT_EQ(h.millimeters.cy, ref.vertSizeMm);
        EXPECT_EQ(h.frame.right - h.frame.left, ref.horzSizeMm * 100);
        EXPECT_EQ(h.frame.bottom - h.frame.top, ref.vertSizeMm * 100);
        EXPECT_EQ(h.bounds.right, ref.horzRes - 1);
        EXPECT_EQ(h.bounds.bottom, ref.vertRes - 1);
        const auto modes = recordsOf<rec::SetAttr>(*picture);
        ASSERT_FALSE(modes.empty());
        EXPECT_EQ(modes[0].which, rec::Attr::MapMode);
        EXPECT_EQ(modes[0].value, MM_ANISOTROPIC);
        const auto ext = recordsOf<rec::SetExtOrg>(*picture);
        ASSERT_FALSE(ext.empty());
        EXPECT_EQ(ext[0].which, rec::Ext::ViewportExt);
        EXPECT_EQ(ext[0].x, ref.horzRes);
        EXPECT_EQ(ext[0].y, ref.vertRes);
    }
}

TEST(WmfReader, PlaceableBoundingBoxIsTheWindowAndThePictureSize)
{
    const std::vector<uint8_t> file = WmfBuilder(std::array<int16_t, 5>{-100, -50, 1340, 670, 1440})
        .record(META_RECTANGLE, {600, 1200, 0, 0})
        .finish();
    const PicturePtr picture = readWmf(file, kScreen);
    ASSERT_TRUE(picture);
    const auto ext = recordsOf<rec::SetExtOrg>(*picture);
    ASSERT_GE(ext.size(), 3u);
    EXPECT_EQ(ext[1].which, rec::Ext::WindowOrg);
    EXPECT_EQ(ext[1].x, -100);
    EXPECT_EQ(ext[1].y, -50);
    EXPECT_EQ(ext[2].which, rec::Ext::WindowExt);
    EXPECT_EQ(ext[2].x, 1440);
    EXPECT_EQ(ext[2].y, 720);
    EXPECT_EQ(recordsOf<rec::Shape>(*picture).size(), 1u);

    const std::optional<SizeL> size = wmfPictureSize(file);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->cx, 2540);  // 1440 units at 1440 per inch: one inch
    EXPECT_EQ(size->cy, 1270);
}

TEST(WmfReader, PlainFilePictureSizeComesFromItsFirstWindowExtent)
{
    const std::vector<uint8_t> file = WmfBuilder()
        .record(META_SETWINDOWEXT, {480, 960})
        .record(META_SETWINDOWEXT, {10, 10})
        .finish();
    const std::optional<SizeL> size = wmfPictureSize(file);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->cx, 960 * 2540 / 96);
    EXPECT_EQ(size->cy, 480 * 2540 / 96);
    EXPECT_FALSE(wmfPictureSize(WmfBuilder().finish()));
}

TEST(WmfReader, AFileThatStatesNoSizeIsAsLargeAsItsDrawing)
{
    const std::vector<uint8_t> file = WmfBuilder()
        .record(META_RECTANGLE, {48, 96, 10, 20})  // bottom, right, top, left: ends at (96, 48)
        .finish();
    const std::optional<SizeL> size = wmfPictureSize(file);
    ASSERT_TRUE(size);
    EXPECT_NEAR(size->cx, 2540, 2540 / 96);  // 96 units at 96 per inch: one inch
    EXPECT_NEAR(size->cy, 1270, 2540 / 96);
    // Converted at that size, the drawing fills it instead of being blown up to nothing.
    const PicturePtr picture = readWmfAtPictureSize(file);
    ASSERT_TRUE(picture);
    const QImage image = kv::gdi::renderPicture(*picture, 96);
    EXPECT_NEAR(image.height(), 48, 1);
    int outline = 255;  // the left edge of the rectangle's outline, at x = 20
    for (int x = 19; x <= 21; ++x)
        outline = std::min(outline, image.pixelColor(x, 30).lightness());
    EXPECT_LT(outline, 128);
    EXPECT_GT(image.pixelColor(5, 5).lightness(), 200);  // left of and above it
}

TEST(WmfReader, PictureSizedConversionKeepsTheExactShapeOfSmallPictures)
{
    // 222 x 41 units at 96 per inch: 58.73 x 10.85 mm, which whole millimetres would turn into
    // a picture 17 % flatter.
    const std::vector<uint8_t> file = WmfBuilder(std::array<int16_t, 5>{-4, -4, 218, 37, 96})
        .record(META_RECTANGLE, {37, 218, -4, -4})
        .finish();
    const PicturePtr picture = readWmfAtPictureSize(file);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->header.frame.right - picture->header.frame.left, 222 * 2540 / 96);
    EXPECT_EQ(picture->header.frame.bottom - picture->header.frame.top, 41 * 2540 / 96);
    const QImage image = kv::gdi::renderPicture(*picture, 1000);
    EXPECT_EQ(image.width(), 1000);
    EXPECT_NEAR(image.height(), 1000.0 * 41 / 222, 1.0);
    EXPECT_FALSE(readWmfAtPictureSize(WmfBuilder().finish()));
}

// SetWinMetaFileBits measures text on the display: a picture converted at its own size spaces
// text without advances by whole 96-dpi pixels, however finely the surface stands in for it.
TEST(WmfReader, PictureSizedTextIsSpacedInWholeDisplayPixels)
{
    const std::vector<uint8_t> file = WmfBuilder()
        .record(META_SETWINDOWEXT, {182, 443})  // y, x: 443 x 182 units at 96 per inch
        .raw(META_CREATEFONTINDIRECT, fontParams(-12, 0, "Arial"))
        .record(META_SELECTOBJECT, {0})
        .raw(META_TEXTOUT, textOutParams("Current Balance with Rotating Coil", 23, 89))
        .finish();
    const PicturePtr picture = readWmfAtPictureSize(file);
    ASSERT_TRUE(picture);
    EXPECT_DOUBLE_EQ(picture->measuredPixel, 2540.0 / 96);
    const PicturePtr onScreen = readWmf(file, kScreen);
    ASSERT_TRUE(onScreen);
    EXPECT_DOUBLE_EQ(onScreen->measuredPixel, 1.0);  // the surface is the display itself

    kvtest::TraceDevice device;
    Dc dc(device);
    const int width = 2480;
    ASSERT_TRUE(playPicture(dc, *picture, RectL{0, 0, width, width * 182 / 443}));
    ASSERT_EQ(device.texts.size(), 1u);
    const std::vector<QPointF>& origins = device.texts[0].origins;
    ASSERT_EQ(origins.size(), 34u);
    const double displayPixel = double(width) / 443;  // one picture unit is one display pixel
    double along = 0;
    for (size_t i = 1; i < origins.size(); ++i) {
        const double step = (origins[i].x() - origins[i - 1].x()) / displayPixel;
        EXPECT_NEAR(step, std::round(step), 1e-3) << i;  // the frame is whole 0.01 mm
        EXPECT_GE(std::round(step), 2) << i;  // a 12-pixel font's narrowest letters
        along += step;
    }
    // Whole-pixel advances of a 12-pixel face run wider than its design advances (about 180
    // units for these 33 letters): the display's rounding, not the surface's.
    EXPECT_GT(along, 183);
}

TEST(WmfReader, FaceNamesAreReadInTheFontsCharset)
{
    const std::vector<uint8_t> file = WmfBuilder()
        .raw(META_CREATEFONTINDIRECT, fontParams(-20, 134, "\xcb\xce\xcc\xe5"))  // GB2312 "SimSun"
        .raw(META_CREATEFONTINDIRECT, fontParams(-20, 2, "Symbol"))
        .finish();
    const PicturePtr picture = readWmf(file, kScreen);
    ASSERT_TRUE(picture);
    std::vector<std::u16string> faces;
    for (const auto& created : recordsOf<rec::CreateObject>(*picture))
        if (const Font* font = std::get_if<Font>(created.object.get()))
            faces.push_back(font->logFont.faceName);
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_EQ(faces[0], u"\u5B8B\u4F53");
    EXPECT_EQ(faces[1], u"Symbol");
}

TEST(WmfReader, SizeFieldsThatLieAreNotTrusted)
{
    struct Case { const char* name; std::optional<uint32_t> mtSize; size_t trailing; };
    const Case cases[] = {
        {"exact", std::nullopt, 0},
        {"counts a placeable header", 9999, 0},
        {"too small", 3, 0},
        {"bytes after EOF", std::nullopt, 37},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> file = WmfBuilder()
            .record(META_RECTANGLE, {40, 30, 20, 10})
            .record(META_ELLIPSE, {40, 30, 20, 10})
            .finish(c.mtSize, c.trailing);
        const PicturePtr picture = readWmf(file, kScreen);
        ASSERT_TRUE(picture) << c.name;
        EXPECT_EQ(recordsOf<rec::Shape>(*picture).size(), 2u) << c.name;
        EXPECT_FALSE(picture->stats.truncated) << c.name;
        EXPECT_TRUE(picture->stats.firstError().empty()) << c.name;
    }
}

TEST(WmfReader, DamagedFilesStopSafely)
{
    std::vector<uint8_t> file = WmfBuilder().record(META_RECTANGLE, {40, 30, 20, 10}).finish();
    const std::vector<uint8_t> cut(file.begin(), file.end() - 6);  // no EOF
    const PicturePtr truncated = readWmf(cut, kScreen);
    ASSERT_TRUE(truncated);
    EXPECT_TRUE(truncated->stats.truncated);
    EXPECT_EQ(recordsOf<rec::Shape>(*truncated).size(), 1u);

    file[18] = 0xFF;  // the rectangle's size now runs past the end
    file[19] = 0x7F;
    const PicturePtr lying = readWmf(file, kScreen);
    ASSERT_TRUE(lying);
    EXPECT_TRUE(recordsOf<rec::Shape>(*lying).empty());
    EXPECT_FALSE(lying->stats.firstError().empty());
    EXPECT_EQ(lying->stats.faultsOf(FaultGrade::Clipped), 1u);
    EXPECT_EQ(truncated->stats.faultsOf(FaultGrade::Clipped), 1u) << "no META_EOF";

    file[18] = 2;  // two words: less than a record head, so the walk cannot step over it
    file[19] = 0;
    const PicturePtr stopped = readWmf(file, kScreen);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(stopped->stats.faultsOf(FaultGrade::Stopped), 1u);
    EXPECT_EQ(stopped->stats.faults.front().offset, 18u);
    EXPECT_TRUE(stopped->stats.truncated);

    EXPECT_FALSE(readWmf(std::vector<uint8_t>{1, 2, 3}, kScreen));
    EXPECT_FALSE(readWmf(std::vector<uint8_t>(18, 0), kScreen));
}

TEST(WmfReader, ObjectsTakeTheLowestFreeSlot)
{
    const std::vector<uint8_t> file = WmfBuilder()
        .raw(META_CREATEPENINDIRECT, penParams(PS_SOLID, 1, 0x0000FF))   // slot 0
        .raw(META_CREATEBRUSHINDIRECT, brushParams(BS_SOLID, 0x00FF00))  // slot 1
        .raw(META_CREATEPENINDIRECT, penParams(PS_DASH, 1, 0xFF0000))    // slot 2
        .record(META_DELETEOBJECT, {1})
        .record(META_DELETEOBJECT, {0})
        .raw(META_CREATEBRUSHINDIRECT, brushParams(BS_SOLID, 0x123456))  // slot 0 again
        .raw(META_CREATEBRUSHINDIRECT, brushParams(BS_SOLID, 0x654321))  // then slot 1
        .raw(META_CREATEBRUSHINDIRECT, brushParams(BS_SOLID, 0x111111))  // then slot 3
        .record(META_SELECTOBJECT, {1})
        .record(META_SELECTOBJECT, {7})  // names no object: skipped
        .finish();
    const PicturePtr picture = readWmf(file, kScreen);
    ASSERT_TRUE(picture);
    const auto created = recordsOf<rec::CreateObject>(*picture);
    std::vector<uint32_t> indexes;
    for (const auto& c : created)
        indexes.push_back(c.index);
    EXPECT_EQ(indexes, (std::vector<uint32_t>{1, 2, 3, 1, 2, 4}));
    const auto* brush = std::get_if<Brush>(created[4].object.get());
    ASSERT_TRUE(brush);
    EXPECT_EQ(brush->color, 0x654321u);
    const auto selected = recordsOf<rec::SelectObject>(*picture);
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].index, 2u);
    const auto deleted = recordsOf<rec::DeleteObject>(*picture);
    ASSERT_EQ(deleted.size(), 2u);
    EXPECT_EQ(deleted[0].index, 2u);
    EXPECT_EQ(deleted[1].index, 1u);
    EXPECT_GE(picture->header.handles, 5);
}

TEST(WmfReader, RegionsBecomeClipAndRegionRecords)
{
    // One scan (top 10, bottom 20) of two spans: 0..5 and 8..12.
    std::vector<int16_t> region{0, 6, 0, 0, 0, 1, 4, 0, 10, 12, 20, 4, 10, 20, 0, 5, 8, 12, 4};
    std::vector<uint8_t> params;
    for (int16_t v : region) {
        params.push_back(uint8_t(v));
        params.push_back(uint8_t(uint16_t(v) >> 8));
    }
    const std::vector<uint8_t> file = WmfBuilder()
        .raw(META_CREATEREGION, params)                                   // slot 0: region
        .raw(META_CREATEBRUSHINDIRECT, brushParams(BS_SOLID, 0x0000FF))  // slot 1: brush (EMF 2)
        .record(META_SELECTCLIPREGION, {0})
        .record(META_FILLREGION, {0, 1})
        .record(META_SELECTOBJECT, {0})
        .finish();
    const PicturePtr picture = readWmf(file, kScreen);
    ASSERT_TRUE(picture);
    const auto clips = recordsOf<rec::ExtSelectClipRgn>(*picture);
    ASSERT_EQ(clips.size(), 2u);
    for (const auto& clip : clips) {
        EXPECT_TRUE(clip.hasRegion);
        EXPECT_EQ(clip.mode, RGN_COPY);
        ASSERT_EQ(clip.region.rects.size(), 2u);
        EXPECT_EQ(clip.region.rects[1].left, 8);
        EXPECT_EQ(clip.region.rects[1].right, 12);
        EXPECT_EQ(clip.region.rects[1].top, 10);
        EXPECT_EQ(clip.region.rects[1].bottom, 20);
    }
    const auto fills = recordsOf<rec::RegionDraw>(*picture);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].brushIndex, 2u);
    // The region never reaches the player's object table: the brush is the only object.
    EXPECT_EQ(recordsOf<rec::CreateObject>(*picture).size(), 1u);
}

TEST(WmfReader, ExtTextOutKeepsItsRectangleAndAdvances)
{
    std::vector<uint8_t> p;
    auto put = [&](int16_t v) { p.push_back(uint8_t(v)); p.push_back(uint8_t(uint16_t(v) >> 8)); };
    put(50);  // y
    put(40);  // x
    put(3);   // length
    put(int16_t(ETO_OPAQUE));
    for (int16_t v : {1, 2, 300, 400})
        put(v);
    p.insert(p.end(), {'a', 'b', 'c', 0});
    for (int16_t v : {11, 12, 13})
        put(v);
    const PicturePtr picture = readWmf(WmfBuilder().raw(META_EXTTEXTOUT, p).finish(), kScreen);
    ASSERT_TRUE(picture);
    const auto texts = recordsOf<rec::TextOut>(*picture);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].bytes, "abc");
    EXPECT_EQ(texts[0].rect.right, 300);
    EXPECT_EQ(texts[0].rect.bottom, 400);
    EXPECT_EQ(texts[0].dx, (std::vector<int32_t>{11, 12, 13}));
    EXPECT_EQ(texts[0].reference.x, 40);
    EXPECT_EQ(texts[0].reference.y, 50);
}

TEST(WmfReader, EmbeddedEmfIsThePicture)
{
    EmfRecorder recorder(kScreen, RectL{0, 0, 5000, 4000});
    QPainterPath path;
    path.addRect(10, 10, 50, 30);
    DrawBrush brush;
    brush.kind = DrawBrush::Kind::Solid;
    brush.color = Qt::red;
    recorder.fillPath(path, Qt::OddEvenFill, brush);
    const std::vector<uint8_t> emf = recorder.finish();

    // Two MFCOMMENT escapes carry the EMF in halves.
    WmfBuilder builder;
    const size_t half = emf.size() / 2;
    for (size_t at : {size_t(0), half}) {
        const size_t chunk = at == 0 ? half : emf.size() - half;
        kv::gdi::RecordWriter w(kv::gdi::RecordWriter::Format::Wmf);
        w.u16(kMfComment);
        w.u16(uint16_t(34 + chunk));
        w.u32(kEmbeddedEmfId);
        w.u32(1);
        w.u32(0x10000);
        w.u16(0);
        w.u32(0);
        w.u32(2);
        w.u32(uint32_t(chunk));
        w.u32(uint32_t(emf.size() - at - chunk));
        w.u32(uint32_t(emf.size()));
        w.raw(std::span(emf).subspan(at, chunk));
        builder.raw(META_ESCAPE, w.take());
    }
    builder.record(META_RECTANGLE, {1, 1, 0, 0});
    const PicturePtr picture = readWmf(builder.finish(), kScreen);
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->fromWmf);
    EXPECT_EQ(picture->header.frame.right, 5000);
    EXPECT_EQ(picture->header.frame.bottom, 4000);
}

TEST(WmfReader, EveryCorpusFileReads)
{
    const auto corpus = kvtest::corpusDir();
    if (!corpus)
        GTEST_SKIP() << "the shared corpus (../shared/corpus) is not present";
    const QStringList files = QDir(*corpus + "/wmf").entryList({"*.wmf"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QFile f(*corpus + "/wmf/" + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        const PicturePtr picture = readWmf(std::span(reinterpret_cast<const uint8_t*>(data.data()), size_t(data.size())), kScreen);
        ASSERT_TRUE(picture) << name.toStdString();
        EXPECT_GT(picture->records.size(), 3u) << name.toStdString();
        // Read to its end: whatever single records a page loses, none cuts it short.
        EXPECT_FALSE(picture->stats.truncated) << name.toStdString();
        EXPECT_EQ(picture->stats.faultsOf(FaultGrade::Clipped) + picture->stats.faultsOf(FaultGrade::Stopped), 0u)
            << name.toStdString() << ": " << picture->stats.firstError();
        const QImage image = kvtest::renderPicture(QSize(200, 150), kScreen, *picture);
        EXPECT_FALSE(image.isNull());  // what it draws is the pixel gate's business (kv_test_corpus)
    }
}

TEST(WmfReader, PatternBrushesCarryADibWhateverTheirStyleSays)
{
    // An 8 x 8 one-bit DIB with a black and white palette: a checkerboard.
    std::vector<uint8_t> dib(40 + 8 + 8 * 4, 0);
    dib[0] = 40, dib[4] = 8, dib[8] = 8, dib[12] = 1, dib[14] = 1;
    dib[44] = dib[45] = dib[46] = 0xFF;
    for (int row = 0; row < 8; ++row)
        dib[48 + row * 4] = row % 2 ? 0xAA : 0x55;
    for (const uint16_t style : {uint16_t(3), uint16_t(6)}) {  // BS_PATTERN, BS_DIBPATTERNPT
        std::vector<uint8_t> params{uint8_t(style), 0, 0, 0};  // style, DIB_RGB_COLORS
        params.insert(params.end(), dib.begin(), dib.end());
        const PicturePtr picture = readWmf(WmfBuilder().raw(META_DIBCREATEPATTERNBRUSH, params).finish(), kScreen);
        ASSERT_TRUE(picture);
        const auto created = recordsOf<rec::CreateObject>(*picture);
        ASSERT_EQ(created.size(), 1u);
        const Brush* brush = std::get_if<Brush>(created[0].object.get());
        ASSERT_TRUE(brush) << style;
        ASSERT_TRUE(brush->pattern) << style;
        EXPECT_EQ(brush->pattern->image.size(), QSize(8, 8));
        EXPECT_NE(brush->pattern->image.pixel(0, 0), brush->pattern->image.pixel(1, 0));
    }
}

TEST(WmfReader, OneBitPatternBrushesTakeTheTextAndBackgroundColoursOnlyAsBsPattern)
{
    // An 8 x 8 one-bit DIB, all bits 0, whose colour table says green for 0 and yellow for 1.
    std::vector<uint8_t> dib(40 + 8 + 8 * 4, 0);
    dib[0] = 40, dib[4] = 8, dib[8] = 8, dib[12] = 1, dib[14] = 1;
    dib[41] = 0xFF;                 // entry 0: green
    dib[45] = dib[46] = 0xFF;       // entry 1: yellow
    const auto paint = [&](uint16_t style) {
        std::vector<uint8_t> params{uint8_t(style), 0, 0, 0};
        params.insert(params.end(), dib.begin(), dib.end());
        const PicturePtr picture = readWmf(WmfBuilder()
            .record(META_SETWINDOWEXT, {100, 100})
            .raw(META_DIBCREATEPATTERNBRUSH, params)
            .record(META_SELECTOBJECT, {0})
            .raw(META_SETTEXTCOLOR, {0xFF, 0x00, 0x00, 0x00})  // red
            .raw(META_SETBKCOLOR, {0x00, 0x00, 0xFF, 0x00})    // blue
            .record(META_RECTANGLE, {90, 90, 10, 10})
            .finish(), kScreen);
        EXPECT_TRUE(picture);
        return picture ? kvtest::renderPicture(QSize(100, 100), kScreen, *picture).pixel(50, 50) & 0xFFFFFF : 0u;
    };
    // Recorded from a monochrome bitmap: the 0 bits are drawn in the text colour.
    EXPECT_EQ(paint(3), 0xFF0000u);   // BS_PATTERN
    // A DIB pattern keeps its own colours.
    EXPECT_EQ(paint(6), 0x00FF00u);   // BS_DIBPATTERNPT
}

TEST(WmfReader, DeviceBitmapsOfOldBlitsDecodeTheirPixels)
{
    const auto bitBlt = [](int16_t width, int16_t height, int16_t widthBytes, uint8_t bitsPixel,
                           const std::vector<uint8_t>& bits) {
        std::vector<uint8_t> p;
        const auto put16 = [&p](int v) { p.push_back(uint8_t(v)); p.push_back(uint8_t(v >> 8)); };
        put16(0x0020), put16(0x00CC);                      // SRCCOPY
        put16(0), put16(0), put16(height), put16(width);    // ySrc, xSrc, height, width
        put16(0), put16(0);                                 // yDest, xDest
        put16(0), put16(width), put16(height), put16(widthBytes);
        p.push_back(1), p.push_back(bitsPixel);
        p.insert(p.end(), bits.begin(), bits.end());
        const PicturePtr picture = readWmf(WmfBuilder().raw(META_BITBLT, p).finish(), kScreen);
        const auto blts = picture ? recordsOf<rec::Blt>(*picture) : std::vector<rec::Blt>{};
        return blts.size() == 1 && blts[0].source ? blts[0].source->image : QImage();
    };
    // 16 bits, 5-5-5: red, then blue.
    const QImage fiveFiveFive = bitBlt(2, 1, 4, 16, {0x00, 0x7C, 0x1F, 0x00});
    ASSERT_EQ(fiveFiveFive.size(), QSize(2, 1));
    EXPECT_EQ(fiveFiveFive.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(fiveFiveFive.pixel(1, 0) & 0xFFFFFF, 0x0000FFu);
    // 24 bits stated 8 bytes a row but stored word-aligned (6 bytes): the rows are still found.
    const QImage packed = bitBlt(2, 2, 8, 24, {0, 0, 255, 0, 255, 0, /**/ 255, 0, 0, 255, 255, 255});
    ASSERT_EQ(packed.size(), QSize(2, 2));
    EXPECT_EQ(packed.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(packed.pixel(1, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(packed.pixel(0, 1) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(packed.pixel(1, 1) & 0xFFFFFF, 0xFFFFFFu);
    // Palette indexes show the colours of a memory DC's default palette. Eight bits: the
    // first and last ten system entries, black between.
    const QImage indexed8 = bitBlt(5, 1, 6, 8, {1, 9, 246, 255, 100, 0});
    ASSERT_EQ(indexed8.size(), QSize(5, 1));
    EXPECT_EQ(indexed8.pixel(0, 0) & 0xFFFFFF, 0x800000u);  // dark red
    EXPECT_EQ(indexed8.pixel(1, 0) & 0xFFFFFF, 0xA6CAF0u);  // sky blue
    EXPECT_EQ(indexed8.pixel(2, 0) & 0xFFFFFF, 0xFFFBF0u);  // cream
    EXPECT_EQ(indexed8.pixel(3, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(indexed8.pixel(4, 0) & 0xFFFFFF, 0x000000u);
    // Four bits, high nibble first: the sixteen VGA colours.
    const QImage indexed4 = bitBlt(4, 1, 2, 4, {0x79, 0x8F});
    ASSERT_EQ(indexed4.size(), QSize(4, 1));
    EXPECT_EQ(indexed4.pixel(0, 0) & 0xFFFFFF, 0xC0C0C0u);  // 7: light grey
    EXPECT_EQ(indexed4.pixel(1, 0) & 0xFFFFFF, 0xFF0000u);  // 9: red
    EXPECT_EQ(indexed4.pixel(2, 0) & 0xFFFFFF, 0x808080u);  // 8: grey
    EXPECT_EQ(indexed4.pixel(3, 0) & 0xFFFFFF, 0xFFFFFFu);  // 15: white
    // Rows too short for their pixels are refused.
    EXPECT_TRUE(bitBlt(5, 1, 2, 8, {1, 2}).isNull());
}
