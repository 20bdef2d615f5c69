#include <gtest/gtest.h>

#include "langtesttable.h"

#include "common/testenv.h"
#include "lang/kvgl.h"

#include <QFile>

namespace kvtest {

namespace {

std::string_view trimmed(std::string_view v)
{
    while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    return v;
}

} // namespace

QString shippedLanguageTable()
{
    return QStringLiteral(KV_SOURCE_DIR) + "/data/KORVELLE.DBF";
}

kv::DbfTable readTable(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return kv::DbfTable::parse({});
    const QByteArray bytes = f.readAll();
    return kv::DbfTable::parse(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool writeFile(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size());
}

int countKey(const kv::DbfTable& table, const std::string& key)
{
    const int field = table.fieldIndex("LANGUAGE1");
    int n = 0;
    for (uint32_t r = 0; r < table.recordCount(); ++r)
        if (trimmed(table.value(r, field)) == key) ++n;
    return n;
}

::testing::AssertionResult isSoundTable(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return ::testing::AssertionFailure() << "cannot read " << path.toStdString();
    const QByteArray bytes = f.readAll();
    const kv::DbfTable t = kv::DbfTable::parse(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    const kv::DbfHeader& h = t.header();
    int width = 1;
    for (const kv::DbfField& field : t.fields()) width += field.width;
    const size_t end = size_t(h.headerLength) + size_t(h.recordCount) * h.recordLength;
    if (!t.hasHeader()) return ::testing::AssertionFailure() << "no header";
    if (h.headerLength != 32 + 32 * t.fields().size() + 1)
        return ::testing::AssertionFailure() << "header length " << h.headerLength;
    if (h.recordLength != width) return ::testing::AssertionFailure() << "record length " << h.recordLength;
    if (t.recordCount() != h.recordCount)
        return ::testing::AssertionFailure() << "count " << h.recordCount << " but " << t.recordCount() << " records";
    if (size_t(bytes.size()) < end + 1 || uint8_t(bytes[qsizetype(end)]) != 0x1A)
        return ::testing::AssertionFailure() << "no end-of-file byte after the last record";
    for (uint32_t r = 0; r < t.recordCount(); ++r) {
        const char mark = bytes[qsizetype(h.headerLength + size_t(r) * h.recordLength)];
        if (mark != ' ' && mark != '*') return ::testing::AssertionFailure() << "record " << r << " mark " << int(mark);
    }
    return ::testing::AssertionSuccess();
}

std::vector<kv::DbfColumn> languageColumns(int width, int count)
{
    std::vector<kv::DbfColumn> columns;
    for (int i = 1; i <= count; ++i) columns.push_back({"LANGUAGE" + std::to_string(i), width});
    return columns;
}

void LanguageTableFixture::TearDown()
{
    kv::closeLanguageTable();
    kv::setLanguageTableClock({});
    kv::nLanguage = 1;
}

void LanguageTableFixture::openPath(const QString& p)
{
    path = p;
    kv::closeLanguageTable();
    ASSERT_TRUE(kv::openLanguageTable(path));
}

void LanguageTableFixture::openBuilt(const std::vector<kv::DbfColumn>& columns,
                                     const std::vector<kv::DbfRow>& rows)
{
    const QString p = dir.filePath("TABLE.DBF");
    ASSERT_TRUE(writeFile(p, kv::buildDbf(columns, rows)));
    openPath(p);
}

void LanguageTableFixture::openShippedCopy()
{
    const QString p = dir.filePath("KORVELLE.DBF");
    ASSERT_TRUE(QFile::copy(shippedLanguageTable(), p));
    QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner);
    openPath(p);
}

} // namespace kvtest
