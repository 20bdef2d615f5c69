// TIFF through libtiff: 8-bit RGB, contiguous samples, strips of about 64 KiB, resolution in
// dots per inch, compression none, LZW (with the horizontal predictor) or PackBits; or one bit
// a pixel (black on white) with CCITT Group 4, the fax compression. libtiff writes through
// callbacks onto the QIODevice, so files and buffers take the same road, and one directory per
// page, so a file can hold a whole report.
#include "encoders.h"
#include "tiffpages.h"

#include "rgbrows.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>

namespace kv {

namespace {

} // namespace

struct TiffTarget {
    QIODevice* out;
    QString message;
};

namespace {

TiffTarget* targetOf(thandle_t handle) { return static_cast<TiffTarget*>(handle); }

// libtiff reads back the directories written so far when it links a new page to them.
tmsize_t onRead(thandle_t handle, void* data, tmsize_t size)
{
    QIODevice* out = targetOf(handle)->out;
    if (!out->isReadable())
        return 0;
    return tmsize_t(std::max<qint64>(0, out->read(static_cast<char*>(data), qint64(size))));
}

tmsize_t onWrite(thandle_t handle, void* data, tmsize_t size)
{
    TiffTarget* target = targetOf(handle);
    const qint64 written = target->out->write(static_cast<const char*>(data), qint64(size));
    if (written != qint64(size) && target->message.isEmpty())
        target->message = target->out->errorString();
    return tmsize_t(written);
}

toff_t onSeek(thandle_t handle, toff_t offset, int whence)
{
    QIODevice* out = targetOf(handle)->out;
    qint64 at = qint64(offset);
    if (whence == SEEK_CUR)
        at += out->pos();
    else if (whence == SEEK_END)
        at += out->size();
    return out->seek(at) ? toff_t(at) : toff_t(-1);
}

int onClose(thandle_t) { return 0; }
toff_t onSize(thandle_t handle) { return toff_t(targetOf(handle)->out->size()); }
int onMap(thandle_t, void**, toff_t*) { return 0; }
void onUnmap(thandle_t, void*, toff_t) {}

int onError(TIFF*, void* user, const char* module, const char* format, va_list args)
{
    auto* target = static_cast<TiffTarget*>(user);
    if (target->message.isEmpty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        target->message = QString::fromLatin1(module ? module : "libtiff") + QStringLiteral(": ")
            + QString::fromLatin1(text);
    }
    return 1;  // handled: nothing on standard error
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

uint16_t compressionTag(TiffCompression compression)
{
    switch (compression) {
    case TiffCompression::None: return COMPRESSION_NONE;
    case TiffCompression::Lzw: return COMPRESSION_LZW;
    case TiffCompression::PackBits: return COMPRESSION_PACKBITS;
    case TiffCompression::Group4: return COMPRESSION_CCITTFAX4;
    }
    return COMPRESSION_NONE;
}

// A pixel darker than the middle grey is black: report text and rules stay whole.
constexpr int kBlackBelow = 128;

void packBlackBits(const uint8_t* rgb, int width, std::vector<uint8_t>& bits)
{
    std::fill(bits.begin(), bits.end(), uint8_t(0));
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = rgb + 3 * x;
        if ((p[0] * 299 + p[1] * 587 + p[2] * 114) / 1000 < kBlackBelow)
            bits[size_t(x) / 8] |= uint8_t(0x80u >> (x % 8));
    }
}

bool setPageFields(TIFF* tif, int width, int height, QPointF dpi, TiffCompression compression, int page, int pages)
{
    const bool bilevel = compression == TiffCompression::Group4;
    const uint32_t rowBytes = bilevel ? uint32_t(width + 7) / 8 : uint32_t(width) * 3;
    // Group 4 codes a strip as one picture: the whole page in one strip compresses best.
    const uint32_t rowsPerStrip = bilevel ? uint32_t(height) : std::max<uint32_t>(1, 65536 / rowBytes);
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width)) && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height))
        && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(bilevel ? 1 : 8))
        && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(bilevel ? 1 : 3))
        && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(bilevel ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_RGB))
        && TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG))
        && TIFFSetField(tif, TIFFTAG_ORIENTATION, uint16_t(ORIENTATION_TOPLEFT))
        && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip)
        && TIFFSetField(tif, TIFFTAG_COMPRESSION, compressionTag(compression))
        && TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH))
        && TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(dpi.x())) && TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(dpi.y()));
    if (ok && compression == TiffCompression::Lzw)
        ok = TIFFSetField(tif, TIFFTAG_PREDICTOR, uint16_t(PREDICTOR_HORIZONTAL));
    if (ok && pages > 1)
        ok = TIFFSetField(tif, TIFFTAG_SUBFILETYPE, uint32_t(FILETYPE_PAGE))
            && TIFFSetField(tif, TIFFTAG_PAGENUMBER, uint16_t(page), uint16_t(pages));
    return ok;
}

} // namespace

TiffPages::TiffPages(QIODevice& out, int pageCount)
    : target_(std::make_unique<TiffTarget>(TiffTarget{&out, {}})), pageCount_(pageCount)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, onError, target_.get());
    TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, target_.get());
    tif_ = TIFFClientOpenExt("page.tif", "w", target_.get(), onRead, onWrite, onSeek, onClose, onSize, onMap, onUnmap,
                             options);
    TIFFOpenOptionsFree(options);
}

TiffPages::~TiffPages()
{
    if (tif_)
        TIFFClose(tif_);
}

bool TiffPages::addPage(const QImage& image, QPointF dpi, TiffCompression compression, QString& error)
{
    if (!tif_)
        return fail(QStringLiteral("libtiff could not start the file"), error);
    RgbRows rows(image);
    if (rows.width() <= 0 || rows.height() <= 0)
        return fail(QStringLiteral("the image is empty"), error);
    bool ok = setPageFields(tif_, rows.width(), rows.height(), dpi, compression, pagesWritten_, pageCount_);
    std::vector<uint8_t> bits(size_t(rows.width() + 7) / 8);
    for (int y = 0; ok && y < rows.height(); ++y) {
        const uint8_t* rgb = rows.row(y);
        if (compression == TiffCompression::Group4) {
            packBlackBits(rgb, rows.width(), bits);
            rgb = bits.data();
        }
        ok = TIFFWriteScanline(tif_, const_cast<uint8_t*>(rgb), uint32_t(y), 0) == 1;
    }
    ok = ok && TIFFWriteDirectory(tif_) && target_->message.isEmpty();
    if (!ok)
        return fail(QStringLiteral("libtiff could not write the page"), error);
    ++pagesWritten_;
    return true;
}

bool TiffPages::finish(QString& error)
{
    if (!tif_)
        return fail(QStringLiteral("libtiff could not start the file"), error);
    TIFFClose(tif_);  // writes what is still buffered: its write errors land in the message
    tif_ = nullptr;
    if (!target_->message.isEmpty())
        return fail(QString(), error);
    return true;
}

bool TiffPages::fail(const QString& fallback, QString& error) const
{
    error = target_->message.isEmpty() ? fallback : target_->message;
    return false;
}

bool encodeTiff(const QImage& image, QPointF dpi, TiffCompression compression, QIODevice& out, QString& error)
{
    TiffPages file(out, 1);
    return file.addPage(image, dpi, compression, error) && file.finish(error);
}

} // namespace kv
