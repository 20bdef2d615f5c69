#pragma once
// Page files drawn for a printer of 4800 x 6600 printable pixels, page views over them, and
// helpers that find coloured marks in what a page view painted.
#include "gdi/metafileapi.h"
#include "gdi/paint/painterdevice.h"
#include "pageview/kvmetafile.h"
#include "platform/notify.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace kvtest {

// What a page view shows on the screen, through the page cache.
inline QImage shownImage(kv::KVMETAFILE& view) { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The same page view played directly, without the cache.
inline QImage playedImage(kv::KVMETAFILE& view)
{
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(view.palette().color(QPalette::Window));
    QPainter painter(&image);
    view.Paint(painter);
    return image;
}

inline constexpr int kPageWidth = 4800;
inline constexpr int kPageHeight = 6600;
inline constexpr int kOffset = 100;

// Colours as the platform writes them (0x00BBGGRR).
inline constexpr kv::gdi::ColorRef kRed = 0x0000FF;
inline constexpr kv::gdi::ColorRef kBlue = 0xFF0000;
inline constexpr kv::gdi::ColorRef kGreen = 0x00FF00;
inline constexpr kv::gdi::ColorRef kWhite = 0xFFFFFF;
inline constexpr kv::gdi::ColorRef kMagenta = 0xFF00FF;

struct Mark {
    kv::gdi::RectL box;  // logical page pixels
    kv::gdi::ColorRef color;
};

// Records a page file as the printer device records it, on a printer of kPageWidth x
// kPageHeight pixels at 600 dpi (the page view's printer), or of the same paper at `dpi`:
// `draw` draws it in that printer's pixels.
inline void recordPage(const QString& path, const std::function<void(kv::gdi::Dc&)>& draw, int dpi = 600)
{
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter scratchPainter(&scratch);
    kv::gdi::DeviceCaps caps;
    caps.horzRes = kPageWidth * dpi / 600;
    caps.vertRes = kPageHeight * dpi / 600;
    caps.horzSizeMm = 203;
    caps.vertSizeMm = 279;
    caps.logPixelsX = caps.logPixelsY = dpi;
    kv::gdi::PainterDevice device(scratchPainter, caps);
    kv::gdi::Dc reference(device);
    const kv::HDC ref = kv::registerDc(&reference);
    const kv::HDC hdc = kv::CREATEENHMETAFILE(ref, path);
    kv::unregisterDc(ref);
    ASSERT_NE(hdc, 0u);
    draw(*kv::dcFromHandle(hdc));
    const kv::HENHMETAFILE closed = kv::CLOSEENHMETAFILE(hdc);
    ASSERT_NE(closed, 0u);
    kv::DELETEENHMETAFILE(closed);
}

// A page whose drawing covers the whole printable area (a white rectangle without outline,
// unless `coverPage` is false), with filled squares on top.
inline void writePage(const QString& path, const std::vector<Mark>& marks, bool coverPage = true)
{
    recordPage(path, [&](kv::gdi::Dc& dc) {
        kv::gdi::Pen none;
        none.style = kv::gdi::PS_NULL;
        dc.selectObject(kv::gdi::makeObject(none));
        const auto fill = [&dc](const kv::gdi::RectL& box, kv::gdi::ColorRef color) {
            kv::gdi::Brush brush;
            brush.color = color;
            dc.selectObject(kv::gdi::makeObject(brush));
            dc.rectangle(box);
        };
        if (coverPage)
            fill({0, 0, kPageWidth, kPageHeight}, kWhite);
        for (const Mark& mark : marks)
            fill(mark.box, mark.color);
    });
}

inline kv::PageViewSettings printerSettings()
{
    kv::PageViewSettings s;
    s.look.lPageBorder = false;
    s.look.nPageBorColor = kGreen;
    s.look.nShadow_Deep = 5;
    s.look.nShadow_Width = 5;
    s.look.nShadow_Color = kBlue;
    s.look.nBackClr = kMagenta;
    s.printer.horzRes = kPageWidth;
    s.printer.vertRes = kPageHeight;
    s.printer.xOffset = kOffset;
    s.printer.yOffset = kOffset;
    s.printer.physWidth = kPageWidth + 2 * kOffset;
    s.printer.physHeight = kPageHeight + 2 * kOffset;
    s.printer.dpiX = s.printer.dpiY = 600;
    return s;
}

// Bounding box of the pixels of one colour (exactly), or nothing when there are none.
inline std::optional<QRect> colourBox(const QImage& image, kv::gdi::ColorRef color)
{
    const QRgb wanted = kv::gdi::toQRgb(color);
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
    if (box.isNull())
        return std::nullopt;
    return box;
}

inline bool hasColour(const QImage& image, int x, int y, kv::gdi::ColorRef color)
{
    return (image.pixel(x, y) & 0xFFFFFF) == (kv::gdi::toQRgb(color) & 0xFFFFFF);
}

// Bounding box of the pixels darker than `grey` (0 to 255) inside `within` (the whole image when
// empty), or nothing when there are none.
inline std::optional<QRect> darkBox(const QImage& image, int grey = 128, QRect within = {})
{
    if (within.isEmpty())
        within = image.rect();
    QRect box;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (qGray(image.pixel(x, y)) < grey)
                box |= QRect(x, y, 1, 1);
    if (box.isNull())
        return std::nullopt;
    return box;
}

// Records message boxes for the life of the object.
class BoxRecorder {
public:
    BoxRecorder() { kv::setMessageHandler([this](const kv::Message& m) { boxes.push_back(m); }); }
    ~BoxRecorder() { kv::setMessageHandler({}); }
    std::vector<kv::Message> boxes;
};

} // namespace kvtest
