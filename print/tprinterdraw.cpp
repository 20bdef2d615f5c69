// TPrinter: drawing on hDCOut through the engine's Dc, so the same calls land on paper, in a
// PDF or in a spooled page file. Nothing is drawn without a device context.
#include "print/tprinter.h"

#include "print/printercontext.h"
#include "print/printmessages.h"

#include <QFileInfo>
#include <algorithm>
#include <variant>

namespace kv {

namespace {

// Selects an object for one call and puts the previous one of its kind back afterwards.
class TemporarySelection {
public:
    TemporarySelection(gdi::Dc& dc, const gdi::ObjectPtr& object) : dc_(dc)
    {
        if (!object) return;
        previous_ = std::visit([&](const auto& o) { return selectedLike(o); }, *object);
        dc_.selectObject(object);
    }
    ~TemporarySelection()
    {
        if (previous_) dc_.selectObject(previous_);
    }
    TemporarySelection(const TemporarySelection&) = delete;
    TemporarySelection& operator=(const TemporarySelection&) = delete;

private:
    gdi::ObjectPtr selectedLike(const gdi::Pen&) const { return dc_.state().pen; }
    gdi::ObjectPtr selectedLike(const gdi::Brush&) const { return dc_.state().brush; }
    gdi::ObjectPtr selectedLike(const gdi::Font&) const { return dc_.state().font; }
    gdi::ObjectPtr selectedLike(const gdi::Palette&) const { return dc_.state().palette; }

