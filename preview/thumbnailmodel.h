#pragma once
// The small pictures of the thumbnail panel: one row per page file, its picture rendered on a
// worker thread the first time the panel shows that row, then kept (within a memory budget).
// Rows the panel no longer shows when their turn comes are not rendered at all, so scrolling
// through a thousand pages renders only the ones that stayed in sight.
#include "gdi/core/types.h"

#include <QAbstractListModel>
#include <QCache>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <QThreadPool>
#include <atomic>

namespace kv {

class ThumbnailModel : public QAbstractListModel {
    Q_OBJECT
public:
    // `pageSize`: the sheet's shape (any unit); `width`: a thumbnail's width in screen pixels.
    ThumbnailModel(const QStringList& files, const QSizeF& pageSize, int width, const gdi::DeviceCaps& wmfReference,
                   QObject* parent = nullptr);
    ~ThumbnailModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    QSize thumbnailSize() const { return size_; }
    // Pictures are rendered at this many device pixels per screen pixel.
    void setDevicePixelRatio(qreal ratio);
    // The rows the panel shows now; a queued row outside them is skipped when its turn comes.
    void setShownRows(int first, int last);
    // Pages rendered so far (tests count them), and a wait for the queued ones.
    int renders() const { return renders_; }
    void waitForQueued();

private:
    void queue(int row) const;
    void store(int row, const QImage& picture, qreal ratio);
    void drop(int row);
    QPixmap blankPage() const;

    QStringList files_;
    QSize size_;
    gdi::DeviceCaps wmfReference_;
    qreal ratio_ = 1;
    mutable QCache<int, QPixmap> pictures_;
    mutable QSet<int> queued_;
    mutable QThreadPool pool_;
    std::atomic<int> firstShown_{0}, lastShown_{-1};
    int renders_ = 0;
};

} // namespace kv
