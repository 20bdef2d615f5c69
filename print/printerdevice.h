#pragma once
// The printer as a leaf of the metafile engine: a gdi::Device over one QPrinter, which knows
// the printer's page geometry without a job. Between startDoc and endDoc it draws through a
// PainterDevice on the job's PDF writer (print/joboutput.h). Device pixels are those of the printable area, (0,0) at its corner,
// as on a GDI printer context. Drawing outside a job goes nowhere.
#include "gdi/core/device.h"
#include "print/joboutcome.h"
#include "print/printerinfo.h"
#include "print/printerstate.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <memory>

namespace kv::gdi { class PainterDevice; }

namespace kv {

class JobOutput;

// GetDeviceCaps over a page layout at `dpi`: printable area and physical page in pixels,
// printable size in millimetres, the printable corner as printing offset.
gdi::DeviceCaps capsFromLayout(const QPageLayout& layout, int dpi);

class PrinterDevice : public gdi::Device {
public:
    // Nothing when the state's printer is not there now.
    static std::unique_ptr<PrinterDevice> create(const PrinterState& state);
    ~PrinterDevice() override;

    const PrinterDescription& printer() const { return printer_; }

    // One print job: the job is named after `document` cut to 31 characters; the built-in
    // printer writes it to a new PDF file named after the whole document. False when the job
    // cannot start (a folder that cannot be written); lastOutcome() says why.
    bool startDoc(const QString& document);
    bool startPage();   // the first page comes with the job; later ones are new sheets
    // False when the job could not be finished, written or handed to the queue.
    bool endDoc();
    // Drops the job: nothing of it reaches the queue or the output folder.
    void abortDoc();
    bool jobActive() const { return painter_.isActive(); }
    // What became of the last job started or ended.
    const PrintJobOutcome& lastOutcome() const { return outcome_; }
    // Takes the state's paper, orientation, copies and source (GDI's ResetDC); inside a job
    // it applies from the next page on. False when the printer refuses the layout.
    bool applyMode(const PrinterState& state);

    gdi::DeviceCaps caps() const override { return caps_; }
    void setClip(const std::optional<QRegion>& clip) override;
    void fillPath(const QPainterPath& path, Qt::FillRule rule, const gdi::DrawBrush& brush) override;
    void strokePath(const QPainterPath& path, const gdi::DrawPen& pen) override;
    void drawText(const gdi::TextRun& run) override;
    void drawImage(const gdi::ImageDraw& image) override;

private:
    explicit PrinterDevice(const PrinterDescription& printer);
    bool configure(const PrinterState& state);
    void attachPainterDevice();

    PrinterDescription printer_;
    QPrinter qprinter_;
    QPainter painter_;
    std::unique_ptr<gdi::PainterDevice> painterDevice_;
    std::optional<QRegion> clip_;
    gdi::DeviceCaps caps_;
    std::unique_ptr<JobOutput> job_;
    PrintJobOutcome outcome_;
    int jobPages_ = 0;
};

} // namespace kv
