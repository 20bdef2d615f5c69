#pragma once
// Where the pages of one print job go while it runs: a PDF writer whose bytes become the
// built-in printer's PDF file only when the job is complete, or a temporary PDF that is handed
// to the CUPS queue when the job ends. Until then nothing reaches the queue or the output
// folder, so a cancelled or failed job leaves nothing behind.
#include "print/joboutcome.h"
#include "print/printerinfo.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <memory>

namespace kv {

// Hands every byte on to a file and remembers when the file did not take them all: Qt's PDF
// writer does not look at what its writes return, and a full disk only shortens them.
class WholeWriteDevice : public QIODevice {
public:
    explicit WholeWriteDevice(QFileDevice& file) : file_(file) {}
    bool isSequential() const override { return true; }
    bool failed() const { return !problem_.isEmpty(); }
    const QString& problem() const { return problem_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    QFileDevice& file_;
    QString problem_;
};

class JobOutput {
public:
    // The built-in printer's file is named after the whole document, a queue's job after its
    // first 31 characters. Nothing, with the reason in `failure`, when the output cannot be
    // opened (a folder that cannot be made or written, no room for a temporary file).
    static std::unique_ptr<JobOutput> open(const PrinterDescription& printer, const QString& document,
                                           const QPageLayout& layout, int dpi, int copies, const QString& sides,
                                           PrintJobOutcome& failure);
    ~JobOutput();

    QPdfWriter& writer() { return *writer_; }
    // After the painter has ended: the file is put in place, or the job handed to the queue.
    PrintJobOutcome finish();
    // Drops everything the job wrote.
    PrintJobOutcome discard();

private:
    JobOutput(const PrinterDescription& printer, const QString& document, int copies, const QString& sides);
    QFileDevice& device();
    void removeLeftovers();
    PrintJobOutcome outcome(PrintJobOutcome::State state, const QString& problem = {}) const;

    PrinterDescription printer_;
    QString document_;
    int copies_;
    QString sides_;  // CUPS "sides"; empty: the queue's default
    bool landscape_ = false;
    QString mediaName_;
    QString reservedFile_;  // the built-in printer's file, taken (empty) at the start
    std::unique_ptr<QSaveFile> pdfFile_;
    std::unique_ptr<QTemporaryFile> queueFile_;
    std::unique_ptr<WholeWriteDevice> sink_;
    std::unique_ptr<QPdfWriter> writer_;
    int queueJob_ = 0;
};

} // namespace kv
