#pragma once
// What the user is told when printing has ended: the PDF files written or the queue's jobs in
// the message bar, a job that failed in a stop box naming the file or queue and the reason.
#include "print/joboutcome.h"

#include <QString>
#include <optional>
#include <vector>

class QStatusBar;

namespace kv {

struct PrintRun {
    std::vector<PrintJobOutcome> done;       // the jobs that were written or taken, in order
    std::optional<PrintJobOutcome> failure;  // the job that failed; printing stopped there
    bool cancelled = false;
};

// The message-bar text for the jobs done and a cancel (empty when there is nothing to say).
QString printedText(const PrintRun& run);
// The stop box's text for a job that failed.
QString printFailureText(const PrintJobOutcome& failure);

// Shows both: the text of what was done in `bar` (when there is one), a failure in a stop box.
void reportPrinting(QStatusBar* bar, const PrintRun& run);

} // namespace kv
