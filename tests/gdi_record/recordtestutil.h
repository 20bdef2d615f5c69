#pragma once
// Helpers of the recording tests: hand-built WMF files, drawing onto images, ink masks and
// walking the records of written metafiles.
#include "gdi/dc/dc.h"
#include "gdi/core/records.h"
#include "gdi/record/recordwriter.h"

#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

namespace kvtest {

// A WMF put together record by record: 16-bit parameters as the file keeps them.
class WmfBuilder {
public:
    // `placeable`: left, top, right, bottom and units per inch of a placeable header.
    explicit WmfBuilder(std::optional<std::array<int16_t, 5>> placeable = std::nullopt);
    WmfBuilder& record(uint16_t function, std::initializer_list<int16_t> params);
    WmfBuilder& raw(uint16_t function, const std::vector<uint8_t>& params);
    // Ends with META_EOF; `mtSize` overrides the header's size field (files that lie).
    std::vector<uint8_t> finish(std::optional<uint32_t> mtSize = std::nullopt, size_t trailingBytes = 0);

private:
    kv::gdi::RecordWriter out_{kv::gdi::RecordWriter::Format::Wmf};
    size_t headerAt_ = 0;
};

// A reference surface of the given size in pixels at the given resolution.
kv::gdi::DeviceCaps referenceCaps(int width, int height, int dpi);

// A white image drawn on by `draw` through a Dc over a painter device.
QImage renderDirect(QSize size, const kv::gdi::DeviceCaps& caps, const std::function<void(kv::gdi::Dc&)>& draw);

// A white image with the picture played into (0, 0, size).
QImage renderPicture(QSize size, const kv::gdi::DeviceCaps& caps, const kv::gdi::Picture& picture);

// Pixels that are not white.
QImage inkMask(const QImage& image);

// Share of the ink of `a` that `b` has within `tolerance` pixels, and back: the smaller one.
double inkAgreement(const QImage& a, const QImage& b, int tolerance = 1);
int inkCount(const QImage& image);

// (type, offset) of every record of an EMF, from its header to EMR_EOF.
std::vector<std::pair<uint32_t, size_t>> emfRecords(const std::vector<uint8_t>& bytes);
uint32_t readU32(const std::vector<uint8_t>& bytes, size_t offset);
int32_t readI32(const std::vector<uint8_t>& bytes, size_t offset);

// Records of a type in a parsed picture.
template <class R> std::vector<R> recordsOf(const kv::gdi::Picture& picture)
{
    std::vector<R> out;
    for (const auto& r : picture.records)
        if (const R* p = std::get_if<R>(&r))
            out.push_back(*p);
    return out;
}

} // namespace kvtest