    gdi::Dc& dc_;
    gdi::ObjectPtr previous_;
};

int32_t whole(double value) { return int32_t(value); }  // toward zero, as every platform call

} // namespace

gdi::Dc* TPrinter::out() const
{
    return hDC != 0 && hDCOut != 0 ? dcFromHandle(hDCOut) : nullptr;
}

PrinterFont TPrinter::SetFont(const std::optional<PrinterFont>& font)
{
    if (font) oFont = *font;
    else if (!oFont) oFont = PrinterFont{};
    return *oFont;
}

// Text metrics on the drawing context, or on the printer's own when no page is open (both
// measure in printer pixels).
double TPrinter::measureText(const QString& text, const PrinterFont& font, bool height)
{
    gdi::Dc* dc = out();
    if (!dc && hDC != 0 && context_) dc = &context_->dc();
    if (!dc) return 0;
    TemporarySelection selection(*dc, gdi::makeObject(gdi::Font{toLogFont(font, nLogPixelY())}));
    return height ? dc->textHeight() : dc->textWidth(text.toStdU16String());
}

double TPrinter::GetTextWidth(const QString& cText, const std::optional<PrinterFont>& font)
{
    return measureText(cText, SetFont(font), false);
}

double TPrinter::GetTextHeight(const QString& cText, const std::optional<PrinterFont>& font)
{
    return measureText(cText, SetFont(font), true);
}

void TPrinter::Say(double nRow, double nCol, const QString& cText, const std::optional<PrinterFont>& font,
                   int, std::optional<gdi::ColorRef> nClrText, int nBkMode, std::optional<int> nPadding)
{
    gdi::Dc* dc = out();
    if (!dc) return;
    const PrinterFont used = font ? *font : SetFont();
    const int alignment = nPadding.value_or(nPad);
    double x = nCol;
    if (alignment == 1 || alignment == 2) {
        const double width = measureText(cText, used, false);
        x = std::max(0.0, x - (alignment == 1 ? width : width / 2));
    }
    dc->saveDc();
    dc->selectObject(gdi::makeObject(gdi::Font{toLogFont(used, nLogPixelY())}));
    dc->setBkMode(nBkMode);
    if (nClrText) dc->setTextColor(*nClrText);
    dc->extTextOut(whole(x), whole(nRow), 0, nullptr, cText.toStdU16String());
    dc->restoreDc(-1);
}

void TPrinter::CmSay(double nRow, double nCol, const QString& cText, const std::optional<PrinterFont>& font,
                     int unused, std::optional<gdi::ColorRef> nClrText, int nBkMode, std::optional<int> nPadding)
{
    Cmtr2Pix(nRow, nCol);
    Say(nRow, nCol, cText, font, unused, nClrText, nBkMode, nPadding);
}

void TPrinter::InchSay(double nRow, double nCol, const QString& cText, const std::optional<PrinterFont>& font,
                       int unused, std::optional<gdi::ColorRef> nClrText, int nBkMode, std::optional<int> nPadding)
{
    Inch2Pix(nRow, nCol);
    Say(nRow, nCol, cText, font, unused, nClrText, nBkMode, nPadding);
}

void TPrinter::CharSay(int nRow, int nCol, const QString& cText)
{
    if (!out()) return;
    const PrinterFont font = SetFont();
    const double y = std::max(nRow - 1, 0) * measureText(cText, font, true);
    const double x = std::max(nCol - 1, 0) * measureText(QStringLiteral("B"), font, false);
    Say(y, x, cText);
}

int TPrinter::CharWidth()
{
    const double width = measureText(QStringLiteral("B"), SetFont(), false);
    return width > 0 ? int(nHorzRes() / width) : 0;
}

int TPrinter::CharHeight()
{
    const double height = measureText(QString(), SetFont(), true);
    return height > 0 ? int(nVertRes() / height) : 0;
}

void TPrinter::SayBitmap(double nRow, double nCol, const QString& xBitmap, int nWidth, int nHeight, uint32_t nRaster)
{
    if (!out() || !QFileInfo::exists(xBitmap)) return;
    SayImage(nRow, nCol, QImage(xBitmap), nWidth, nHeight, nRaster);
}

void TPrinter::SayImage(double nRow, double nCol, const QImage& oImage, int nWidth, int nHeight, uint32_t nRaster)
{
    gdi::Dc* dc = out();
    if (!dc || oImage.isNull()) return;
    gdi::rec::Blt blt;
    blt.kind = gdi::rec::BltKind::Stretch;
    blt.xDest = whole(nCol);
    blt.yDest = whole(nRow);
    blt.cxDest = nWidth > 0 ? nWidth : oImage.width();
    blt.cyDest = nHeight > 0 ? nHeight : oImage.height();
    blt.cxSrc = oImage.width();
    blt.cySrc = oImage.height();
    blt.rop = nRaster;
    blt.source = std::make_shared<const gdi::Bitmap>(gdi::Bitmap{oImage.convertToFormat(QImage::Format_ARGB32), {}});
    dc->blt(blt);
}

void TPrinter::SetPos(double nRow, double nCol)
{
    if (gdi::Dc* dc = out()) dc->moveTo(whole(nCol), whole(nRow));
}

void TPrinter::Line(double nTop, double nLeft, double nBottom, double nRight, const gdi::ObjectPtr& oPen)
{
    gdi::Dc* dc = out();
    if (!dc) return;
    TemporarySelection pen(*dc, oPen);
    dc->moveTo(whole(nLeft), whole(nTop));
    dc->lineTo(whole(nRight), whole(nBottom));
}

void TPrinter::Box(double nTop, double nLeft, double nBottom, double nRight, const gdi::ObjectPtr& oPen)
{
    gdi::Dc* dc = out();
    if (!dc) return;
    TemporarySelection pen(*dc, oPen);
    TemporarySelection hollow(*dc, gdi::stockObject(gdi::NULL_BRUSH));
    dc->rectangle({whole(nLeft), whole(nTop), whole(nRight), whole(nBottom)});
}

// FillRect covers left..right and top..bottom without the far edges, in logical units; the
// region call takes device units, so the corners are mapped first.
void TPrinter::FillRect(const Rect4& aRect, const gdi::ObjectPtr& oBrush)
{
    gdi::Dc* dc = out();
    if (!dc || !oBrush) return;
    const QRectF logical(QPointF(whole(aRect[1]), whole(aRect[0])), QPointF(whole(aRect[3]), whole(aRect[2])));
    const QRect device = dc->logicalToDevice().mapRect(logical.normalized()).toRect();
    if (device.isEmpty()) return;
    gdi::RegionData region;
    region.bounds = {device.left(), device.top(), device.left() + device.width(), device.top() + device.height()};
    region.rects.push_back(region.bounds);
    dc->fillRgn(region, oBrush);
}

void TPrinter::ImportEMF(const QString& cFile, bool lEmf)
{
    if (!out()) return;
    if (!QFileInfo::exists(cFile)) {
        printerAlert(cFile + composeMessage({{QStringLiteral(" not found")}}));
        return;
    }
    HENHMETAFILE picture = 0;
    if (lEmf) {
        picture = GETENHMETAFILE(cFile);
    } else if (const HMETAFILE wmf = GETPMETAFILE(cFile)) {
        picture = WMF2EMF(hDCOut, wmf);
        DELETEMETAFILE(wmf);
    }
    if (picture == 0) {
        printerAlert(cFile + composeMessage({{QStringLiteral(" is not a metafile that can be read")}}));
        return;
    }
    const auto frame = ENHMETASIZE(picture, 2);
    const Rect4 target = mmRect2Pix({double(frame[0]), double(frame[1]), double(frame[2]), double(frame[3])});
    gdi::Dc* dc = out();
    dc->saveDc();
    dc->setBkMode(gdi::TRANSPARENT);
    PLAYENHMETAFILE(hDCOut, picture, target);
    dc->restoreDc(-1);
    DELETEENHMETAFILE(picture);
}

void TPrinter::ImportWMF(const QString& cFile) { ImportEMF(cFile, false); }

// Raw PostScript pass-through needs the printer escapes PASSTHROUGH and EPSPRINTING. Qt hands
// CUPS a PDF of its own making and offers no way to put raw PostScript into that stream, so
// no printer here supports them: the file is left alone and the answer is "not done".
bool TPrinter::ImportRAW(const QString&)
{
    return false;
}

void TPrinter::SetPixelMode() { if (gdi::Dc* dc = out()) dc->setMapMode(gdi::MM_TEXT); }
void TPrinter::SetTwipsMode() { if (gdi::Dc* dc = out()) dc->setMapMode(gdi::MM_TWIPS); }
void TPrinter::SetLoInchMode() { if (gdi::Dc* dc = out()) dc->setMapMode(gdi::MM_LOENGLISH); }
void TPrinter::SetHiInchMode() { if (gdi::Dc* dc = out()) dc->setMapMode(gdi::MM_HIENGLISH); }
void TPrinter::SetLoMetricMode() { if (gdi::Dc* dc = out()) dc->setMapMode(gdi::MM_LOMETRIC); }
void TPrinter::SetHiMetricMode() { if (gdi::Dc* dc = out()) dc->setMapMode(gdi::MM_HIMETRIC); }
void TPrinter::SetIsotropicMode() { if (gdi::Dc* dc = out()) dc->setMapMode(gdi::MM_ISOTROPIC); }
void TPrinter::SetAnisotropicMode() { if (gdi::Dc* dc = out()) dc->setMapMode(gdi::MM_ANISOTROPIC); }
void TPrinter::SetWindowExt(int nWidth, int nHeight) { if (gdi::Dc* dc = out()) dc->setWindowExt(nWidth, nHeight); }
void TPrinter::SetViewPortExt(int nWidth, int nHeight) { if (gdi::Dc* dc = out()) dc->setViewportExt(nWidth, nHeight); }

} // namespace kv
