// BMP: BITMAPFILEHEADER and BITMAPINFOHEADER, 24-bit BI_RGB, rows bottom-up, each padded to
// four bytes.
#include "encoders.h"

#include "rgbrows.h"

#include <cstring>

namespace kv {

bool encodeBmp(const QImage& image, QPointF dpi, QIODevice& out, QString& error)
{
    RgbRows rows(image);
    const uint32_t stride = (uint32_t(rows.width()) * 3 + 3) & ~3u;
    const uint32_t headerSize = 14 + 40;
    const uint64_t pixelBytes = uint64_t(stride) * uint32_t(rows.height());
    if (rows.width() <= 0 || rows.height() <= 0 || headerSize + pixelBytes > 0xFFFFFFFFu) {
        error = QStringLiteral("the image is too large for a BMP file");
        return false;
    }
    std::vector<uint8_t> header;
    header.push_back('B');
    header.push_back('M');
    putLe32(header, uint32_t(headerSize + pixelBytes));
    putLe32(header, 0);  // reserved
    putLe32(header, headerSize);
    putLe32(header, 40);
    putLe32(header, uint32_t(rows.width()));
    putLe32(header, uint32_t(rows.height()));  // positive: bottom-up
    putLe16(header, 1);                         // planes
    putLe16(header, 24);
    putLe32(header, 0);                         // BI_RGB
    putLe32(header, uint32_t(pixelBytes));
    putLe32(header, pixelsPerMetre(dpi.x()));
    putLe32(header, pixelsPerMetre(dpi.y()));
    putLe32(header, 0);  // colours used
    putLe32(header, 0);  // important colours
    DeviceWriter writer(out);
    writer.write(header.data(), header.size());
    std::vector<uint8_t> line(stride, 0);
    for (int y = rows.height() - 1; y >= 0 && writer.ok(); --y) {
        std::memcpy(line.data(), rows.row(y, true), size_t(rows.width()) * 3);
        writer.write(line.data(), line.size());
    }
    if (!writer.ok())
        error = writer.error();
    return writer.ok();
}

} // namespace kv
