#pragma once
// Raster encoders: a page image and its resolution in, the bytes of one image file out,
// written to any QIODevice (a file being saved, a buffer). Every file carries the resolution
// (PNG pHYs, JPEG JFIF density, TIFF X/YResolution, BMP pixels per metre, PCX dpi) and every
// one is 24-bit RGB; the alpha of the image, if any, is ignored (pages are opaque).
//
// Each returns false with `error` set when the library failed or the device refused the
// bytes; whatever was written by then is the caller's to discard.
#include <QIODevice>
#include <QImage>
#include <QPointF>
#include <QString>

namespace kv {

// Group4: one bit a pixel, black where the page is darker than middle grey (CCITT T.6).
enum class TiffCompression { None, Lzw, PackBits, Group4 };

// Deflate level 2 with the Up filter packs a rendered page in a quarter of the time that the
// adaptive filters at level 6 take, for a quarter more bytes: pages are mostly paper, which
// every level turns into long runs.
constexpr int kFastDeflateLevel = 2;

struct PngOptions {
    int deflateLevel = 6;   // 0 stores the pixels uncompressed
    bool interlaced = false;  // Adam7
};

bool encodeBmp(const QImage& image, QPointF dpi, QIODevice& out, QString& error);
bool encodePcx(const QImage& image, QPointF dpi, QIODevice& out, QString& error);
bool encodePng(const QImage& image, QPointF dpi, const PngOptions& options, QIODevice& out, QString& error);
bool encodeJpeg(const QImage& image, QPointF dpi, int quality, QIODevice& out, QString& error);
bool encodeTiff(const QImage& image, QPointF dpi, TiffCompression compression, QIODevice& out, QString& error);

} // namespace kv
