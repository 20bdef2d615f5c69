// The rules of the Save as dialog that need no window: the settings it starts from and keeps,
// the option index, the pages a range picks, the page names, the browse mask, and the message
// bar's account of a finished save.
#include "platform/inifile.h"
#include "preview/savechoices.h"
#include "preview/savefeedback.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using kv::SaveChoices;

TEST(SaveChoices, OptionIndexIsTheFirstEntryBeginningWithTheOption)
{
    const QStringList png{"None", "Write compressed", "Write in interlaced mode", "Write compressed in interlaced mode"};
    struct Row {
        QStringList options;
        QString option;
        int index;
    };
    const Row rows[] = {
        {png, "None", 1},
        {png, "Write compressed", 2},  // also the beginning of entry 4: the first one counts
        {png, "Write compressed in interlaced mode", 4},
        {png, "Write", 2},
        {png, "", 1},
        {png, "Keine", 0},              // stored under another language
        {png, "write compressed", 0},   // letter case counts
        {png, "None ", 0},
        {{}, "", 0},
        {{}, "None", 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(kv::optionIndex(r.options, r.option), r.index) << r.option.toStdString();
}

TEST(SaveChoices, RangesPickTheirPagesInOrder)
{
    const QStringList files{"p1", "p2", "p3", "p4", "p5"};
    struct Row {
        int mode, from, to;
        QList<int> selected;
        int current;
        QStringList pages;
    };
    const Row rows[] = {
        {1, 2, 3, {4}, 3, files},
        {2, 1, 5, {1, 2}, 4, {"p4"}},
        {2, 1, 5, {}, 9, {}},                 // a current page beyond the list
        {3, 2, 4, {}, 1, {"p2", "p3", "p4"}},
        {3, 3, 3, {}, 1, {"p3"}},
        {3, 4, 2, {}, 1, {}},
        {3, 4, 9, {}, 1, {"p4", "p5"}},
        {4, 1, 5, {5, 1, 3}, 1, {"p1", "p3", "p5"}},
        {4, 1, 5, {}, 1, {}},
        {4, 1, 5, {0, 6, 2}, 1, {"p2"}},
    };
    for (const Row& r : rows) {
        SaveChoices c;
        c.rangeMode = r.mode;
        c.fromPage = r.from;
        c.toPage = r.to;
        c.selectedPages = r.selected;
        EXPECT_EQ(kv::pagesToSave(c, files, r.current), r.pages) << "mode " << r.mode << " from " << r.from;
    }
}

TEST(SaveChoices, NamesMasksAndPadding)
{
    EXPECT_EQ(kv::pageNames("Seite", 3), (QStringList{"Seite 1", "Seite 2", "Seite 3"}));
    EXPECT_TRUE(kv::pageNames("Page", 0).isEmpty());
    const char* masks[] = {"*.BMP", "*.JPEG", "*.EMF", "*.PCX", "*.TIFF", "*.PNG", "*.WMF", "*.PDF", "*.TIFF"};
    ASSERT_EQ(kv::saveFormats().size(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(kv::browseMask(kv::saveFormats()[i]), masks[i]);
    EXPECT_EQ(kv::browseMask("  PNG - x"), "*.PN");  // blanks count among the four characters
    EXPECT_EQ(kv::padOutputName("out.png"), "out.png" + QString(193, ' '));
    EXPECT_EQ(kv::padOutputName(QString(250, 'x')), QString(200, 'x'));
    EXPECT_EQ(kv::padOutputName(""), QString(200, ' '));
}

class SaveSettings : public ::testing::Test {
protected:
    QString ini() const { return dir.filePath("KORVELLE.INI"); }
    void write(const QByteArray& text)
    {
        QFile f(ini());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QTemporaryDir dir;
};

TEST_F(SaveSettings, ReadWithTheirDefaultsAndFlagsThatBeginWithOne)
{
    struct Row {
        QByteArray file;
        QString name, format, option;
        QStringList options;
        bool overwrite, zip;
    };
    const Row rows[] = {
        {"", "", "BMP - Windows Bitmap", "", {}, true, false},
        {"[save2file]\nfilename=  a.jpg\nformat=JPEG - jpg, jpeg\noverwrite=10\nzipfiles=1yes\n", "a.jpg",
         "JPEG - jpg, jpeg", "Quality", {"Quality", "Low Quality"}, true, true},
        {"[Save2File]\nFormat=TIFF - TIFF Revision 6\nOption=\nOverwrite=\nZipFiles=0\n", "",
         "TIFF - TIFF Revision 6", "", {"Uncompressed", "LZW Compression", "Packbits Compression"}, false, false},
        // A format without options does not read the key.
        {"[Save2File]\nFormat=EMF - Windows Enhanced Metafile\nOption=Quality\nOverwrite=yes\n", "",
         "EMF - Windows Enhanced Metafile", "", {}, false, false},
    };
    for (const Row& r : rows) {
        QFile::remove(ini());
        if (!r.file.isEmpty())
            write(r.file);
        const SaveChoices c = kv::readSaveChoices(ini(), 7);
        EXPECT_EQ(c.outputName, kv::padOutputName(r.name)) << r.file.constData();
        EXPECT_EQ(c.format, r.format) << r.file.constData();
        EXPECT_EQ(c.options, r.options) << r.file.constData();
        EXPECT_EQ(c.option, r.option) << r.file.constData();
        EXPECT_EQ(c.overwrite, r.overwrite) << r.file.constData();
        EXPECT_EQ(c.zip, r.zip) << r.file.constData();
        EXPECT_EQ(c.rangeMode, 1);
        EXPECT_EQ(c.fromPage, 1);
        EXPECT_EQ(c.toPage, 7);
    }
}

TEST_F(SaveSettings, WrittenInOrderTrimmedBesideTheOtherSections)
{
    write("[General]\r\nLanguage=2\r\n");
    SaveChoices c;
    c.outputName = kv::padOutputName("  /out/report.png");
    c.format = " PNG - Portable Network Graphic ";
    c.option = "Write compressed  ";
    c.overwrite = false;
    c.zip = true;
    ASSERT_TRUE(kv::writeSaveChoices(ini(), c));
    QFile f(ini());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), "[General]\r\nLanguage=2\r\n\r\n[Save2File]\r\nFileName=/out/report.png\r\n"
                           "Format=PNG - Portable Network Graphic\r\nOverwrite=0\r\nZipFiles=1\r\n"
                           "Option=Write compressed\r\n");
    const SaveChoices back = kv::readSaveChoices(ini(), 2);
    EXPECT_EQ(back.outputName.trimmed(), "/out/report.png");
    EXPECT_EQ(back.option, "Write compressed");
    EXPECT_FALSE(back.overwrite);
    EXPECT_TRUE(back.zip);
}

TEST(SaveSummary, SaysWhatWasWrittenAndWhere)
{
    using kv::SaveOutcome;
    struct Row {
        SaveOutcome outcome;
        int written;
        QStringList files;
        QString archive;
        bool zip;
        QString summary;
    };
    const QStringList two{"/out/r0001.png", "/out/r0002.png"};
    const Row rows[] = {
        {SaveOutcome::Done, 2, two, "", false, "2 files written to /out"},
        {SaveOutcome::Done, 1, two, "", false, "1 file written to /out"},  // the other failed, and said so
        {SaveOutcome::Done, 0, two, "", false, "No file was written."},
        {SaveOutcome::Done, 0, {}, "", false, "No file was written."},
        {SaveOutcome::Done, 2, two, "/out/R.ZIP", true, "Archive written: /out/R.ZIP"},
        {SaveOutcome::Done, 2, two, "", true, "No archive was made."},
        {SaveOutcome::Cancelled, 1, {"/out/r0001.png"}, "", false, "Saving cancelled. 1 file written to /out"},
        {SaveOutcome::Cancelled, 1, {"/out/r0001.png"}, "", true, "Saving cancelled. No archive was made."},
        {SaveOutcome::StoppedAtExisting, 1, two, "", true, "Saving stopped. 1 file written to /out"},
        {SaveOutcome::StoppedAtExisting, 0, {"/out/r0001.png"}, "", false, "Saving stopped. No file was written."},
    };
    for (const Row& r : rows) {
        kv::SaveReport report;
        report.outcome = r.outcome;
        report.written = r.written;
        report.outputFiles = r.files;
        report.archive = r.archive;
        EXPECT_EQ(kv::saveSummary(report, r.zip).toStdString(), r.summary.toStdString());
    }
}

} // namespace
