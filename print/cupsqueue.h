#pragma once
// What the CUPS scheduler tells about one queue beyond what Qt reports: its device URI and the
// default resolution of its driver (Qt's QPrinter only knows 96 or 1200 dpi, whatever the PPD).
#include <QString>
#include <optional>

namespace kv {

struct CupsQueueDetails {
    QString makeAndModel;  // may be empty
    QString deviceUri;     // may be empty (remote queues)
    int defaultDpi = 0;    // 0 when the queue states none
};

// Nothing when the scheduler does not answer or does not know the queue.
std::optional<CupsQueueDetails> queryCupsQueue(const QString& name);

// The options a job of ours carries, as Qt's own CUPS printing passes them.
struct CupsJobOptions {
    QString media;        // the page size's key, e.g. "A4"
    int copies = 1;
    bool landscape = false;
    QString sides;        // "one-sided", "two-sided-long-edge", "two-sided-short-edge"; empty: the queue's default
};

struct CupsSubmission {
    int jobId = 0;        // 0: the queue did not take the job
    QString problem;      // the scheduler's reason when it did not
};

// Hands a finished PDF file to the queue as one job named `title`.
CupsSubmission submitToCupsQueue(const QString& queue, const QString& pdfFile, const QString& title,
                                 const CupsJobOptions& options);

} // namespace kv
