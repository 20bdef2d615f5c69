// The EMF reader and player end to end: small EMFs written by the test, and the corpus.
#include "emfbuilder.h"
#include "tracedevice.h"
#include "testenv.h"

#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/render.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace kv::gdi;
using kvtest::EmfBuilder;

namespace {

constexpr uint32_t kUnknownType = 0x7777;
constexpr uint32_t kEllipse = 42;  // EMR_ELLIPSE

PicturePtr read(const std::vector<uint8_t>& bytes) { return readEmf(bytes); }

bool dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

uint32_t countOf(const std::vector<std::pair<uint32_t, uint32_t>>& counts, uint32_t type)
{
    for (const auto& [t, n] : counts)
        if (t == type)
            return n;
    return 0;
}

// A 2 x 2 bottom-up 24-bit DIB: the top row red, green; the bottom row blue, white.
std::vector<uint8_t> twoByTwoDib()
{
    std::vector<uint8_t> d(40 + 16, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) d[at + i] = uint8_t(v >> (8 * i)); };
    put32(0, 40);
    put32(4, 2);
    put32(8, 2);
    d[12] = 1;
    d[14] = 24;
    const uint8_t bottom[] = {255, 0, 0, 255, 255, 255, 0, 0};  // BGR blue, BGR white, padding
    const uint8_t top[] = {0, 0, 255, 0, 255, 0, 0, 0};         // red, green
    std::copy(std::begin(bottom), std::end(bottom), d.begin() + 40);
    std::copy(std::begin(top), std::end(top), d.begin() + 48);
    return d;
}

} // namespace

TEST(EmfReader, ReadsTheHeaderAndCountsRecords)
{
    EmfBuilder b(800, 600);
    b.record(kUnknownType, {});
    const auto bytes = b.finish();
    const auto picture = read(bytes);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->header.bounds.right, 799);
    EXPECT_EQ(picture->header.frame.bottom, 5999);
    EXPECT_EQ(picture->header.device.cx, 800);
    EXPECT_EQ(picture->header.millimeters.cy, 60);
    EXPECT_FALSE(picture->stats.truncated);
    EXPECT_EQ(countOf(picture->stats.skipped, kUnknownType), 1u);
}

TEST(EmfReader, RejectsOnlyAWrongStart)
{
    auto bytes = EmfBuilder().finish();
    bytes[40] = 'X';  // signature
    EXPECT_FALSE(read(bytes));
    EXPECT_FALSE(read(std::vector<uint8_t>(10, 0)));
    EXPECT_FALSE(read({}));
}

TEST(EmfReader, SurvivesLyingSizesAndTruncation)
{
    EmfBuilder b;
    b.record(kvtest::EMR_RECTANGLE, {10, 10, 20, 20});
    auto bytes = b.finish();
    // A record claiming more bytes than the file has ends the walk; what came before stays.
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 12);
    const auto picture = read(cut);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->stats.truncated);
    EXPECT_EQ(picture->records.size(), 1u);
    // A short record (smaller than its type needs) is skipped, not read past.
    EmfBuilder s;
    s.record(kvtest::EMR_RECTANGLE, {10, 10});
    const auto shortOne = read(s.finish());
    ASSERT_TRUE(shortOne);
    EXPECT_EQ(countOf(shortOne->stats.skipped, kvtest::EMR_RECTANGLE), 1u);
}

