// JPEG through libjpeg-turbo: baseline, RGB in (YCbCr in the file), JFIF density in dots per
// inch. Errors come back by longjmp, as with libpng: the objects with destructors live in
// encodeJpeg's frame.
#include "encoders.h"

#include "rgbrows.h"

#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <vector>

namespace kv {

namespace {

constexpr size_t kChunk = 64 * 1024;

struct JpegContext {
    jpeg_error_mgr errors;
    jpeg_destination_mgr destination;
    std::jmp_buf jump;
    DeviceWriter* writer = nullptr;
    std::vector<JOCTET> buffer;
    QString message;
};

JpegContext* contextOf(j_common_ptr info) { return static_cast<JpegContext*>(info->client_data); }

[[noreturn]] void onError(j_common_ptr info)
{
    JpegContext* context = contextOf(info);
    if (context->message.isEmpty()) {
        char text[JMSG_LENGTH_MAX];
        (*info->err->format_message)(info, text);
        context->message = QString::fromLatin1(text);
    }
    std::longjmp(context->jump, 1);
}

void onMessage(j_common_ptr) {}

void onInit(j_compress_ptr info)
{
    JpegContext* context = contextOf(reinterpret_cast<j_common_ptr>(info));
    info->dest->next_output_byte = context->buffer.data();
    info->dest->free_in_buffer = context->buffer.size();
}

void flushBytes(j_compress_ptr info, size_t count)
{
    JpegContext* context = contextOf(reinterpret_cast<j_common_ptr>(info));
    if (!context->writer->write(context->buffer.data(), count)) {
        context->message = context->writer->error();
        std::longjmp(context->jump, 1);
    }
}

boolean onEmpty(j_compress_ptr info)
{
    JpegContext* context = contextOf(reinterpret_cast<j_common_ptr>(info));
    flushBytes(info, context->buffer.size());
    onInit(info);
    return TRUE;
}

void onTerm(j_compress_ptr info)
{
    JpegContext* context = contextOf(reinterpret_cast<j_common_ptr>(info));
    flushBytes(info, context->buffer.size() - info->dest->free_in_buffer);
}

uint16_t density(double dpi) { return uint16_t(std::clamp<long>(std::lround(dpi), 1, 0xFFFF)); }

struct Compressor {
    jpeg_compress_struct info{};
    bool created = false;
    ~Compressor()
    {
        if (created)
            jpeg_destroy_compress(&info);
    }
};

} // namespace

bool encodeJpeg(const QImage& image, QPointF dpi, int quality, QIODevice& out, QString& error)
{
    RgbRows rows(image);
    if (rows.width() <= 0 || rows.height() <= 0 || rows.width() > JPEG_MAX_DIMENSION
        || rows.height() > JPEG_MAX_DIMENSION) {
        error = QStringLiteral("the image has no size a JPEG file can hold");
        return false;
    }
    DeviceWriter writer(out);
    JpegContext context;
    context.writer = &writer;
    context.buffer.resize(kChunk);
    Compressor c;
    c.info.err = jpeg_std_error(&context.errors);
    c.info.client_data = &context;
    context.errors.error_exit = onError;
    context.errors.output_message = onMessage;
    if (setjmp(context.jump)) {
        error = context.message;
        return false;
    }
    jpeg_create_compress(&c.info);
    c.created = true;
    context.destination.init_destination = onInit;
    context.destination.empty_output_buffer = onEmpty;
    context.destination.term_destination = onTerm;
    c.info.dest = &context.destination;
    c.info.image_width = JDIMENSION(rows.width());
    c.info.image_height = JDIMENSION(rows.height());
    c.info.input_components = 3;
    c.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, std::clamp(quality, 1, 100), TRUE);
    c.info.write_JFIF_header = TRUE;
    c.info.density_unit = 1;  // dots per inch
    c.info.X_density = density(dpi.x());
    c.info.Y_density = density(dpi.y());
    jpeg_start_compress(&c.info, TRUE);
    for (int y = 0; y < rows.height(); ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(rows.row(y));
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

} // namespace kv
