#include "app/mainentry.h"

#include "app/handoff.h"
#include "app/pagegathering.h"
#include "app/rpreview.h"
#include "lang/kvgl.h"
#include "platform/dirs.h"
#include "platform/inivalues.h"
#include "platform/notify.h"
#include "platform/terminationflag.h"
#include "print/procedural.h"

#include <QThread>

namespace kv {

namespace {

void stop(const QString& text)
{
    stopBox(text.toStdString());
}

// The page files, or nothing after telling the user why there are none to show. Checked
// before the printer device is made, so that nobody is asked to choose a printer for a report
// that cannot be shown.
std::optional<QStringList> pagesToShow(const QString& spoolDirectory)
{
    if (const QString problem = spoolDirectoryProblem(spoolDirectory); !problem.isEmpty()) {
        stop(problem);
        return std::nullopt;
    }
    const GatheredPages gathered = gatherPageFiles(spoolDirectory);
    const QString leftAlone = leftAloneNote(gathered, spoolDirectory);
    if (gathered.files.isEmpty()) {
        QString text = KV_GL(QStringLiteral("No page files (tmp*.emf, tmp*.wmf) were found in the spool directory "))
                       + u'"' + spoolDirectory + u'"';
        if (!leftAlone.isEmpty())
            text += u'\n' + leftAlone;
        stop(text);
        return std::nullopt;
    }
    if (!leftAlone.isEmpty()) {
        alertBox(leftAlone.toStdString());
        // Nothing has been moved yet, so an end requested meanwhile leaves nothing behind.
        if (terminationRequested())
            return std::nullopt;
    }
    return gathered.files;
}

// A hand-off file written into a directory that others can write is never read: the report
// application and the user are told which directory was passed over and where the file was
// looked for instead. Nothing when no directory was passed over.
QString whyNotFound(const QString& lookedFor)
{
    const std::vector<OpenDirectory> passedOver = passedOverOpenDirectories();
    if (passedOver.empty())
        return {};
    QString why;
    for (const OpenDirectory& open : passedOver)
        why += QLatin1Char('\n') + KV_GL(QStringLiteral("%1 (in $%2) was ignored: other users can write to it."))
                                      .arg(open.path, open.variable);
    return why + QLatin1Char(' ') + KV_GL(QStringLiteral("The hand-off file was looked for as %1.")).arg(lookedFor);
}

} // namespace

void MAIN()
{
    const HandoffFile handoffFile;
    if (!handoffFile.exists()) {
        stop(QStringLiteral("Wrong program start.") + whyNotFound(handoffFile.filePath()));
        return;
    }
    const Handoff handoff = handoffFile.read();
    const std::optional<QStringList> pages = pagesToShow(handoff.path);
    if (!pages)
        return;

    const std::shared_ptr<TPrinter> device = PRINTBEGIN(handoff.document, false, false, handoff.printer);
    device->aMeta = *pages;
    if (iniNumber(handoff.orientation) == 2)
        device->SetLandscape();
    else
        device->SetPortrait();
    ORVANTA(device.get());
    // Without a running event loop the preview ran its own and has closed: it ended the
    // device, unless it never opened (the hand-off file vanished meanwhile); ending again does
    // nothing more. Inside a running loop the window may still be open and ends the device
    // itself when it closes.
    if (QThread::currentThread()->loopLevel() == 0)
        device->End();
}

} // namespace kv
