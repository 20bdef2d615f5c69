#include "imageexport.h"

#include "encoders.h"
#include "exportformats.h"

#include "gdi/player.h"
#include "gdi/render.h"
#include "platform/inifile.h"
#include "platform/inivalues.h"
#include "platform/settings.h"
#include "platform/savefile.h"

#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr double kMinDpi = 72, kMaxDpi = 1200;

bool isRaster(int32_t format)
{
    return format == kFormatBmp || format == kFormatJpeg || format == kFormatPcx || format == kFormatTiff
        || format == kFormatPng;
}

int jpegQuality(uint32_t flags)
{
    const uint32_t level = (flags >> 12) & 0xF;
    return level == 0 ? 75 : int(20 + 5 * level);
}

PngOptions pngOptions(uint32_t flags)
{
    PngOptions options;
    options.deflateLevel = (flags & 0x2) ? kFastDeflateLevel : 0;
    options.interlaced = (flags & 0x10000) != 0;
    return options;
}

// The resolution asked for, lowered where the page would not fit the renderer's limits:
// a page too large for them is written at the finest resolution that fits.
double fittingDpi(const QRectF& frame, double dpi)
{
    const double inchesX = frame.width() / 2540, inchesY = frame.height() / 2540;
    double fit = std::min(dpi, (gdi::kMaxRenderSide - 1) / std::max(inchesX, inchesY));
    const double pixels = inchesX * fit * inchesY * fit;
    if (pixels > double(gdi::kMaxRenderPixels) * 0.99)
        fit *= std::sqrt(double(gdi::kMaxRenderPixels) * 0.99 / pixels);
    return fit;
}

bool encode(const QImage& image, QPointF dpi, int32_t format, uint32_t flags, QIODevice& out, QString& error)
{
    switch (format) {
    case kFormatBmp: return encodeBmp(image, dpi, out, error);
    case kFormatPcx: return encodePcx(image, dpi, out, error);
    case kFormatJpeg: return encodeJpeg(image, dpi, jpegQuality(flags), out, error);
    case kFormatTiff: return encodeTiff(image, dpi, tiffCompression(flags), out, error);
    case kFormatPng: return encodePng(image, dpi, pngOptions(flags), out, error);
    default: error = QStringLiteral("unknown format"); return false;
    }
}

// Writes through `write` into a temporary file beside `file`, renamed onto it when complete.
template <class Write> ExportResult saveAtomically(const QString& file, Write write)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return {kExportFailed, out.errorString()};
    QString error;
    if (!write(out, error)) {
        out.cancelWriting();
        return {kExportFailed, error.isEmpty() ? out.errorString() : error};
    }
    if (QString reason; !commitWhole(out, &reason))
        return {kExportFailed, reason};
    return {};
}

} // namespace

TiffCompression tiffCompression(uint32_t flags)
{
    switch (flags & 0xE0) {
    case 0x20: return TiffCompression::None;
    case 0xC0: return TiffCompression::PackBits;
    case 0xE0: return TiffCompression::Group4;
    default: return TiffCompression::Lzw;
    }
}

RenderedPage renderForExport(const gdi::Picture& picture, double dpi)
{
    const QRectF frame = gdi::pictureFrame(picture.header);
    if (!(frame.width() > 0 && frame.height() > 0))
        return {{}, 0, QStringLiteral("the page has no size")};
    const double fit = fittingDpi(frame, dpi);
    RenderedPage page{gdi::renderPictureDpi(picture, fit), fit, {}};
    if (page.image.isNull())
        page.reason = QStringLiteral("the page has no size that can be rendered");
    return page;
}

double exportResolution(const QString& iniPath)
{
    const QString section = QStringLiteral("Save2File"), key = QStringLiteral("Resolution");
    const double dpi = iniNumber(IniFile(iniPath).readString(section, key, QString::fromLatin1(findSettingKey(section, key)->defaultText)));
    return dpi >= kMinDpi && dpi <= kMaxDpi ? dpi : kDefaultExportDpi;
}

PreparedExport::PreparedExport(HENHMETAFILE hemf, const QString& file, int32_t format, uint32_t flags, qulonglong,
                               double dpi)
    : file_(file), format_(format), flags_(flags), dpi_(dpi)
{
    if (format == kFormatEmf)
        bytes_ = enhMetaFileBytes(hemf);
    else if (format == kFormatWmf)
        bytes_ = winMetaFileBytes(hemf, true);
    else if (isRaster(format))
        picture_ = pictureOf(hemf);
}

ExportResult PreparedExport::run() const
{
    if (format_ == kFormatEmf || format_ == kFormatWmf) {
        if (bytes_.empty())
            return {kExportNoPicture, QStringLiteral("no metafile to write")};
        return saveAtomically(file_, [this](QIODevice& out, QString&) {
            return out.write(reinterpret_cast<const char*>(bytes_.data()), qint64(bytes_.size()))
                == qint64(bytes_.size());
        });
    }
    if (!isRaster(format_))
        return {kExportUnknownFormat, QStringLiteral("unknown format code %1").arg(format_)};
    return writeRaster();
}

ExportResult PreparedExport::writeRaster() const
{
    if (!picture_)
        return {kExportNoPicture, QStringLiteral("no metafile to write")};
    const RenderedPage page = renderForExport(*picture_, dpi_);
    if (page.image.isNull())
        return {kExportNoPicture, page.reason};
    return saveAtomically(file_, [&](QIODevice& out, QString& error) {
        return encode(page.image, QPointF(page.dpi, page.dpi), format_, flags_, out, error);
    });
}

int exportImage(HENHMETAFILE hemf, const QString& file, int32_t format, uint32_t flags, qulonglong owner, double dpi)
{
    return PreparedExport(hemf, file, format, flags, owner, dpi).run().status;
}

int IMAGSAVEAS(qulonglong window, HENHMETAFILE hemf, const QString& file, int32_t format,
               std::optional<int32_t> optionCode, double dpi)
{
    return exportImage(hemf, file, format, flagWord(optionCode), window, dpi);
}

} // namespace kv
