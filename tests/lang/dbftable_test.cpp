// Reading dBASE III tables whose headers lie, and appending to them without harm.
#include "ordinaryuser.h"
#include "langtesttable.h"

#include "lang/dbffile.h"
#include "lang/filelock.h"
#include "lang/kvgl.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

// A sound table of two records, columns LANGUAGE1 and LANGUAGE2 of width 8.
Bytes twoRecords()
{
    return kv::buildDbf({{"LANGUAGE1", 8}, {"LANGUAGE2", 8}},
                        {{{"Stop", "Halt"}, false}, {{"Exit", "Ende"}, true}});
}

void putU16(Bytes& b, size_t at, uint16_t v) { b[at] = uint8_t(v); b[at + 1] = uint8_t(v >> 8); }
void putU32(Bytes& b, size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i)); }

TEST(DbfTable, ReadsASoundTable)
{
    const kv::DbfTable t = kv::DbfTable::parse(twoRecords());
    ASSERT_TRUE(t.hasHeader());
    EXPECT_EQ(t.header().version, 3);
    EXPECT_EQ(t.header().headerLength, 32 + 2 * 32 + 1);
    EXPECT_EQ(t.header().recordLength, 17);
    ASSERT_EQ(t.fields().size(), 2u);
    EXPECT_EQ(t.fields()[1].name, "LANGUAGE2");
    EXPECT_EQ(t.fields()[1].offset, 9);
    EXPECT_EQ(t.fieldIndex("language2"), 1);
    EXPECT_EQ(t.fieldIndex("LANGUAGE3"), -1);
    ASSERT_EQ(t.recordCount(), 2u);
    EXPECT_EQ(t.value(0, 0), "Stop    ");
    EXPECT_EQ(t.value(1, 1), "Ende    ");
    EXPECT_FALSE(t.isDeleted(0));
    EXPECT_TRUE(t.isDeleted(1));
    EXPECT_TRUE(t.canAppend());
    EXPECT_EQ(t.appendOffset(), 97u + 2 * 17);
}

struct Damage {
    const char* name;
    void (*apply)(Bytes&);
    uint32_t records;   // readable records
    size_t fields;
    bool canAppend;
};

const Damage kDamages[] = {
    {"CountBeyondTheFile", [](Bytes& b) { putU32(b, 4, 1000000); }, 2, 2, false},
    {"CountSmallerThanTheRecords", [](Bytes& b) { putU32(b, 4, 1); }, 1, 2, false},
    {"HugeCount", [](Bytes& b) { putU32(b, 4, 0xFFFFFFFF); }, 2, 2, false},
    {"NoEndOfFileByte", [](Bytes& b) { b.pop_back(); }, 2, 2, true},
    {"TruncatedInsideARecord", [](Bytes& b) { b.resize(b.size() - 10); }, 1, 2, false},
    {"TruncatedInsideTheDescriptors", [](Bytes& b) { b.resize(50); }, 0, 0, false},
    {"TruncatedInsideTheHeader", [](Bytes& b) { b.resize(20); }, 0, 0, false},
    {"Empty", [](Bytes& b) { b.clear(); }, 0, 0, false},
    {"NoTerminator", [](Bytes& b) { b[96] = 0; }, 2, 2, true},
    {"HeaderLengthBeyondTheFile", [](Bytes& b) { putU16(b, 8, 60000); }, 0, 2, false},
    {"HeaderLengthInsideTheFixedHeader", [](Bytes& b) { putU16(b, 8, 10); }, 2, 2, false},
    {"RecordLengthZero", [](Bytes& b) { putU16(b, 10, 0); }, 0, 2, false},
    {"RecordLengthShorterThanTheColumns", [](Bytes& b) { putU16(b, 10, 12); }, 2, 2, false},
    {"RecordLengthHuge", [](Bytes& b) { putU16(b, 10, 65535); }, 0, 2, false},
    {"ColumnWiderThanTheRecord", [](Bytes& b) { b[32 + 32 + 16] = 200; }, 2, 2, false},
    {"CountOneShortAfterACrash", [](Bytes& b) { putU32(b, 4, 1); b.pop_back(); }, 1, 2, false},
    {"PartialRecordAfterTheLast", [](Bytes& b) { b.back() = ' '; b.insert(b.end(), 5, 'x'); }, 2, 2, true},
    {"ZeroWidthColumn", [](Bytes& b) { b[32 + 16] = 0; }, 2, 2, true},
};

class DbfDamageTest : public ::testing::TestWithParam<Damage> {};

TEST_P(DbfDamageTest, ReadsWhatCanBeReadAndNoMore)
{
    Bytes bytes = twoRecords();
    GetParam().apply(bytes);
    const kv::DbfTable t = kv::DbfTable::parse(bytes);
    EXPECT_EQ(t.recordCount(), GetParam().records);
    EXPECT_EQ(t.fields().size(), GetParam().fields);
    EXPECT_EQ(t.canAppend(), GetParam().canAppend);
    for (uint32_t r = 0; r <= t.recordCount(); ++r)
        for (int f = -1; f <= int(t.fields().size()); ++f)
            EXPECT_LE(t.value(r, f).size(), size_t(t.header().recordLength));
    if (t.recordCount() > 0 && t.fields()[0].width >= 4) {
        EXPECT_EQ(t.value(0, 0).substr(0, 4), "Stop");
    }
}

