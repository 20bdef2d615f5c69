#include "recordtestutil.h"

#include "gdi/paint/painterdevice.h"
#include "gdi/player.h"
#include "gdi/wmf/wmfformat.h"
#include "platform/bytereader.h"

#include <QPainter>

namespace kvtest {

using namespace kv::gdi;

WmfBuilder::WmfBuilder(std::optional<std::array<int16_t, 5>> placeable)
{
    if (placeable) {
        out_.u32(wmf::kPlaceableKey);
        out_.u16(0);
        for (int16_t v : *placeable)
            out_.i16(v);
        out_.u32(0);
        out_.u16(0);  // checksum: not checked by readers
    }
    headerAt_ = out_.size();
    out_.u16(1);
    out_.u16(9);
    out_.u16(0x0300);
    out_.u32(0);
    out_.u16(0);
    out_.u32(0);
    out_.u16(0);
}

WmfBuilder& WmfBuilder::record(uint16_t function, std::initializer_list<int16_t> params)
{
    out_.begin(function);
    for (int16_t p : params)
        out_.i16(p);
    out_.end();
    return *this;
}

WmfBuilder& WmfBuilder::raw(uint16_t function, const std::vector<uint8_t>& params)
{
    out_.begin(function);
    out_.raw(params);
    out_.end();
    return *this;
}

std::vector<uint8_t> WmfBuilder::finish(std::optional<uint32_t> mtSize, size_t trailingBytes)
{
    record(wmf::META_EOF, {});
    out_.patchU32(headerAt_ + 6, mtSize.value_or(uint32_t((out_.size() - headerAt_) / 2)));
    out_.zeros(trailingBytes);
    return out_.take();
}

DeviceCaps referenceCaps(int width, int height, int dpi)
{
    DeviceCaps caps;
    caps.horzRes = width;
    caps.vertRes = height;
    caps.logPixelsX = caps.logPixelsY = dpi;
    caps.horzSizeMm = int(width * 25.4 / dpi + 0.5);
    caps.vertSizeMm = int(height * 25.4 / dpi + 0.5);
    return caps;
}

namespace {

QImage whiteImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

QImage renderDirect(QSize size, const DeviceCaps& caps, const std::function<void(Dc&)>& draw)
{
    QImage image = whiteImage(size);
    {
        QPainter painter(&image);
        PainterDevice device(painter, caps);
        Dc dc(device);
        draw(dc);
    }
    return image;
}

QImage renderPicture(QSize size, const DeviceCaps& caps, const Picture& picture)
{
    return renderDirect(size, caps, [&](Dc& dc) {
        playPicture(dc, picture, RectL{0, 0, size.width(), size.height()});
    });
}

QImage inkMask(const QImage& image)
{
    QImage mask(image.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                mask.scanLine(y)[x] = 255;
    return mask;
}

int inkCount(const QImage& image)
{
    const QImage mask = inkMask(image);
    int n = 0;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            n += mask.constScanLine(y)[x] != 0;
    return n;
}

namespace {

double covered(const QImage& from, const QImage& to, int tolerance)
{
    int total = 0, found = 0;
    for (int y = 0; y < from.height(); ++y)
        for (int x = 0; x < from.width(); ++x) {
            if (!from.constScanLine(y)[x])
                continue;
            ++total;
            bool hit = false;
            for (int dy = -tolerance; dy <= tolerance && !hit; ++dy)
                for (int dx = -tolerance; dx <= tolerance && !hit; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    hit = xx >= 0 && yy >= 0 && xx < to.width() && yy < to.height() && to.constScanLine(yy)[xx];
                }
            found += hit;
        }
    return total ? double(found) / total : 1.0;
}

} // namespace

double inkAgreement(const QImage& a, const QImage& b, int tolerance)
{
    const QImage ma = inkMask(a), mb = inkMask(b);
    return std::min(covered(ma, mb, tolerance), covered(mb, ma, tolerance));
}

std::vector<std::pair<uint32_t, size_t>> emfRecords(const std::vector<uint8_t>& bytes)
{
    std::vector<std::pair<uint32_t, size_t>> out;
    kv::ByteReader r(bytes.data(), bytes.size());
    for (size_t pos = 0; pos + 8 <= bytes.size();) {
        r.seek(pos);
        const uint32_t type = r.u32();
        const uint32_t size = r.u32();
        out.emplace_back(type, pos);
        if (type == 14 || size < 8)
            break;
        pos += size;
    }
    return out;
}

uint32_t readU32(const std::vector<uint8_t>& bytes, size_t offset)
{
    kv::ByteReader r(bytes.data(), bytes.size());
    r.seek(offset);
    return r.u32();
}

int32_t readI32(const std::vector<uint8_t>& bytes, size_t offset) { return int32_t(readU32(bytes, offset)); }

} // namespace kvtest
