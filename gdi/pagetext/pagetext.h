#pragma once
// gdi/pagetext: the text of a page: a device that collects where glyphs land, the page's text
// in reading order, and searching it.
//
// The text of a page in reading order: lines from top to bottom, each from left to right,
// with the place of every character, so that a found word can be shown where it stands.
#include "gdi/core/records.h"
#include "gdi/pagetext/textdevice.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

namespace kv::gdi {

struct PageText {
    // Lines joined by '\n'; glyphs of one line that stand apart are joined by a blank.
    QString text;
    // One box per character of `text`, in fractions of the page (0..1 across and down, the
    // picture's frame as played); the separators we put in have an empty box.
    std::vector<QRectF> boxes;
};
using PageTextPtr = std::shared_ptr<const PageText>;

// Orders the glyphs a TextCollectingDevice gathered on a device of `deviceSize` pixels.
// Upright glyphs whose baselines lie within a fraction of their height of each other form
// one line; turned runs (escapement) follow as lines of their own, in drawing order.
PageText readingOrder(const std::vector<PlacedRun>& runs, QSizeF deviceSize);

// Plays `picture` into a text-collecting device and orders what it drew. Safe on any thread
// (call loadCompatibleFaces() on the main thread first).
PageText extractPageText(const Picture& picture);

} // namespace kv::gdi
