#include "imagereaders.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <png.h>
#include <tiffio.h>

#include <csetjmp>
#include <cstring>
#include <cstdio>
#include <jpeglib.h>

namespace kvtest {

namespace {

struct CFile {
    FILE* f = nullptr;
    explicit CFile(const QString& path) : f(std::fopen(QFile::encodeName(path).constData(), "rb")) {}
    ~CFile()
    {
        if (f)
            std::fclose(f);
    }
};

} // namespace

std::optional<PngFacts> readPng(const QString& file)
{
    CFile in(file);
    if (!in.f)
        return std::nullopt;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngFacts facts;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    png_init_io(png, in.f);
    png_read_info(png, info);
    const auto width = int(png_get_image_width(png, info)), height = int(png_get_image_height(png, info));
    if (png_get_color_type(png, info) != PNG_COLOR_TYPE_RGB || png_get_bit_depth(png, info) != 8)
        png_error(png, "not 8-bit RGB");
    facts.interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
    png_uint_32 x = 0, y = 0;
    int unit = -1;
    facts.hasPhys = png_get_pHYs(png, info, &x, &y, &unit) != 0;
    facts.ppmX = x;
    facts.ppmY = y;
    facts.physUnit = unit;
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    facts.pixels = QImage(width, height, QImage::Format_RGB888);
    for (int r = 0; r < height; ++r)
        rows.push_back(facts.pixels.scanLine(r));
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return facts;
}

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jpegFailed(j_common_ptr info)
{
    std::longjmp(static_cast<JpegErrors*>(info->client_data)->jump, 1);
}

} // namespace

std::optional<JpegFacts> readJpeg(const QString& file)
{
    CFile in(file);
    if (!in.f)
        return std::nullopt;
    jpeg_decompress_struct info{};
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFailed;
    info.client_data = &errors;
    JpegFacts facts;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in.f);
    jpeg_read_header(&info, TRUE);
    facts.densityUnit = info.density_unit;
    facts.densityX = info.X_density;
    facts.densityY = info.Y_density;
    if (info.quant_tbl_ptrs[0])
        facts.luminanceTable.assign(info.quant_tbl_ptrs[0]->quantval, info.quant_tbl_ptrs[0]->quantval + 64);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    facts.pixels = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = facts.pixels.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return facts;
}

namespace {

// The directory libtiff stands at.
std::optional<TiffFacts> readTiffDirectory(TIFF* tif)
{
    TiffFacts facts;
    uint32_t width = 0, height = 0;
    uint16_t compression = 0, unit = 0, bits = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &facts.resolutionX);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &facts.resolutionY);
    if (TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit))
        facts.resolutionUnit = unit;
    facts.compression = compression;
    facts.bitsPerSample = bits;
    std::vector<uint32_t> raster(size_t(width) * height);
    if (TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 0) == 0)
        return std::nullopt;
    facts.pixels = QImage(int(width), int(height), QImage::Format_RGB888);
    for (uint32_t y = 0; y < height; ++y) {
        uchar* out = facts.pixels.scanLine(int(y));
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t p = raster[size_t(y) * width + x];
            out[3 * x] = uchar(TIFFGetR(p));
            out[3 * x + 1] = uchar(TIFFGetG(p));
            out[3 * x + 2] = uchar(TIFFGetB(p));
        }
    }
    return facts;
}

} // namespace

std::optional<TiffFacts> readTiff(const QString& file)
{
    const std::vector<TiffFacts> pages = readTiffPages(file);
    if (pages.empty())
        return std::nullopt;
    return pages.front();
}

std::vector<TiffFacts> readTiffPages(const QString& file)
{
    std::vector<TiffFacts> pages;
    TIFF* tif = TIFFOpen(QFile::encodeName(file).constData(), "r");
    if (!tif)
        return pages;
    do {
        std::optional<TiffFacts> page = readTiffDirectory(tif);
        if (!page)
            break;
        pages.push_back(std::move(*page));
    } while (TIFFReadDirectory(tif) == 1);
    TIFFClose(tif);
    return pages;
}

std::optional<PillowFacts> readWithPillow(const QString& file, QString* error)
{
    QTemporaryDir dir;
    const QString raw = dir.filePath(QStringLiteral("pixels.rgb"));
    // Prints format, size and dpi; writes the pixels as raw RGB.
    const QString script = QStringLiteral(
        "import sys\n"
        "from PIL import Image\n"
        "im = Image.open(sys.argv[1])\n"
        "dpi = im.info.get('dpi', (0, 0))\n"
        "print(im.format, im.size[0], im.size[1], float(dpi[0]), float(dpi[1]))\n"
        "open(sys.argv[2], 'wb').write(im.convert('RGB').tobytes())\n");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, file, raw});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        if (error)
            *error = QString::fromUtf8(python.readAllStandardError()) + python.errorString();
        return std::nullopt;
    }
    const QStringList fields = QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char(' '));
    QFile bytes(raw);
    if (fields.size() < 5 || !bytes.open(QIODevice::ReadOnly))
        return std::nullopt;
    PillowFacts facts;
    facts.format = fields[0];
    const int width = fields[1].toInt(), height = fields[2].toInt();
    facts.dpiX = fields[3].toDouble();
    facts.dpiY = fields[4].trimmed().toDouble();
    const QByteArray data = bytes.readAll();
    if (data.size() != qsizetype(width) * height * 3)
        return std::nullopt;
    facts.pixels = QImage(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        std::memcpy(facts.pixels.scanLine(y), data.constData() + qsizetype(y) * width * 3, size_t(width) * 3);
    return facts;
}

bool sameRgb(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(QImage::Format_RGB888);
    for (int row = 0; row < x.height(); ++row)
        if (std::memcmp(x.constScanLine(row), y.constScanLine(row), size_t(x.width()) * 3) != 0)
            return false;
    return true;
}

double darkCovered(const QImage& a, const QImage& b)
{
    const auto dark = [](const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; };
    int64_t darkA = 0, covered = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (!dark(a, x, y))
                continue;
            ++darkA;
            bool found = false;
            for (int dy = -2; dy <= 2 && !found; ++dy)
                for (int dx = -2; dx <= 2 && !found; ++dx) {
                    const int u = x + dx, v = y + dy;
                    found = u >= 0 && v >= 0 && u < b.width() && v < b.height() && dark(b, u, v);
                }
            covered += found;
        }
    return darkA ? double(covered) / double(darkA) : 1.0;
}

} // namespace kvtest