// Looking up and collecting in a damaged table never fails; where the table can take a new
// record it gets one after the last readable record, and the records before stay as they were.
TEST_P(DbfDamageTest, CollectingKeepsEveryReadableRecord)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("DAMAGED.DBF");
    Bytes bytes = twoRecords();
    GetParam().apply(bytes);
    ASSERT_TRUE(kvtest::writeFile(path, bytes));
    const kv::DbfTable before = kv::DbfTable::parse(bytes);

    kv::closeLanguageTable();
    ASSERT_TRUE(kv::openLanguageTable(path));
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("New_text"), "New text");
    EXPECT_EQ(kv::KV_GL("New text"), "New text");
    kv::closeLanguageTable();
    kv::nLanguage = 1;

    const kv::DbfTable after = kvtest::readTable(path);
    const bool appended = GetParam().canAppend && before.fieldIndex("LANGUAGE1") >= 0
                          && before.fields()[size_t(before.fieldIndex("LANGUAGE1"))].width > 0;
    ASSERT_EQ(after.recordCount(), before.recordCount() + (appended ? 1 : 0));
    for (uint32_t r = 0; r < before.recordCount(); ++r)
        for (int f = 0; f < int(before.fields().size()); ++f)
            EXPECT_EQ(after.value(r, f), before.value(r, f)) << "record " << r << " column " << f;
    if (appended) {
        EXPECT_EQ(after.header().recordCount, before.recordCount() + 1);
        EXPECT_EQ(kvtest::countKey(after, "New_text"), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, DbfDamageTest, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

// Every prefix of a real table, and many randomly damaged copies, parse without reading
// outside the bytes (the sanitizer build turns any stray read into a failure).
TEST(DbfTable, SurvivesEveryTruncationAndRandomDamage)
{
    const kv::DbfTable shipped = kvtest::readTable(kvtest::shippedLanguageTable());
    ASSERT_GT(shipped.recordCount(), 0u);
    QFile f(kvtest::shippedLanguageTable());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    const Bytes whole(data.begin(), data.end());
    uint64_t seen = 0;
    for (size_t n = 0; n <= whole.size(); n += 7) {
        const kv::DbfTable t = kv::DbfTable::parse(Bytes(whole.begin(), whole.begin() + ptrdiff_t(n)));
        EXPECT_LE(t.recordCount(), shipped.recordCount());
        for (uint32_t r = 0; r < t.recordCount(); ++r) seen += t.value(r, 0).size();
    }
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        Bytes copy = whole;
        for (int i = 0; i < 4; ++i) copy[random() % 140] = uint8_t(random());
        const kv::DbfTable t = kv::DbfTable::parse(copy);
        for (uint32_t r = 0; r < t.recordCount(); ++r)
            for (int c = 0; c < int(t.fields().size()); ++c) seen += t.value(r, c).size();
    }
    EXPECT_GT(seen, 0u);
}

TEST(DbfFile, AppendGoesAfterTheLastRecordNotAtTheEndOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("T.DBF");
    Bytes bytes = twoRecords();
    bytes.insert(bytes.end(), {'j', 'u', 'n', 'k'});  // left after the end-of-file byte
    ASSERT_TRUE(kvtest::writeFile(path, bytes));
    kv::DbfFile file;
    ASSERT_TRUE(file.open(path));
    Bytes record = file.table().blankRecord();
    std::copy_n("Print", 5, record.begin() + 1);
    {
        const auto lock = file.lock(std::chrono::milliseconds(100));
        ASSERT_TRUE(lock->locked());
        ASSERT_TRUE(file.append(record));
    }
    file.close();
    const kv::DbfTable t = kvtest::readTable(path);
    ASSERT_EQ(t.recordCount(), 3u);
    EXPECT_EQ(t.value(2, 0), "Print   ");
    EXPECT_EQ(t.value(0, 0), "Stop    ");
    EXPECT_TRUE(kvtest::isSoundTable(path));
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(DbfFile, OpensAReadOnlyTableForLookupsOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("T.DBF");
    ASSERT_TRUE(kvtest::writeFile(path, twoRecords()));
    const QByteArray before = fileBytes(path);
    const std::string failure = kvtest::asOrdinaryUser(dir.path(), [&]() -> std::string {
        QFile::setPermissions(path, QFile::ReadOwner);
        kv::DbfFile file;
        if (!file.open(path)) return "a read-only table did not open for lookups";
        if (file.isWritable()) return "a read-only table was opened for writing";
        if (file.table().recordCount() != 2u) return "the records of a read-only table were not read";
        if (file.append(file.table().blankRecord())) return "an append to a read-only table reported success";
        return "";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(fileBytes(path), before);
}

} // namespace
