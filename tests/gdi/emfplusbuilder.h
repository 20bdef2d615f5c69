#pragma once
// A tiny EMF+ writer for tests: GDI+ records gathered into EMR_COMMENT records of an EMF made
// by EmfBuilder. The EMF+ device is the EMF's reference device (254 dpi = 10 pixels a
// millimetre), so one EMF+ pixel is one reference pixel.
#include "emfbuilder.h"

#include <QColor>
#include <QRectF>

namespace kvtest {

class EmfPlusBuilder {
public:
    // `dual` sets the header's flag that says GDI records draw the same picture.
    explicit EmfPlusBuilder(bool dual = false, int32_t widthPx = 1000, int32_t heightPx = 1000)
        : emf_(widthPx, heightPx)
    {
        begin(0x4001, dual ? 1 : 0);
        u32(0xDBC01002);  // version
        u32(1);           // recorded against a display
        u32(254);
        u32(254);
        end();
    }

    // Starts an EMF+ record; fields follow; end() writes its sizes.
    EmfPlusBuilder& begin(uint16_t type, uint16_t flags = 0)
    {
        start_ = plus_.size();
        u16(type);
        u16(flags);
        u32(0);
        u32(0);
        return *this;
    }
    EmfPlusBuilder& end()
    {
        while ((plus_.size() - start_) % 4)
            plus_.push_back(0);
        const uint32_t size = uint32_t(plus_.size() - start_);
        const uint32_t dataSize = size - 12;
        std::memcpy(&plus_[start_ + 4], &size, 4);
        std::memcpy(&plus_[start_ + 8], &dataSize, 4);
        return *this;
    }

    // Makes the last record claim `size` bytes, whatever it holds.
    EmfPlusBuilder& claimSize(uint32_t size)
    {
        std::memcpy(&plus_[start_ + 4], &size, 4);
        return *this;
    }

    EmfPlusBuilder& u8(uint8_t v) { plus_.push_back(v); return *this; }
    EmfPlusBuilder& u16(uint16_t v) { return raw(&v, 2); }
    EmfPlusBuilder& u32(uint32_t v) { return raw(&v, 4); }
    EmfPlusBuilder& f32(float v) { return raw(&v, 4); }
    EmfPlusBuilder& argb(QColor c) { return u32(c.rgba()); }
    EmfPlusBuilder& rectF(QRectF r) { return f32(float(r.x())).f32(float(r.y())).f32(float(r.width())).f32(float(r.height())); }
    EmfPlusBuilder& matrix(float m11, float m12, float m21, float m22, float dx, float dy)
    {
        return f32(m11).f32(m12).f32(m21).f32(m22).f32(dx).f32(dy);
    }
    EmfPlusBuilder& text(std::u16string_view s)
    {
        for (char16_t c : s)
            u16(c);
        return *this;
    }

    // ---- whole records the tests use often ----
    // A solid brush object in table slot `id`.
    EmfPlusBuilder& solidBrush(uint8_t id, QColor c)
    {
        begin(0x4008, uint16_t(0x0100 | id)).u32(0xDBC01002).u32(0).argb(c);
        return end();
    }
    // A solid pen of `width` world units; `lineStyle` 0 solid, 1 dash, 2 dot.
    EmfPlusBuilder& pen(uint8_t id, QColor c, float width, int32_t lineStyle = 0)
    {
        begin(0x4008, uint16_t(0x0200 | id)).u32(0xDBC01002).u32(0);
        u32(lineStyle ? 0x20 : 0).u32(0).f32(width);  // flags, unit world, width
        if (lineStyle)
            u32(uint32_t(lineStyle));
        u32(0xDBC01002).u32(0).argb(c);  // its brush
        return end();
    }
    // FillRects with one rectangle in a colour of the record's own.
    EmfPlusBuilder& fillRect(QRectF r, QColor c)
    {
        begin(0x400A, 0x8000).argb(c).u32(1).rectF(r);
        return end();
    }
    EmfPlusBuilder& getDc() { return begin(0x4004).end(); }

    // Closes the current comment: later GDI records come after it.
    EmfPlusBuilder& flush()
    {
        if (plus_.empty())
            return *this;
        emf_.begin(70).u32(uint32_t(plus_.size() + 4)).u32(0x2B464D45).bytes(plus_).end();
        plus_.clear();
        return *this;
    }
    // GDI records go straight into the EMF (after the EMF+ records so far).
    EmfBuilder& gdi()
    {
        flush();
        return emf_;
    }

    // The finished file: EMF+ end-of-file record, then the EMF's.
    std::vector<uint8_t> finish(bool withEndOfFile = true)
    {
        if (withEndOfFile)
            begin(0x4002).end();
        flush();
        return emf_.finish();
    }

private:
    EmfPlusBuilder& raw(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        plus_.insert(plus_.end(), b, b + n);
        return *this;
    }

    EmfBuilder emf_;
    std::vector<uint8_t> plus_;
    size_t start_ = 0;
};

} // namespace kvtest
