#pragma once
// What became of a print job, for the window layer to tell the user.
#include <QString>

namespace kv {

struct PrintJobOutcome {
    enum class State { None, Done, Failed, Cancelled };
    State state = State::None;
    bool toFile = false;  // the built-in "PDF File" printer
    QString target;       // the PDF file (written, or meant to be), or the queue's name
    int queueJob = 0;     // the number CUPS gave the job; 0 when none
    QString problem;      // why it failed, in the system's words
};

} // namespace kv
