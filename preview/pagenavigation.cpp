#include "preview/pagenavigation.h"

#include <algorithm>

namespace kv {

int pageAfterMove(int code, int currentPage, int totalPages)
{
    int page = currentPage;
    switch (PageMove(code)) {
    case PageMove::Next: page = currentPage + 1; break;
    case PageMove::Previous: page = currentPage - 1; break;
    case PageMove::First: page = 1; break;
    case PageMove::Last: page = totalPages; break;
    }
    return std::max(1, std::min(page, totalPages));
}

PageCountChange pageCountAfterRequest(int currentViewPages, int requested, bool landscape,
                                      int totalPages)
{
    // Several pages side by side only make sense for upright pages and more than one of them.
    if (landscape || totalPages <= 1)
        return {1, true};
    return {currentViewPages == requested ? 1 : requested, false};
}

} // namespace kv