// Each fault is graded by what it cost the page: one record (skipped, the walk goes on), the
// end of the page (the file is cut short), or everything after it (a size the walk cannot
// step over although the file goes on).
TEST(EmfReader, FaultsAreGradedByWhatTheyCostThePage)
{
    EmfBuilder skippedOne;
    skippedOne.record(kvtest::EMR_RECTANGLE, {10, 10});  // short
    skippedOne.record(kvtest::EMR_POLYGON, {0, 0, 10, 10, 1000000, 1, 2, 3, 4});  // count past the record
    skippedOne.record(kvtest::EMR_RECTANGLE, {10, 10, 20, 20});
    skippedOne.record(kUnknownType, {});  // not ours to draw, not a fault of the file
    const auto skipped = read(skippedOne.finish());
    ASSERT_TRUE(skipped);
    EXPECT_EQ(skipped->stats.faultsOf(FaultGrade::Skipped), 2u);
    EXPECT_EQ(skipped->stats.faultsOf(FaultGrade::Clipped), 0u);
    EXPECT_EQ(skipped->stats.faultsOf(FaultGrade::Stopped), 0u);
    ASSERT_EQ(skipped->stats.faults.size(), 2u);
    EXPECT_EQ(skipped->stats.faults[0].type, kvtest::EMR_RECTANGLE);
    EXPECT_EQ(skipped->stats.faults[1].type, kvtest::EMR_POLYGON);
    EXPECT_LT(skipped->stats.faults[0].offset, skipped->stats.faults[1].offset);
    EXPECT_EQ(countOf(skipped->stats.played, kvtest::EMR_RECTANGLE), 1u);
    EXPECT_EQ(countOf(skipped->stats.skipped, kUnknownType), 1u);
    EXPECT_NE(skipped->stats.firstError().find("RECTANGLE"), std::string::npos) << skipped->stats.firstError();

    EmfBuilder two;
    two.record(kvtest::EMR_RECTANGLE, {10, 10, 20, 20});
    two.record(kEllipse, {10, 10, 20, 20});
    const std::vector<uint8_t> whole = two.finish();
    const std::vector<uint8_t> cutInTheEllipse(whole.begin(), whole.end() - 20 - 4);
    const auto clipped = read(cutInTheEllipse);
    ASSERT_TRUE(clipped);
    EXPECT_EQ(clipped->stats.faultsOf(FaultGrade::Clipped), 1u);
    EXPECT_EQ(clipped->stats.faultsOf(FaultGrade::Stopped), 0u);
    EXPECT_EQ(clipped->stats.faults.front().type, kEllipse);
    EXPECT_TRUE(clipped->stats.truncated);
    const std::vector<uint8_t> cutAfterTheEllipse(whole.begin(), whole.end() - 20);
    const auto noEnd = read(cutAfterTheEllipse);
    ASSERT_TRUE(noEnd);
    EXPECT_EQ(noEnd->stats.faultsOf(FaultGrade::Clipped), 1u) << "no end-of-file record";
    EXPECT_EQ(countOf(noEnd->stats.played, kEllipse), 1u);

    std::vector<uint8_t> tooSmall = whole;
    const size_t ellipseSize = whole.size() - 20 - 24;  // the rectangle's and the ellipse's records are 24 bytes
    tooSmall[ellipseSize + 4] = 4;  // the ellipse claims 4 bytes: there is no next record to find
    const auto stopped = read(tooSmall);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(stopped->stats.faultsOf(FaultGrade::Stopped), 1u);
    EXPECT_EQ(stopped->stats.faultsOf(FaultGrade::Clipped), 0u);
    EXPECT_EQ(stopped->stats.faults.front().offset, ellipseSize);
    EXPECT_EQ(countOf(stopped->stats.played, kvtest::EMR_RECTANGLE), 1u);
    EXPECT_EQ(countOf(stopped->stats.played, kEllipse), 0u);
}

// A hostile file may fault on every record: the account keeps its counts but not every fault.
TEST(EmfReader, EveryFaultIsCountedButOnlyTheFirstAreKept)
{
    EmfBuilder b;
    for (int i = 0; i < 100; ++i)
        b.record(kvtest::EMR_RECTANGLE, {10, 10});
    const auto picture = read(b.finish());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->stats.faultsOf(FaultGrade::Skipped), 100u);
    EXPECT_EQ(picture->stats.faults.size(), ParseStats::kKeptFaults);
}

TEST(EmfReader, PolygonCountBeyondTheRecordIsSkipped)
{
    EmfBuilder b;
    b.record(kvtest::EMR_POLYGON, {0, 0, 10, 10, 1000000, 1, 2, 3, 4});
    const auto picture = read(b.finish());
    ASSERT_TRUE(picture);
    EXPECT_EQ(countOf(picture->stats.skipped, kvtest::EMR_POLYGON), 1u);
}

TEST(EmfPlayer, FrameFillsTheImageAndMappingModesApply)
{
    EmfBuilder b(1000, 1000);
    b.record(kvtest::EMR_SETMAPMODE, {MM_ANISOTROPIC});
    b.record(kvtest::EMR_SETWINDOWEXTEX, {100, 100});
    b.record(kvtest::EMR_SETVIEWPORTEXTEX, {1000, 1000});
    b.record(kvtest::EMR_SELECTOBJECT, {int32_t(STOCK_FLAG | BLACK_BRUSH)});
    b.record(kvtest::EMR_RECTANGLE, {50, 0, 100, 50});  // the top-right quarter
    const auto picture = read(b.finish());
    ASSERT_TRUE(picture);
    const QImage image = renderPicture(*picture, 200);
    ASSERT_EQ(image.size(), QSize(200, 200));
    EXPECT_TRUE(dark(image, 150, 50));
    EXPECT_FALSE(dark(image, 50, 50));
    EXPECT_FALSE(dark(image, 150, 150));
}

