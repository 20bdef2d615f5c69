#pragma once
// The image-export component: one enhanced metafile written as one file of a format code
// (exportformats.h) with a flag word, in process. Raster formats render the picture's frame
// on white with the engine at the export resolution; EMF writes the metafile itself; WMF
// converts it with a placeable header. Every file is written under a temporary name in its
// directory and renamed when complete, so no half-written file ever stands under its name.
//
// Flag word bits, beyond those the option texts produce: JPEG quality in bits 12 to 15
// (0xF: 95, 0x3: 35, none: 75); TIFF compression in bits 5 to 7 (0x20 none, 0xC0 PackBits,
// 0xE0 CCITT Group 4, anything else LZW); PNG bit 1 deflates at level 3 (else the pixels are
// stored), bit 16 interlaces (Adam7); PDF bit 17 writes PDF/A-1b.
//
// The work is split so that the part that needs the metafile handle runs on the caller's
// thread (handles belong to the user-interface thread) and the rest, the costly part, on any.
#include "encoders.h"

#include "gdi/metafileapi.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace kv {

// Raster resolution of an export, dots per inch: key Resolution of section Save2File of the
// settings file, 72 to 1200; anything else (missing, out of range, not a number) gives 150.
inline constexpr double kDefaultExportDpi = 150;
double exportResolution(const QString& iniPath);

inline constexpr uint32_t kPdfArchiveFlag = 0x20000;

// The TIFF compression a flag word asks for.
TiffCompression tiffCompression(uint32_t flags);

// A picture's frame rendered on white for a raster file: at `dpi`, or at the finest
// resolution that fits the renderer's limits when the page is too large for `dpi`. A null
// image, with the reason, when the picture has no size that can be rendered.
struct RenderedPage {
    QImage image;
    double dpi = 0;
    QString reason;
};
RenderedPage renderForExport(const gdi::Picture& picture, double dpi);

enum ExportStatus : int {
    kExportWritten = 0,
    kExportUnknownFormat = 1,  // format code 0 or none the component knows
    kExportNoPicture = 2,      // an unknown handle, or a picture without a size
    kExportFailed = 3,         // encoding or writing failed; the reason says why
};

struct ExportResult {
    int status = kExportWritten;
    QString reason;  // empty when written
    bool written() const { return status == kExportWritten; }
};

class PreparedExport {
public:
    // Takes from the metafile what the file needs; the handle may be deleted afterwards.
    // `owner` is the window the request comes from; the component shows nothing itself.
    PreparedExport(HENHMETAFILE hemf, const QString& file, int32_t format, uint32_t flags, qulonglong owner,
                   double dpi = kDefaultExportDpi);

    // Renders or converts as needed and writes the file. Safe on any thread.
    ExportResult run() const;

    const QString& file() const { return file_; }

private:
    ExportResult writeRaster() const;

    QString file_;
    int32_t format_;
    uint32_t flags_;
    double dpi_;
    gdi::PicturePtr picture_;      // raster formats
    std::vector<uint8_t> bytes_;   // metafile formats: the file's bytes
};

// The component's one call: 0 when the file was written.
int exportImage(HENHMETAFILE hemf, const QString& file, int32_t format, uint32_t flags, qulonglong owner,
                double dpi = kDefaultExportDpi);

// Img_Save's bridge to the component: the option code becomes the flag word (flagWord();
// none gives 0) and the component's result comes back unchanged.
int IMAGSAVEAS(qulonglong window, HENHMETAFILE hemf, const QString& file, int32_t format,
               std::optional<int32_t> optionCode = std::nullopt, double dpi = kDefaultExportDpi);

} // namespace kv
