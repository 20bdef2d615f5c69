#pragma once
// Independent readers for the files the export writes: libpng, libjpeg and libtiff read
// directly, Pillow (Debian's python3-pil) for BMP and PCX. Each gives the pixels as RGB
// and what the file says about itself.
#include <QImage>
#include <QString>
#include <optional>
#include <vector>

namespace kvtest {

struct PngFacts {
    QImage pixels;           // Format_RGB888
    bool interlaced = false;
    bool hasPhys = false;
    uint32_t ppmX = 0, ppmY = 0;
    int physUnit = -1;
};
std::optional<PngFacts> readPng(const QString& file);

struct JpegFacts {
    QImage pixels;
    int densityUnit = -1;
    int densityX = 0, densityY = 0;
    std::vector<uint16_t> luminanceTable;  // 64 entries, natural order
};
std::optional<JpegFacts> readJpeg(const QString& file);

struct TiffFacts {
    QImage pixels;
    int compression = -1;
    float resolutionX = 0, resolutionY = 0;
    int resolutionUnit = -1;
    int bitsPerSample = 0;
};
// The first page (directory) of the file.
std::optional<TiffFacts> readTiff(const QString& file);
// Every page (directory) of the file in order; empty when the file does not open. A page that
// cannot be decoded ends the list there.
std::vector<TiffFacts> readTiffPages(const QString& file);

struct PillowFacts {
    QImage pixels;
    QString format;  // Pillow's name: BMP, PCX
    double dpiX = 0, dpiY = 0;
};
// Nothing when python3 with PIL is missing or the file does not open (the reason in `error`).
std::optional<PillowFacts> readWithPillow(const QString& file, QString* error = nullptr);

// Whether two images hold the same RGB pixels (alpha ignored).
bool sameRgb(const QImage& a, const QImage& b);

// Share of the dark pixels of `a` that have a dark pixel of `b` within two pixels (1 when `a`
// has none): how much of one rendering's ink the other has, small shifts allowed.
double darkCovered(const QImage& a, const QImage& b);

} // namespace kvtest