TEST(EmfPlayer, TheFrameIsMeasuredInTheHeadersWholeMillimetres)
{
    // szlMicrometers says 125 mm, szlMillimeters 100 mm; playback goes by the millimetres, as
    // GDI's does: the frame (100 mm) is the whole 1000-pixel surface, not 800 pixels of it.
    EmfBuilder b(1000, 1000, std::array<int32_t, 2>{125000, 125000});
    b.record(kvtest::EMR_SELECTOBJECT, {int32_t(STOCK_FLAG | BLACK_BRUSH)});
    b.record(kvtest::EMR_RECTANGLE, {500, 500, 1000, 1000});  // the bottom-right quarter
    const auto picture = read(b.finish());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->header.micrometers.cx, 125000);
    const QImage image = renderPicture(*picture, 200);
    ASSERT_EQ(image.size(), QSize(200, 200));
    EXPECT_TRUE(dark(image, 110, 110));
    EXPECT_TRUE(dark(image, 190, 190));
    EXPECT_FALSE(dark(image, 90, 90));
}

TEST(EmfPlayer, PictureCannotReachTheCallersStateStackOrLeakItsClip)
{
    EmfBuilder b;
    b.record(kvtest::EMR_RESTOREDC, {-5});
    b.record(kvtest::EMR_RESTOREDC, {-1});
    b.record(kvtest::EMR_SAVEDC, {});
    b.record(kvtest::EMR_INTERSECTCLIPRECT, {0, 0, 10, 10});
    b.record(kvtest::EMR_SETMAPMODE, {MM_LOMETRIC});
    const auto picture = read(b.finish());
    ASSERT_TRUE(picture);
    kvtest::TraceDevice device;
    Dc dc(device);
    dc.setBkColor(0x123456);
    dc.saveDc();
    EXPECT_TRUE(playPicture(dc, *picture, RectL{0, 0, 100, 100}));
    EXPECT_EQ(dc.state().mapMode, MM_TEXT);
    EXPECT_FALSE(dc.state().clip.has_value());
    EXPECT_TRUE(dc.restoreDc(-1));  // the caller's own save is still there
    EXPECT_EQ(dc.state().bkColor, 0x123456u);
}

