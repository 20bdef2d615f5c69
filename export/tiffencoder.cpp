// TIFF through libtiff: 8-bit RGB, contiguous samples, strips of about 64 KiB, resolution in
// dots per inch, compression none, LZW (with the horizontal predictor) or PackBits. libtiff
// writes through callbacks onto the QIODevice, so files and buffers take the same road.
#include "encoders.h"

#include "rgbrows.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>

namespace kv {

namespace {

struct TiffTarget {
    QIODevice* out;
    QString message;
};

TiffTarget* targetOf(thandle_t handle) { return static_cast<TiffTarget*>(handle); }

tmsize_t onRead(thandle_t, void*, tmsize_t) { return 0; }

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
    }
    return COMPRESSION_NONE;
}

struct TiffFile {
    TIFF* tif = nullptr;
    ~TiffFile()
    {
        if (tif)
            TIFFClose(tif);
    }
};

struct TiffOptions {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    ~TiffOptions() { TIFFOpenOptionsFree(options); }
};

} // namespace

bool encodeTiff(const QImage& image, QPointF dpi, TiffCompression compression, QIODevice& out, QString& error)
{
    RgbRows rows(image);
    if (rows.width() <= 0 || rows.height() <= 0) {
        error = QStringLiteral("the image is empty");
        return false;
    }
    TiffTarget target{&out, {}};
    TiffOptions options;
    TIFFOpenOptionsSetErrorHandlerExtR(options.options, onError, &target);
    TIFFOpenOptionsSetWarningHandlerExtR(options.options, onWarning, &target);
    TiffFile file;
    file.tif = TIFFClientOpenExt("page.tif", "w", &target, onRead, onWrite, onSeek, onClose, onSize, onMap, onUnmap,
                                 options.options);
    if (!file.tif) {
        error = target.message.isEmpty() ? QStringLiteral("libtiff could not start the file") : target.message;
        return false;
    }
    TIFF* tif = file.tif;
    const uint32_t rowBytes = uint32_t(rows.width()) * 3;
    const uint32_t rowsPerStrip = std::max<uint32_t>(1, 65536 / rowBytes);
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(rows.width()))
        && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(rows.height()))
        && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8)) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3))
        && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB))
        && TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG))
        && TIFFSetField(tif, TIFFTAG_ORIENTATION, uint16_t(ORIENTATION_TOPLEFT))
        && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip)
        && TIFFSetField(tif, TIFFTAG_COMPRESSION, compressionTag(compression))
        && TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH))
        && TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(dpi.x())) && TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(dpi.y()));
    if (ok && compression == TiffCompression::Lzw)
        ok = TIFFSetField(tif, TIFFTAG_PREDICTOR, uint16_t(PREDICTOR_HORIZONTAL));
    for (int y = 0; ok && y < rows.height(); ++y)
        ok = TIFFWriteScanline(tif, const_cast<uint8_t*>(rows.row(y)), uint32_t(y), 0) == 1;
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);  // writes what is still buffered: its write errors land in the message
    file.tif = nullptr;
    if (ok && !target.message.isEmpty())
        ok = false;
    if (!ok)
        error = target.message.isEmpty() ? QStringLiteral("libtiff could not write the file") : target.message;
    return ok;
}

} // namespace kv
