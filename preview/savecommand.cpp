// PrViewSave: the Save as dialog, the choices kept in the settings file, and the save.
#include "korvelle.h"

#include "labeltext.h"
#include "lang/kvgl.h"
#include "previewwindow.h"
#include "resourcescope.h"
#include "saveasdialog.h"
#include "savechoices.h"
#include "savefeedback.h"

#include <QStatusBar>

namespace kv {

void KORVELLE::PrViewSave()
{
    std::optional<SaveChoices> chosen;
    {
        const SaveChoices start = readSaveChoices(cIni, nTotalPages);
        const ResourceScope resources(cResFile);  // the dialog's template; restored when it has closed
        SaveAsDialog dialog(oWnd, start, nTotalPages, pageNames(withoutAmpersands(KV_GL(QStringLiteral("&Page"))), nTotalPages));
        if (!dialog.valid())
            return;
        chosen = dialog.exec();
    }
    if (!chosen)
        return;
    const QStringList pages = pagesToSave(*chosen, aFiles, nPage);
    // Kept before any page is written, and kept whatever the save then meets.
    writeSaveChoices(cIni, *chosen);
    const int option = optionIndex(chosen->options, chosen->option);
    SaveFeedback feedback(oWnd, oWnd ? oWnd->statusBar() : nullptr, int(pages.size()), chosen->zip);
    Img_Save(pages, chosen->outputName, chosen->format, chosen->overwrite, option, chosen->zip, &feedback);
}

} // namespace kv
