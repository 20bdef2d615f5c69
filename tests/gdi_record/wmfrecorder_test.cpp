// The WMF recorder: what it writes reads back through the WMF reader as the same drawing.
#include "recordtestutil.h"

#include "gdi/core/objects.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/wmf/wmfformat.h"
#include "gdi/wmf/wmfrecorder.h"
#include "platform/bytereader.h"

#include <gtest/gtest.h>
#include <map>

using namespace kv::gdi;

namespace {

const DeviceCaps kRef = kvtest::referenceCaps(400, 300, 96);

std::vector<uint8_t> recordWmf(const DeviceCaps& ref, const std::function<void(Dc&)>& draw,
                               std::optional<RectL> placeable = std::nullopt)
{
    WmfRecorder recorder(ref, placeable);
    {
        Dc dc(recorder);
        draw(dc);
    }
    return recorder.finish();
}

void drawShapes(Dc& dc)
{
    dc.selectObject(makeObject(Pen{PS_SOLID, 2, 0x008000}));
    dc.selectObject(makeObject(Brush{BS_SOLID, 0xC03030}));
    dc.rectangle(RectL{20, 20, 150, 100});
    dc.ellipse(RectL{200, 40, 380, 160});
    dc.moveTo(10, 200);
    dc.lineTo(390, 260);
    dc.intersectClipRect(RectL{50, 150, 150, 290});
    dc.selectObject(makeObject(Brush{BS_SOLID, 0x30C030}));
    dc.ellipse(RectL{20, 140, 200, 299});
}

// Function of each record of a written WMF (after the header), in order.
std::vector<uint16_t> functions(const std::vector<uint8_t>& bytes, size_t headerAt = 0)
{
    std::vector<uint16_t> out;
    kv::ByteReader r(bytes.data(), bytes.size());
    for (size_t pos = headerAt + kv::gdi::wmf::kHeaderSize; pos + 6 <= bytes.size();) {
        r.seek(pos);
        const uint32_t words = r.u32();
        const uint16_t function = r.u16();
        out.push_back(function);
        if (function == 0 || words < 3)
            break;
        pos += size_t(words) * 2;
    }
    return out;
}

} // namespace

TEST(WmfRecorder, ReadsBackAsTheDrawingItRecorded)
{
    const QSize size(kRef.horzRes, kRef.vertRes);
    const QImage direct = kvtest::renderDirect(size, kRef, drawShapes);
    const std::vector<uint8_t> bytes = recordWmf(kRef, drawShapes);
    const PicturePtr picture = readWmf(bytes, kRef);
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->stats.truncated);
    const QImage played = kvtest::renderPicture(size, kRef, *picture);
    ASSERT_GT(kvtest::inkCount(direct), 5000);
    EXPECT_GT(kvtest::inkAgreement(direct, played, 1), 0.98);
}

TEST(WmfRecorder, ObjectSlotsAreReusedLowestFirst)
{
    const ColorRef colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0x808080, 0x404040};
    const std::vector<uint8_t> bytes = recordWmf(kRef, [&](Dc& dc) {
        for (size_t i = 0; i < std::size(colours); ++i) {
            dc.selectObject(makeObject(Brush{BS_SOLID, colours[i]}));
            dc.selectObject(makeObject(Pen{PS_SOLID, int32_t(i + 1), colours[i]}));
            dc.rectangle(RectL{int32_t(i) * 20, 0, int32_t(i) * 20 + 15, 15});
        }
    });
    // The reader gives every object the lowest free slot: if the recorder numbered them any
    // other way, its selections and deletions would name the wrong or missing objects.
    const PicturePtr picture = readWmf(bytes, kRef);
    ASSERT_TRUE(picture);
    std::map<uint32_t, ObjectPtr> live;
    std::vector<ColorRef> filled;
    for (const auto& r : picture->records) {
        if (const auto* c = std::get_if<rec::CreateObject>(&r)) {
            EXPECT_FALSE(live.count(c->index)) << "slot " << c->index << " taken twice";
            live[c->index] = c->object;
        } else if (const auto* s = std::get_if<rec::SelectObject>(&r)) {
            ASSERT_TRUE(live.count(s->index)) << "selects a missing object";
            if (const auto* brush = std::get_if<Brush>(live[s->index].get()); brush && brush->style == BS_SOLID)
                filled.push_back(brush->color);
        } else if (const auto* d = std::get_if<rec::DeleteObject>(&r)) {
            EXPECT_TRUE(live.erase(d->index)) << "deletes a missing object";
        }
    }
    EXPECT_EQ(filled, std::vector<ColorRef>(std::begin(colours), std::end(colours)));
    // Replaced objects are deleted: the table never needs more than two of each kind.
    EXPECT_LE(picture->header.handles, 7);
}

