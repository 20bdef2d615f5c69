#pragma once
// Finding words in the text of a page (pagetext.h): where they start and the boxes they cover.
#include "gdi/pagetext/pagetext.h"

#include <vector>

namespace kv::gdi {

struct TextMatch {
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const TextMatch&) const = default;
};

// Every place `needle` occurs in `text`, without regard to case; a line break of the text
// matches a blank of the needle, so a phrase that wraps is still found. With `wholeWord` a
// match must neither begin nor end inside a word (letters, digits and the underscore).
// Matches do not overlap. Nothing for an empty or blank needle.
std::vector<TextMatch> findText(const QString& text, const QString& needle, bool wholeWord);

// The boxes a match covers, in fractions of the page: one per line it spans.
std::vector<QRectF> matchBoxes(const PageText& page, const TextMatch& match);

} // namespace kv::gdi
