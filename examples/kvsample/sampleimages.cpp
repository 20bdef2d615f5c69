#include "sampleimages.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace kvsample {

QImage logoImage(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(size * 0.35, size * 0.35, size * 0.7);
    glow.setColorAt(0, QColor(90, 160, 230));
    glow.setColorAt(1, QColor(10, 50, 120));
    p.setBrush(glow);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(size * 0.04, size * 0.04, size * 0.92, size * 0.92));
    p.setPen(QPen(Qt::white, size * 0.09));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(size * 0.3, size * 0.3, size * 0.4, size * 0.4));
    return image;
}

QImage barChartImage(const std::vector<ChartBar>& bars, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (bars.empty())
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double maxValue = std::max_element(bars.begin(), bars.end(), [](const ChartBar& a, const ChartBar& b) {
                                return a.value < b.value;
                            })->value;
    const double top = std::ceil(maxValue / 100.0) * 100.0;
    const QRectF plot(width * 0.12, height * 0.06, width * 0.84, height * 0.78);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::max(10, height / 22));
    p.setFont(font);
    // Value axis with grid lines every quarter of the range.
    for (int i = 0; i <= 4; ++i) {
        const double y = plot.bottom() - plot.height() * i / 4.0;
        p.setPen(QPen(QColor(200, 200, 200), 1));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, y - height * 0.04, plot.left() - 6, height * 0.08), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(top * i / 4.0, 'f', 0));
    }
    const double slot = plot.width() / double(bars.size());
    const QColor colours[] = {QColor(31, 119, 180), QColor(255, 127, 14), QColor(44, 160, 44), QColor(214, 39, 40),
                              QColor(148, 103, 189), QColor(140, 86, 75)};
    for (size_t i = 0; i < bars.size(); ++i) {
        const double h = plot.height() * bars[i].value / top;
        const QRectF bar(plot.left() + slot * double(i) + slot * 0.18, plot.bottom() - h, slot * 0.64, h);
        p.fillRect(bar, colours[i % std::size(colours)]);
        p.setPen(Qt::black);
        p.drawText(QRectF(plot.left() + slot * double(i), plot.bottom() + 4, slot, height - plot.bottom() - 4),
                   Qt::AlignHCenter | Qt::AlignTop, bars[i].label);
    }
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    return image;
}

} // namespace kvsample
