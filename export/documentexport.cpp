#include "documentexport.h"

#include "encoders.h"
#include "exportformats.h"
#include "pdfdocument.h"
#include "tiffpages.h"

#include "print/joboutput.h"
#include "platform/savefile.h"

#include <QSaveFile>
#include <QTemporaryFile>

namespace kv {

class DocumentExport::Writer {
public:
    explicit Writer(const QString& file) : file_(file) {}
    virtual ~Writer()
    {
        if (file_.isOpen())
            file_.cancelWriting();
    }
    bool open() { return file_.open(QIODevice::WriteOnly); }
    virtual ExportResult addPage(const gdi::Picture& picture, const gdi::DeviceCaps& printer) = 0;
    virtual ExportResult end() = 0;

    ExportResult commit()
    {
        if (QString reason; !commitWhole(file_, &reason))
            return {kExportFailed, reason};
        return {};
    }
    QString fileError() const { return file_.errorString(); }

protected:
    QSaveFile file_;
};

// Qt's PDF writer does not look at what its writes return: the bytes go through a device that
// remembers a short write (a full disk), as the printer's PDF road does.
class DocumentExport::PdfWriter : public Writer {
public:
    PdfWriter(const QString& file, const QString& title, bool archive) : Writer(file), sink_(file_), title_(title), archive_(archive) {}

    ExportResult addPage(const gdi::Picture& picture, const gdi::DeviceCaps& printer) override
    {
        if (!document_) {
            sink_.open(QIODevice::WriteOnly);
            document_ = std::make_unique<PdfDocument>(sink_, title_, archive_);
        }
        if (!document_->addPage(picture, printer))
            return {kExportNoPicture, QStringLiteral("page %1 has no size that can be drawn").arg(document_->pages() + 1)};
        if (sink_.failed())
            return {kExportFailed, sink_.problem()};
        return {};
    }

    ExportResult end() override
    {
        const bool ended = document_ && document_->finish();
        document_.reset();
        if (sink_.failed())
            return {kExportFailed, sink_.problem()};
        if (!ended)
            return {kExportFailed, QStringLiteral("the PDF writer could not complete the file")};
        return commit();
    }

private:
    WholeWriteDevice sink_;
    QString title_;
    bool archive_;
    std::unique_ptr<PdfDocument> document_;
};

class DocumentExport::TiffWriter : public Writer {
public:
    TiffWriter(const QString& file, TiffCompression compression, int pageCount, double dpi)
        : Writer(file), compression_(compression), pageCount_(pageCount), dpi_(dpi)
    {
    }

    ExportResult addPage(const gdi::Picture& picture, const gdi::DeviceCaps&) override
    {
        // libtiff reads the pages written so far back to link the next one, which the save
        // file cannot: the pages are gathered in a temporary file and copied over at the end.
        if (!pages_) {
            if (!scratch_.open())
                return {kExportFailed, scratch_.errorString()};
            pages_ = std::make_unique<TiffPages>(scratch_, pageCount_);
        }
        const RenderedPage page = renderForExport(picture, dpi_);
        if (page.image.isNull())
            return {kExportNoPicture, page.reason};
        QString error;
        if (!pages_->addPage(page.image, QPointF(page.dpi, page.dpi), compression_, error))
            return {kExportFailed, error};
        return {};
    }

    ExportResult end() override
    {
        QString error;
        if (!pages_ || !pages_->finish(error))
            return {kExportFailed, error.isEmpty() ? QStringLiteral("no page to write") : error};
        pages_.reset();
        if (!scratch_.seek(0))
            return {kExportFailed, scratch_.errorString()};
        QByteArray chunk;
        while (!(chunk = scratch_.read(1 << 20)).isEmpty())
            if (file_.write(chunk) != chunk.size())
                return {kExportFailed, file_.errorString()};
        return commit();
    }

private:
    TiffCompression compression_;
    int pageCount_;
    double dpi_;
    QTemporaryFile scratch_;
    std::unique_ptr<TiffPages> pages_;
};

DocumentExport::DocumentExport(const QString& file, int32_t format, uint32_t flags, const QString& title,
                               int pageCount, double dpi)
    : file_(file)
{
    if (format == kFormatPdf)
        writer_ = std::make_unique<PdfWriter>(file, title, (flags & kPdfArchiveFlag) != 0);
    else if (format == kFormatTiffPages)
        writer_ = std::make_unique<TiffWriter>(file, tiffCompression(flags), pageCount, dpi);
    if (!writer_)
        result_ = {kExportUnknownFormat, QStringLiteral("unknown format code %1").arg(format)};
    else if (!writer_->open())
        result_ = {kExportFailed, writer_->fileError()};
}

DocumentExport::~DocumentExport() = default;

ExportResult DocumentExport::addPage(const gdi::Picture& picture, const gdi::DeviceCaps& printer)
{
    if (result_.written())
        result_ = writer_->addPage(picture, printer);
    return result_;
}

ExportResult DocumentExport::finish()
{
    if (result_.written())
        result_ = writer_->end();
    writer_.reset();  // a file not committed is dropped
    return result_;
}

} // namespace kv
