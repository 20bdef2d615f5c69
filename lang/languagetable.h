#pragma once
// The language table KORVELLE.DBF: column LANGUAGE1 holds each source text in key form, columns
// LANGUAGE2 … LANGUAGE99 its translations. Finding a text behaves as a linear search from the
// first record (deleted records included) but costs one hash look-up: the first record of each
// LANGUAGE1 value is indexed whenever the table is read.
#include "lang/dbffile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>
#include <string>
#include <unordered_map>

namespace kv {

class LanguageTable {
public:
    // Opens the table shared; false when the file cannot be opened. A table that opens but
    // cannot serve (no LANGUAGE1) is open and reports that through problem().
    bool open(const QString& path);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    const QString& path() const { return path_; }

    void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    // The record whose LANGUAGE1 equals key (both trimmed of blanks; a key longer than the
    // column compares as the column would store it). When there is none and collect is true,
    // appends a record holding the key, under the file lock, unless another process appended
    // the key meanwhile. Nothing when not found and not appended; problem() then says why,
    // when there is a reason beyond "not there".
    std::optional<uint32_t> find(const QByteArray& key, bool collect);

    // The value of column LANGUAGE<language> in record, trimmed of blanks; nothing when the
    // table has no such column.
    std::optional<QByteArray> translation(uint32_t record, int language) const;

    // Why the last find could not do its work (empty when it could).
    const QString& problem() const { return problem_; }

private:
    void refresh(bool checkHeader = false);
    void buildIndex();
    QByteArray storedForm(const QByteArray& key) const;
    std::optional<uint32_t> lookup(const QByteArray& key) const;
    std::optional<uint32_t> append(const QByteArray& key);

    QString path_;
    DbfFile file_;
    int keyField_ = -1;
    std::unordered_map<std::string, uint32_t> index_;
    std::chrono::milliseconds lockWait_{3000};
    QString problem_;
};

} // namespace kv
