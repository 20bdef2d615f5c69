// PrintPage and PrintPrv: the print dialog and the print loop.
#include "korvelle.h"

#include "labeltext.h"

#include "devicebridge.h"
#include "fieldrule.h"
#include "gdi/pageplacement.h"
#include "lang/kvgl.h"
#include "pageview/kvmetafile.h"
#include "pageview/pageloader.h"
#include "platform/notify.h"
#include "print/printjob.h"
#include "print/tprinter.h"
#include "previewwindow.h"
#include "printprogress.h"
#include "printreport.h"
#include "resourcelib.h"
#include "resourcescope.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <optional>

namespace kv {
namespace {

// Plays one enhanced metafile onto the printer: a page recorded for it at the rectangle it was
// drawn in, any other page at its frame's place on the sheet.
void playPlaced(HDC hdc, HENHMETAFILE meta, const gdi::DeviceCaps& printer)
{
    const gdi::PicturePtr picture = pictureOf(meta);
    if (!picture)
        return;
    const QRectF r = gdi::printerPlayRect(picture->header, printer);
    PLAYENHMETAFILE(hdc, meta, {r.left(), r.top(), r.right(), r.bottom()});
}

void printPageFile(HDC hdc, const QString& file, const gdi::DeviceCaps& printer)
{
    StartPage(hdc);
    const HENHMETAFILE meta = loadPageAsEmf(file, isWmfPageFile(file), 0);
    playPlaced(hdc, meta, printer);
    if (meta != 0)
        DELETEENHMETAFILE(meta);
    EndPage(hdc);
}

// One page on the printer: the handle a page view holds of it (`shown`), else its file.
void printPage(HDC hdc, const QString& file, HENHMETAFILE shown, const gdi::DeviceCaps& printer)
{
    if (shown == 0) {
        printPageFile(hdc, file, printer);
        return;
    }
    StartPage(hdc);
    playPlaced(hdc, shown, printer);
    EndPage(hdc);
}

// The controls of the "PRINT" template, by identifier; nothing when one is missing.
struct PrintDialogControls {
    QRadioButton* all;
    QRadioButton* current;
    QRadioButton* range;
    QSpinBox* from;
    QSpinBox* to;
    QSpinBox* copies;
    QAbstractButton* print;
    QAbstractButton* cancel;
};

std::optional<PrintDialogControls> findPrintControls(QDialog* dialog)
{
    const PrintDialogControls c{findControl<QRadioButton>(dialog, 201), findControl<QRadioButton>(dialog, 202),
                                findControl<QRadioButton>(dialog, 203), findControl<QSpinBox>(dialog, 301),
                                findControl<QSpinBox>(dialog, 302),     findControl<QSpinBox>(dialog, 501),
                                findControl<QAbstractButton>(dialog, 101), findControl<QAbstractButton>(dialog, 102)};
    if (!c.all || !c.current || !c.range || !c.from || !c.to || !c.copies || !c.print || !c.cancel)
        return std::nullopt;
    return c;
}

void labelPrintDialog(QDialog* dialog, const PrintDialogControls& c)
{
    dialog->setWindowTitle(KV_GL("Printing"));
    c.print->setText(KV_GL("&Print"));
    c.cancel->setText(KV_GL("&Cancel"));
    if (auto* label = findControl<QLabel>(dialog, 601))
        label->setText(KV_GL("Number") + QLatin1Char(':'));
    if (auto* label = findControl<QLabel>(dialog, 174))
        label->setText(KV_GL("to"));
    if (auto* box = findControl<QGroupBox>(dialog, 191))
        box->setTitle(withoutAmpersands(KV_GL("&Print")));
    if (auto* box = findControl<QGroupBox>(dialog, 192))
        box->setTitle(KV_GL("Copies"));
    c.all->setText(KV_GL("All pages"));
    c.current->setText(KV_GL("Current page"));
    c.range->setText(KV_GL("From page") + QLatin1Char(':'));
}

// All pages, one copy; the page fields open only with "From page" and keep their rules.
void setUpPrintFields(QDialog* dialog, const PrintDialogControls& c, int totalPages)
{
    for (QSpinBox* field : {c.from, c.to}) {
        field->setRange(1, std::max(1, totalPages));
        field->setEnabled(false);
    }
    c.from->setValue(1);
    c.to->setValue(std::max(1, totalPages));
    c.copies->setRange(1, 99999);
    c.copies->setValue(1);
    new FieldRule(c.from, [to = c.to](int v) { return v >= 1 && v <= to->value(); });
    new FieldRule(c.to, [from = c.from, totalPages](int v) { return v >= from->value() && v <= totalPages; });
    new FieldRule(c.copies, [](int v) { return v >= 1; });
    c.all->setChecked(true);
    for (QRadioButton* choice : {c.all, c.current, c.range})
        QObject::connect(choice, &QRadioButton::toggled, dialog, [c] {
            c.from->setEnabled(c.range->isChecked());
            c.to->setEnabled(c.range->isChecked());
        });
}

} // namespace

void KORVELLE::PrintPage(bool lExit)
{
    if (lExit) {
        // A print that failed or was cancelled keeps the window, and with it the pages.
        if (PrintPrv(nullptr, 1, 1, nTotalPages, 1) && oWnd)
            oWnd->close();
        return;
    }
    ResourceScope resources(cResFile);
    QDialog* dialog = loadDialog(QStringLiteral("PRINT"), oWnd);
    if (!dialog)
        return;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const std::optional<PrintDialogControls> controls = findPrintControls(dialog);
    if (!controls) {
        delete dialog;
        return;
    }
    const PrintDialogControls c = *controls;
    labelPrintDialog(dialog, c);
    setUpPrintFields(dialog, c, nTotalPages);
    QObject::connect(c.print, &QAbstractButton::clicked, dialog, [=, this] {
        // Printing starts only with values that keep the field rules.
        if (c.range->isChecked() && (c.from->value() > c.to->value() || c.to->value() > nTotalPages)) {
            defaultBeep();
            return;
        }
        const int choice = c.all->isChecked() ? 1 : c.current->isChecked() ? 2 : 3;
        PrintPrv(dialog, choice, c.from->value(), c.to->value(), c.copies->value());
    });
    QObject::connect(c.cancel, &QAbstractButton::clicked, dialog, &QDialog::reject);
    dialog->exec();
}

std::vector<int> KORVELLE::pagesToPrint(int nChoice, int nFrom, int nTo) const
{
    std::vector<int> pages;
    if (nChoice == 1)
        for (int p = 1; p <= nTotalPages; ++p)
            pages.push_back(p);
    else if (nChoice == 2 && nPage >= 1 && nPage <= nTotalPages)
        pages.push_back(nPage);
    else if (nChoice == 3)
        for (int p = std::max(1, nFrom); p <= nTo && p <= nTotalPages; ++p)
            pages.push_back(p);
    return pages;
}

bool KORVELLE::PrintPrv(QDialog* oDlg, int nChoice, int nFrom, int nTo, int nCopies)
{
    const HDC hdc = oDevice ? oDevice->hDC : 0;
    const gdi::DeviceCaps printer = oDevice ? oDevice->caps() : gdi::DeviceCaps{};
    // A job without pages would still put out a blank sheet here (a printer job starts with
    // its first page): such a job is not started at all.
    const std::vector<int> pages = pagesToPrint(nChoice, nFrom, nTo);
    QStatusBar* messageBar = oWnd ? oWnd->statusBar() : nullptr;
    if (hdc == 0 || pages.empty()) {
        if (hdc == 0 && messageBar)
            messageBar->showMessage(KV_GL(QStringLiteral("There is no printer: nothing was printed.")));
        if (oDlg)
            oDlg->accept();
        return hdc != 0;
    }

    PrintRun run;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        PrintProgress progress(oDlg ? static_cast<QWidget*>(oDlg) : oWnd.data(), int(pages.size()), nCopies);
        for (int copy = 1; copy <= nCopies && !run.failure && !run.cancelled; ++copy) {
            if (!StartDoc(hdc, deviceDocument(*oDevice))) {
                run.failure = JobOutcome(hdc);
                break;
            }
            for (size_t i = 0; i < pages.size() && !run.cancelled; ++i) {
                run.cancelled = !progress.advance(int(i) + 1, copy);
                if (!run.cancelled)
                    printPage(hdc, aFiles[pages[i] - 1], nChoice == 2 && aMeta[0] ? aMeta[0]->hMeta : 0, printer);
            }
            if (run.cancelled)
                AbortDoc(hdc);
            else if (EndDoc(hdc))
                run.done.push_back(JobOutcome(hdc));
            else
                run.failure = JobOutcome(hdc);
        }
        QApplication::restoreOverrideCursor();
    }
    reportPrinting(messageBar, run);
    if (oDlg)
        oDlg->accept();
    return !run.failure && !run.cancelled;
}

} // namespace kv
