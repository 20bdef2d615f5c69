// PaintMeta, SetPages, ShowPages and ChangePage: which page each of the eight page views
// shows and where it sits. The arithmetic lives in layout.h; this is the widget side.
#include "korvelle.h"

#include "labeltext.h"

#include "barbutton.h"
#include "buttonbar.h"
#include "layout.h"
#include "lang/kvgl.h"
#include "pagenavigation.h"
#include "pagesahead.h"
#include "pageview/kvmetafile.h"
#include "platform/notify.h"
#include "previewwindow.h"
#include "resourcescope.h"
#include "thumbnailpanel.h"

#include <QAction>
#include <algorithm>
#include <QLabel>

namespace kv {
void KORVELLE::PaintMeta()
{
    if (!oWnd || oWnd->isMinimized() || !aMeta[0])
        return;
    if (oBar)
        oBar->setGeometry(0, 0, oWnd->client()->width(), ButtonBar::kHeight);
    // The thumbnail panel takes its width off the left: the pages are laid out as in a
    // window that much narrower, beside it.
    const int side = ThumbnailsShown() ? oThumbs->panelWidth() : 0;
    WindowEdges edges = WindowEdges::fromFrame(oWnd->frameGeometry());
    edges.right -= side;
    const auto layout = layoutPages(edges, nViewPages, lZoom, lLandscape, nxyfactor);
    if (!layout)
        return;
    placeNavigationAids(side);
    if (layout->nyfactor)
        aMeta[0]->nyfactor = *layout->nyfactor;
    for (int slot = 1; slot <= 8; ++slot) {
        KVMETAFILE* view = aMeta[size_t(slot - 1)];
        const auto& rect = layout->rects[size_t(slot - 1)];
        if (!rect) {
            view->hide();
            continue;
        }
        const QRect placement = rect->placement();
        view->setGeometry(placement.x() + side, placement.y(), std::max(0, placement.width()),
                          std::max(0, placement.height()));
        // Re-setting the same file would drop its parsed page and read it again.
        const QString file = fileForSlot(aFiles, nPage, slot);
        if (slot > 1 && view->cCaption != file)
            view->SetFile(file);
        view->show();
        view->update();
    }
    oWnd->client()->update();
    oWnd->placeScrollBars();
    describePagesForScreenReaders();
    aMeta[0]->setFocus();
    renderNeighbourPagesAhead(aMeta, aFiles, nPage, lZoom ? 1 : nViewPages);
}

void KORVELLE::ShowPages()
{
    if (!aMeta[0])
        return;
    aMeta[0]->SetFile(fileForSlot(aFiles, nPage, 1));
    aMeta[0]->update();
    for (int slot = 2; slot <= nViewPages && slot <= 8; ++slot) {
        KVMETAFILE* view = aMeta[size_t(slot - 1)];
        view->SetFile(fileForSlot(aFiles, nPage, slot));
        view->update();
    }
    if (oWnd)
        oWnd->client()->update();
    aMeta[0]->setFocus();
    renderNeighbourPagesAhead(aMeta, aFiles, nPage, lZoom ? 1 : nViewPages);
}

void KORVELLE::SetPages(int nPages, bool lRefresh)
{
    ResourceScope resources(cResFile);
    const PageCountChange change = pageCountAfterRequest(nViewPages, nPages, lLandscape, nTotalPages);
    for (QAction* item : aMenuPage)
        if (item)
            item->setEnabled(true);
    nViewPages = change.viewPages;
    if (change.refused) {
        defaultBeep();
        return;
    }
    if (nViewPages > 1) {
        if (lZoom)
            Zoom(true);
        if (oTwoPages)
            oTwoPages->setBitmap(QStringLiteral("One_Page"), withoutAmpersands(KV_GL("&One Page")));
        const int item = nViewPages == 2 ? 1 : nViewPages == 4 ? 2 : nViewPages == 6 ? 3 : 4;
        if (aMenuPage[size_t(item)])
            aMenuPage[size_t(item)]->setEnabled(false);
    } else {
        if (oTwoPages)
            oTwoPages->setBitmap(QStringLiteral("Two_Pages"), withoutAmpersands(KV_GL("&Two Pages")));
        if (aMenuPage[0])
            aMenuPage[0]->setEnabled(false);
    }
    if (lRefresh && oTwoPages)
        oTwoPages->update();
    if (nTotalPages < 4 && aMenuPage[2])
        aMenuPage[2]->setEnabled(false);
    if (nTotalPages < 2 && aMenuPage[1])
        aMenuPage[1]->setEnabled(false);
    AEvalWhen();
    if (oWnd)
        oWnd->update();
    PaintMeta();
    if (nViewPages > 1)
        ShowPages();
}

void KORVELLE::ChangePage(int nCode)
{
    GoToPage(pageAfterMove(nCode, nPage, nTotalPages));
}

void KORVELLE::GoToPage(int nNewPage)
{
    nPage = std::clamp(nNewPage, 1, std::max(1, nTotalPages));
    {
        ResourceScope resources(cResFile);
        refreshPageLabel();
    }
    ShowPages();
    for (BarButtonWidget* button : aPageBtn)
        if (button)
            button->update();
    if (onPageChanged)
        onPageChanged();
}

void KORVELLE::AEvalWhen()
{
    if (oBar)
        oBar->AEvalWhen();
}

} // namespace kv
