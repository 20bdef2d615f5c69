#pragma once
// How GDI shrinks bitmaps in its BLACKONWHITE and WHITEONBLACK stretch modes: the pixels a
// shrink drops are combined into the ones it keeps, with AND (dark detail on light ground
// survives: thin black text and lines of screenshots) or OR (light detail on dark ground).
#include <QImage>
#include <QSize>

namespace kv::gdi {

// `source` reduced to `size` (each side at most the source's), pixel (x, y) of the result
// being the AND (or OR) of the source pixels that fall into it. The result is Format_RGB32.
QImage shrinkCombining(const QImage& source, QSize size, bool useAnd);

} // namespace kv::gdi
