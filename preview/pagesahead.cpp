#include "pagesahead.h"

#include "layout.h"
#include "pageview/kvmetafile.h"

#include <algorithm>

namespace kv {

void renderNeighbourPagesAhead(const std::array<KVMETAFILE*, 8>& views, const QStringList& files, int currentPage,
                               int viewPages)
{
    const int last = std::clamp(viewPages, 1, int(views.size()));
    if (KVMETAFILE* lastView = views[size_t(last - 1)])
        lastView->renderAhead(fileForSlot(files, currentPage + 1, last));
    if (KVMETAFILE* firstView = views[0]; firstView && currentPage > 1)
        firstView->renderAhead(fileForSlot(files, currentPage - 1, 1));
}

} // namespace kv
