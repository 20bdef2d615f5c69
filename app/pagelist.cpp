#include "app/pagelist.h"

#include <QRegularExpression>
#include <algorithm>

namespace kv {

PageList parsePageList(const QString& text, int pageCount)
{
    static const QRegularExpression item(QStringLiteral("^([0-9]{1,9})(-([0-9]{0,9}))?$"));
    PageList list;
    const QStringList items = text.split(QLatin1Char(','));
    for (const QString& raw : items) {
        const QString entry = raw.trimmed();
        const QRegularExpressionMatch m = item.match(entry);
        if (!m.hasMatch()) {
            list.error = QStringLiteral("\"%1\" is not a page or a range of pages").arg(entry);
            return list;
        }
        const int first = m.captured(1).toInt();
        const bool range = m.hasCaptured(2);
        const int last = !range ? first : m.captured(3).isEmpty() ? pageCount : m.captured(3).toInt();
        if (first < 1 || last < first) {
            list.error = QStringLiteral("\"%1\" names no pages").arg(entry);
            return list;
        }
        if (first > pageCount || last > pageCount) {
            list.error = QStringLiteral("\"%1\" goes beyond the last page (%2)").arg(entry).arg(pageCount);
            return list;
        }
        for (int p = first; p <= last; ++p)
            list.pages.push_back(p);
    }
    std::sort(list.pages.begin(), list.pages.end());
    list.pages.erase(std::unique(list.pages.begin(), list.pages.end()), list.pages.end());
    return list;
}

std::vector<int> everyOtherPage(const std::vector<int>& pages, bool odd)
{
    std::vector<int> kept;
    std::copy_if(pages.begin(), pages.end(), std::back_inserter(kept), [odd](int p) { return (p % 2 == 1) == odd; });
    return kept;
}

} // namespace kv
