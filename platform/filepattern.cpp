#include "filepattern.h"

namespace kv {

bool wildcardMatch(const QString& text, const QString& pattern)
{
    // Iterative matcher with one backtrack point: linear in practice, no recursion.
    qsizetype t = 0, p = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p].toLower() == text[t].toLower())) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starT = t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool matchesFilePattern(const QString& fileName, const QString& pattern)
{
    const qsizetype nameDot = fileName.lastIndexOf(u'.');
    const qsizetype patternDot = pattern.lastIndexOf(u'.');
    if (nameDot < 0 || patternDot < 0)
        return false;
    return wildcardMatch(fileName.left(nameDot), pattern.left(patternDot))
        && wildcardMatch(fileName.mid(nameDot + 1), pattern.mid(patternDot + 1));
}

} // namespace kv
