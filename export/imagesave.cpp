#include "imagesave.h"

#include "documentexport.h"
#include "exportformats.h"
#include "imageexport.h"
#include "outputnames.h"
#include "pagerecording.h"
#include "ziparchive.h"

#include "gdi/text/fontmap.h"
#include "lang/kvgl.h"
#include "platform/notify.h"
#include "print/tprinter.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <chrono>
#include <deque>
#include <future>
#include <memory>

namespace kv {

namespace {

using namespace std::chrono_literals;

void stopAtExisting(const QString& file)
{
    stopBox(file.toStdString() + KV_GL(QStringLiteral(" exists.")).toStdString());
}

void reportFailure(const QString& file, const ExportResult& result)
{
    // The component's failure: the program's own text, then which file and why.
    stopBox("Error while saving file.\n" + (file + QStringLiteral(": ") + result.reason).toStdString());
}

// Pages being written elsewhere, oldest first. Results are taken in page order, so the
// messages come in page order, and at most a few pages wait at once (each holds a page).
class PagePipeline {
public:
    explicit PagePipeline(SaveProgress& progress) : progress_(progress)
    {
        gdi::loadCompatibleFaces();  // before any worker resolves a font
        pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    }
    ~PagePipeline() { drain(); }

    void submit(PreparedExport job)
    {
        files_.push_back(job.file());
        auto task = std::make_shared<std::packaged_task<ExportResult()>>([job = std::move(job)] { return job.run(); });
        pending_.push_back(task->get_future());
        pool_.start([task] { (*task)(); });
        while (!pending_.empty() && (pending_.size() > size_t(pool_.maxThreadCount()) + 1 || isReady(pending_.front())))
            takeFront();
    }

    void drain()
    {
        while (!pending_.empty())
            takeFront();
    }

    int written() const { return written_; }

private:
    static bool isReady(const std::future<ExportResult>& f) { return f.wait_for(0s) == std::future_status::ready; }

    void takeFront()
    {
        std::future<ExportResult>& front = pending_.front();
        while (front.wait_for(10ms) != std::future_status::ready)
            progress_.wait();
        const ExportResult result = front.get();
        const QString file = files_.front();
        pending_.pop_front();
        files_.pop_front();
        if (result.written())
            ++written_;
        else
            reportFailure(file, result);
    }

    SaveProgress& progress_;
    QThreadPool pool_;
    std::deque<std::future<ExportResult>> pending_;
    std::deque<QString> files_;
    int written_ = 0;
};

void deleteFiles(const QStringList& files)
{
    for (const QString& file : files)
        QFile::remove(file);
}

// The picture a document page is drawn from: for a PDF an enhanced page file itself, whose
// frame is its sheet; otherwise (Windows metafiles, TIFF pages, a page file that cannot be
// read) the page recorded afresh as the one-file-per-page formats record it.
gdi::PicturePtr documentPicture(const SaveRequest& request, int32_t format, const QString& page)
{
    if (format == kFormatPdf && !request.wmfPages) {
        const HENHMETAFILE own = GETENHMETAFILE(page);
        if (own != 0) {
            gdi::PicturePtr picture = pictureOf(own);
            DELETEENHMETAFILE(own);
            return picture;
        }
    }
    if (!request.device)
        return nullptr;
    const HENHMETAFILE recorded = recordPageForExport(*request.device, page, request.wmfPages);
    gdi::PicturePtr picture = pictureOf(recorded);
    if (recorded != 0)
        DELETEENHMETAFILE(recorded);
    return picture;
}

// All pages into the one file the output name names.
void saveDocument(const SaveRequest& request, SaveProgress& follow, int32_t format, uint32_t flags, SaveReport& report)
{
    const QString file = request.outputName.trimmed();
    if (!request.overwrite && QFile::exists(file)) {
        stopAtExisting(file);
        report.outcome = SaveOutcome::StoppedAtExisting;
        return;
    }
    gdi::loadCompatibleFaces();
    const gdi::DeviceCaps printer = request.device ? request.device->caps() : gdi::DeviceCaps{};
    const int count = int(request.pages.size());
    DocumentExport document(file, format, flags, request.document, count, request.dpi);
    ExportResult result;
    for (int i = 0; i < count && result.written(); ++i) {
        if (follow.cancelRequested()) {
            report.outcome = SaveOutcome::Cancelled;  // the unfinished file is dropped
            return;
        }
        follow.pageStarted(i + 1, count, file);
        const gdi::PicturePtr picture = documentPicture(request, format, request.pages[i]);
        result = picture ? document.addPage(*picture, printer) : ExportResult{kExportNoPicture, QStringLiteral("no metafile to write")};
        follow.wait();
    }
    if (result.written())
        result = document.finish();
    if (!result.written()) {
        reportFailure(file, result);
        return;
    }
    report.outputFiles << file;
    report.written = 1;
}

void savePages(const SaveRequest& request, SaveProgress& follow, int32_t format, uint32_t flags, SaveReport& report)
{
    PagePipeline pipeline(follow);
    const int count = int(request.pages.size());
    for (int i = 0; i < count; ++i) {
        const QString& page = request.pages[i];
        const QString file = request.nameAsGiven ? request.outputName.trimmed() : outputFileName(request.outputName, page);
        if (follow.cancelRequested()) {
            report.outcome = SaveOutcome::Cancelled;
            break;
        }
        report.outputFiles << file;
        if (!request.overwrite) {
            // An earlier page of this save may still be writing this very name.
            if (report.outputFiles.count(file) > 1)
                pipeline.drain();
            if (QFile::exists(file)) {
                pipeline.drain();
                report.written = pipeline.written();
                stopAtExisting(file);
                report.outcome = SaveOutcome::StoppedAtExisting;
                return;
            }
        }
        follow.pageStarted(i + 1, count, file);
        const HENHMETAFILE recorded = request.device ? recordPageForExport(*request.device, page, request.wmfPages) : 0;
        pipeline.submit(PreparedExport(recorded, file, format, flags, request.owner, request.dpi));
        if (recorded != 0)
            DELETEENHMETAFILE(recorded);
    }
    pipeline.drain();
    report.written = pipeline.written();
}

SaveReport save(const SaveRequest& request, SaveProgress& follow)
{
    const int32_t format = formatCode(request.format);
    const uint32_t flags = flagWord(optionCode(format, request.optionIndex));
    SaveReport report;
    if (isDocumentFormat(format))
        saveDocument(request, follow, format, flags, report);
    else
        savePages(request, follow, format, flags, report);
    if (report.outcome == SaveOutcome::StoppedAtExisting)
        return report;
    if (report.outcome == SaveOutcome::Cancelled) {
        if (request.zip)
            deleteFiles(report.outputFiles);
        return report;
    }
    if (request.zip) {
        const QString name = request.outputName.trimmed();
        // A document's own file has that name: it was checked before it was written.
        if (!isDocumentFormat(format) && QFile::exists(name) && !request.overwrite) {
            stopBox((name + QLatin1Char(' ') + KV_GL(QStringLiteral("exists!"))).toStdString(),
                    KV_GL(QStringLiteral("Stop")).toStdString());
        } else {
            if (zipOutputFiles(report.outputFiles, request.outputName))
                report.archive = archiveName(request.outputName);
        }
        deleteFiles(report.outputFiles);
    }
    return report;
}

} // namespace

void SaveProgress::wait() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5); }

SaveReport saveImages(const SaveRequest& request, SaveProgress* progress)
{
    SaveProgress quiet;
    SaveProgress& follow = progress ? *progress : quiet;
    const SaveReport report = save(request, follow);
    follow.finished(report);
    return report;
}

} // namespace kv
