#include "lang/languagetable.h"

#include "lang/filelock.h"

#include <algorithm>

namespace kv {

namespace {

bool isPad(char c) { return c == ' ' || c == '\0'; }

std::string_view trimPad(std::string_view text)
{
    while (!text.empty() && isPad(text.front())) text.remove_prefix(1);
    while (!text.empty() && isPad(text.back())) text.remove_suffix(1);
    return text;
}

// Cuts UTF-8 text to at most width bytes without splitting a character.
QByteArray cutToWidth(const QByteArray& text, int width)
{
    if (text.size() <= width) return text;
    qsizetype end = std::max(width, 0);
    while (end > 0 && (uint8_t(text[end]) & 0xC0) == 0x80) --end;
    return text.left(end);
}

} // namespace

bool LanguageTable::open(const QString& path)
{
    close();
    path_ = path;
    if (!file_.open(path)) return false;
    buildIndex();
    return true;
}

void LanguageTable::close()
{
    file_.close();
    index_.clear();
    keyField_ = -1;
    problem_.clear();
}

void LanguageTable::refresh(bool checkHeader)
{
    lastCheck_ = clock_();
    if (file_.refresh(checkHeader)) buildIndex();
}

// Looking at the file costs a system call, more than the whole look-up; a hit only needs it to
// notice edits that are not appends, and those may wait a moment.
void LanguageTable::refreshNowAndThen()
{
    if (clock_() - lastCheck_ >= kRecheckInterval) refresh(false);
}

// First record of each key wins, so a hit is the record a linear search would stop at.
void LanguageTable::buildIndex()
{
    index_.clear();
    const DbfTable& table = file_.table();
    for (size_t n = 0; n < columns_.size(); ++n)
        columns_[n] = table.fieldIndex("LANGUAGE" + std::to_string(n));
    keyField_ = columns_[1];
    if (keyField_ >= 0 && table.fields()[size_t(keyField_)].width == 0) keyField_ = -1;
    if (keyField_ < 0) return;
    index_.reserve(table.recordCount());
    for (uint32_t r = 0; r < table.recordCount(); ++r)
        index_.emplace(std::string(trimPad(table.value(r, keyField_))), r);
}

QByteArray LanguageTable::storedForm(const QByteArray& key) const
{
    return cutToWidth(key, file_.table().fields()[size_t(keyField_)].width);
}

std::optional<uint32_t> LanguageTable::lookup(const QByteArray& key) const
{
    const QByteArray stored = storedForm(key);
    const auto hit = index_.find(trimPad(std::string_view(stored.constData(), size_t(stored.size()))));
    if (hit == index_.end()) return std::nullopt;
    return hit->second;
}

std::optional<uint32_t> LanguageTable::find(const QByteArray& key, bool collect)
{
    problem_.clear();
    if (!file_.isOpen()) {
        problem_ = QStringLiteral("language table %1 could not be opened").arg(path_);
        return std::nullopt;
    }
    refreshNowAndThen();
    if (keyField_ >= 0) {
        if (auto record = lookup(key)) return record;
    }
    // Not found in what we hold: look at the file as it is now before calling it missing.
    refresh(true);
    if (keyField_ < 0) {
        problem_ = QStringLiteral("language table %1 has no usable column LANGUAGE1").arg(path_);
        return std::nullopt;
    }
    if (auto record = lookup(key)) return record;
    return collect ? append(key) : std::nullopt;
}

std::optional<uint32_t> LanguageTable::append(const QByteArray& key)
{
    if (!file_.isWritable()) {
        problem_ = QStringLiteral("language table %1 is read-only: new texts are not collected").arg(path_);
        return std::nullopt;
    }
    const auto lock = file_.lock(lockWait_);
    if (!lock->locked()) {
        problem_ = QStringLiteral("language table %1 stayed locked: a text was not collected").arg(path_);
        return std::nullopt;
    }
    // Another process may have appended since the search; its records count, and may hold key.
    refresh(true);
    if (keyField_ < 0) return std::nullopt;
    if (auto record = lookup(key)) return record;
    const DbfTable& table = file_.table();
    if (!table.canAppend()) {
        problem_ = QStringLiteral("language table %1 is damaged: new texts are not collected").arg(path_);
        return std::nullopt;
    }
    std::vector<uint8_t> record = table.blankRecord();
    const DbfField& field = table.fields()[size_t(keyField_)];
    const QByteArray stored = storedForm(key);
    std::copy(stored.begin(), stored.end(), record.begin() + field.offset);
    if (!file_.append(record)) {
        problem_ = QStringLiteral("language table %1 could not be written").arg(path_);
        return std::nullopt;
    }
    const uint32_t added = file_.table().recordCount() - 1;
    index_.emplace(std::string(trimPad(file_.table().value(added, keyField_))), added);
    return added;
}

std::optional<std::string_view> LanguageTable::translation(uint32_t record, int language) const
{
    const int column = size_t(language) < columns_.size()
        ? columns_[size_t(language)]
        : file_.table().fieldIndex("LANGUAGE" + std::to_string(language));
    if (column < 0) return std::nullopt;
    return trimPad(file_.table().value(record, column));
}

} // namespace kv