TEST(EmfPlayer, StretchDibitsKeepsTheBitmapUpright)
{
    EmfBuilder b(100, 100);
    const auto dib = twoByTwoDib();
    b.begin(kvtest::EMR_STRETCHDIBITS);
    b.i32({0, 0, 99, 99});             // bounds
    b.i32({0, 0, 0, 0, 2, 2});         // xDest, yDest, xSrc, ySrc, cxSrc, cySrc
    b.i32({80, 40, 120, 16});          // offBmi, cbBmi, offBits, cbBits
    b.i32({0, int32_t(SRCCOPY), 100, 100});  // usage, rop, cxDest, cyDest
    b.bytes(dib);
    b.end();
    const auto picture = read(b.finish());
    ASSERT_TRUE(picture);
    const QImage image = renderPicture(*picture, 100);
    EXPECT_EQ(image.pixel(25, 25) & 0xFFFFFF, 0xFF0000u);  // red, top left
    EXPECT_EQ(image.pixel(75, 25) & 0xFFFFFF, 0x00FF00u);  // green, top right
    EXPECT_EQ(image.pixel(25, 75) & 0xFFFFFF, 0x0000FFu);  // blue, bottom left
    EXPECT_EQ(image.pixel(75, 75) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(EmfPlayer, ThinLinesSurviveAScaledDownPage)
{
    EmfBuilder b(10000, 10000);
    b.record(kvtest::EMR_CREATEPEN, {1, PS_SOLID, 1, 0, 0});
    b.record(kvtest::EMR_SELECTOBJECT, {1});
    b.record(kvtest::EMR_MOVETOEX, {0, 5000});
    b.record(kvtest::EMR_LINETO, {10000, 5000});
    const auto picture = read(b.finish());
    ASSERT_TRUE(picture);
    const QImage image = renderPicture(*picture, 100);
    int rows = 0;
    for (int y = 45; y < 55; ++y)
        rows += dark(image, 50, y);
    EXPECT_GE(rows, 1);
}

// The corpus's pages are read whole (nothing cuts them short or stops their walk) and render at
// their frame's shape; damaged files are refused, or read with what their damage cost graded.
TEST(EmfCorpus, SoundPagesReadWholeAndDamagedOnesAreGraded)
{
    const auto corpus = kvtest::corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus beside the project (../shared/corpus)";
    const DeviceCaps screen{1920, 1080, 508, 286};
    const QDir sound(*corpus + "/emf");
    int pages = 0;
    for (const QString& name : sound.entryList({"*.emf"}, QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const PicturePtr picture = readMetafileFile(sound.filePath(name), screen);
        ASSERT_TRUE(picture);
        EXPECT_FALSE(picture->stats.truncated);
        EXPECT_EQ(picture->stats.faultsOf(FaultGrade::Clipped) + picture->stats.faultsOf(FaultGrade::Stopped), 0u)
            << picture->stats.firstError();
        const QRectF frame = pictureFrame(picture->header);
        const QImage image = renderPicture(*picture, 200);
        ASSERT_FALSE(image.isNull());
        EXPECT_NEAR(image.height(), 200 * frame.height() / frame.width(), 1.0);
        ++pages;
    }
    EXPECT_GT(pages, 70);

    const QDir damaged(*corpus + "/corrupt");
    int refused = 0, graded = 0;
    for (const QString& name : damaged.entryList({"*.emf", "*.wmf"}, QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const PicturePtr picture = readMetafileFile(damaged.filePath(name), screen);
        if (!picture) {
            ++refused;
            continue;
        }
        const ParseStats& stats = picture->stats;
        // A walk that did not reach its end record says why.
        if (stats.truncated)
            EXPECT_GT(stats.faultsOf(FaultGrade::Clipped) + stats.faultsOf(FaultGrade::Stopped), 0u);
        EXPECT_LE(stats.faults.size(), ParseStats::kKeptFaults);
        graded += !stats.faults.empty();
        renderPicture(*picture, 200);  // must not crash; an empty frame gives no image
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(graded, 5) << "most damaged files are read with their faults named";
}

TEST(EmfPlayer, GradientTrianglesAreShadedBetweenTheirCornerColours)
{
    // One triangle over the left half: red at the top left, green at the bottom left, blue at
    // the top of the middle.
    EmfBuilder b(200, 200);
    b.begin(118);  // EMR_GRADIENTFILL
    b.i32({0, 0, 100, 200});
    b.u32(3).u32(1).u32(2);  // vertices, meshes, GRADIENT_FILL_TRIANGLE
    const auto vertex = [&b](int32_t x, int32_t y, uint16_t red, uint16_t green, uint16_t blue) {
        b.i32({x, y}).u16(red).u16(green).u16(blue).u16(0);
    };
    vertex(0, 0, 0xFF00, 0, 0);
    vertex(0, 200, 0, 0xFF00, 0);
    vertex(100, 0, 0, 0, 0xFF00);
    b.u32(0).u32(1).u32(2);
    b.end();
    const auto picture = read(b.finish());
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->stats.skipped.empty());
    const QImage image = renderPicture(*picture, 200);
    const QColor nearRed = image.pixelColor(3, 3), nearGreen = image.pixelColor(3, 195), nearBlue = image.pixelColor(94, 3);
    EXPECT_GT(nearRed.red(), 220);
    EXPECT_LT(nearRed.green() + nearRed.blue(), 40);
    EXPECT_GT(nearGreen.green(), 220);
    EXPECT_GT(nearBlue.blue(), 200);
    const QColor middle = image.pixelColor(30, 60);  // a third of each
    EXPECT_GT(middle.red(), 40);
    EXPECT_GT(middle.green(), 40);
    EXPECT_GT(middle.blue(), 40);
    EXPECT_EQ(image.pixelColor(150, 150), QColor(Qt::white));  // outside the triangle
    EXPECT_EQ(image.pixelColor(90, 150), QColor(Qt::white));
}

TEST(EmfPlayer, ParallelogramBlitCopiesOnlyWhereItsMaskIsSet)
{
    EmfBuilder b(100, 100);
    const auto dib = twoByTwoDib();
    // A 2 x 2 one-bit mask, bottom-up: the left column set in both rows.
    std::vector<uint8_t> mask(40 + 8 + 8, 0);
    mask[0] = 40, mask[4] = 2, mask[8] = 2, mask[12] = 1, mask[14] = 1;
    mask[44] = mask[45] = mask[46] = 0xFF;  // colour 1: white
    mask[48] = mask[52] = 0x80;
    b.begin(79);  // EMR_PLGBLT
    b.i32({0, 0, 99, 99});                   // bounds
    b.i32({0, 0, 100, 0, 0, 100});           // the parallelogram: top left, top right, bottom left
    b.i32({0, 0, 2, 2});                     // xSrc, ySrc, cxSrc, cySrc
    b.f32(1).f32(0).f32(0).f32(1).f32(0).f32(0);
    b.i32({0xFFFFFF, 0});                    // background colour, usage
    b.i32({140, 40, 180, 16});               // source header and bits
    b.i32({0, 0, 0});                        // xMask, yMask, usage
    b.i32({196, 48, 244, 8});                // mask header and bits
    b.bytes(dib).bytes(mask);
    b.end();
    const auto picture = read(b.finish());
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->stats.skipped.empty());
    const QImage image = renderPicture(*picture, 100);
    EXPECT_EQ(image.pixel(25, 25) & 0xFFFFFF, 0xFF0000u);  // red, under the mask
    EXPECT_EQ(image.pixel(25, 75) & 0xFFFFFF, 0x0000FFu);  // blue, under the mask
    EXPECT_EQ(image.pixel(75, 25) & 0xFFFFFF, 0xFFFFFFu);  // green left out: the page shows
}
