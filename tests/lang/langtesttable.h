#pragma once
// Language tables for tests: temporary copies of the shipped table or tables built on the spot,
// opened as the process's language table for the life of the fixture.
#include "lang/dbfbuilder.h"
#include "lang/dbftable.h"

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <vector>

namespace kvtest {

// The shipped table in the source tree.
QString shippedLanguageTable();

// Reads and parses a table file.
kv::DbfTable readTable(const QString& path);

// Writes bytes to a file; false when it could not be written.
bool writeFile(const QString& path, const std::vector<uint8_t>& bytes);

// The number of records whose LANGUAGE1, trimmed, equals key.
int countKey(const kv::DbfTable& table, const std::string& key);

// True when the file is a sound table: header count matches the records present, the header
// and record lengths match the columns, and the 0x1A byte follows the last record.
::testing::AssertionResult isSoundTable(const QString& path);

// Opens a table as the language table for one test, with a given language number, and closes
// it (restoring language 1) afterwards.
class LanguageTableFixture : public ::testing::Test {
protected:
    void TearDown() override;
    // Creates TABLE.DBF in the temporary directory from columns and rows, and opens it.
    void openBuilt(const std::vector<kv::DbfColumn>& columns, const std::vector<kv::DbfRow>& rows);
    // Copies the shipped table into the temporary directory and opens the copy.
    void openShippedCopy();
    void openPath(const QString& path);
    kv::DbfTable table() const { return readTable(path); }

    QTemporaryDir dir;
    QString path;
};

// The three usual columns, LANGUAGE1 … LANGUAGE3, each width wide.
std::vector<kv::DbfColumn> languageColumns(int width = 40, int count = 3);

} // namespace kvtest
