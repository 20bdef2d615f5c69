// KV_GL in its three modes against real table files.
#include "langtesttable.h"

#include "lang/kvgl.h"
#include "lang/languagetable.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using kvtest::countKey;
using kvtest::isSoundTable;

class KvGlTest : public kvtest::LanguageTableFixture {
protected:
    QByteArray fileBytes() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

kv::DbfRow row(std::string l1, std::string l2 = {}, std::string l3 = {}, bool deleted = false)
{
    return {{std::move(l1), std::move(l2), std::move(l3)}, deleted};
}

TEST_F(KvGlTest, SourceLanguageLeavesTheTableAlone)
{
    openBuilt(kvtest::languageColumns(), {});
    const QByteArray before = fileBytes();
    kv::nLanguage = 1;
    EXPECT_EQ(kv::KV_GL("Page number: "), "Page number: ");
    EXPECT_EQ(kv::KV_GL(" exists."), " exists.");
    EXPECT_EQ(kv::KV_GL("file_name"), "file name");
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(KvGlTest, CollectModeAppendsEachNewTextOnce)
{
    openBuilt(kvtest::languageColumns(), {});
    kv::nLanguage = 0;
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(kv::KV_GL("Page number: "), "Page number: ");
        EXPECT_EQ(kv::KV_GL("&Save as"), "&Save as");
    }
    const kv::DbfTable t = table();
    ASSERT_EQ(t.recordCount(), 2u);
    EXPECT_EQ(countKey(t, "Page_number:_"), 1);
    EXPECT_EQ(countKey(t, "&Save_as"), 1);
    EXPECT_EQ(t.value(0, 1), std::string(40, ' ')) << "translations start blank";
    EXPECT_TRUE(isSoundTable(path));
}

TEST_F(KvGlTest, AppendUpdatesTheDateOfLastUpdate)
{
    openBuilt(kvtest::languageColumns(), {});
    kv::nLanguage = 0;
    kv::KV_GL("new text");
    const std::time_t now = std::time(nullptr);
    std::tm today {};
    ::localtime_r(&now, &today);
    const kv::DbfHeader h = table().header();
    EXPECT_EQ(h.year, today.tm_year);
    EXPECT_EQ(h.month, today.tm_mon + 1);
    EXPECT_EQ(h.day, today.tm_mday);
}

TEST_F(KvGlTest, TranslateModeReturnsTheColumnOfTheLanguage)
{
    openBuilt(kvtest::languageColumns(), {row("&Print", "&Drucken", "&Imprimir"),
                                          row("Page_number:_", "Seite:_", "Página: ")});
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("&Print"), "&Drucken");
    EXPECT_EQ(kv::KV_GL("Page number: "), "Seite: ") << "underscores keep edge blanks";
    kv::nLanguage = 3;
    EXPECT_EQ(kv::KV_GL("&Print"), "&Imprimir");
    EXPECT_EQ(kv::KV_GL("Page number: "), "Página:") << "blanks at the edges are trimmed";
    EXPECT_EQ(table().recordCount(), 2u);
}

TEST_F(KvGlTest, BlankTranslationGivesTheSourceTextAndAppendsNothing)
{
    openBuilt(kvtest::languageColumns(), {row("Copies", "", "   ")});
    for (int language : {2, 3}) {
        kv::nLanguage = language;
        EXPECT_EQ(kv::KV_GL("Copies"), "Copies");
    }
    EXPECT_EQ(table().recordCount(), 1u);
}

TEST_F(KvGlTest, TranslateModeCollectsMissingTexts)
{
    openBuilt(kvtest::languageColumns(), {row("&Print", "&Drucken")});
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("Zoom &Factor"), "Zoom &Factor");
    EXPECT_EQ(kv::KV_GL("Zoom &Factor"), "Zoom &Factor");
    EXPECT_EQ(countKey(table(), "Zoom_&Factor"), 1);
    EXPECT_TRUE(isSoundTable(path));
}

TEST_F(KvGlTest, DeletedRecordsStillMatch)
{
    openBuilt(kvtest::languageColumns(), {row("Stop", "Halt", "", true), row("Stop", "Stopp")});
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("Stop"), "Halt") << "the first record wins, deleted or not";
    EXPECT_EQ(table().recordCount(), 2u);
}

TEST_F(KvGlTest, TextsDifferingInCaseAreDifferentTexts)
{
    openBuilt(kvtest::languageColumns(), {row("Exit", "Beenden")});
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("EXIT"), "EXIT");
    EXPECT_EQ(kv::KV_GL("Exit"), "Beenden");
    const kv::DbfTable t = table();
    EXPECT_EQ(t.recordCount(), 2u);
    EXPECT_EQ(countKey(t, "EXIT"), 1);
}

TEST_F(KvGlTest, UnderscoresComeBackAsBlanksInEveryMode)
{
    openBuilt(kvtest::languageColumns(), {row("a_b", "", "")});
    for (int language : {0, 1, 2, 3}) {
        kv::nLanguage = language;
        EXPECT_EQ(kv::KV_GL("a_b"), "a b") << "language " << language;
        EXPECT_EQ(kv::KV_GL("x_y z"), "x y z") << "language " << language;
    }
    EXPECT_EQ(countKey(table(), "x_y_z"), 1) << "a text in blanks and one in underscores share a key";
}

