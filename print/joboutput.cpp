#include "print/joboutput.h"

#include "print/cupsqueue.h"
#include "print/pdfoutput.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace kv {

namespace {
constexpr int kJobNameLength = 31;

// The system's words for a write that failed just now. Qt's file error text says "Unknown
// error" after a failed flush, so the error number of the failed call is asked first.
QString writeFailure(int error, const QFileDevice& file)
{
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : file.errorString();
}
} // namespace

qint64 WholeWriteDevice::writeData(const char* data, qint64 size)
{
    if (failed()) return -1;
    for (qint64 done = 0; done < size;) {
        errno = 0;
        const qint64 written = file_.write(data + done, size - done);
        if (written <= 0) {
            problem_ = writeFailure(errno, file_);
            return -1;
        }
        done += written;
    }
    return size;
}

JobOutput::JobOutput(const PrinterDescription& printer, const QString& document, int copies, const QString& sides)
    : printer_(printer), document_(document), copies_(copies), sides_(sides)
{
}

JobOutput::~JobOutput()
{
    if (writer_) discard();
}

std::unique_ptr<JobOutput> JobOutput::open(const PrinterDescription& printer, const QString& document,
                                           const QPageLayout& layout, int dpi, int copies, const QString& sides,
                                           PrintJobOutcome& failure)
{
    std::unique_ptr<JobOutput> job(new JobOutput(printer, document, copies, sides));
    job->landscape_ = layout.orientation() == QPageLayout::Landscape;
    job->mediaName_ = layout.pageSize().key();
    if (printer.builtInPdf) {
        QString problem;
        job->reservedFile_ = reservePdfFile(pdfOutputDirectory(), document, &problem);
        if (job->reservedFile_.isEmpty()) {
            failure = job->outcome(PrintJobOutcome::State::Failed, problem);
            failure.target = QDir(pdfOutputDirectory()).filePath(pdfFileStem(document) + QStringLiteral(".pdf"));
            return nullptr;
        }
        job->pdfFile_ = std::make_unique<QSaveFile>(job->reservedFile_);
        // The folder may allow new files but not renaming onto the taken name: write in place.
        job->pdfFile_->setDirectWriteFallback(true);
    } else {
        job->queueFile_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/korvelle-job-XXXXXX.pdf"));
    }
    if (!job->device().open(QIODevice::WriteOnly)) {
        failure = job->outcome(PrintJobOutcome::State::Failed, job->device().errorString());
        job->removeLeftovers();
        return nullptr;
    }
    job->sink_ = std::make_unique<WholeWriteDevice>(job->device());
    job->sink_->open(QIODevice::WriteOnly);
    job->writer_ = std::make_unique<QPdfWriter>(job->sink_.get());
    job->writer_->setTitle(document.left(kJobNameLength));  // the job's name, as a printed job carries it
    job->writer_->setCreator(QStringLiteral("Orvanta"));
    job->writer_->setResolution(dpi);
    job->writer_->setPageLayout(layout);
    return job;
}

QFileDevice& JobOutput::device()
{
    if (pdfFile_) return *pdfFile_;
    return *queueFile_;
}

PrintJobOutcome JobOutput::outcome(PrintJobOutcome::State state, const QString& problem) const
{
    PrintJobOutcome o;
    o.state = state;
    o.toFile = printer_.builtInPdf;
    o.target = printer_.builtInPdf ? reservedFile_ : printer_.name;
    o.queueJob = queueJob_;
    o.problem = problem;
    return o;
}

PrintJobOutcome JobOutput::finish()
{
    writer_.reset();
    // A write that failed on the way (a full disk) fails the job: the half-written PDF is
    // dropped and the taken name given back. QSaveFile::commit() does not notice a flush that
    // failed, so the flush is asked first.
    errno = 0;
    bool complete = !sink_->failed() && device().flush();
    QString problem = sink_->failed() ? sink_->problem() : writeFailure(errno, device());
    if (complete && pdfFile_ && !pdfFile_->commit()) {
        complete = false;
        problem = pdfFile_->errorString();
    }
    sink_.reset();
    if (!complete) {
        removeLeftovers();
        return outcome(PrintJobOutcome::State::Failed, problem);
    }
    if (pdfFile_) {
        pdfFile_.reset();
        return outcome(PrintJobOutcome::State::Done);
    }
    queueFile_->close();
    const CupsSubmission sent = submitToCupsQueue(printer_.name, queueFile_->fileName(), document_.left(kJobNameLength),
                                                  {mediaName_, copies_, landscape_, sides_});
    queueFile_.reset();
    queueJob_ = sent.jobId;
    return outcome(sent.jobId > 0 ? PrintJobOutcome::State::Done : PrintJobOutcome::State::Failed, sent.problem);
}

PrintJobOutcome JobOutput::discard()
{
    writer_.reset();
    removeLeftovers();
    return outcome(PrintJobOutcome::State::Cancelled);
}

void JobOutput::removeLeftovers()
{
    sink_.reset();
    if (pdfFile_) pdfFile_->cancelWriting();
    pdfFile_.reset();
    queueFile_.reset();  // a temporary file removes itself
    if (!reservedFile_.isEmpty()) QFile::remove(reservedFile_);
}

} // namespace kv
