// Reading, rendering and writing one file for kvconvert.
#include "convert.h"

#include "export/encoders.h"
#include "gdi/emfplus/emfplusplayer.h"
#include "gdi/emfplus/emfplusreader.h"
#include "gdi/metafileapi.h"
#include "gdi/paint/painterdevice.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/render.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <cstdio>

namespace kvconvert {

namespace {

using kv::gdi::Picture;

void printCounts(const char* label, const std::vector<std::pair<uint32_t, uint32_t>>& counts, bool wmf)
{
    std::printf("  %s:", label);
    for (const auto& [type, n] : counts) {
        if (wmf)
            std::printf(" %s(0x%04X)=%u", kv::gdi::wmfRecordName(uint16_t(type)), type, n);
        else
            std::printf(" %s(%u)=%u", kv::gdi::emfRecordName(type), type, n);
    }
    std::printf("\n");
}

void printFaults(const kv::gdi::ParseStats& s, bool wmf)
{
    using kv::gdi::FaultGrade;
    if (s.faults.empty())
        return;
    std::printf("  faults: %u skipped, %u clipped, %u stopped\n", s.faultsOf(FaultGrade::Skipped),
                s.faultsOf(FaultGrade::Clipped), s.faultsOf(FaultGrade::Stopped));
    for (const kv::gdi::ReadFault& fault : s.faults)
        std::printf(wmf ? "    %s at offset %llu (0x%04X): %s\n" : "    %s at offset %llu (%u): %s\n",
                    kv::gdi::faultGradeName(fault.grade), static_cast<unsigned long long>(fault.offset), fault.type,
                    fault.what.c_str());
    const size_t all = size_t(s.faultsOf(FaultGrade::Skipped)) + s.faultsOf(FaultGrade::Clipped)
        + s.faultsOf(FaultGrade::Stopped);
    if (all > s.faults.size())
        std::printf("    ... and %zu more\n", all - s.faults.size());
}

void printStats(const QString& input, const Picture& picture)
{
    const auto& s = picture.stats;
    std::printf("%s: %zu records%s\n", qPrintable(input), picture.records.size(), s.truncated ? ", truncated" : "");
    printFaults(s, picture.fromWmf);
    printCounts("played", s.played, picture.fromWmf);
    printCounts("skipped", s.skipped, picture.fromWmf);
    if (!picture.plus)
        return;
    const kv::gdi::plus::Stream& plus = *picture.plus;
    const char* road = !kv::gdi::emfPlusPlayback() ? "GDI (EMF+ turned off)"
        : kv::gdi::plus::drawsThroughEmfPlus(picture) ? "EMF+" : "GDI (EMF+ records not playable)";
    std::printf("  EMF+: %s, %zu records, %g x %g dpi, drawn through %s%s%s\n", plus.dual ? "dual" : "EMF+ only",
                plus.entries.size(), plus.dpiX, plus.dpiY, road, plus.damaged ? ", fault: " : "", plus.problem.c_str());
    std::printf("  EMF+ read:");
    for (const auto& [type, n] : plus.counts)
        std::printf(" %s(0x%04X)=%u", kv::gdi::plus::recordName(type), type, n);
    std::printf("\n");
}

QString writePdf(const Picture& picture, const QString& output)
{
    const QRectF frame = kv::gdi::pictureFrame(picture.header);
    QPdfWriter writer(output);
    writer.setResolution(600);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setPageSize(QPageSize(QSizeF(frame.width() / 100, frame.height() / 100), QPageSize::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer))
        return QStringLiteral("cannot write %1").arg(output);
    const QRect page = painter.viewport();
    kv::gdi::DeviceCaps caps;
    caps.horzRes = page.width();
    caps.vertRes = page.height();
    caps.horzSizeMm = int(frame.width() / 100);
    caps.vertSizeMm = int(frame.height() / 100);
    caps.logPixelsX = caps.logPixelsY = 600;
    {
        kv::gdi::PainterDevice device(painter, caps);
        kv::gdi::Dc dc(device);
        kv::gdi::playPicture(dc, picture, kv::gdi::RectL{0, 0, page.width(), page.height()});
    }
    return painter.end() ? QString() : QStringLiteral("cannot write %1").arg(output);
}

// An EMF written afresh from the parsed records, or converted to a Windows metafile.
QString writeMetafile(const kv::gdi::PicturePtr& picture, const QString& output, bool wmf)
{
    const kv::HENHMETAFILE handle = kv::adoptPicture(picture);
    const bool written = wmf ? kv::writeWinMetaFile(handle, output) : kv::writeEnhMetaFile(handle, output);
    kv::DELETEENHMETAFILE(handle);
    return written ? QString() : QStringLiteral("cannot write %1").arg(output);
}

// PNG through the export's encoder: opaque RGB rows, the Up filter and a low deflate level,
// a third of the time the generic image writer takes for the same size (bench/kvconvert-vs-libreoffice.sh).
QString writePng(const QImage& image, const QString& output)
{
    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("%1: %2").arg(output, out.errorString());
    const QPointF dpi(image.dotsPerMeterX() * 0.0254, image.dotsPerMeterY() * 0.0254);
    QString error;
    if (!kv::encodePng(image, dpi, kv::PngOptions{kv::kFastDeflateLevel, false}, out, error)) {
        out.cancelWriting();
        return QStringLiteral("%1: %2").arg(output, error);
    }
    if (!out.commit())
        return QStringLiteral("%1: %2").arg(output, out.errorString());
    return {};
}

} // namespace

QString outputNameFor(const QString& input)
{
    const QFileInfo info(input);
    return info.absoluteDir().dirName() + "__" + info.fileName() + ".png";
}

QString convertFile(const QString& input, const QString& output, const Options& options)
{
    if (!QFileInfo(input).isFile())
        return QStringLiteral("%1: no such file").arg(input);
    const kv::gdi::PicturePtr picture = kv::gdi::readForRendering(input);
    if (!picture)
        return QStringLiteral("%1: not an EMF or WMF file").arg(input);
    if (options.stats)
        printStats(input, *picture);
    if (output.endsWith(".pdf", Qt::CaseInsensitive))
        return writePdf(*picture, output);
    if (output.endsWith(".emf", Qt::CaseInsensitive) || output.endsWith(".wmf", Qt::CaseInsensitive))
        return writeMetafile(picture, output, output.endsWith(".wmf", Qt::CaseInsensitive));
    const QImage image = options.dpi > 0 ? kv::gdi::renderPictureDpi(*picture, options.dpi)
                                         : kv::gdi::renderPicture(*picture, options.width > 0 ? options.width : 1000);
    if (image.isNull())
        return QStringLiteral("%1: the picture has no size to render").arg(input);
    if (output.endsWith(".png", Qt::CaseInsensitive))
        return writePng(image, output);
    QImageWriter writer(output);
    // Pages are opaque: three bytes a pixel are a quarter less to pack than four.
    if (!writer.write(image.convertToFormat(QImage::Format_RGB888)))
        return QStringLiteral("%1: %2").arg(output, writer.errorString());
    return {};
}

} // namespace kvconvert
