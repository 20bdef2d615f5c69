#include "svgicon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <cmath>
#include <memory>

namespace kv {

namespace {

class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(std::shared_ptr<QSvgRenderer> renderer) : renderer_(std::move(renderer)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        // The device's ratio, or the painter's own scale where it draws through one (a
        // widget rendered into a finer image): the drawing is made at the pixels it lands on.
        const QTransform& t = painter->deviceTransform();
        const qreal scale = std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
        const qreal ratio = std::max(painter->device() ? painter->device()->devicePixelRatioF() : 1.0, scale);
        QPixmap drawn = scaledPixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state, ratio);
        painter->drawPixmap(rect, drawn);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` is in device pixels already (QIcon::pixmap multiplies it by the ratio); `scale`
    // is the ratio the pixmap is marked with.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const QSize pixels = size;
        QPixmap out(pixels);
        out.fill(Qt::transparent);
        {
            QPainter p(&out);
            p.setRenderHint(QPainter::Antialiasing);
            // The drawing keeps its proportions, centred in the square asked for.
            const QSizeF natural = renderer_->defaultSize().isEmpty() ? QSizeF(pixels) : QSizeF(renderer_->defaultSize());
            const QSizeF fitted = natural.scaled(QSizeF(pixels), Qt::KeepAspectRatio);
            renderer_->render(&p, QRectF(QPointF((pixels.width() - fitted.width()) / 2, (pixels.height() - fitted.height()) / 2),
                                         fitted));
        }
        out.setDevicePixelRatio(scale);
        // Greyed as the style greys every other disabled picture.
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QApplication::palette();
            const QPixmap styled = QApplication::style()->generatedIconPixmap(mode, out, &option);
            if (!styled.isNull())
                out = styled;
        }
        out.setDevicePixelRatio(scale);
        return out;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new SvgIconEngine(renderer_); }
    QString key() const override { return QStringLiteral("kv-svg"); }

private:
    std::shared_ptr<QSvgRenderer> renderer_;
};

} // namespace

QIcon svgIcon(const QByteArray& svg)
{
    auto renderer = std::make_shared<QSvgRenderer>(svg);
    if (!renderer->isValid())
        return {};
    return QIcon(new SvgIconEngine(std::move(renderer)));
}

} // namespace kv
