// The commands of the File menu that are not about viewing: Send to, and the saving of pages
// behind Save as (the dialog itself: savecommand.cpp).
#include "korvelle.h"

#include "devicebridge.h"
#include "export/imageexport.h"
#include "export/imagesave.h"
#include "export/ziparchive.h"
#include "platform/notify.h"
#include "previewwindow.h"

#include <QApplication>
#include <QEvent>

namespace kv {

namespace {

// Keeps a window open while pages are being saved: the save lets the window paint, and a
// close arriving then would end the device and delete the pages being saved.
class CloseGuard : public QObject {
public:
    explicit CloseGuard(QWidget* window) : window_(window)
    {
        if (window_)
            window_->installEventFilter(this);
    }
    ~CloseGuard() override
    {
        if (window_)
            window_->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        event->ignore();
        return true;
    }

private:
    QPointer<QWidget> window_;
};

} // namespace

void KORVELLE::Email()
{
    stopBox("Not ready");
}

std::optional<bool> KORVELLE::Img_Save(const QStringList& pages, const QString& cOutput, const QString& cFormat,
                                       bool lOverwrite, int nOption, bool lZip, SaveProgress* progress)
{
    SaveRequest request;
    request.pages = pages;
    request.outputName = cOutput;
    request.format = cFormat;
    request.overwrite = lOverwrite;
    request.optionIndex = nOption;
    request.zip = lZip;
    request.wmfPages = cMetaFormat == QLatin1String("WMF");
    request.device = oDevice;
    request.owner = oWnd ? qulonglong(oWnd->effectiveWinId()) : 0;
    request.dpi = exportResolution(cIni);
    request.document = oDevice ? deviceDocument(*oDevice) : QString();
    const CloseGuard guard(oWnd);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SaveReport report = saveImages(request, progress);
    QApplication::restoreOverrideCursor();
    switch (report.outcome) {
    case SaveOutcome::Done: return true;
    case SaveOutcome::StoppedAtExisting: return std::nullopt;
    case SaveOutcome::Cancelled: return false;
    }
    return true;
}

void KORVELLE::Img_Zip(const QStringList& files, const QString& cOutput, bool)
{
    zipOutputFiles(files, cOutput);
}

} // namespace kv
