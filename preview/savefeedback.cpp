#include "savefeedback.h"

#include "labeltext.h"
#include "lang/kvgl.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStatusBar>

namespace kv {

namespace {

// Widest the file name is shown in the progress dialog, in pixels; longer paths lose their
// middle.
constexpr int kFileTextWidth = 420;

// The busy cursor over the dialog tells that its Cancel button listens, unlike the wait
// cursor the save puts over everything else.
class SaveProgressDialog : public QProgressDialog {
public:
    using QProgressDialog::QProgressDialog;

protected:
    void showEvent(QShowEvent* event) override
    {
        QApplication::changeOverrideCursor(Qt::BusyCursor);
        QProgressDialog::showEvent(event);
    }
};

QString shownPath(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

QString saveSummary(const SaveReport& report, bool zip)
{
    QString summary;
    if (report.outcome == SaveOutcome::Cancelled)
        summary = KV_GL(QStringLiteral("Saving cancelled.")) + QLatin1Char(' ');
    else if (report.outcome == SaveOutcome::StoppedAtExisting)
        summary = KV_GL(QStringLiteral("Saving stopped.")) + QLatin1Char(' ');
    // A save stopped at an existing file leaves its pages unpacked, zip or not.
    const bool packed = zip && report.outcome != SaveOutcome::StoppedAtExisting;
    if (!report.archive.isEmpty()) {
        summary += KV_GL(QStringLiteral("Archive written: %1")).arg(shownPath(QFileInfo(report.archive).absoluteFilePath()));
    } else if (packed) {
        summary += KV_GL(QStringLiteral("No archive was made."));
    } else if (report.written == 0 || report.outputFiles.isEmpty()) {
        summary += KV_GL(QStringLiteral("No file was written."));
    } else {
        const QString folder = shownPath(QFileInfo(report.outputFiles.first()).absolutePath());
        summary += report.written == 1
            ? KV_GL(QStringLiteral("1 file written to %1")).arg(folder)
            : KV_GL(QStringLiteral("%1 files written to %2")).arg(QString::number(report.written), folder);
    }
    return summary;
}

SaveFeedback::SaveFeedback(QWidget* window, QStatusBar* messageBar, int pageCount, bool zip)
    : messageBar_(messageBar), zip_(zip)
{
    if (pageCount <= 1)
        return;
    progress_ = new SaveProgressDialog(window);
    progress_->setWindowTitle(withoutAmpersands(KV_GL(QStringLiteral("&Save as"))));
    progress_->setCancelButtonText(KV_GL(QStringLiteral("&Cancel")));
    // Nothing else of the program may be used while it shows: the save is still running.
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setRange(0, pageCount);
    progress_->setMinimumDuration(kProgressDelayMs);
}

SaveFeedback::~SaveFeedback() { delete progress_; }

QProgressDialog* SaveFeedback::progressDialog() const { return progress_; }

void SaveFeedback::pageStarted(int index, int count, const QString& file)
{
    if (!progress_)
        return;
    const QString name = progress_->fontMetrics().elidedText(shownPath(file), Qt::ElideMiddle, kFileTextWidth);
    progress_->setLabelText(KV_GL(QStringLiteral("Page %1 of %2")).arg(QString::number(index), QString::number(count))
                            + QLatin1Char('\n') + name);
    progress_->setValue(index - 1);
}

bool SaveFeedback::cancelRequested()
{
    wait();
    return progress_ && progress_->wasCanceled();
}

void SaveFeedback::wait()
{
    // Once the modal progress dialog shows, user input can reach nothing but it, and its
    // Cancel button must hear the click; before that, input waits for the save's end.
    if (progress_ && progress_->isVisible())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    else
        SaveProgress::wait();
}

void SaveFeedback::finished(const SaveReport& report)
{
    if (progress_)
        progress_->reset();
    if (messageBar_)
        messageBar_->showMessage(saveSummary(report, zip_));
}

} // namespace kv
