// Writing QImages as packed DIBs for the recorders: always a 40-byte BITMAPINFOHEADER,
// BI_RGB, bottom-up rows padded to 4 bytes, the smallest plain layout that keeps the picture.
#include "gdi/dib/dib.h"

#include <algorithm>

namespace kv::gdi {

namespace {

class LittleEndianWriter {
public:
    explicit LittleEndianWriter(std::vector<uint8_t>& out) : out_(out) {}
    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v) { u8(uint8_t(v)); u8(uint8_t(v >> 8)); }
    void u32(uint32_t v) { u16(uint16_t(v)); u16(uint16_t(v >> 16)); }

private:
    std::vector<uint8_t>& out_;
};

struct Layout {
    QImage image;              // in the format the rows are copied from
    uint16_t bitCount = 24;
    QList<QRgb> colourTable;  // empty above 8 bits
};

bool paletteHasAlpha(const QList<QRgb>& table)
{
    return std::any_of(table.begin(), table.end(), [](QRgb c) { return qAlpha(c) != 255; });
}

Layout chooseLayout(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        if (!paletteHasAlpha(image.colorTable())) {
            QImage mono = image.convertToFormat(QImage::Format_Mono);
            QList<QRgb> table = mono.colorTable();
            table.resize(2, qRgb(0, 0, 0));
            return {mono, 1, table};
        }
        break;
    case QImage::Format_Indexed8:
        if (!paletteHasAlpha(image.colorTable()) && !image.colorTable().isEmpty())
            return {image, 8, image.colorTable()};
        break;
    case QImage::Format_Grayscale8: {
        QList<QRgb> greys(256);
        for (int i = 0; i < 256; ++i)
            greys[i] = qRgb(i, i, i);
        return {image, 8, greys};
    }
    default: break;
    }
    if (image.hasAlphaChannel())
        return {image.convertToFormat(QImage::Format_ARGB32_Premultiplied), 32, {}};
    return {image.convertToFormat(QImage::Format_RGB32), 24, {}};
}

void writeHeader(LittleEndianWriter& out, const QImage& image, uint16_t bitCount, uint32_t sizeImage,
                 uint32_t colours)
{
    out.u32(40);
    out.u32(uint32_t(image.width()));
    out.u32(uint32_t(image.height()));
    out.u16(1);  // planes
    out.u16(bitCount);
    out.u32(BI_RGB);
    out.u32(sizeImage);
    out.u32(uint32_t(std::max(0, image.dotsPerMeterX())));
    out.u32(uint32_t(std::max(0, image.dotsPerMeterY())));
    out.u32(colours);
    out.u32(0);  // all colours important
}

void writeRow(LittleEndianWriter& out, const Layout& layout, int y, size_t stride)
{
    const uchar* line = layout.image.constScanLine(y);
    const int width = layout.image.width();
    size_t written = 0;
    if (layout.bitCount <= 8) {
        written = layout.bitCount == 1 ? (size_t(width) + 7) / 8 : size_t(width);
        for (size_t i = 0; i < written; ++i)
            out.u8(line[i]);
    } else {
        const auto* px = reinterpret_cast<const QRgb*>(line);
        for (int x = 0; x < width; ++x) {
            out.u8(uint8_t(qBlue(px[x])));
            out.u8(uint8_t(qGreen(px[x])));
            out.u8(uint8_t(qRed(px[x])));
            if (layout.bitCount == 32)
                out.u8(uint8_t(qAlpha(px[x])));
        }
        written = size_t(width) * (layout.bitCount / 8);
    }
    for (; written < stride; ++written)
        out.u8(0);
}

} // namespace

EncodedDib encodeDib(const QImage& image)
{
    EncodedDib dib;
    if (image.isNull())
        return dib;
    const Layout layout = chooseLayout(image);
    const size_t stride = (size_t(image.width()) * layout.bitCount + 31) / 32 * 4;
    const size_t bitsSize = stride * size_t(image.height());
    const size_t colours = size_t(layout.colourTable.size());
    dib.infoSize = 40 + colours * 4;
    dib.bytes.reserve(dib.infoSize + bitsSize);
    LittleEndianWriter out(dib.bytes);
    writeHeader(out, image, layout.bitCount, uint32_t(bitsSize), uint32_t(colours));
    for (QRgb c : layout.colourTable) {
        out.u8(uint8_t(qBlue(c)));
        out.u8(uint8_t(qGreen(c)));
        out.u8(uint8_t(qRed(c)));
        out.u8(0);
    }
    for (int y = image.height() - 1; y >= 0; --y)
        writeRow(out, layout, y, stride);
    return dib;
}

} // namespace kv::gdi
