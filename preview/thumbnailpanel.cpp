#include "thumbnailpanel.h"

#include "lang/kvgl.h"
#include "thumbnailmodel.h"

#include <QEvent>
#include <QScrollBar>
#include <algorithm>

namespace kv {

ThumbnailPanel::ThumbnailPanel(ThumbnailModel* model, QWidget* parent) : QListView(parent), model_(model)
{
    model_->setParent(this);
    setModel(model_);
    setAccessibleName(KV_GL(QStringLiteral("Thumbnails")));
    setViewMode(QListView::IconMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    // Every row has the thumbnail's size: the view lays out a thousand rows without asking
    // each one for its picture.
    setUniformItemSizes(true);
    setIconSize(model_->thumbnailSize());
    setSpacing(6);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(20);
    connect(this, &QListView::clicked, this, [this](const QModelIndex& index) { emit pageChosen(index.row() + 1); });
    connect(this, &QListView::activated, this, [this](const QModelIndex& index) { emit pageChosen(index.row() + 1); });
}

int ThumbnailPanel::panelWidth() const
{
    return model_->thumbnailSize().width() + 2 * spacing() + 2 * frameWidth() + 12
        + verticalScrollBar()->sizeHint().width();
}

void ThumbnailPanel::setCurrentPage(int page)
{
    const QModelIndex index = model_->index(page - 1);
    if (!index.isValid())
        return;
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::EnsureVisible);
}

// The rows are of one size, so the rows in sight follow from the scroll position.
void ThumbnailPanel::tellShownRows()
{
    const int rows = model_->rowCount();
    if (rows == 0)
        return;
    const int pitch = std::max(1, visualRect(model_->index(0)).height() + spacing());
    const int top = verticalScrollBar()->value();
    const int first = std::clamp(top / pitch, 0, rows - 1);
    const int last = std::clamp((top + viewport()->height()) / pitch, first, rows - 1);
    model_->setShownRows(first, last);
}

void ThumbnailPanel::resizeEvent(QResizeEvent* event)
{
    QListView::resizeEvent(event);
    tellShownRows();
}

void ThumbnailPanel::scrollContentsBy(int dx, int dy)
{
    QListView::scrollContentsBy(dx, dy);
    tellShownRows();
}

void ThumbnailPanel::showEvent(QShowEvent* event)
{
    QListView::showEvent(event);
    model_->setDevicePixelRatio(devicePixelRatioF());
    tellShownRows();
}

// Moved to a screen of another density, the pictures are rendered again at its ratio: the
// ratio is looked at as the panel paints.
bool ThumbnailPanel::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Paint)
        model_->setDevicePixelRatio(devicePixelRatioF());
    return QListView::viewportEvent(event);
}

} // namespace kv
