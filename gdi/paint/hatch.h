#pragma once
// GDI's hatch brushes: 8x8 one-bit patterns tiled from the brush origin, one device pixel per
// bit whatever the scale (GDI never scales a hatch).
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <cstdint>
#include <optional>

namespace kv::gdi {

// Hatch styles above HS_DIAGCROSS (the solid-colour ones of EMF) paint solid.
bool isPatternHatch(uint32_t hatch);

// Whether the pixel (x, y) of the 8x8 cell (0..7 each, (0,0) at the brush origin) is a line.
bool hatchBit(uint32_t hatch, int x, int y);

// One tile: lines in `line`, gaps in `background` or transparent. Tiles are made once per
// style and colours and kept (Format_ARGB32_Premultiplied).
QImage hatchTile(uint32_t hatch, QRgb line, std::optional<QRgb> background);

// The line pixels of a hatch within `area` (device pixels), for drawing with raster
// operations, where transparent gaps cannot be expressed as pixels.
QRegion hatchRegion(uint32_t hatch, const QRect& area, QPoint origin);

} // namespace kv::gdi
