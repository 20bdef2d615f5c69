// Rendering a picture onto an image through the painter device.
#include "gdi/render.h"

#include "gdi/paint/painterdevice.h"
#include "gdi/player.h"
#include "gdi/readers.h"

#include <QPainter>
#include <cmath>

namespace kv::gdi {

namespace {

QImage renderSized(const Picture& picture, int width, int height)
{
    if (width <= 0 || height <= 0 || width > kMaxRenderSide || height > kMaxRenderSide || int64_t(width) * height > kMaxRenderPixels)
        return {};
    // The painter draws premultiplied pixels natively; a page is opaque paper, where the two
    // forms are the same, and other forms cost a conversion of every span drawn.
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    playOnto(image, picture);
    return image;
}

DeviceCaps renderingScreen()
{
    DeviceCaps c;
    c.horzRes = 1920;
    c.vertRes = 1080;
    c.horzSizeMm = 508;
    c.vertSizeMm = 286;
    return c;
}

} // namespace

void playOnto(QImage& image, const Picture& picture)
{
    const QRectF frame = pictureFrame(picture.header);
    if (image.isNull() || frame.width() <= 0 || frame.height() <= 0)
        return;
    const int width = image.width(), height = image.height();
    DeviceCaps caps;
    caps.horzRes = width;
    caps.vertRes = height;
    caps.horzSizeMm = std::max(1, int(std::lround(frame.width() / 100)));
    caps.vertSizeMm = std::max(1, int(std::lround(frame.height() / 100)));
    caps.logPixelsX = int(std::lround(width * 2540.0 / frame.width()));
    caps.logPixelsY = int(std::lround(height * 2540.0 / frame.height()));
    QPainter painter(&image);
    {
        PainterDevice device(painter, caps);
        Dc dc(device);
        playPicture(dc, picture, RectL{0, 0, width, height});
    }
    painter.end();
}

PicturePtr readForRendering(const QString& path)
{
    return readMetafileFile(path, renderingScreen(), WmfSurface::PictureSize);
}

QImage renderPicture(const Picture& picture, int widthPx)
{
    const QRectF frame = pictureFrame(picture.header);
    if (frame.width() <= 0 || frame.height() <= 0)
        return {};
    const double height = widthPx * frame.height() / frame.width();
    return renderSized(picture, widthPx, int(std::lround(std::min(height, double(kMaxRenderSide + 1)))));
}

QImage renderPictureDpi(const Picture& picture, double dpi)
{
    const QRectF frame = pictureFrame(picture.header);
    if (frame.width() <= 0 || frame.height() <= 0 || !(dpi > 0))
        return {};
    const double w = std::min(frame.width() / 2540 * dpi, double(kMaxRenderSide + 1));
    const double h = std::min(frame.height() / 2540 * dpi, double(kMaxRenderSide + 1));
    return renderSized(picture, int(std::lround(w)), int(std::lround(h)));
}

} // namespace kv::gdi
