#pragma once
// The DC attributes a recorder's playback will have: raster operation, background mode and
// colour, text colour and alignment, polygon fill mode. Each setter has its record written
// (in the recorder's own format, through `Writer`) only when the value changes, so a run of
// shapes in one style costs one record of each kind.
#include "gdi/core/types.h"

#include <QColor>
#include <array>
#include <functional>

namespace kv::gdi {

class RecordedState {
public:
    enum class Field : uint8_t { Rop2, BkMode, PolyFillMode, BkColor, TextColor, TextAlign };
    using Writer = std::function<void(Field field, uint32_t value)>;

    explicit RecordedState(Writer write) : write_(std::move(write)) { reset(); }

    void setRop2(int32_t rop2) { set(Field::Rop2, uint32_t(rop2)); }
    void setBkMode(int32_t mode) { set(Field::BkMode, uint32_t(mode)); }
    void setPolyFillMode(int32_t mode) { set(Field::PolyFillMode, uint32_t(mode)); }
    void setBkColor(const QColor& color) { set(Field::BkColor, fromQRgb(color.rgb())); }
    void setTextColor(const QColor& color) { set(Field::TextColor, fromQRgb(color.rgb())); }
    void setTextAlign(uint32_t align) { set(Field::TextAlign, align); }

    // What a fresh playback DC has (also after a RestoreDC to it): GDI's defaults.
    void reset();

private:
    void set(Field field, uint32_t value);

    Writer write_;
    std::array<uint32_t, 6> values_{};
};

} // namespace kv::gdi
