#include "platform/inifile.h"
#include "platform/savefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <utility>
#include <vector>

namespace kv {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimBlanks(QByteArray text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

// One line of the file, its terminator kept apart so that untouched lines are written back
// exactly as they were read.
struct Line {
    QByteArray text;
    QByteArray terminator;
};

std::vector<Line> splitLines(const QByteArray& bytes)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0) {
            lines.push_back({bytes.mid(start), {}});
            break;
        }
        qsizetype end = nl;
        if (end > start && bytes[end - 1] == '\r') --end;
        lines.push_back({bytes.mid(start, end - start), bytes.mid(end, nl + 1 - end)});
        start = nl + 1;
    }
    return lines;
}

// What a line means: a section header, a key with its value, or anything else (comments,
// blank lines, lines without "="), which is kept but never matched.
struct Entry {
    enum Kind { Other, Section, Key } kind = Other;
    QString name;
    QByteArray rawName;  // key as spelled in the file
    QByteArray value;    // key's value, blanks and enclosing quotes removed
};

Entry classify(const QByteArray& line)
{
    // Editors on this platform may start the file with a UTF-8 byte order mark.
    const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray trimmed = trimBlanks(line.startsWith(bom) ? line.mid(bom.size()) : line);
    if (trimmed.startsWith('[')) {
        qsizetype close = trimmed.indexOf(']');
        QByteArray name = trimmed.mid(1, close < 0 ? -1 : close - 1);
        return {Entry::Section, QString::fromUtf8(trimBlanks(name)), {}, {}};
    }
    if (trimmed.startsWith(';'))
        return {};
    qsizetype eq = trimmed.indexOf('=');
    if (eq <= 0)
        return {};
    QByteArray rawName = trimBlanks(trimmed.left(eq));
    if (rawName.isEmpty())
        return {};
    QByteArray value = trimBlanks(trimmed.mid(eq + 1));
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    return {Entry::Key, QString::fromUtf8(rawName), rawName, value};
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a section lies: its header line and one past its last line; the first section of a
// name counts, as later duplicates are never consulted.
struct SectionSpan {
    size_t header = 0;
    size_t end = 0;
    bool found = false;
};

SectionSpan findSection(const std::vector<Line>& lines, const QString& section)
{
    SectionSpan span;
    for (size_t i = 0; i < lines.size(); ++i) {
        Entry entry = classify(lines[i].text);
        if (entry.kind != Entry::Section) continue;
        if (span.found) {
            span.end = i;
            return span;
        }
        if (sameName(entry.name, section)) {
            span = {i, lines.size(), true};
        }
    }
    return span;
}

// Index of the key's line inside the section, or -1.
qsizetype findKey(const std::vector<Line>& lines, const SectionSpan& span, const QString& key)
{
    for (size_t i = span.header + 1; i < span.end; ++i) {
        Entry entry = classify(lines[i].text);
        if (entry.kind == Entry::Key && sameName(entry.name, key)) return qsizetype(i);
    }
    return -1;
}

QByteArray joinLines(const std::vector<Line>& lines)
{
    QByteArray out;
    for (const Line& line : lines) out += line.text + line.terminator;
    return out;
}

QByteArray lineBreakOf(const QByteArray& bytes)
{
    return bytes.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
}

QByteArray singleLine(const QString& value)
{
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return flat.toUtf8();
}

// Inserts a line at index, first ending the line before it when that one had no line break.
void insertLine(std::vector<Line>& lines, size_t index, Line line, const QByteArray& br)
{
    if (index > 0 && lines[index - 1].terminator.isEmpty()) lines[index - 1].terminator = br;
    lines.insert(lines.begin() + qsizetype(index), std::move(line));
}

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

bool IniFile::exists() const
{
    return QFileInfo(path_).isFile();
}

std::optional<QByteArray> IniFile::load() const
{
    QFile file(path_);
    if (!file.exists()) return QByteArray();
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const std::optional<QByteArray> bytes = load();
    if (!bytes) return defaultValue;
    const std::vector<Line> lines = splitLines(*bytes);
    const SectionSpan span = findSection(lines, section);
    if (!span.found) return defaultValue;
    const qsizetype at = findKey(lines, span, key);
    if (at < 0) return defaultValue;
    return QString::fromUtf8(classify(lines[size_t(at)].text).value).left(kMaxValueLength);
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList names;
    const std::optional<QByteArray> bytes = load();
    if (!bytes) return names;
    const std::vector<Line> lines = splitLines(*bytes);
    const SectionSpan span = findSection(lines, section);
    if (!span.found) return names;
    for (size_t i = span.header + 1; i < span.end; ++i) {
        Entry entry = classify(lines[i].text);
        if (entry.kind == Entry::Key && !names.contains(entry.name, Qt::CaseInsensitive))
            names << entry.name;
    }
    return names;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    const std::optional<QByteArray> bytes = load();
    if (!bytes) return false;  // never replace a file we could not read
    const QByteArray br = lineBreakOf(*bytes);
    std::vector<Line> lines = splitLines(*bytes);
    const QByteArray newValue = singleLine(value);
    const SectionSpan span = findSection(lines, section);

    if (!span.found) {
        if (!lines.empty()) insertLine(lines, lines.size(), {QByteArray(), br}, br);
        insertLine(lines, lines.size(), {'[' + section.toUtf8() + ']', br}, br);
        insertLine(lines, lines.size(), {key.toUtf8() + '=' + newValue, br}, br);
    } else if (qsizetype at = findKey(lines, span, key); at >= 0) {
        Line& line = lines[size_t(at)];
        line.text = classify(line.text).rawName + '=' + newValue;
    } else {
        // After the section's last key, so blank lines and comments that close it stay below.
        size_t after = span.header + 1;
        for (size_t i = span.header + 1; i < span.end; ++i)
            if (classify(lines[i].text).kind == Entry::Key) after = i + 1;
        insertLine(lines, after, {key.toUtf8() + '=' + newValue, br}, br);
    }

    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(joinLines(lines));
    return commitWhole(file);
}

} // namespace kv
