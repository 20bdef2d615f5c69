// EMF+ DrawImage and DrawImagePoints: the source rectangle of a bitmap mapped onto the
// destination parallelogram, or a nested metafile played into it (as vectors, on the same Dc).
#include "gdi/emfplus/emfplusplay.h"

#include "gdi/player.h"

#include <cmath>

namespace kv::gdi::plus::play {

namespace {

// The square a nested picture is played into, in logical units that a world transform then
// places: fine enough that rounding to whole units is never seen.
constexpr int32_t kNestedUnits = 100000;

// Maps the rectangle `src` onto the parallelogram of upper-left, upper-right and lower-left
// corners.
QTransform parallelogram(const QRectF& src, const QPolygonF& dest)
{
    const QPointF ux = (dest[1] - dest[0]) / src.width();
    const QPointF uy = (dest[2] - dest[0]) / src.height();
    return QTransform::fromTranslate(-src.left(), -src.top()) * QTransform(ux.x(), ux.y(), uy.x(), uy.y(), dest[0].x(), dest[0].y());
}

} // namespace

void Player::operator()(const rec::DrawImage& r)
{
    const Image* image = objectAs<Image>(r.imageId);
    if (!image || r.dest.size() != 3)
        return;
    // The source rectangle in the image's own units (pixels of a bitmap).
    const double ux = r.srcUnit == UnitPixel ? 1 : unitToPixels(r.srcUnit, false);
    const double uy = r.srcUnit == UnitPixel ? 1 : unitToPixels(r.srcUnit, true);
    QRectF src(r.src.left() * ux, r.src.top() * uy, r.src.width() * ux, r.src.height() * uy);
    // Writers measure a metafile's source rectangle in units of their own that its header
    // does not tell; the whole picture is what they mean in every file we have met.
    if (image->bitmap.isNull())
        src = image->bounds;
    if (!(std::fabs(src.width()) > 1e-9) || !(std::fabs(src.height()) > 1e-9))
        return;
    if (image->bitmap.isNull()) {
        drawNested(*image, parallelogram(src, r.dest) * worldToPage());
        return;
    }
    const QTransform toDevice = parallelogram(src, r.dest) * worldToDevice();
    const QImage& pixels = image->bitmap;
    const QRectF pixelSpace(0, 0, pixels.width(), pixels.height());
    // Image units -> pixels of `pixels`.
    const QRectF& b = image->bounds;
    const QTransform toPixels = QTransform::fromTranslate(-b.left(), -b.top())
        * QTransform::fromScale(pixelSpace.width() / b.width(), pixelSpace.height() / b.height());
    const QRect crop = toPixels.mapRect(src.normalized()).toAlignedRect() & pixels.rect();
    if (crop.isEmpty())
        return;
    ImageDraw d;
    d.mode = ImageDraw::Mode::Alpha;
    d.perPixelAlpha = true;
    d.source = pixels.copy(crop);
    // Cropped pixels -> image units -> the destination.
    d.toDevice = QTransform::fromTranslate(crop.left(), crop.top()) * toPixels.inverted() * toDevice;
    d.deviceQuad = d.toDevice.map(QPolygonF(QRectF(0, 0, crop.width(), crop.height())));
    d.stretchMode = state_.smoothImages ? HALFTONE : COLORONCOLOR;
    d.sourceCopy = state_.sourceCopy;
    dc_.imageDevice(d);
}

// The picture's frame goes where `onPage` (image units -> the page's reference pixels) puts
// its bounds; the Dc's playback keeps the EMF+ clip as the nested picture's limit.
void Player::drawNested(const Image& image, const QTransform& onPage)
{
    if (!image.metafile || !(image.bounds.width() > 0) || !(image.bounds.height() > 0))
        return;
    const QTransform t = QTransform::fromScale(image.bounds.width() / kNestedUnits, image.bounds.height() / kNestedUnits)
        * QTransform::fromTranslate(image.bounds.left(), image.bounds.top()) * onPage;
    const int level = dc_.saveDc();
    dc_.setGraphicsMode(GM_ADVANCED);
    dc_.setWorldTransform(XForm{t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()});
    playPicture(dc_, *image.metafile, RectL{0, 0, kNestedUnits, kNestedUnits});
    if (level > 0)
        dc_.restoreDc(level);
    applyClip();
}

} // namespace kv::gdi::plus::play
