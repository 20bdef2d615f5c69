// PrintPage and PrintPrv: the print dialog and the print loop.
#include "korvelle.h"

#include "labeltext.h"

#include "devicebridge.h"
#include "fieldrule.h"
#include "lang/kvgl.h"
#include "pageview/kvmetafile.h"
#include "pageview/pageloader.h"
#include "platform/notify.h"
#include "print/printjob.h"
#include "print/tprinter.h"
#include "previewwindow.h"
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

namespace kv {
namespace {

// Plays one enhanced metafile onto the printer at the rectangle its page was drawn in.
void playAtBounds(HDC hdc, HENHMETAFILE meta)
{
    if (meta == 0)
        return;
    const auto b = ENHMETASIZE(meta, 1);
    PLAYENHMETAFILE(hdc, meta, {double(b[0]), double(b[1]), double(b[2]), double(b[3])});
}

void printPageFile(HDC hdc, const QString& file)
{
    StartPage(hdc);
    const HENHMETAFILE meta = loadPageAsEmf(file, isWmfPageFile(file), 0);
    playAtBounds(hdc, meta);
    if (meta != 0)
        DELETEENHMETAFILE(meta);
    EndPage(hdc);
}

} // namespace

void KORVELLE::PrintPage(bool lExit)
{
    if (lExit) {
        PrintPrv(nullptr, 1, 1, nTotalPages, 1);
        if (oWnd)
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

void KORVELLE::PrintPrv(QDialog* oDlg, int nChoice, int nFrom, int nTo, int nCopies)
{
    const HDC hdc = oDevice ? oDevice->hDC : 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A job without pages would still put out a blank sheet here (a printer job starts with
    // its first page): such a job is not started at all.
    const bool nothingToPrint = (nChoice == 1 && aFiles.isEmpty())
        || (nChoice == 3 && (nFrom > nTo || nFrom > aFiles.size()));
    for (int copy = 1; copy <= nCopies && hdc != 0 && !nothingToPrint; ++copy) {
        StartDoc(hdc, deviceDocument(*oDevice));
        if (nChoice == 1) {
            for (const QString& file : aFiles)
                printPageFile(hdc, file);
        } else if (nChoice == 2) {
            StartPage(hdc);
            // The first page view's page; read from its file when the view has not loaded it.
            HENHMETAFILE meta = aMeta[0] ? aMeta[0]->hMeta : 0;
            const bool own = meta == 0 && nPage >= 1 && nPage <= aFiles.size();
            if (own)
                meta = loadPageAsEmf(aFiles[nPage - 1], isWmfPageFile(aFiles[nPage - 1]), 0);
            playAtBounds(hdc, meta);
            if (own && meta != 0)
                DELETEENHMETAFILE(meta);
            EndPage(hdc);
        } else if (nChoice == 3) {
            for (int p = std::max(1, nFrom); p <= nTo && p <= aFiles.size(); ++p)
                printPageFile(hdc, aFiles[p - 1]);
        }
        EndDoc(hdc);
    }
    QApplication::restoreOverrideCursor();
    if (oDlg)
        oDlg->accept();
}

} // namespace kv
