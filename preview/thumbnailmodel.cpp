#include "thumbnailmodel.h"

#include "gdi/text/fontmap.h"
#include "gdi/readers.h"
#include "gdi/render.h"
#include "lang/kvgl.h"

#include <QCoreApplication>
#include <QPainter>
#include <cmath>

namespace kv {

namespace {

// Some 64 MB of pictures: a few hundred thumbnails at twice the screen's density.
constexpr int kCacheKilobytes = 64 * 1024;
// Rows this near the shown ones are rendered too, so a short scroll finds them ready.
constexpr int kNearRows = 2;

// The page's picture on a white sheet of `pixels`, with the outline a sheet has on screen.
QImage thumbnailImage(const QString& file, QSize pixels, const gdi::DeviceCaps& wmfReference)
{
    QImage sheet(pixels, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    if (const gdi::PicturePtr picture = gdi::readMetafileFile(file, wmfReference)) {
        const QImage drawn = gdi::renderPicture(*picture, pixels.width());
        if (!drawn.isNull())
            painter.drawImage(QRect(QPoint(0, 0), drawn.size().scaled(pixels, Qt::KeepAspectRatio)), drawn);
    }
    painter.setPen(QColor(96, 96, 96));
    painter.drawRect(sheet.rect().adjusted(0, 0, -1, -1));
    return sheet;
}

} // namespace

ThumbnailModel::ThumbnailModel(const QStringList& files, const QSizeF& pageSize, int width,
                               const gdi::DeviceCaps& wmfReference, QObject* parent)
    : QAbstractListModel(parent), files_(files), wmfReference_(wmfReference), pictures_(kCacheKilobytes)
{
    const double aspect = pageSize.width() > 0 && pageSize.height() > 0 ? pageSize.height() / pageSize.width() : 297.0 / 210;
    size_ = QSize(width, std::max(1, int(std::lround(width * std::min(aspect, 4.0)))));
    gdi::loadCompatibleFaces();
    pool_.setMaxThreadCount(1);
}

ThumbnailModel::~ThumbnailModel()
{
    pool_.clear();
    pool_.waitForDone();
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(files_.size());
}

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= files_.size())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(row + 1);
    case Qt::AccessibleTextRole:
        return KV_GL(QStringLiteral("Page %1 of %2")).arg(row + 1).arg(files_.size());
    case Qt::ToolTipRole:
        return KV_GL(QStringLiteral("Page %1 of %2")).arg(row + 1).arg(files_.size());
    case Qt::DecorationRole:
        if (const QPixmap* picture = pictures_.object(row))
            return *picture;
        queue(row);
        return blankPage();
    default:
        return {};
    }
}

QPixmap ThumbnailModel::blankPage() const
{
    QPixmap blank(size_ * ratio_);
    blank.setDevicePixelRatio(ratio_);
    blank.fill(Qt::white);
    return blank;
}

void ThumbnailModel::setDevicePixelRatio(qreal ratio)
{
    if (!(ratio > 0) || ratio == ratio_)
        return;
    ratio_ = ratio;
    pictures_.clear();
    if (!files_.isEmpty())
        emit dataChanged(index(0), index(int(files_.size()) - 1), {Qt::DecorationRole});
}

void ThumbnailModel::setShownRows(int first, int last)
{
    firstShown_ = first;
    lastShown_ = last;
}

void ThumbnailModel::waitForQueued()
{
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

void ThumbnailModel::queue(int row) const
{
    if (queued_.contains(row))
        return;
    queued_.insert(row);
    auto* self = const_cast<ThumbnailModel*>(this);
    const QString file = files_[row];
    const qreal ratio = ratio_;
    const QSize pixels = size_ * ratio;
    const gdi::DeviceCaps reference = wmfReference_;
    pool_.start([self, row, file, ratio, pixels, reference] {
        // The model outlives its workers (its destructor waits for them); results are posted
        // to it and taken on the user-interface thread.
        if (row < self->firstShown_ - kNearRows || row > self->lastShown_ + kNearRows) {
            QMetaObject::invokeMethod(self, [self, row] { self->drop(row); }, Qt::QueuedConnection);
            return;
        }
        const QImage picture = thumbnailImage(file, pixels, reference);
        QMetaObject::invokeMethod(self, [self, row, picture, ratio] { self->store(row, picture, ratio); },
                                  Qt::QueuedConnection);
    });
}

void ThumbnailModel::drop(int row)
{
    queued_.remove(row);
}

void ThumbnailModel::store(int row, const QImage& picture, qreal ratio)
{
    queued_.remove(row);
    ++renders_;
    if (ratio != ratio_)
        return;  // rendered for a screen the panel has left; asked again at the new ratio
    auto* pixmap = new QPixmap(QPixmap::fromImage(picture));
    pixmap->setDevicePixelRatio(ratio);
    pictures_.insert(row, pixmap, std::max<qsizetype>(1, picture.sizeInBytes() / 1024));
    emit dataChanged(index(row), index(row), {Qt::DecorationRole});
}

} // namespace kv
