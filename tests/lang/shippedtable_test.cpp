// The shipped table: every program text in LANGUAGE1, German and Spanish beside it, and the
// table is exactly what its readable source says.
#include "langtesttable.h"

#include "lang/kvgl.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// The texts the program passes to KV_GL that the shipped table translates.
const char* const kProgramTexts[] = {
    " exists.", "%", "&1 Page", "&2 Pages", "&4 Pages", "&6 Pages", "&8 Pages", "&Cancel",
    "&Exit", "&File", "&First", "&Last", "&Next", "&One Page", "&Page", "&Previous", "&Print",
    "&Save as", "&Save", "&Two Pages", "&Zoom", "A preview window is already running.",
    "All pages", "Copies", "Current page", "Enlarge [+]", "Error Zipping", "Exit from preview",
    "Exit", "Factor:", "File", "Format", "From page", "Go to first page", "Go to last page",
    "Go to next page", "Go to previous page", "LZW Compression", "Low Quality", "Name", "None",
    "Nor&mal", "Number", "Option", "Packbits Compression", "Page number: ", "Page zoom", "Pages",
    "Please insert a filename.", "Preview on two pages", "Print and exit", "Printing", "Quality",
    "Reduce [-]", "Selected pages", "Send &to", "Stop", "Uncompressed",
    "Write compressed in interlaced mode", "Write compressed", "Write in interlaced mode",
    "Zoom &Factor", "exists!", "overwrite existing files", "to", "zip files",
    // Messages of the page view, printing and start-up.
    "This page could not be read:", "Page %1 of %2, copy %3 of %4", "The PDF was written to %1.",
    "The queue %1 took the job (number %2).", "Printing was cancelled.",
    "The PDF file %1 could not be written: %2", "The queue %1 did not take the job: %2",
    "There is no printer: nothing was printed.", "There is no printer number %1: choose a printer",
    "No printer was named: choose a printer", "The printer \"%1\" was not found: choose a printer",
    "%1 (in $%2) was ignored: other users can write to it.", "The hand-off file was looked for as %1.",
    // The progress and the outcome of a save.
    "Page %1 of %2", "1 file written to %1", "%1 files written to %2", "Archive written: %1",
    "No file was written.", "No archive was made.", "Saving cancelled.", "Saving stopped.",
};

struct SourceRow {
    QString texts[3];
};

// The readable source of the table; blanks at either end are written there as underscores.
std::vector<SourceRow> readSource()
{
    std::vector<SourceRow> rows;
    QFile f(QStringLiteral(KV_SOURCE_DIR) + "/data/korvelle-texts.tsv");
    if (!f.open(QIODevice::ReadOnly)) return rows;
    while (!f.atEnd()) {
        QString line = QString::fromUtf8(f.readLine()).remove('\n');
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QStringList fields = line.split('\t');
        SourceRow row;
        for (int i = 0; i < 3 && i < fields.size(); ++i) row.texts[i] = QString(fields[i]).replace('_', ' ');
        rows.push_back(row);
    }
    return rows;
}

class ShippedTableTest : public kvtest::LanguageTableFixture {};

TEST_F(ShippedTableTest, IsASoundTableOfThreeLanguages)
{
    EXPECT_TRUE(kvtest::isSoundTable(kvtest::shippedLanguageTable()));
    const kv::DbfTable t = kvtest::readTable(kvtest::shippedLanguageTable());
    ASSERT_EQ(t.fields().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t.fields()[size_t(i)].name, "LANGUAGE" + std::to_string(i + 1));
        EXPECT_EQ(t.fields()[size_t(i)].type, 'C');
    }
    EXPECT_EQ(t.recordCount(), std::size(kProgramTexts));
}

TEST_F(ShippedTableTest, HoldsEveryProgramTextTranslatedOnce)
{
    openShippedCopy();
    const kv::DbfTable t = table();
    for (const char* text : kProgramTexts) {
        QString key = text;
        key.replace(' ', '_');
        EXPECT_EQ(kvtest::countKey(t, key.toStdString()), 1) << text;
        for (int language : {2, 3}) {
            kv::nLanguage = language;
            const QString translated = kv::KV_GL(text);
            EXPECT_FALSE(translated.trimmed().isEmpty()) << text;
            if (QString(text).contains('&')) {
                EXPECT_TRUE(translated.contains('&')) << "mnemonic lost in " << translated.toStdString();
            }
        }
    }
    EXPECT_EQ(table().recordCount(), t.recordCount()) << "a table holding every text grows no more";
}

TEST_F(ShippedTableTest, TranslatesAsItsSourceSays)
{
    const std::vector<SourceRow> rows = readSource();
    ASSERT_EQ(rows.size(), std::size(kProgramTexts));
    openShippedCopy();
    for (const SourceRow& row : rows) {
        for (int language : {1, 2, 3}) {
            kv::nLanguage = language;
            EXPECT_EQ(kv::KV_GL(row.texts[0]), row.texts[language - 1])
                << row.texts[0].toStdString() << " in language " << language;
        }
    }
}

TEST_F(ShippedTableTest, PercentSignStaysAsItIs)
{
    openShippedCopy();
    for (int language : {1, 2, 3}) {
        kv::nLanguage = language;
        EXPECT_EQ(kv::KV_GL("%"), "%");
    }
}

} // namespace
