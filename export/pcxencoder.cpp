// PCX (ZSoft version 5): 24-bit colour as three 8-bit planes per scan line (red, green,
// blue), each plane's line run-length encoded on its own.
#include "encoders.h"

#include "rgbrows.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr int kMaxRun = 63;
constexpr uint8_t kRunMark = 0xC0;

void encodeRuns(const uint8_t* plane, size_t length, std::vector<uint8_t>& out)
{
    for (size_t i = 0; i < length;) {
        const uint8_t value = plane[i];
        size_t run = 1;
        while (i + run < length && run < kMaxRun && plane[i + run] == value)
            ++run;
        // A lone byte whose two top bits are set would read as a run count.
        if (run > 1 || value >= kRunMark)
            out.push_back(uint8_t(kRunMark | run));
        out.push_back(value);
        i += run;
    }
}

uint16_t dpiField(double dpi) { return uint16_t(std::clamp<long>(std::lround(dpi), 0, 0xFFFF)); }

} // namespace

bool encodePcx(const QImage& image, QPointF dpi, QIODevice& out, QString& error)
{
    RgbRows rows(image);
    if (rows.width() <= 0 || rows.height() <= 0 || rows.width() > 0xFFFF || rows.height() > 0xFFFF) {
        error = QStringLiteral("the image is too large for a PCX file");
        return false;
    }
    const size_t bytesPerLine = (size_t(rows.width()) + 1) & ~size_t(1);  // even, as readers expect
    std::vector<uint8_t> header;
    header.push_back(0x0A);  // ZSoft
    header.push_back(5);     // version 3.0 and later: 24-bit capable
    header.push_back(1);     // run-length encoded
    header.push_back(8);     // bits per pixel and plane
    putLe16(header, 0);
    putLe16(header, 0);
    putLe16(header, uint16_t(rows.width() - 1));
    putLe16(header, uint16_t(rows.height() - 1));
    putLe16(header, dpiField(dpi.x()));
    putLe16(header, dpiField(dpi.y()));
    header.resize(header.size() + 48, 0);  // 16-colour palette, unused
    header.push_back(0);     // reserved
    header.push_back(3);     // planes
    putLe16(header, uint16_t(bytesPerLine));
    putLe16(header, 1);      // colour
    putLe16(header, 0);      // screen size, unused
    putLe16(header, 0);
    header.resize(128, 0);
    DeviceWriter writer(out);
    writer.write(header.data(), header.size());
    std::vector<uint8_t> plane(bytesPerLine, 0), encoded;
    for (int y = 0; y < rows.height() && writer.ok(); ++y) {
        const uint8_t* rgb = rows.row(y);
        encoded.clear();
        for (int channel = 0; channel < 3; ++channel) {
            for (int x = 0; x < rows.width(); ++x)
                plane[size_t(x)] = rgb[size_t(x) * 3 + size_t(channel)];
            encodeRuns(plane.data(), plane.size(), encoded);
        }
        writer.write(encoded.data(), encoded.size());
    }
    if (!writer.ok())
        error = writer.error();
    return writer.ok();
}

} // namespace kv
