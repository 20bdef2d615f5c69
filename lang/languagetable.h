#pragma once
// The language table KORVELLE.DBF: column LANGUAGE1 holds each source text in key form, columns
// LANGUAGE2 … LANGUAGE99 its translations.
//
// Finding a text gives exactly what a linear search from the first record (deleted records
// included) would give, at the cost of one hash look-up: the first record of each LANGUAGE1
// value is indexed whenever the table is read. Processes only ever append to the table, and an
// append cannot change which record is the first match of a text already found, so a hit needs
// no look at the file; a miss always reads the file's current state (under the lock when it
// appends). Changes of any other kind, made by some other tool while previews run, are noticed
// within kRecheckInterval.
#include "lang/dbffile.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kv {

class LanguageTable {
public:
    static constexpr std::chrono::milliseconds kRecheckInterval{50};
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Opens the table shared; false when the file cannot be opened. A table that opens but
    // cannot serve (no LANGUAGE1) is open and reports that through problem().
    bool open(const QString& path);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    const QString& path() const { return path_; }

    void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }
    // The time the recheck interval is measured in (the steady clock unless set; tests step it).
    void setClock(Clock clock) { clock_ = clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now); }

    // The record whose LANGUAGE1 equals key (both trimmed of blanks; a key longer than the
    // column compares as the column would store it). When there is none and collect is true,
    // appends a record holding the key, under the file lock, unless another process appended
    // the key meanwhile. Nothing when not found and not appended; problem() then says why,
    // when there is a reason beyond "not there".
    std::optional<uint32_t> find(const QByteArray& key, bool collect);

    // The value of column LANGUAGE<language> in record, trimmed of blanks; nothing when the
    // table has no such column.
    std::optional<std::string_view> translation(uint32_t record, int language) const;

    // Why the last find could not do its work (empty when it could).
    const QString& problem() const { return problem_; }

private:
    struct KeyHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    using Index = std::unordered_map<std::string, uint32_t, KeyHash, std::equal_to<>>;

    void refresh(bool checkHeader);
    void refreshNowAndThen();
    void buildIndex();
    QByteArray storedForm(const QByteArray& key) const;
    std::optional<uint32_t> lookup(const QByteArray& key) const;
    std::optional<uint32_t> append(const QByteArray& key);

    QString path_;
    DbfFile file_;
    int keyField_ = -1;
    std::array<int, 100> columns_{};  // column of LANGUAGE<n>, -1 when missing
    Index index_;
    Clock clock_ = &std::chrono::steady_clock::now;
    std::chrono::steady_clock::time_point lastCheck_;
    std::chrono::milliseconds lockWait_{3000};
    QString problem_;
};

} // namespace kv
