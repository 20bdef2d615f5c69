#include "exportformats.h"

#include "lang/kvgl.h"

#include <array>
#include <utility>

namespace kv {

namespace {

constexpr uint32_t kFlagBase = 0x0C19;

struct OptionRow {
    int32_t format;
    int index;     // 1-based position in the format's option list
    int32_t code;
    uint32_t bits; // ORed to the base
};

constexpr std::array kOptions{
    OptionRow{kFormatJpeg, 1, 500, 0xF000},    OptionRow{kFormatJpeg, 2, 600, 0x3000},
    OptionRow{kFormatTiff, 1, 101, 0x0020},    OptionRow{kFormatTiff, 2, 102, 0x0040},
    OptionRow{kFormatTiff, 3, 106, 0x00C0},    OptionRow{kFormatPng, 2, 1000, 0x0002},
    OptionRow{kFormatPng, 3, 10000, 0x10000},  OptionRow{kFormatPng, 4, 11000, 0x10002},
    // The multi-page TIFF shares the TIFF codes; CCITT Group 4 is its own.
    OptionRow{kFormatTiffPages, 1, 101, 0x0020}, OptionRow{kFormatTiffPages, 2, 102, 0x0040},
    OptionRow{kFormatTiffPages, 3, 106, 0x00C0}, OptionRow{kFormatTiffPages, 4, 107, 0x00E0},
    OptionRow{kFormatPdf, 1, 1200, 0x0000},      OptionRow{kFormatPdf, 2, 1201, 0x20000},
};

constexpr char kMultiPageKey[] = "multi-page";

} // namespace

QStringList GETOPTION(const QString& format)
{
    const QString text = format.trimmed();
    QStringList sources;
    if (formatCode(text) == kFormatTiffPages)
        sources = {QStringLiteral("Uncompressed"), QStringLiteral("LZW Compression"),
                   QStringLiteral("Packbits Compression"), QStringLiteral("CCITT Group 4 (black and white, fax)")};
    else if (text.startsWith(QLatin1String("PDF")))
        sources = {QStringLiteral("Standard"), QStringLiteral("PDF/A-1b (archive)")};
    else if (text.startsWith(QLatin1String("JPEG")))
        sources = {QStringLiteral("Quality"), QStringLiteral("Low Quality")};
    else if (text.startsWith(QLatin1String("TIFF")))
        sources = {QStringLiteral("Uncompressed"), QStringLiteral("LZW Compression"),
                   QStringLiteral("Packbits Compression")};
    else if (text.startsWith(QLatin1String("PNG")))
        sources = {QStringLiteral("None"), QStringLiteral("Write compressed"), QStringLiteral("Write in interlaced mode"),
                   QStringLiteral("Write compressed in interlaced mode")};
    QStringList options;
    for (const QString& source : sources)
        options << KV_GL(source);
    return options;
}

int32_t formatCode(const QString& format)
{
    static const std::array<std::pair<const char*, int32_t>, 9> keys{{
        {kMultiPageKey, kFormatTiffPages}, {"BMP", kFormatBmp}, {"JP", kFormatJpeg}, {"EMF", kFormatEmf},
        {"PCX", kFormatPcx}, {"TIF", kFormatTiff}, {"PNG", kFormatPng}, {"WMF", kFormatWmf}, {"PDF", kFormatPdf},
    }};
    for (const auto& [key, code] : keys)
        if (format.contains(QLatin1String(key), Qt::CaseSensitive))
            return code;
    return kFormatNone;
}

bool isDocumentFormat(int32_t format) { return format == kFormatPdf || format == kFormatTiffPages; }

std::optional<int32_t> optionCode(int32_t format, int optionIndex)
{
    for (const OptionRow& row : kOptions)
        if (row.format == format && row.index == optionIndex)
            return row.code;
    return std::nullopt;
}

uint32_t flagWord(std::optional<int32_t> code)
{
    if (!code)
        return 0;
    const int32_t low = int32_t(uint32_t(*code) & 0xFFFF);
    for (const OptionRow& row : kOptions)
        if (row.code == low)
            return kFlagBase | row.bits;
    return 0;
}

} // namespace kv
