// Text of the painter device. The Dc has placed every character (Dx advances, alignment,
// escapement), so glyphs are drawn where they are told as one positioned glyph run, in a frame
// that turns with the escapement and stretches with lfWidth. Underline and strike-out are drawn
// here along the run, as GDI does, because positioned glyphs lose QFont's own decorations.
#include "gdi/paint/painterdevice.h"

#include "gdi/paint/glyphcache.h"
#include "gdi/paint/pixelrect.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace kv::gdi {

namespace {

bool isControl(char16_t c)
{
    return c < 0x20;
}

// The run's frame: origin at the first character's origin, x along the baseline in unstretched
// font pixels, y down.
QTransform runFrame(const TextRun& run)
{
    QTransform frame;
    frame.translate(run.origins.front().x(), run.origins.front().y());
    frame.rotate(-run.angle);
    frame.scale(run.font->widthScale, 1);
    return frame;
}

} // namespace

void PainterDevice::drawText(const TextRun& run)
{
    if (run.opaqueBox) {
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(run.opaqueColor);
        painter_.drawPolygon(*run.opaqueBox);
    }
    if (run.text.empty() || !run.font || run.origins.size() < run.text.size() || run.rop2 == R2_NOP)
        return;
    const QTransform frame = runFrame(run);
    bool invertible = false;
    const QTransform toFrame = frame.inverted(&invertible);
    if (!invertible)
        return;
    collectGlyphs(run, toFrame);
    const bool clipped = run.clipBox && !clipBoxCutsNothing(run, frame);
    if (clipped) {
        painter_.save();
        QPainterPath box;
        box.addPolygon(*run.clipBox);
        painter_.setClipPath(box, Qt::IntersectClip);
    }
    drawGlyphs(run, frame, toFrame);
    if (clipped)
        painter_.restore();
    painter_.setTransform(base_);
}

void PainterDevice::collectGlyphs(const TextRun& run, const QTransform& toFrame)
{
    const ResolvedFont& font = *run.font;
    glyphBuffer_.clear();
    positionBuffer_.clear();
    missingBuffer_.clear();
    for (size_t i = 0; i < run.text.size(); ++i) {
        const char16_t c = run.text[i];
        if (isControl(c))
            continue;
        QChar chars[2] = {QChar(font.drawnChar(c)), QChar()};
        int count = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < run.text.size() && QChar::isLowSurrogate(run.text[i + 1]))
            chars[count++] = QChar(run.text[++i]);
        quint32 glyphs[2] = {0, 0};
        int glyphCount = 2;
        const QPointF position = toFrame.map(run.origins[i + 1 - count]);
        if (font.raw.isValid() && font.raw.glyphIndexesForChars(chars, count, glyphs, &glyphCount)
            && glyphCount > 0 && glyphs[0] != 0) {
            glyphBuffer_.append(glyphs[0]);
            positionBuffer_.append(position);
        } else if (!chars[0].isSpace()) {
            missingBuffer_.push_back({chars[0], position});
        }
    }
}

// Clipping to a box costs Qt's raster engine a clip mask as tall as the target for every run,
// most of what a spooled page of boxed text runs costs, while the box mostly holds its glyphs
// anyway. The clip changes no pixel when the box covers whole target pixels and every glyph's
// ink lies inside them. Qt composes a glyph from its own cache at the whole pixel left of its
// origin (the glyph image one pixel wider for a sub-pixel placement) and on the whole pixel row
// nearest its baseline, so with a plain shift onto the target its pixels are known; a glyph
// drawn any other way is allowed a pixel of the font for hinting and two more. Characters drawn
// by fallback faces, outlines filled for one-bit text and decorations are not measured, and
// keep the clip.
bool PainterDevice::clipBoxCutsNothing(const TextRun& run, const QTransform& frame) const
{
    const ResolvedFont& font = *run.font;
    if (!rasterEngine_ || !missingBuffer_.empty() || run.aliased || font.underline || font.strikeOut || !font.raw.isValid())
        return false;
    QPainterPath box;
    box.addPolygon(*run.clipBox);
    const QTransform toTarget = painter_.deviceTransform();
    const std::optional<QRect> pixels = coveredPixelRectangle(box, toTarget);
    if (!pixels)
        return false;
    const QRectF inside(*pixels);
    const QTransform glyphToTarget = frame * toTarget;
    const bool placedByQt = glyphToTarget.type() <= QTransform::TxTranslate && qtCachesGlyphSize(font.raw, glyphToTarget);
    const double fontPixel = std::max(std::hypot(glyphToTarget.m11(), glyphToTarget.m12()),
                                      std::hypot(glyphToTarget.m21(), glyphToTarget.m22()));
    const double room = fontPixel + 2;
    constexpr double kFixedPointStep = 1.0 / 64;  // Qt places glyphs in 64ths of a pixel
    for (qsizetype g = 0; g < glyphBuffer_.size(); ++g) {
        const QRectF ink = font.raw.boundingRect(glyphBuffer_[g]);
        if (ink.isEmpty())
            continue;
        QRectF reach;
        if (placedByQt) {
            const QPointF origin = glyphToTarget.map(positionBuffer_[g]);
            const double column = std::floor(origin.x());
            const double widening = origin.x() == column ? 0 : 1;
            reach.setLeft(column + ink.left());
            reach.setRight(std::floor(origin.x() + kFixedPointStep) + ink.right() + widening);
            reach.setTop(std::floor(origin.y()) + ink.top());
            reach.setBottom(std::floor(origin.y() + 0.5 + kFixedPointStep) + ink.bottom());
        } else {
            reach = glyphToTarget.mapRect(ink.translated(positionBuffer_[g])).adjusted(-room, -room, room, room);
        }
        if (!inside.contains(reach))
            return false;
    }
    return true;
}

