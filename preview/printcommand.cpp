// PrintPage and PrintPrv: the print dialog and the print loop.
#include "korvelle.h"

#include "labeltext.h"

#include "devicebridge.h"
#include "fieldrule.h"
#include "lang/kvgl.h"
#include "pageview/kvmetafile.h"
#include "platform/notify.h"
#include "print/printjob.h"
#include "print/tprinter.h"
#include "previewwindow.h"
#include "pageprinting.h"
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

namespace kv {
namespace {

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
    dialog->setWindowTitle(KV_GL("Printing"));
    auto* all = findControl<QRadioButton>(dialog, 201);
    auto* current = findControl<QRadioButton>(dialog, 202);
    auto* range = findControl<QRadioButton>(dialog, 203);
    auto* from = findControl<QSpinBox>(dialog, 301);
    auto* to = findControl<QSpinBox>(dialog, 302);
    auto* copies = findControl<QSpinBox>(dialog, 501);
    auto* print = findControl<QAbstractButton>(dialog, 101);
    auto* cancel = findControl<QAbstractButton>(dialog, 102);
    if (!all || !current || !range || !from || !to || !copies || !print || !cancel) {
        delete dialog;
        return;
    }
    print->setText(KV_GL("&Print"));
    cancel->setText(KV_GL("&Cancel"));
    if (auto* label = findControl<QLabel>(dialog, 601))
        label->setText(KV_GL("Number") + QLatin1Char(':'));
    if (auto* label = findControl<QLabel>(dialog, 174))
        label->setText(KV_GL("to"));
    for (QSpinBox* field : {from, to}) {
        field->setRange(1, std::max(1, nTotalPages));
        field->setEnabled(false);
    }
    from->setValue(1);
    to->setValue(std::max(1, nTotalPages));
    copies->setRange(1, 99999);
    copies->setValue(1);
    new FieldRule(from, [to](int v) { return v >= 1 && v <= to->value(); });
    new FieldRule(to, [from, this](int v) { return v >= from->value() && v <= nTotalPages; });
    new FieldRule(copies, [](int v) { return v >= 1; });
    all->setChecked(true);
    for (QRadioButton* choice : {all, current, range})
        QObject::connect(choice, &QRadioButton::toggled, dialog, [range, from, to] {
            from->setEnabled(range->isChecked());
            to->setEnabled(range->isChecked());
        });
    QObject::connect(print, &QAbstractButton::clicked, dialog, [=, this] {
        // Printing starts only with values that keep the field rules.
        if (range->isChecked() && (from->value() > to->value() || to->value() > nTotalPages)) {
            defaultBeep();
            return;
        }
        const int choice = all->isChecked() ? 1 : current->isChecked() ? 2 : 3;
        PrintPrv(dialog, choice, from->value(), to->value(), copies->value());
    });
    QObject::connect(cancel, &QAbstractButton::clicked, dialog, &QDialog::reject);
    if (auto* box = findControl<QGroupBox>(dialog, 191))
        box->setTitle(withoutAmpersands(KV_GL("&Print")));
    if (auto* box = findControl<QGroupBox>(dialog, 192))
        box->setTitle(KV_GL("Copies"));
    all->setText(KV_GL("All pages"));
    current->setText(KV_GL("Current page"));
    range->setText(KV_GL("From page") + QLatin1Char(':'));
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
