#pragma once
// A private-profile (INI) file with the semantics report applications expect from Windows:
// sections and keys match without regard to case, a value is at most 1023 characters, a missing
// file reads as empty, and a write replaces the key in place (or adds it, adding the section
// when missing) while every other line of the file stays byte for byte as it was.
//
// The file is read afresh on every call, as the Windows calls do, so two IniFile objects (or two
// processes) on one path always see each other's writes.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

class IniFile {
public:
    // Longest value handed out; longer values are cut.
    static constexpr int kMaxValueLength = 1023;

    explicit IniFile(QString path);

    const QString& path() const { return path_; }
    bool exists() const;

    // The value of key in section, or defaultValue when the key is absent. A key present with an
    // empty value gives the empty text, not the default. Blanks around the value are removed and
    // a value enclosed in double quotes loses them.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = {}) const;

    // Replaces the value of key in place, or adds the key at the end of its section (adding the
    // section at the end of the file when missing); creates the file when it does not exist.
    // The file is replaced atomically (temporary file, then rename). Line breaks in the value
    // are written as blanks, so a value can never add lines of its own. False when the file
    // could not be written; the old file is then untouched.
    bool writeString(const QString& section, const QString& key, const QString& value);

    // The keys of section in file order (each key once, spelled as in the file).
    QStringList keys(const QString& section) const;

private:
    // The file's bytes; empty when it does not exist, nothing when it exists but cannot be read.
    std::optional<QByteArray> load() const;

    QString path_;
};

} // namespace kv