void PainterDevice::drawGlyphs(const TextRun& run, const QTransform& frame, const QTransform& toFrame)
{
    const ResolvedFont& font = *run.font;
    setBlending(run.sourceCopy);
    painter_.setTransform(frame * base_);
    painter_.setPen(run.color);
    for (const MissingGlyph& missing : missingBuffer_)
        drawGlyphFallback(run, missing.character, missing.position);
    if (!glyphBuffer_.isEmpty() && run.aliased) {
        // Glyph runs are always drawn smoothed by the raster engine; one-bit text is filled
        // from the glyphs' outlines instead.
        QPainterPath outlines;
        for (qsizetype g = 0; g < glyphBuffer_.size(); ++g)
            outlines.addPath(font.raw.pathForGlyph(glyphBuffer_[g]).translated(positionBuffer_[g]));
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.fillPath(outlines, run.color);
    } else if (!glyphBuffer_.isEmpty() && rasterEngine_ && !run.sourceCopy
               && isCacheableGlyphSize(font.raw, painter_.deviceTransform())) {
        // Kept glyphs are whole images: copied rather than blended, their clear corners would
        // wipe what lies beneath, so replacing text takes Qt's own glyph run below.
        drawKeptGlyphs(font.raw, run.color);
    } else if (!glyphBuffer_.isEmpty()) {
        QGlyphRun glyphRun;
        glyphRun.setRawFont(font.raw);
        glyphRun.setGlyphIndexes(glyphBuffer_);
        glyphRun.setPositions(positionBuffer_);
        painter_.drawGlyphRun(QPointF(0, 0), glyphRun);
    }
    if (font.underline || font.strikeOut)
        drawDecorations(run, toFrame, positionBuffer_);
}

// Glyphs Qt would fill from their outlines at every draw, composed from kept images instead,
// in the target's own pixels.
void PainterDevice::drawKeptGlyphs(const QRawFont& font, const QColor& colour)
{
    const QTransform toTarget = painter_.deviceTransform(), world = painter_.worldTransform();
    painter_.setTransform(inTargetPixels());
    for (qsizetype g = 0; g < glyphBuffer_.size(); ++g) {
        const CachedGlyph glyph = cachedGlyph(font, glyphBuffer_[g], toTarget, toTarget.map(positionBuffer_[g]), colour.rgba());
        if (!glyph.image.isNull())
            painter_.drawImage(glyph.topLeft, glyph.image);
    }
    painter_.setTransform(world);
}

// A character the substitute face lacks: Qt's own font fallback finds a face that has it.
// Qt rasterises small glyphs through FreeType and caches them, judging "small" without the
// font's stretch; a glyph stretched thousands of pixels wide overflows FreeType's rasteriser and
// Qt then copies from a bitmap that is not there. A glyph that large on the device is filled
// from its outline instead, which Qt's own rasteriser draws at any size.
void PainterDevice::drawGlyphFallback(const TextRun& run, QChar c, QPointF localPosition)
{
    constexpr double kLargestRasterGlyph = 256;  // device pixels, either way
    const QFont& font = run.font->font;
    const QTransform& toDevice = painter_.worldTransform();
    const double widening = font.stretch() > 0 ? font.stretch() / 100.0 : 1.0;
    const double deviceWidth = std::hypot(toDevice.m11(), toDevice.m12()) * widening * font.pixelSize();
    const double deviceHeight = std::hypot(toDevice.m21(), toDevice.m22()) * font.pixelSize();
    if (std::max(deviceWidth, deviceHeight) <= kLargestRasterGlyph) {
        painter_.setFont(font);
        painter_.drawText(localPosition, QString(c));
        return;
    }
    QPainterPath outline;
    outline.addText(localPosition, font, QString(c));
    painter_.fillPath(outline, run.color);
}

// GDI draws the lines from the first origin to the end of the last character's advance.
void PainterDevice::drawDecorations(const TextRun& run, const QTransform& toFrame, const QList<QPointF>& positions)
{
    const ResolvedFont& font = *run.font;
    const QPointF last = toFrame.map(run.origins[run.text.size() - 1]);
    double end = last.x();
    if (font.raw.isValid() && font.widthScale > 0)
        end += font.advance(run.text.back()) / font.widthScale;
    const double start = positions.isEmpty() ? 0 : std::min(0.0, positions.front().x());
    const double thickness = std::max(1.0, font.raw.isValid() ? font.raw.lineThickness() : 1.0);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(run.color);
    const auto line = [&](double centreY) {
        painter_.drawRect(QRectF(start, centreY - thickness / 2, end - start, thickness));
    };
    if (font.underline)
        line(font.raw.isValid() ? font.raw.underlinePosition() : font.descent / 2);
    if (font.strikeOut)
        line(font.raw.isValid() ? -font.raw.xHeight() / 2 : -font.ascent / 3);
}

} // namespace kv::gdi
