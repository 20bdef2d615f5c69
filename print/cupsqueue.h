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

} // namespace kv
