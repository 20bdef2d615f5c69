// Zoom, soft zoom, the zoom factors, scrolling, the double-click zoom and the keys of the
// first page view. The arithmetic lives in zoommath.h and scrollbarmodel.h.
#include "korvelle.h"

#include "barbutton.h"
#include "labeltext.h"
#include "lang/kvgl.h"
#include "layout.h"
#include "pageview/kvmetafile.h"
#include "previewkeys.h"
#include "previewwindow.h"
#include "resourcescope.h"
#include "zoommath.h"

#include <QAction>
#include <QComboBox>
#include <algorithm>

namespace kv {
namespace {

QList<double> factorList(const std::vector<double>& factors)
{
    return QList<double>(factors.begin(), factors.end());
}

} // namespace

void KORVELLE::applyScrollRanges()
{
    const ScrollRange range = scrollRange(lZoom, nCurFactor);
    vBar = vBar.withRange(range);
    hBar = hBar.withRange(range);
    if (oWnd)
        oWnd->placeScrollBars();
}

void KORVELLE::Zoom(bool lRefresh)
{
    if (!aMeta[0])
        return;
    const int viewPages = nViewPages;
    {
        ResourceScope resources(cResFile);
        lZoom = !lZoom;
        if (lZoom) {
            if (nViewPages > 1)
                SetPages(1, true);
            if (oZoom)
                oZoom->setBitmap(QStringLiteral("Unzoom"), withoutAmpersands(KV_GL("Nor&mal")));
            if (oMenuZoom)
                oMenuZoom->setEnabled(false);
            if (oMenuNormal)
                oMenuNormal->setEnabled(true);
            applyScrollRanges();
            aMeta[0]->ZoomIn();
        } else {
            if (oZoom)
                oZoom->setBitmap(QStringLiteral("Zoom"), withoutAmpersands(KV_GL("&Zoom")));
            if (oMenuZoom)
                oMenuZoom->setEnabled(true);
            if (oMenuNormal)
                oMenuNormal->setEnabled(false);
            applyScrollRanges();
            aMeta[0]->ZoomOut();
        }
        if (lRefresh && oZoom)
            oZoom->update();
        PaintMeta();
    }
    // Leaving zoom later lays out the page count that was in force when zoom was entered.
    nViewPages = viewPages;
}

void KORVELLE::SoftZoom(bool lUp)
{
    nCurFactor = softZoomed(nCurFactor, nSoftZoom, lUp);
    SetFactor(nCurFactor);
}

void KORVELLE::SetFactor(std::optional<double> nFactor)
{
    const bool setUp = !nFactor.has_value();
    if (setUp) {
        for (size_t i = 0; i < aFactor.size(); ++i)
            if (aFactor[i])
                aFactor[i]->setData(int(i + 1));
    }
    const int checked = checkedFactorIndex(factorList(aZoomFactor), nCurFactor);
    for (size_t i = 0; i < aFactor.size(); ++i)
        if (aFactor[i])
            aFactor[i]->setChecked(int(i) == checked);
    showFactorInList(checked);
    if (!aMeta[0])
        return;
    const ZoomDivisors divisors = zoomDivisors(nCurFactor);
    aMeta[0]->SetZoomFactor(divisors.horizontal, divisors.vertical);
    if (!lZoom && !setUp)
        Zoom(true);
    if (lZoom)
        applyScrollRanges();
    if (aMeta[0])
        aMeta[0]->setFocus();
}

// The zoom list shows the factor in force: its entry, or, for a factor soft zoom reached
// between the entries, that factor's label in place of an entry.
void KORVELLE::showFactorInList(int index)
{
    if (!oFactor)
        return;
    oFactor->setPlaceholderText(index < 0 ? factorLabel(nCurFactor, KV_GL(QStringLiteral("%"))) : QString());
    oFactor->setCurrentIndex(index);
}

QStringList KORVELLE::GetFactors() const
{
    return factorLabels(factorList(aZoomFactor), KV_GL(QStringLiteral("%")));
}

void KORVELLE::VScroll(int nDir, bool lPage, std::optional<int> nPos)
{
    if (!aMeta[0])
        return;
    const int resolution = int(page.vertRes);
    ScrollOutcome outcome;
    if (nDir == 0 && nPos)
        outcome = vBar.thumbReleased(resolution, *nPos);
    else if (nDir == 1)
        outcome = lPage ? vBar.pageUp(resolution) : vBar.lineUp(resolution);
    else
        outcome = lPage ? vBar.pageDown(resolution) : vBar.lineDown(resolution);
    vBar = outcome.bar;
    if (outcome.origin) {
        aMeta[0]->SetOrg(std::nullopt, *outcome.origin);
        aMeta[0]->update();
    }
}

void KORVELLE::HScroll(int nDir, bool lPage, std::optional<int> nPos)
{
    if (!aMeta[0])
        return;
    const int resolution = int(page.horzRes);
    ScrollOutcome outcome;
    if (nDir == 0 && nPos)
        outcome = hBar.thumbReleased(resolution, *nPos);
    else if (nDir == 1)
        outcome = lPage ? hBar.pageUp(resolution) : hBar.lineUp(resolution);
    else
        outcome = lPage ? hBar.pageDown(resolution) : hBar.lineDown(resolution);
    hBar = outcome.bar;
    if (outcome.origin) {
        aMeta[0]->SetOrg(*outcome.origin, std::nullopt);
        aMeta[0]->update();
    }
}

void KORVELLE::ScrollToPagePoint(const QPointF& fraction)
{
    KVMETAFILE* view = aMeta[0];
    if (!view || !lZoom)
        return;
    const std::optional<QPointF> point = view->pagePointOfFraction(fraction);
    if (!point)
        return;
    // The zoomed view shows nWidth by nHeight / nyfactor logical units from its origin (less
    // the printing offset); the point goes to the middle of that, as far as the page allows.
    const double shownHeight = view->nHeight / (view->nyfactor > 0 ? view->nyfactor : 1.0);
    const double x = std::clamp(point->x() + view->nPrnXOffset - view->nWidth / 2, 0.0, page.horzRes);
    const double y = std::clamp(point->y() + view->nPrnYOffset - shownHeight / 2, 0.0, page.vertRes);
    view->SetOrg(x, y);
    hBar = hBar.showingOrigin(int(page.horzRes), x);
    vBar = vBar.showingOrigin(int(page.vertRes), y);
    if (oWnd)
        oWnd->placeScrollBars();
    view->update();
}

// After a double-click zoom the bars are moved to where the click was.
static void jumpAfterZoom(KORVELLE& k, const ClickThumbs& thumbs)
{
    if (thumbs.horizontal != 0) {
        const ScrollOutcome out = k.hBar.jumpTo(int(k.page.horzRes), thumbs.horizontal);
        k.hBar = out.bar;
        if (out.origin)
            k.aMeta[0]->SetOrg(*out.origin, std::nullopt);
    }
    if (thumbs.vertical != 0) {
        const ScrollOutcome out = k.vBar.jumpTo(int(k.page.vertRes), thumbs.vertical);
        k.vBar = out.bar;
        if (out.origin)
            k.aMeta[0]->SetOrg(std::nullopt, *out.origin);
    }
    if (k.oWnd)
        k.oWnd->placeScrollBars();
    k.aMeta[0]->update();
}

void KORVELLE::SetOrg1(int nCol, int nRow)
{
    if (!aMeta[0])
        return;
    if (lZoom) {
        Zoom(true);
        return;
    }
    const QRect r = aMeta[0]->geometry();
    const ClickThumbs thumbs = clickZoomThumbs(nCol, nRow, r.width(), r.height(), nCurFactor);
    Zoom(true);
    jumpAfterZoom(*this, thumbs);
}

void KORVELLE::SetOrg2(int nCol, int nRow, int nSlot)
{
    if (nSlot < 2 || nSlot > 8 || !aMeta[size_t(nSlot - 1)])
        return;
    KVMETAFILE* view = aMeta[size_t(nSlot - 1)];
    if (view->cCaption.isEmpty())
        return;
    if (lZoom) {
        Zoom(true);
        return;
    }
    const QRect r = view->geometry();
    const ClickThumbs thumbs = clickZoomThumbs(nCol, nRow, r.width(), r.height(), nCurFactor);
    aMeta[0]->SetFile(view->cCaption);
    nPage += nSlot - 1;
    view->SetFile(fileForSlot(aFiles, nPage, 1));
    refreshPageLabel();
    Zoom(true);
    jumpAfterZoom(*this, thumbs);
}

void KORVELLE::CheckKey(int nKey, int)
{
    switch (navigationKeyAction(nKey, lZoom)) {
    case KeyAction::FirstPage: ChangePage(3); break;
    case KeyAction::LastPage: ChangePage(4); break;
    case KeyAction::PreviousPage: ChangePage(2); break;
    case KeyAction::NextPage: ChangePage(1); break;
    case KeyAction::ScrollToStart:
        vBar = vBar.atMinimum();
        hBar = hBar.atMinimum();
        aMeta[0]->SetOrg(0, 0);
        aMeta[0]->update();
        break;
    case KeyAction::ScrollToEnd: {
        vBar = vBar.atMaximum();
        hBar = hBar.atMaximum();
        const QPointF origin = endKeyOrigin(int(page.horzRes), int(page.vertRes));
        aMeta[0]->SetOrg(origin.x(), origin.y());
        aMeta[0]->update();
        break;
    }
    case KeyAction::ScrollPageUp: VScroll(1, true); break;
    case KeyAction::ScrollPageDown: VScroll(2, true); break;
    case KeyAction::ScrollLineUp: VScroll(1); break;
    case KeyAction::ScrollLineDown: VScroll(2); break;
    case KeyAction::ScrollLineLeft: HScroll(1); break;
    case KeyAction::ScrollLineRight: HScroll(2); break;
    default: return;
    }
    AEvalWhen();
    if (oWnd)
        oWnd->placeScrollBars();
}

} // namespace kv
