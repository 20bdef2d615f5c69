#pragma once
// All pages of a save in one file: a PDF (export/pdfdocument.h) or a multi-page TIFF
// (export/tiffpages.h). Pages are added one after the other, so only one page image is held
// at a time; the file is written under a temporary name beside its target and renamed onto it
// only when every page is in, so a failed or dropped document leaves nothing behind.
#include "imageexport.h"

#include "gdi/core/records.h"
#include "gdi/core/types.h"

#include <QString>
#include <memory>

namespace kv {

class DocumentExport {
public:
    // `format`: kFormatPdf or kFormatTiffPages; `flags`: the flag word (PDF/A-1b bit 17 for
    // PDF, the TIFF compression bits as for one page, 0xE0 CCITT Group 4); `title` the PDF's
    // title; `dpi` the raster resolution of the TIFF pages.
    DocumentExport(const QString& file, int32_t format, uint32_t flags, const QString& title, int pageCount,
                   double dpi = kDefaultExportDpi);
    ~DocumentExport();
    DocumentExport(const DocumentExport&) = delete;
    DocumentExport& operator=(const DocumentExport&) = delete;

    // The next page; `printer` is the device the pages were made for (zeros when none).
    // After the first failure every later call fails at once with the same result.
    ExportResult addPage(const gdi::Picture& picture, const gdi::DeviceCaps& printer);
    // Completes the file and puts it under its name.
    ExportResult finish();

    const QString& file() const { return file_; }

private:
    class Writer;
    class PdfWriter;
    class TiffWriter;

    QString file_;
    ExportResult result_;
    std::unique_ptr<Writer> writer_;
};

} // namespace kv
