#include "lang/kvgl.h"

#include "lang/languagetable.h"

#include <cstdio>

namespace kv {

int nLanguage = 1;

namespace {

struct LanguageState {
    LanguageTable table;
    bool open = false;  // a table is the process's language table, usable or not
    QStringList problems;
};

LanguageState& state()
{
    static LanguageState s;
    return s;
}

// Broken or missing tables are an installation matter: tell it once, never in a box (a box
// raised from a lookup during painting would bring the next paint, and the next lookup).
void reportOnce(const QString& problem)
{
    LanguageState& s = state();
    if (problem.isEmpty() || s.problems.contains(problem)) return;
    s.problems << problem;
    std::fprintf(stderr, "korvelle: %s\n", problem.toLocal8Bit().constData());
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' ')) ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' ')) --end;
    return text.mid(begin, end - begin);
}

// Steps 3 and 4 of the lookup: search (and collect), then take the translation when there is
// one. Empty when the source text stands.
QString lookUp(const QString& key, int language)
{
    LanguageState& s = state();
    if (!s.open) {
        reportOnce(QStringLiteral("no language table is open"));
        return {};
    }
    const std::optional<uint32_t> record = s.table.find(key.toUtf8(), true);
    reportOnce(s.table.problem());
    if (!record || language <= 1) return {};
    const std::optional<std::string_view> text = s.table.translation(*record, language);
    if (!text) {
        reportOnce(QStringLiteral("language table %1 has no column LANGUAGE%2")
                       .arg(s.table.path()).arg(language));
        return {};
    }
    return QString::fromUtf8(text->data(), qsizetype(text->size()));
}

} // namespace

QString KV_GL(const QString& cText)
{
    QString key = cText;
    key.replace(QLatin1Char(' '), QLatin1Char('_'));
    QString result;
    if (nLanguage == 0 || nLanguage > 1) result = lookUp(key, nLanguage);
    if (trimBlanks(result).isEmpty()) result = key;
    return trimBlanks(result).replace(QLatin1Char('_'), QLatin1Char(' '));
}

bool openLanguageTable(const QString& path)
{
    LanguageState& s = state();
    if (s.open) return false;
    s.open = true;
    if (!s.table.open(path)) reportOnce(QStringLiteral("language table %1 could not be opened").arg(path));
    return true;
}

void closeLanguageTable()
{
    LanguageState& s = state();
    s.table.close();
    s.open = false;
}

bool isLanguageTableOpen()
{
    return state().open;
}

void setLanguageTableClock(std::function<std::chrono::steady_clock::time_point()> clock)
{
    state().table.setClock(std::move(clock));
}

void setLanguageLockWait(std::chrono::milliseconds wait)
{
    state().table.setLockWait(wait);
}

QStringList languageProblems()
{
    return state().problems;
}

} // namespace kv
