// Find, go to page, the thumbnail panel, the window state kept between runs and the names
// screen readers announce: the ways around a long report beyond the bar's buttons.
#include "korvelle.h"

#include "buttonbar.h"
#include "findbar.h"
#include "findcontroller.h"
#include "gdi/metafileapi.h"
#include "gotopagedialog.h"
#include "lang/kvgl.h"
#include "layout.h"
#include "pagenavigation.h"
#include "pagetextcache.h"
#include "platform/settings.h"
#include "pageview/kvmetafile.h"
#include "previewwindow.h"
#include "thumbnailmodel.h"
#include "thumbnailpanel.h"
#include "windowstate.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>

namespace kv {

namespace {

constexpr int kThumbnailWidth = 120;

QAction* windowCommand(QWidget* window, const QKeySequence& keys, std::function<void()> action)
{
    auto* command = new QAction(window);
    command->setShortcut(keys);
    command->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(command, &QAction::triggered, window, std::move(action));
    window->addAction(command);
    return command;
}

} // namespace

void KORVELLE::makeNavigationAids()
{
    QWidget* client = oWnd->client();
    oText = new PageTextCache(displayCaps(), oWnd);
    oFinder = new FindController(*this, *oText, client);
    for (KVMETAFILE* view : aMeta)
        view->bMarks = [this](const QString& file) { return oFinder ? oFinder->marksFor(file) : std::vector<PageMark>{}; };

    auto* model = new ThumbnailModel(aFiles, QSizeF(page.horzSizeMm, page.vertSizeMm), kThumbnailWidth, displayCaps());
    oThumbs = new ThumbnailPanel(model, client);
    oThumbs->hide();
    QObject::connect(oThumbs, &ThumbnailPanel::pageChosen, oThumbs, [this](int n) {
        GoToPage(n);
        AEvalWhen();
    });

    windowCommand(oWnd, QKeySequence(Qt::Key_F3), [this] { FindNext(true); });
    windowCommand(oWnd, QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { FindNext(false); });
    windowCommand(oWnd, QKeySequence(Qt::CTRL | Qt::Key_G), [this] { AskPageNumber(); });

    if (oFactor)
        oFactor->setAccessibleName(KV_GL(QStringLiteral("Zoom factor")));
    QObject::connect(oText, &PageTextCache::textReady, oText, [this] { describePagesForScreenReaders(); });
    onPageChanged = [this] {
        if (oThumbs)
            oThumbs->setCurrentPage(nPage);
        describePagesForScreenReaders();
    };
    onPageChanged();
}

// The panel runs down the left under the bar; the find bar lies along the bottom of the page
// area, above the horizontal scroll bar and clear of the vertical one.
void KORVELLE::placeNavigationAids(int thumbnailWidth)
{
    QWidget* client = oWnd->client();
    if (oThumbs && thumbnailWidth > 0)
        oThumbs->setGeometry(0, ButtonBar::kHeight, thumbnailWidth, std::max(0, client->height() - ButtonBar::kHeight));
    if (oFinder) {
        const int extent = oWnd->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const int right = vBar.max > vBar.min ? extent : 0;
        const int bottom = hBar.max > hBar.min ? extent : 0;
        oFinder->place(QRect(thumbnailWidth, 0, std::max(0, client->width() - thumbnailWidth - right), client->height()),
                       bottom);
    }
}

void KORVELLE::Find()
{
    if (oFinder)
        oFinder->open();
}

void KORVELLE::FindNext(bool forward)
{
    if (oFinder)
        oFinder->step(forward);
}

void KORVELLE::AskPageNumber()
{
    if (!oWnd || nTotalPages < 1)
        return;
    auto* dialog = new GoToPageDialog(nPage, nTotalPages, oWnd);
    QObject::connect(dialog, &GoToPageDialog::pageChosen, oWnd, [this](int n) {
        GoToPage(n);
        AEvalWhen();
    });
    dialog->open();
}

void KORVELLE::ShowThumbnails(bool show)
{
    if (!oThumbs)
        return;
    oThumbs->setVisible(show);
    if (oMenuThumbs) {
        const QSignalBlocker quiet(oMenuThumbs);
        oMenuThumbs->setChecked(show);
    }
    if (show)
        oThumbs->setCurrentPage(nPage);
    PaintMeta();
}

bool KORVELLE::ThumbnailsShown() const
{
    return oThumbs && !oThumbs->isHidden();
}

// Each page view in sight is one element for a screen reader: "Page 3 of 12", described by
// the page's text once it is read (only read while an assistive tool listens).
void KORVELLE::describePagesForScreenReaders()
{
    const bool listening = QAccessible::isActive();
    for (int slot = 1; slot <= 8; ++slot) {
        KVMETAFILE* view = aMeta[size_t(slot - 1)];
        if (!view)
            continue;
        const int shownPage = pageForSlot(nPage, slot, nTotalPages);
        const bool inSight = shownPage > 0 && (slot == 1 || (!lZoom && slot <= nViewPages));
        if (!inSight) {
            view->setAccessibleName({});
            view->setAccessibleDescription({});
            continue;
        }
        view->setAccessibleName(KV_GL(QStringLiteral("Page %1 of %2")).arg(shownPage).arg(nTotalPages));
        QString description;
        if (listening && oText && !view->cCaption.isEmpty())
            if (const gdi::PageTextPtr text = oText->text(view->cCaption))
                description = text->text;
        view->setAccessibleDescription(description);
    }
}

int KORVELLE::restoreWindowState()
{
    const WindowState state = windowStateFrom(loadPreviewSettings(cIni));
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    if (const auto geometry = restorableGeometry(state, screens))
        oWnd->setGeometry(*geometry);
    if (state.thumbnails)
        ShowThumbnails(true);
    const bool possible = !pageCountAfterRequest(1, state.viewPages, lLandscape, nTotalPages).refused;
    return possible ? state.viewPages : 1;
}

void KORVELLE::saveWindowState() const
{
    if (!oWnd)
        return;
    writeWindowState(cIni, WindowState{oWnd->normalGeometry(), nViewPages, ThumbnailsShown()});
}

} // namespace kv
