// PNG through libpng: 8-bit RGB, pHYs in pixels per metre, deflate at the level asked (0
// stores), Adam7 interlacing on request. libpng reports errors by longjmp: every object
// with a destructor lives in encodePng's own frame, set up before the jump point.
#include "encoders.h"

#include "rgbrows.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>

namespace kv {

namespace {

struct PngContext {
    DeviceWriter* writer = nullptr;
    QString message;
};

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
    if (context->message.isEmpty())
        context->message = QString::fromLatin1(message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void onWrite(png_structp png, png_bytep data, size_t length)
{
    auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
    if (!context->writer->write(data, length)) {
        context->message = context->writer->error();
        png_error(png, "write failed");
    }
}

void onFlush(png_structp) {}

struct PngWriteStruct {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriteStruct() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

} // namespace

bool encodePng(const QImage& image, QPointF dpi, const PngOptions& options, QIODevice& out, QString& error)
{
    RgbRows rows(image);
    if (rows.width() <= 0 || rows.height() <= 0) {
        error = QStringLiteral("the image is empty");
        return false;
    }
    DeviceWriter writer(out);
    PngContext context{&writer, {}};
    PngWriteStruct s;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &context, onError, onWarning);
    if (s.png)
        s.info = png_create_info_struct(s.png);
    if (!s.png || !s.info) {
        error = QStringLiteral("out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(s.png))) {
        error = context.message;
        return false;
    }
    png_set_write_fn(s.png, &context, onWrite, onFlush);
    png_set_IHDR(s.png, s.info, png_uint_32(rows.width()), png_uint_32(rows.height()), 8, PNG_COLOR_TYPE_RGB,
                 options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(s.png, s.info, pixelsPerMetre(dpi.x()), pixelsPerMetre(dpi.y()), PNG_RESOLUTION_METER);
    png_set_compression_level(s.png, std::clamp(options.deflateLevel, 0, 9));
    // Filtering only pays when deflate packs the result; pages are mostly paper and rows
    // repeat, which the Up filter turns into runs of zeros.
    png_set_filter(s.png, PNG_FILTER_TYPE_BASE, options.deflateLevel > 0 ? PNG_FILTER_UP : PNG_FILTER_NONE);
    png_write_info(s.png, s.info);
    const int passes = png_set_interlace_handling(s.png);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < rows.height(); ++y)
            png_write_row(s.png, rows.row(y));
    png_write_end(s.png, s.info);
    return true;
}

} // namespace kv
