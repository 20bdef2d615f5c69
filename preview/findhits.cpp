#include "findhits.h"

namespace kv {

std::vector<FindHit> findInPages(const std::vector<gdi::PageTextPtr>& pages, const QString& needle, bool wholeWord)
{
    std::vector<FindHit> hits;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (!pages[i])
            continue;
        for (const gdi::TextMatch& match : gdi::findText(pages[i]->text, needle, wholeWord))
            hits.push_back({int(i) + 1, match});
    }
    return hits;
}

int firstHitFrom(const std::vector<FindHit>& hits, int currentPage)
{
    if (hits.empty())
        return -1;
    for (size_t i = 0; i < hits.size(); ++i)
        if (hits[i].page >= currentPage)
            return int(i);
    return 0;
}

int stepHit(const std::vector<FindHit>& hits, int current, bool forward)
{
    const int n = int(hits.size());
    if (n == 0)
        return -1;
    if (current < 0 || current >= n)
        return forward ? 0 : n - 1;
    return (current + (forward ? 1 : n - 1)) % n;
}

} // namespace kv
