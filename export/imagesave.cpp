#include "imagesave.h"

#include "exportformats.h"
#include "imageexport.h"
#include "outputnames.h"
#include "pagerecording.h"
#include "ziparchive.h"

#include "gdi/fontmap.h"
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
        else  // the component's failure: the program's own text, then which file and why
            stopBox("Error while saving file.\n" + (file + QStringLiteral(": ") + result.reason).toStdString());
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

SaveReport save(const SaveRequest& request, SaveProgress& follow)
{
    const int32_t format = formatCode(request.format);
    const std::optional<int32_t> option = optionCode(format, request.optionIndex);
    SaveReport report;
    PagePipeline pipeline(follow);
    const int count = int(request.pages.size());
    for (int i = 0; i < count; ++i) {
        const QString& page = request.pages[i];
        const QString file = outputFileName(request.outputName, page);
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
                stopBox(file.toStdString() + KV_GL(QStringLiteral(" exists.")).toStdString());
                report.outcome = SaveOutcome::StoppedAtExisting;
                return report;
            }
        }
        follow.pageStarted(i + 1, count, file);
        const HENHMETAFILE recorded = request.device ? recordPageForExport(*request.device, page, request.wmfPages) : 0;
        pipeline.submit(PreparedExport(recorded, file, format, flagWord(option), request.owner, request.dpi));
        if (recorded != 0)
            DELETEENHMETAFILE(recorded);
    }
    pipeline.drain();
    report.written = pipeline.written();
    if (report.outcome == SaveOutcome::Cancelled) {
        if (request.zip)
            deleteFiles(report.outputFiles);
        return report;
    }
    if (request.zip) {
        const QString name = request.outputName.trimmed();
        if (QFile::exists(name) && !request.overwrite) {
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
