#include "print/tprinter.h"

#include "platform/dirs.h"
#include "platform/notify.h"
#include "print/printercontext.h"
#include "print/printerdialogs.h"
#include "print/printerlist.h"
#include "print/printmessages.h"
#include "print/printerstate.h"
#include "print/procedural.h"

#include <QFile>
#include <QFileInfo>

namespace kv {

namespace {

PreviewHandler& previewSlot()
{
    static PreviewHandler handler;
    return handler;
}

// ": " and the system's words for why a job failed, or nothing when it gave none.
QString reasonOf(const PrintJobOutcome& outcome)
{
    return outcome.problem.isEmpty() ? QString() : QStringLiteral(": ") + outcome.problem;
}

QString modelText(const PrinterState& state)
{
    return state.deviceName + QLatin1Char(',') + state.driver + QLatin1Char(',') + state.port;
}

} // namespace

void setPreviewHandler(PreviewHandler handler) { previewSlot() = std::move(handler); }

TPrinter::TPrinter(const std::optional<QString>& document, bool user, bool meta,
                   const std::optional<QString>& model, bool prvModal, const QString& choiceReason)
    : cDocument(document.value_or(kDefaultDocument)), lMeta(meta), lPrvModal(prvModal)
{
    makeContext(model, user, choiceReason);
    if (hDC != 0) {
        readOffsets();
        nOrient = GetOrientation();
    }
    if (!lMeta) {
        hDCOut = hDC;
    } else {
        cDir = tempDirectory();
    }
}

TPrinter::~TPrinter()
{
    End();
}

// Which printer: the user's choice, the named one, or the shared state's (the default printer
// on first use). A name is only looked up in the printer list: it never reaches a shell.
void TPrinter::makeContext(const std::optional<QString>& model, bool user, const QString& choiceReason)
{
    if (user) {
        const auto choice = choosePrinter(choiceReason);
        if (!choice) {
            choiceCancelled_ = true;  // no device context, silently
            return;
        }
        if (!selectPrinter(choice->printerName)) {
            printerStop(composeMessage({{QStringLiteral("The printer ")}, {choice->printerName, false},
                                        {QStringLiteral(" is not available.")}}));
            return;
        }
        PrinterState& state = sharedPrinterState();
        if (choice->copies) state.copies = *choice->copies;
        if (choice->orientation) state.orientation = *choice->orientation;
    } else if (model) {
        const QString name = model->section(QLatin1Char(','), 0, 0).trimmed();
        if (!selectPrinter(name)) {
            printerStop(composeMessage({{QStringLiteral("The printer ")}, {name, false},
                                        {QStringLiteral(" is not available.")}}));
            return;
        }
    }
    if (!remakeContext()) {
        printerStop(composeMessage({{QStringLiteral("The printer ")}, {GetModel(), false},
                                    {QStringLiteral(" is not available.")}}));
        return;
    }
    cModel = modelText(sharedPrinterState());
}

bool TPrinter::remakeContext()
{
    context_.reset();
    hDC = 0;
    jobRefused_ = false;
    if (choiceCancelled_) return false;
    context_ = PrinterContext::create(sharedPrinterState());
    if (context_) hDC = context_->handle();
    return hDC != 0;
}

void TPrinter::readOffsets()
{
    const auto offset = GetPrintingOffset();
    nXOffset = offset[0];
    nYOffset = offset[1];
}

void TPrinter::End()
{
    // The module's hold on a current device is kept until this call returns.
    const auto keepAlive = releaseCurrentPrinter(this);
    if (hDC != 0) {
        if (!lMeta) {
            finishJob();
        } else {
            closeRecording();
            deleteSpooledFiles();
            hDCOut = 0;
        }
        if (nOrient) sharedPrinterState().orientation = *nOrient == kPortrait ? kPortrait : kLandscape;
        context_.reset();
        hDC = 0;
    }
    if (!lMeta) hDCOut = 0;
    oFont.reset();
}

void TPrinter::StartPage()
{
    if (hDC == 0) return;
    if (!lMeta && !lStarted) startJob();
    ++nPage;
    if (!lMeta) {
        if (lStarted && !context_->device().startPage())
            printerAlert(composeMessage({{QStringLiteral("The printer ")}, {GetModel(), false},
                                         {QStringLiteral(" did not take a new page.")}}));
        return;
    }
    if (nPage > 9999) {
        // Spool files carry four digits: a fifth page number would clash with page 1's name.
        hDCOut = 0;
        printerAlert(composeMessage({{QStringLiteral("The report has more than 9999 pages: page ")},
                                     {QString::number(nPage), false},
                                     {QStringLiteral(" and later pages cannot be spooled.")}}),
                     QStringLiteral("Print preview error"));
        return;
    }
    const QString file = cDir + QStringLiteral("/tmp%1.emf").arg(nPage, 4, 10, QLatin1Char('0'));
    aMeta << file;
    hDCOut = CREATEENHMETAFILE(hDC, file, 0);
}

void TPrinter::EndPage()
{
    if (hDC == 0 || !lMeta) return;  // a printed page ends with the next StartPage or EndDoc
    if (aMeta.isEmpty()) {
        printerAlert(composeMessage({{QStringLiteral("The temporal metafile could not be created")}}),
                     QStringLiteral("Printer object Error"));
        return;
    }
    if (nPage > 9999) return;  // refused at StartPage, already said
    const bool closed = closeRecording();
    const QString file = aMeta.back();
    if (!closed || !QFileInfo::exists(file)) {
        QFile::remove(file);  // a half-written page (a full disk) is worse than none
        printerAlert(composeMessage({{QStringLiteral("Could not create temporary file: ")}, {file, false},
                                     {QStringLiteral("\r\n\r\n")},
                                     {QStringLiteral("Please check your free space on your hard drive ")},
                                     {QStringLiteral("\r\n")},
                                     {QStringLiteral("and the amount of files handles available.")}}),
                     QStringLiteral("Print preview error"));
    }
}

void TPrinter::Preview()
{
    if (lMeta && !aMeta.isEmpty() && hDC != 0 && previewSlot()) previewSlot()(*this);
    else End();
}

void TPrinter::Rebuild()
{
    if (lStarted) {
        if (!lMeta) finishJob();
        else hDCOut = 0;
    }
    const bool made = remakeContext();
    lStarted = false;
    lModified = true;
    if (made) readOffsets();
    if (!lMeta) hDCOut = hDC;
}

void TPrinter::startJob()
{
    if (jobRefused_) return;
    if (context_->device().startDoc(cDocument)) {
        lStarted = true;
        return;
    }
    jobRefused_ = true;
    printerAlert(composeMessage({{QStringLiteral("The print job ")}, {cDocument, false},
                                 {QStringLiteral(" could not be started on the printer ")}, {GetModel(), false},
                                 {reasonOf(context_->device().lastOutcome()), false}}));
}

void TPrinter::finishJob()
{
    if (!lStarted) return;
    lStarted = false;
    if (!context_->device().endDoc())
        printerAlert(composeMessage({{QStringLiteral("The print job ")}, {cDocument, false},
                                     {QStringLiteral(" could not be finished on the printer ")}, {GetModel(), false},
                                     {reasonOf(context_->device().lastOutcome()), false}}));
}

bool TPrinter::closeRecording()
{
    if (!lMeta || hDCOut == 0) return false;
    const HENHMETAFILE closed = CLOSEENHMETAFILE(hDCOut);
    hDCOut = 0;
    if (closed == 0) return false;
    DELETEENHMETAFILE(closed);
    return true;
}

void TPrinter::deleteSpooledFiles()
{
    for (const QString& file : std::as_const(aMeta)) QFile::remove(file);
}

} // namespace kv
