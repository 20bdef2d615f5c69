// Dc path bracket: figures are collected in device space between BeginPath and EndPath and
// used once by a fill, stroke or clip call.
#include "gdi/dc/dcimpl.h"

#include <QPainterPathStroker>

namespace kv::gdi {

void Dc::beginPath()
{
    state_.pathOpen = true;
    state_.pathClosed = false;
    state_.path = QPainterPath();
    impl_->pathFigureOpen = false;
}

void Dc::endPath()
{
    if (!state_.pathOpen)
        return;
    state_.pathOpen = false;
    state_.pathClosed = true;
}

void Dc::closeFigure()
{
    if (!state_.pathOpen)
        return;
    state_.path.closeSubpath();
    impl_->pathFigureOpen = false;
}

void Dc::abortPath()
{
    state_.pathOpen = false;
    state_.pathClosed = false;
    state_.path = QPainterPath();
    impl_->pathFigureOpen = false;
}

void Dc::fillPath()
{
    if (!state_.pathClosed)
        return;
    const QPainterPath path = state_.path;
    abortPath();
    impl_->fillDevicePath(path, impl_->fillRule(), impl_->drawBrush());
}

void Dc::strokePath()
{
    if (!state_.pathClosed)
        return;
    const QPainterPath path = state_.path;
    abortPath();
    impl_->strokeDevicePath(path, impl_->drawPen());
}

void Dc::strokeAndFillPath()
{
    if (!state_.pathClosed)
        return;
    const QPainterPath path = state_.path;
    abortPath();
    impl_->fillDevicePath(path, impl_->fillRule(), impl_->drawBrush());
    impl_->strokeDevicePath(path, impl_->drawPen());
}

void Dc::flattenPath()
{
    if (!state_.pathClosed)
        return;
    QPainterPath flat;
    for (const QPolygonF& poly : state_.path.toSubpathPolygons()) {
        flat.moveTo(poly.first());
        for (qsizetype i = 1; i < poly.size(); ++i)
            flat.lineTo(poly[i]);
    }
    state_.path = flat;
}

// The outline a stroke with the selected pen would cover becomes the path.
void Dc::widenPath()
{
    if (!state_.pathClosed)
        return;
    const DrawPen pen = impl_->drawPen();
    QPainterPathStroker stroker;
    stroker.setWidth(pen.width);
    stroker.setCapStyle(pen.cap);
    stroker.setJoinStyle(pen.join);
    stroker.setMiterLimit(pen.miterLimit);
    state_.path = stroker.createStroke(state_.path).simplified();
}

} // namespace kv::gdi
