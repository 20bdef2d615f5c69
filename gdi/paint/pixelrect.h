#pragma once
// gdi/paint: the whole pixels an unsmoothed fill or clip of an upright rectangle covers.
//
// Qt fills and clips to a pixel rectangle directly, where a general path goes through its scan
// converter; knowing that a path is such a rectangle on the target lets the painter device take
// the direct road with the same pixels.
#include <QPainterPath>
#include <QRect>
#include <QTransform>

#include <optional>

namespace kv::gdi {

// The pixels whose centres lie inside `path` once `toTarget` maps it onto the target, when
// the path is one upright rectangle there. Nothing for other paths, and for an edge within a
// sixty-fourth of a pixel centre, where the scan converter's fixed point decides.
std::optional<QRect> coveredPixelRectangle(const QPainterPath& path, const QTransform& toTarget);

} // namespace kv::gdi