TEST(WmfRecorder, TextIsExtTextOutWithAdvances)
{
    const std::vector<uint8_t> bytes = recordWmf(kRef, [](Dc& dc) {
        LogFont font;
        font.height = -20;
        font.faceName = u"Arial";
        dc.selectObject(makeObject(Font{font}));
        const int32_t dx[] = {15, 16, 17, 18};
        dc.extTextOut(30, 60, 0, nullptr, u"Caf\u00e9", dx);
    });
    const PicturePtr picture = readWmf(bytes, kRef);
    ASSERT_TRUE(picture);
    const auto texts = kvtest::recordsOf<rec::TextOut>(*picture);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].bytes, std::string("Caf\xe9"));
    ASSERT_EQ(texts[0].dx.size(), 4u);
    EXPECT_EQ(texts[0].dx[0], 15);
    EXPECT_EQ(texts[0].dx[2], 17);
}

TEST(WmfRecorder, LargeReferencesAreScaledIntoSixteenBits)
{
    const DeviceCaps big = kvtest::referenceCaps(70000, 50000, 2400);
    WmfRecorder probe(big);
    EXPECT_EQ(probe.scale(), 3);
    const std::vector<uint8_t> bytes = recordWmf(big, [](Dc& dc) {
        dc.selectStockObject(NULL_PEN);
        dc.selectObject(makeObject(Brush{BS_SOLID, 0}));
        dc.rectangle(RectL{60000, 40000, 69000, 49000});
    });
    const PicturePtr picture = readWmf(bytes, big);
    ASSERT_TRUE(picture);
    const auto polygons = kvtest::recordsOf<rec::Poly>(*picture);
    ASSERT_EQ(polygons.size(), 1u);
    for (const PointL& p : polygons[0].points) {
        EXPECT_GE(p.x, 20000);
        EXPECT_LE(p.x, 23000);
    }
}

TEST(WmfRecorder, ATurnedPictureFarBeyondTheSurfaceIsRecordedOnlyWhereTheSurfaceIs)
{
    WmfRecorder recorder(kRef);
    ImageDraw image;
    image.source = QImage(4, 4, QImage::Format_RGB32);
    image.source.fill(Qt::red);
    // Turned and blown up to millions of pixels a side, as a damaged page asked for.
    image.toDevice = QTransform().rotate(30).scale(1e6, 1e6);
    image.deviceQuad = image.toDevice.map(QPolygonF(QRectF(0, 0, 4, 4)));
    recorder.drawImage(image);
    const PicturePtr picture = readWmf(recorder.finish(), kRef);
    ASSERT_TRUE(picture);
    const auto blts = kvtest::recordsOf<rec::Blt>(*picture);
    ASSERT_FALSE(blts.empty()) << "the part on the surface is drawn";
    for (const rec::Blt& blt : blts) {
        ASSERT_TRUE(blt.source);
        EXPECT_LE(blt.source->image.width(), kRef.horzRes);
        EXPECT_LE(blt.source->image.height(), kRef.vertRes);
    }
}

TEST(WmfRecorder, PlaceableHeaderIsOptional)
{
    auto draw = [](Dc& dc) { dc.rectangle(RectL{1, 1, 5, 5}); };
    const std::vector<uint8_t> plain = recordWmf(kRef, draw);
    const std::vector<uint8_t> placeable = recordWmf(kRef, draw, RectL{0, 0, 400, 300});
    kv::ByteReader r(placeable.data(), placeable.size());
    EXPECT_EQ(r.u32(), kv::gdi::wmf::kPlaceableKey);
    EXPECT_EQ(placeable.size(), plain.size() + kv::gdi::wmf::kPlaceableSize);
    EXPECT_EQ(functions(placeable, kv::gdi::wmf::kPlaceableSize), functions(plain));
    EXPECT_EQ(functions(plain).back(), kv::gdi::wmf::META_EOF);
    // Header: mtSize counts the words after the placeable header.
    kv::ByteReader h(plain.data(), plain.size());
    h.seek(6);
    EXPECT_EQ(h.u32() * 2, plain.size());
}
