#include "findcontroller.h"

#include "findbar.h"
#include "korvelle.h"
#include "lang/kvgl.h"
#include "pagetextcache.h"
#include "pageview/kvmetafile.h"

#include <QApplication>
#include <QLineEdit>
#include <QShortcut>

namespace kv {

FindController::FindController(KORVELLE& preview, PageTextCache& texts, QWidget* barParent)
    : QObject(barParent), preview_(preview), texts_(texts), bar_(new FindBar(barParent))
{
    connect(bar_, &FindBar::searchChanged, this, &FindController::search);
    connect(bar_, &FindBar::stepRequested, this, &FindController::step);
    connect(bar_, &FindBar::closeRequested, this, &FindController::close);
    connect(&texts_, &PageTextCache::textReady, this, &FindController::searchWhenRead);
    // Escape closes the bar wherever the keyboard is in the page area, not only in its field;
    // the key does nothing else there, and nothing while the bar is closed.
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), barParent, this, &FindController::close,
                            Qt::WidgetWithChildrenShortcut);
    escape_->setEnabled(false);
}

void FindController::open()
{
    if (!bar_)
        return;
    texts_.request(preview_.aFiles);
    bar_->open();
    escape_->setEnabled(true);
    if (!bar_->needle().isEmpty())
        search();
}

void FindController::close()
{
    if (!bar_)
        return;
    bar_->hide();
    escape_->setEnabled(false);
    hits_.clear();
    current_ = -1;
    repaintPages();
    if (preview_.aMeta[0])
        preview_.aMeta[0]->setFocus();
}

void FindController::place(const QRect& area, int bottomReserve)
{
    if (!bar_)
        return;
    const QSize size = bar_->sizeHint();
    bar_->setGeometry(area.left(), area.bottom() + 1 - bottomReserve - size.height(),
                      std::min(area.width(), std::max(size.width(), 420)), size.height());
    bar_->raise();
}

// Texts are read page by page on a worker; the search runs again once all have come.
void FindController::searchWhenRead()
{
    if (waitingForText_ && texts_.hasAll(preview_.aFiles))
        search();
}

void FindController::search()
{
    if (!bar_ || !bar_->isVisible())
        return;
    if (bar_->needle().trimmed().isEmpty()) {
        waitingForText_ = false;
        hits_.clear();
        current_ = -1;
        bar_->setStatus({});
        repaintPages();
        return;
    }
    if (!texts_.hasAll(preview_.aFiles)) {
        waitingForText_ = true;
        texts_.request(preview_.aFiles);
        bar_->setStatus(KV_GL(QStringLiteral("Searching...")));
        return;
    }
    waitingForText_ = false;
    std::vector<gdi::PageTextPtr> pages;
    pages.reserve(size_t(preview_.aFiles.size()));
    for (const QString& file : preview_.aFiles)
        pages.push_back(texts_.text(file));
    hits_ = findInPages(pages, bar_->needle(), bar_->wholeWord());
    current_ = -1;
    showHit(firstHitFrom(hits_, preview_.nPage));
}

void FindController::step(bool forward)
{
    if (!bar_)
        return;
    if (!bar_->isVisible()) {
        open();
        return;
    }
    if (waitingForText_)
        return;
    if (hits_.empty()) {
        search();
        return;
    }
    showHit(stepHit(hits_, current_, forward));
}

void FindController::showHit(int index)
{
    current_ = index;
    showStatus();
    if (index < 0) {
        repaintPages();
        return;
    }
    const FindHit& hit = hits_[size_t(index)];
    const int shown = preview_.lZoom ? 1 : preview_.nViewPages;
    if (hit.page < preview_.nPage || hit.page >= preview_.nPage + shown) {
        // Showing another page gives the page view the keyboard; typing in the field goes on.
        const bool typing = bar_->isAncestorOf(QApplication::focusWidget());
        preview_.GoToPage(hit.page);
        preview_.AEvalWhen();
        if (typing)
            bar_->field()->setFocus();
    }
    if (preview_.lZoom) {
        const QString& file = preview_.aFiles[hit.page - 1];
        if (const gdi::PageTextPtr text = texts_.text(file)) {
            const std::vector<QRectF> boxes = gdi::matchBoxes(*text, hit.match);
            if (!boxes.empty())
                preview_.ScrollToPagePoint(boxes.front().center());
        }
    }
    repaintPages();
}

void FindController::showStatus()
{
    if (!bar_)
        return;
    if (hits_.empty())
        bar_->setStatus(KV_GL(QStringLiteral("No match")));
    else
        bar_->setStatus(KV_GL(QStringLiteral("%1 of %2")).arg(current_ + 1).arg(hits_.size()));
}

void FindController::repaintPages()
{
    for (KVMETAFILE* view : preview_.aMeta)
        if (view && view->isVisible())
            view->update();
}

std::vector<PageMark> FindController::marksFor(const QString& file) const
{
    std::vector<PageMark> marks;
    if (!bar_ || !bar_->isVisible() || hits_.empty())
        return marks;
    const int page = int(preview_.aFiles.indexOf(file)) + 1;
    if (page <= 0)
        return marks;
    const gdi::PageTextPtr text = texts_.text(file);
    if (!text)
        return marks;
    for (size_t i = 0; i < hits_.size(); ++i) {
        if (hits_[i].page != page)
            continue;
        for (const QRectF& box : gdi::matchBoxes(*text, hits_[i].match))
            marks.push_back({box, int(i) == current_});
    }
    return marks;
}

} // namespace kv