TEST_F(KvGlTest, TranslationsMayBeStoredWithBlanks)
{
    openBuilt(kvtest::languageColumns(), {row("Go_to_next_page", "Zur nächsten Seite")});
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("Go to next page"), "Zur nächsten Seite");
}

TEST_F(KvGlTest, ATextLongerThanTheColumnIsStoredCutAndAppendedOnce)
{
    openBuilt(kvtest::languageColumns(10, 2), {});
    kv::nLanguage = 0;
    const QString text = "Write compressed in interlaced mode";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(kv::KV_GL(text), text);
    const kv::DbfTable t = table();
    EXPECT_EQ(t.recordCount(), 1u);
    EXPECT_EQ(t.value(0, 0), "Write_comp");
    EXPECT_TRUE(isSoundTable(path));
}

TEST_F(KvGlTest, MultiByteTextsAreCutBetweenCharacters)
{
    openBuilt(kvtest::languageColumns(4, 1), {});
    kv::nLanguage = 0;
    kv::KV_GL("aäää");  // 7 bytes of UTF-8: 'a' then three two-byte characters
    kv::KV_GL("aäää");
    const kv::DbfTable t = table();
    EXPECT_EQ(t.recordCount(), 1u);
    EXPECT_EQ(t.value(0, 0), "a\xC3\xA4 ");
}

TEST_F(KvGlTest, SeesRecordsThatAnotherProgramWroteMeanwhile)
{
    std::chrono::steady_clock::time_point now{};
    kv::setLanguageTableClock([&now] { return now; });
    openBuilt(kvtest::languageColumns(), {row("Name", "Name")});
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("Format"), "Format");
    // A translator's tool rewrites the table in place while the preview runs.
    ASSERT_TRUE(kvtest::writeFile(path, kv::buildDbf(kvtest::languageColumns(),
                                                    {row("Format", "Dateiformat"), row("Name", "Name")})));
    // Edits other than appends are noticed once the recheck interval has passed, not before.
    EXPECT_EQ(kv::KV_GL("Format"), "Format");
    now += kv::LanguageTable::kRecheckInterval;
    EXPECT_EQ(kv::KV_GL("Format"), "Dateiformat");
}

TEST_F(KvGlTest, AMissSeesWhatAnotherProcessAppendedAtOnce)
{
    openBuilt(kvtest::languageColumns(), {row("Name", "Name")});
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("Name"), "Name");
    // Another preview appends a text with its translation (as a translator's later copy would).
    std::vector<uint8_t> bytes = kv::buildDbf(kvtest::languageColumns(),
                                              {row("Name", "Name"), row("Format", "Dateiformat")});
    ASSERT_TRUE(kvtest::writeFile(path, bytes));
    EXPECT_EQ(kv::KV_GL("Format"), "Dateiformat");
    EXPECT_EQ(table().recordCount(), 2u) << "found, so not appended again";
}

TEST_F(KvGlTest, OpeningTwiceKeepsTheFirstTable)
{
    openBuilt(kvtest::languageColumns(), {row("File", "Datei")});
    EXPECT_FALSE(kv::openLanguageTable(kvtest::shippedLanguageTable())) << "already open";
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("File"), "Datei");
    kv::closeLanguageTable();
    EXPECT_FALSE(kv::isLanguageTableOpen());
    EXPECT_TRUE(kv::openLanguageTable(path));
    EXPECT_TRUE(kv::isLanguageTableOpen());
}

// Problems the program has no answer of its own for: the source text comes back, the problem
// is reported once.
struct ProblemCase {
    const char* name;
    std::vector<kv::DbfColumn> columns;  // empty: no table file at all
    int language;
};

class KvGlProblemTest : public kvtest::LanguageTableFixture,
                        public ::testing::WithParamInterface<ProblemCase> {};

TEST_P(KvGlProblemTest, GivesTheSourceTextAndReportsOnce)
{
    const ProblemCase& c = GetParam();
    const qsizetype before = kv::languageProblems().size();
    if (c.columns.empty()) {
        openPath(dir.filePath("MISSING.DBF"));
    } else {
        openBuilt(c.columns, {{{"x_y", "", ""}, false}});
    }
    kv::nLanguage = c.language;
    EXPECT_EQ(kv::KV_GL("x_y  z "), "x y  z ");
    EXPECT_EQ(kv::KV_GL("Stop"), "Stop");
    EXPECT_EQ(kv::languageProblems().size(), before + 1) << kv::languageProblems().join("\n").toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("MISSING.DBF"))) << "the table is never created";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KvGlProblemTest,
    ::testing::Values(ProblemCase{"MissingTable", {}, 2},
                      ProblemCase{"NoSearchColumn", {{"NAME", 20}, {"LANGUAGE2", 20}}, 2},
                      ProblemCase{"NoColumnForTheLanguage", kvtest::languageColumns(), 7},
                      ProblemCase{"LanguageBeyondTwoDigits", kvtest::languageColumns(), 150}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KvGlWithoutTable, GivesTheSourceText)
{
    kv::closeLanguageTable();
    kv::nLanguage = 2;
    EXPECT_EQ(kv::KV_GL("Print_and exit"), "Print and exit");
    kv::nLanguage = 1;
}

} // namespace
