#include "printreport.h"

#include "lang/kvgl.h"
#include "platform/notify.h"

#include <QDir>
#include <QStatusBar>
#include <QStringList>

namespace kv {

QString printedText(const PrintRun& run)
{
    QStringList files, jobs;
    QString queue;
    for (const PrintJobOutcome& job : run.done) {
        if (job.toFile) {
            files << QDir::toNativeSeparators(job.target);
        } else {
            queue = job.target;
            jobs << QString::number(job.queueJob);
        }
    }
    QStringList parts;
    if (!files.isEmpty())
        parts << KV_GL(QStringLiteral("The PDF was written to %1.")).arg(files.join(QStringLiteral(", ")));
    if (!jobs.isEmpty())
        parts << KV_GL(QStringLiteral("The queue %1 took the job (number %2).")).arg(queue, jobs.join(QStringLiteral(", ")));
    if (run.cancelled)
        parts << KV_GL(QStringLiteral("Printing was cancelled."));
    return parts.join(QLatin1Char(' '));
}

QString printFailureText(const PrintJobOutcome& failure)
{
    if (failure.toFile)
        return KV_GL(QStringLiteral("The PDF file %1 could not be written: %2"))
            .arg(QDir::toNativeSeparators(failure.target), failure.problem);
    return KV_GL(QStringLiteral("The queue %1 did not take the job: %2")).arg(failure.target, failure.problem);
}

void reportPrinting(QStatusBar* bar, const PrintRun& run)
{
    if (bar)
        bar->showMessage(printedText(run));
    if (run.failure)
        stopBox(printFailureText(*run.failure).toStdString());
}

} // namespace kv
