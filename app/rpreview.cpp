#include "app/rpreview.h"

#include "app/handoff.h"
#include "lang/kvgl.h"
#include "platform/notify.h"
#include "preview/korvelle.h"
#include "print/tprinter.h"

namespace kv {

namespace {

bool hasSpooledPages(const TPrinter& device)
{
    return device.lMeta && !device.aMeta.isEmpty() && device.hDC != 0;
}

} // namespace

bool ORVANTA(TPrinter* oDevice)
{
    if (!oDevice)
        return true;
    std::unique_ptr<KORVELLE> preview = KORVELLE::New(oDevice);
    // A modeless preview outlives this call: it lives on until its window closes.
    KORVELLE::keepUntilClosed(std::move(preview));
    return true;
}

bool RPREVIEW(TPrinter* oDevice)
{
    if (!oDevice)
        return true;
    if (!hasSpooledPages(*oDevice)) {
        oDevice->End();
        return true;
    }
    const HandoffFile handoff;
    if (!handoff.write(oDevice->GetModel(), oDevice->cDir, oDevice->cDocument, oDevice->GetOrientation())) {
        // Without the hand-off file the preview cannot start and nobody would ever delete the
        // spooled pages: say why and release them.
        stopBox((KV_GL(QStringLiteral("The preview cannot start: the hand-off file could not be written: "))
                 + handoff.filePath()).toStdString());
        oDevice->End();
        return true;
    }
    ORVANTA(oDevice);
    return true;
}

void installPreviewRoad()
{
    setPreviewHandler([](TPrinter& device) { RPREVIEW(&device); });
}

} // namespace kv
