// The words printing ends with: the PDF files written or the queue's job numbers in the message
// bar, a cancel, and the stop box's text for a job that failed.
#include "preview/printreport.h"

#include <gtest/gtest.h>

namespace {

using kv::PrintJobOutcome;
using State = PrintJobOutcome::State;

PrintJobOutcome pdfJob(const QString& file, State state = State::Done, const QString& problem = {})
{
    return {state, true, file, 0, problem};
}

PrintJobOutcome queueJob(int number, State state = State::Done, const QString& problem = {})
{
    return {state, false, QStringLiteral("Office"), number, problem};
}

TEST(PrintReport, TheMessageBarNamesWhatWasPrinted)
{
    struct Case {
        const char* what;
        kv::PrintRun run;
        QString text;
    };
    const Case cases[] = {
        {"one PDF", {{pdfJob("/home/u/Report.pdf")}, std::nullopt, false}, "The PDF was written to /home/u/Report.pdf."},
        {"two copies as PDFs", {{pdfJob("/d/R.pdf"), pdfJob("/d/R (2).pdf")}, std::nullopt, false},
         "The PDF was written to /d/R.pdf, /d/R (2).pdf."},
        {"two jobs on a queue", {{queueJob(41), queueJob(42)}, std::nullopt, false},
         "The queue Office took the job (number 41, 42)."},
        {"cancelled after one copy", {{queueJob(7)}, std::nullopt, true},
         "The queue Office took the job (number 7). Printing was cancelled."},
        {"cancelled at once", {{}, std::nullopt, true}, "Printing was cancelled."},
        {"failed at once", {{}, pdfJob("/x.pdf", State::Failed, "No space left on device"), false}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kv::printedText(c.run), c.text) << c.what;
}

TEST(PrintReport, AFailureNamesTheFileOrQueueAndTheReason)
{
    EXPECT_EQ(kv::printFailureText(pdfJob("/d/Report.pdf", State::Failed, "No space left on device")),
              QStringLiteral("The PDF file /d/Report.pdf could not be written: No space left on device"));
    EXPECT_EQ(kv::printFailureText(queueJob(0, State::Failed, "Destination \"Office\" is not accepting jobs.")),
              QStringLiteral("The queue Office did not take the job: Destination \"Office\" is not accepting jobs."));
}

} // namespace
