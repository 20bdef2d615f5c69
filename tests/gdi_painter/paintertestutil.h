#pragma once
// Helpers of the painter device tests: a white canvas with a PainterDevice on it, and
// questions about its pixels.
#include "gdi/paint/painterdevice.h"

#include <QImage>
#include <QPainter>
#include <memory>
#include <optional>

namespace kvtest {

inline constexpr QRgb kWhite = 0xFFFFFFFFu;
inline constexpr QRgb kBlack = 0xFF000000u;

// A white image with an active painter and a device over it; finish() ends painting.
struct Canvas {
    QImage image;
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<kv::gdi::PainterDevice> device;

    explicit Canvas(int width = 100, int height = 100, QImage::Format format = QImage::Format_RGB32)
        : image(width, height, format)
    {
        image.fill(kWhite);
        painter = std::make_unique<QPainter>(&image);
        device = std::make_unique<kv::gdi::PainterDevice>(*painter, kv::gdi::DeviceCaps{});
    }
    kv::gdi::PainterDevice& dev() { return *device; }
    const QImage& finish()
    {
        device.reset();
        painter.reset();
        return image;
    }
    QRgb at(int x, int y) { return finish().pixel(x, y) | 0xFF000000u; }
};

inline bool isInk(QRgb pixel)
{
    return qGray(pixel) < 160;
}

// The bounding box of the dark pixels; nothing when there are none.
inline std::optional<QRect> inkBounds(const QImage& image, const QRect& area = {})
{
    const QRect r = area.isNull() ? image.rect() : area & image.rect();
    int left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (isInk(image.pixel(x, y))) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (left > right)
        return std::nullopt;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

inline int inkCount(const QImage& image, const QRect& area = {})
{
    const QRect r = area.isNull() ? image.rect() : area & image.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += isInk(image.pixel(x, y));
    return n;
}

inline kv::gdi::DrawBrush solidBrush(QColor colour, int32_t rop2 = kv::gdi::R2_COPYPEN)
{
    kv::gdi::DrawBrush b;
    b.kind = kv::gdi::DrawBrush::Kind::Solid;
    b.color = colour;
    b.rop2 = rop2;
    return b;
}

inline kv::gdi::DrawPen solidPen(QColor colour, double width = 1, bool cosmetic = true)
{
    kv::gdi::DrawPen p;
    p.color = colour;
    p.width = width;
    p.cosmetic = cosmetic;
    p.cap = Qt::FlatCap;
    p.join = Qt::MiterJoin;
    return p;
}

inline QPainterPath rectPath(const QRectF& r)
{
    QPainterPath p;
    p.addRect(r);
    return p;
}

inline QPainterPath linePath(QPointF a, QPointF b)
{
    QPainterPath p(a);
    p.lineTo(b);
    return p;
}

} // namespace kvtest
