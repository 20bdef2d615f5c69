#pragma once
// A white image with a Dc drawing on it through the painter device, for pixel tests.
#include "gdi/dc/dc.h"
#include "gdi/paint/painterdevice.h"

#include <QImage>
#include <QPainter>
#include <memory>

namespace kvtest {

class Canvas {
public:
    explicit Canvas(int width = 200, int height = 200) : image_(width, height, QImage::Format_ARGB32)
    {
        image_.fill(Qt::white);
        painter_ = std::make_unique<QPainter>(&image_);
        kv::gdi::DeviceCaps caps;
        caps.horzRes = width;
        caps.vertRes = height;
        caps.horzSizeMm = width / 4;  // 4 pixels per millimetre
        caps.vertSizeMm = height / 4;
        device_ = std::make_unique<kv::gdi::PainterDevice>(*painter_, caps);
        dc_ = std::make_unique<kv::gdi::Dc>(*device_);
    }

    kv::gdi::Dc& dc() { return *dc_; }

    // Ends drawing and gives the pixels.
    const QImage& image()
    {
        if (painter_) {
            dc_.reset();
            device_.reset();
            painter_->end();
            painter_.reset();
        }
        return image_;
    }

    bool dark(int x, int y) { return qGray(image().pixel(x, y)) < 128; }
    QRgb pixel(int x, int y) { return image().pixel(x, y) & 0xFFFFFF; }

    // Rows (or columns) that hold dark pixels inside a box.
    int darkCount(const QRect& box)
    {
        int n = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                n += dark(x, y);
        return n;
    }

private:
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<kv::gdi::PainterDevice> device_;
    std::unique_ptr<kv::gdi::Dc> dc_;
};

inline kv::gdi::ObjectPtr solidBrush(kv::gdi::ColorRef c)
{
    return kv::gdi::makeObject(kv::gdi::Brush{kv::gdi::BS_SOLID, c, 0, nullptr, false});
}

inline kv::gdi::ObjectPtr pen(int32_t width, kv::gdi::ColorRef c, uint32_t style = kv::gdi::PS_SOLID)
{
    kv::gdi::Pen p;
    p.width = width;
    p.color = c;
    p.style = style;
    return kv::gdi::makeObject(p);
}

inline kv::gdi::ObjectPtr font(int32_t height, const char16_t* face = u"Arial")
{
    kv::gdi::LogFont lf;
    lf.height = height;
    lf.faceName = face;
    return kv::gdi::makeObject(kv::gdi::Font{lf});
}

} // namespace kvtest
