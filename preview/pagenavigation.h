#pragma once
// Page moves and page-count changes of the preview, as pure decisions.

namespace kv {

// Page-move codes of the page buttons, menu items and keys.
enum class PageMove { Next = 1, Previous = 2, First = 3, Last = 4 };

// The current page after a page-move code (1 next, 2 previous, 3 first, 4 last; any other code
// keeps the page). The result is kept within 1..totalPages, so a key pressed on the first or
// last page goes nowhere; with no pages at all it is 1.
int pageAfterMove(int code, int currentPage, int totalPages);

// Outcome of asking for `requested` pages at once.
struct PageCountChange {
    int viewPages = 1;     // the new count
    bool refused = false;  // landscape or a one-page document: the count stays 1 and the
                           // platform's default beep sounds; nothing is laid out again
};

// Asking for the count already shown goes back to one page; otherwise the requested count.
// A landscape page or a document of one page keeps one page and refuses.
PageCountChange pageCountAfterRequest(int currentViewPages, int requested, bool landscape,
                                      int totalPages);

} // namespace kv
