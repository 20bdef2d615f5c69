#pragma once
// The pages a flip would bring into view next, rendered ahead into the page raster cache:
// the page before the first slot, as the first slot shows it, and the page after the last
// slot, as the last slot shows it.
#include <QStringList>
#include <array>

namespace kv {

class KVMETAFILE;

void renderNeighbourPagesAhead(const std::array<KVMETAFILE*, 8>& views, const QStringList& files, int currentPage,
                               int viewPages);

} // namespace kv
