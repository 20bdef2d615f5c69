#include "gdi/pagetext/textsearch.h"

namespace kv::gdi {

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

bool standsAlone(const QString& text, qsizetype start, qsizetype length)
{
    const bool before = start > 0 && isWordChar(text[start - 1]);
    const bool after = start + length < text.size() && isWordChar(text[start + length]);
    return !before && !after;
}

} // namespace

std::vector<TextMatch> findText(const QString& text, const QString& needle, bool wholeWord)
{
    std::vector<TextMatch> matches;
    const QString wanted = needle.simplified();
    if (wanted.isEmpty())
        return matches;
    QString haystack = text;
    haystack.replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype from = 0;
    while (from <= haystack.size() - wanted.size()) {
        const qsizetype at = haystack.indexOf(wanted, from, Qt::CaseInsensitive);
        if (at < 0)
            break;
        if (!wholeWord || standsAlone(haystack, at, wanted.size())) {
            matches.push_back({at, wanted.size()});
            from = at + wanted.size();
        } else {
            from = at + 1;
        }
    }
    return matches;
}

std::vector<QRectF> matchBoxes(const PageText& page, const TextMatch& match)
{
    std::vector<QRectF> boxes;
    QRectF line;
    const qsizetype end = std::min<qsizetype>(match.start + match.length, qsizetype(page.boxes.size()));
    for (qsizetype i = std::max<qsizetype>(0, match.start); i < end; ++i) {
        if (page.text[i] == QLatin1Char('\n')) {
            if (!line.isEmpty())
                boxes.push_back(line);
            line = {};
            continue;
        }
        const QRectF& box = page.boxes[size_t(i)];
        if (!box.isEmpty())
            line = line.isEmpty() ? box : line.united(box);
    }
    if (!line.isEmpty())
        boxes.push_back(line);
    return boxes;
}

} // namespace kv::gdi
