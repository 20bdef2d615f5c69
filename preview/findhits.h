#pragma once
// The hits of a search over the pages of a report and the steps from one to the next, as
// pure decisions the find bar's window code follows.
#include "gdi/pagetext/textsearch.h"

#include <vector>

namespace kv {

struct FindHit {
    int page = 0;  // 1-based
    gdi::TextMatch match;
    bool operator==(const FindHit&) const = default;
};

// Every hit of `needle` on `pages` (page 1 first), pages in order, each page's hits in reading
// order. A page without text (null) has none.
std::vector<FindHit> findInPages(const std::vector<gdi::PageTextPtr>& pages, const QString& needle, bool wholeWord);

// The hit a new search starts on: the first on `currentPage` or after it, else the first of
// all (the search wraps). -1 when there are none.
int firstHitFrom(const std::vector<FindHit>& hits, int currentPage);

// The hit after (or before) `current`, wrapping at either end. -1 when there are none.
int stepHit(const std::vector<FindHit>& hits, int current, bool forward);

} // namespace kv
