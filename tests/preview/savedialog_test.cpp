// The Save as dialog on a real preview, driven with keys and clicks: where it starts from,
// what its controls allow, what it keeps in the settings file and which pages it saves.
#include "savedialogdriver.h"

#include "common/imagereaders.h"
#include "platform/inifile.h"
#include "preview/previewwindow.h"
#include "preview/resourcelib.h"
#include "preview/saveasdialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QRegularExpression>
#include <QTest>
#include <tiffio.h>

namespace kvtest {
namespace {

const QStringList kFormats{
    "BMP - Windows Bitmap",           "JPEG - jpg, jpeg",       "EMF - Windows Enhanced Metafile",
    "PCX - Zsoft Publisher's Paintbrush", "TIFF - TIFF Revision 6", "PNG - Portable Network Graphic",
    "WMF - Windows Metafile",
    "PDF - Portable Document Format",
    "TIFF - multi-page (one file)",
};

class SaveDialogTest : public SaveDialogDriver {};

TEST_F(SaveDialogTest, CancellingLeavesTheSettingsFileAsItWas)
{
    open(3, {"[Save2File]", "FileName=" + cwd.filePath("old.png"), "Format=PNG - Portable Network Graphic",
             "Option=Write compressed"});
    ASSERT_FALSE(HasFatalFailure());
    const QByteArray before = settingsBytes();
    const QString source = kv::currentResourceSource();
    const std::function<void(QDialog&)> closings[] = {
        [](QDialog& d) { clickButton(d, 102); },
        [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](QDialog& d) { d.close(); },  // the close box
    };
    for (const auto& close : closings) {
        saveAs([&](QDialog& d) {
            typeName(d, cwd.filePath("new.bmp"));
            chooseFormat(d, 0);
            control<QCheckBox>(d, 205)->setChecked(true);
            close(d);
        });
        EXPECT_EQ(settingsBytes(), before);
        EXPECT_EQ(savedFiles(), QStringList());
        EXPECT_EQ(kv::currentResourceSource(), source);
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SaveDialogTest, WithoutASettingsFileItOpensWithTheDefaults)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(QFile::remove(settingsPath()));
    saveAs([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Save as");
        EXPECT_EQ(control<QLineEdit>(d, 201)->text(), "");
        auto* format = control<QComboBox>(d, 202);
        QStringList entries;
        for (int i = 0; i < format->count(); ++i)
            entries << format->itemText(i);
        EXPECT_EQ(entries, kFormats);
        EXPECT_EQ(format->currentText(), "BMP - Windows Bitmap");
        EXPECT_TRUE(control<QComboBox>(d, 204)->isHidden());
        EXPECT_TRUE(control<QLabel>(d, 173)->isHidden());
        EXPECT_TRUE(control<QCheckBox>(d, 203)->isChecked());
        EXPECT_FALSE(control<QCheckBox>(d, 205)->isChecked());
        EXPECT_TRUE(control<QRadioButton>(d, 301)->isChecked());
        EXPECT_EQ(control<QSpinBox>(d, 311)->value(), 1);
        EXPECT_EQ(control<QSpinBox>(d, 312)->value(), 3);
        for (int id : {311, 312, 321})
            EXPECT_FALSE(kv::findControl(&d, id)->isEnabled()) << id;
        auto* pages = control<QListWidget>(d, 321);
        ASSERT_EQ(pages->count(), 3);
        EXPECT_EQ(pages->item(0)->text(), "Page 1");
        EXPECT_EQ(pages->item(2)->text(), "Page 3");
        EXPECT_TRUE(pages->selectedItems().isEmpty());
        clickButton(d, 102);
    });
    EXPECT_FALSE(QFile::exists(settingsPath()));
}

// Captions come from the language table, the ":" added after the lookup; the format entries
// stay as they are.
TEST_F(SaveDialogTest, CaptionsComeFromTheLanguageTable)
{
    struct Row {
        int language;
        std::vector<std::pair<int, QString>> captions;
        QString title, firstPage, firstPngOption;
    };
    const Row rows[] = {
        {1,
         {{101, "&Save"}, {102, "&Cancel"}, {171, "Name:"}, {172, "Format:"}, {173, "Option:"}, {174, "to:"},
          {191, "File"}, {192, "Pages"}, {203, "overwrite existing files"}, {205, "zip files"}, {301, "All pages"},
          {302, "Current page"}, {303, "From page:"}, {304, "Selected pages:"}},
         "Save as", "Page 1", "None"},
        {2,
         {{101, "&Speichern"}, {102, "&Abbrechen"}, {171, "Name:"}, {174, "bis:"}, {191, "Datei"},
          {192, "Seiten"}, {203, "Vorhandene Dateien überschreiben"}, {303, "Von Seite:"},
          {304, "Ausgewählte Seiten:"}},
         "Speichern unter", "Seite 1", "Keine"},
    };
    for (const Row& row : rows) {
        useShippedLanguageTable();
        open(2, {QStringLiteral("Language=%1").arg(row.language), "[Save2File]",
                 "Format=PNG - Portable Network Graphic"});
        ASSERT_FALSE(HasFatalFailure());
        saveAs([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), row.title);
            for (const auto& [id, text] : row.captions)
                EXPECT_EQ(caption(d, id), text) << "language " << row.language << ", control " << id;
            EXPECT_EQ(control<QListWidget>(d, 321)->item(0)->text(), row.firstPage);
            EXPECT_EQ(control<QComboBox>(d, 204)->itemText(0), row.firstPngOption);
            EXPECT_EQ(control<QComboBox>(d, 202)->itemText(5), "PNG - Portable Network Graphic");
            EXPECT_TRUE(control<QAbstractButton>(d, 110)->toolTip().isEmpty());
            clickButton(d, 102);
        });
        startOver();
    }
}

TEST_F(SaveDialogTest, OptionsShowOnlyForFormatsThatHaveThem)
{
    open(1);
    ASSERT_FALSE(HasFatalFailure());
    const QStringList expected[] = {
        {},
        {"Quality", "Low Quality"},
        {},
        {},
        {"Uncompressed", "LZW Compression", "Packbits Compression"},
        {"None", "Write compressed", "Write in interlaced mode", "Write compressed in interlaced mode"},
        {},
        {"Standard", "PDF/A-1b (archive)"},
        {"Uncompressed", "LZW Compression", "Packbits Compression", "CCITT Group 4 (black and white, fax)"},
    };
    saveAs([&](QDialog& d) {
        auto* option = control<QComboBox>(d, 204);
        // Down the list, then up again: every change refills the options.
        for (int index : {1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1, 0}) {
            chooseFormat(d, index);
            const QStringList& options = expected[index];
            QStringList shown;
            for (int i = 0; i < option->count(); ++i)
                shown << option->itemText(i);
            EXPECT_EQ(shown, options) << kFormats[index].toStdString();
            EXPECT_EQ(option->isHidden(), options.isEmpty()) << kFormats[index].toStdString();
            EXPECT_EQ(control<QLabel>(d, 173)->isHidden(), options.isEmpty()) << kFormats[index].toStdString();
            EXPECT_EQ(option->currentIndex(), options.isEmpty() ? -1 : 0) << kFormats[index].toStdString();
        }
        clickButton(d, 102);
    });
}

// The stored option comes back for its format; switching away and back chooses the first.
TEST_F(SaveDialogTest, AStoredOptionIsRestoredUntilTheFormatChanges)
{
    struct Row {
        int format;
        const char* stored;  // nullptr: no Option key
        const char* shown;
        const char* first;
    };
    const Row rows[] = {
        {4, "Packbits Compression", "Packbits Compression", "Uncompressed"},
        {4, nullptr, "Uncompressed", "Uncompressed"},
        {1, "Low Quality", "Low Quality", "Quality"},
        {5, "Write in interlaced mode", "Write in interlaced mode", "None"},
    };
    for (const Row& row : rows) {
        IniLines ini{"[Save2File]", "Format=" + kFormats[row.format]};
        if (row.stored)
            ini << QStringLiteral("Option=") + row.stored;
        open(1, ini);
        ASSERT_FALSE(HasFatalFailure());
        saveAs([&](QDialog& d) {
            auto* option = control<QComboBox>(d, 204);
            EXPECT_FALSE(option->isHidden());
            EXPECT_EQ(option->currentText(), row.shown);
            chooseFormat(d, 0);
            chooseFormat(d, row.format);
            EXPECT_EQ(option->currentText(), row.first);
            typeName(d, cwd.filePath("kept.bmp"));
            chooseFormat(d, 0);
            chooseFormat(d, row.format);
            clickButton(d, 101);
        });
        EXPECT_EQ(setting("Option"), row.first) << row.shown;
        startOver();
    }
}

// The option index the export receives is the first option that begins with the option text,
// 0 when none does; TIFF shows which one came (none: uncompressed, 0: the default, LZW).
TEST_F(SaveDialogTest, TheOptionIndexIsTheFirstOptionBeginningWithTheStoredText)
{
    struct Row {
        const char* stored;
        int compression;
    };
    const Row rows[] = {
        {"Uncompressed", COMPRESSION_NONE},
        {"Uncomp", COMPRESSION_NONE},            // a prefix of the first option
        {"", COMPRESSION_NONE},                  // present but empty: a prefix of every option
        {"Packbits Compression", COMPRESSION_PACKBITS},
        {"Unkomprimiert", COMPRESSION_LZW},      // stored under another language: index 0
        {"packbits compression", COMPRESSION_LZW},  // letter case counts
    };
    for (const Row& row : rows) {
        open(1, {"[Save2File]", "Format=TIFF - TIFF Revision 6", QStringLiteral("Option=") + row.stored,
                 "FileName=" + cwd.filePath("opt.tif")});
        ASSERT_FALSE(HasFatalFailure());
        saveAs([&](QDialog& d) {
            auto* option = control<QComboBox>(d, 204);
            EXPECT_EQ(option->currentIndex(), option->findText(row.stored)) << row.stored;
            clickButton(d, 101);
        });
        const auto tiff = readTiff(cwd.filePath("opt0001.tif"));
        ASSERT_TRUE(tiff) << row.stored;
        EXPECT_EQ(tiff->compression, row.compression) << row.stored;
        EXPECT_EQ(setting("Option"), row.stored);  // kept as it was, not replaced by an entry
        startOver();
    }
}

TEST_F(SaveDialogTest, TheNameKeepsAtMost200Characters)
{
    const QString folder = cwd.path() + '/';
    const QString stored = folder + QString(250 - folder.size(), 'n');
    open(2, {"[Save2File]", "FileName=" + stored});
    ASSERT_FALSE(HasFatalFailure());
    QStringList browsed;
    kv::setSaveFileChooser([&](QWidget*, const kv::SaveFileQuery&) { return folder + QString(300, 'b'); });
    saveAs([&](QDialog& d) {
        auto* name = control<QLineEdit>(d, 201);
        EXPECT_EQ(name->text(), stored.left(200));
        name->end(false);
        QTest::keyClicks(name, "xyz");
        EXPECT_EQ(name->text(), stored.left(200));
        QTest::mouseClick(control<QAbstractButton>(d, 110), Qt::LeftButton);
        browsed << name->text();
        typeName(d, stored);
        EXPECT_EQ(name->text(), stored.left(200));
        control<QRadioButton>(d, 302)->click();
        clickButton(d, 101);
    });
    kv::setSaveFileChooser({});
    ASSERT_EQ(browsed.size(), 1);
    EXPECT_EQ(browsed[0], (folder + QString(300, 'b')).left(200));
    EXPECT_EQ(setting("FileName"), stored.left(200));
    // A name without an extension gets the page number at its end.
    EXPECT_EQ(savedFiles(), QStringList{QFileInfo(stored.left(200) + "0001").fileName()});
}

TEST_F(SaveDialogTest, BrowsingAsksForANameToWriteWithTheFormatsMask)
{
    open(1);
    ASSERT_FALSE(HasFatalFailure());
    std::vector<kv::SaveFileQuery> queries;
    QString answer = cwd.filePath("chosen.jpeg");
    kv::setSaveFileChooser([&](QWidget* parent, const kv::SaveFileQuery& q) {
        EXPECT_TRUE(qobject_cast<QDialog*>(parent));
        queries.push_back(q);
        return answer;
    });
    saveAs([&](QDialog& d) {
        auto* name = control<QLineEdit>(d, 201);
        typeName(d, "typed.bmp");
        for (int format = 0; format < 9; ++format) {
            chooseFormat(d, format);
            QTest::mouseClick(control<QAbstractButton>(d, 110), Qt::LeftButton);
        }
        EXPECT_EQ(name->text(), answer);
        answer.clear();  // the user cancels the file dialog: the name stays
        QTest::mouseClick(control<QAbstractButton>(d, 110), Qt::LeftButton);
        EXPECT_EQ(name->text(), cwd.filePath("chosen.jpeg"));
        clickButton(d, 102);
    });
    kv::setSaveFileChooser({});
    const char* masks[] = {"*.BMP", "*.JPEG", "*.EMF", "*.PCX", "*.TIFF", "*.PNG", "*.WMF", "*.PDF", "*.TIFF", "*.TIFF"};
    ASSERT_EQ(queries.size(), 10u);
    for (size_t i = 0; i < queries.size(); ++i) {
        EXPECT_EQ(queries[i].mask, masks[i]);
        EXPECT_EQ(queries[i].title, "Save as");
        EXPECT_EQ(queries[i].filterIndex, 1);
        EXPECT_EQ(queries[i].directory, ".");
    }
}

TEST_F(SaveDialogTest, AnEmptyNameIsRefusedAndTheDialogStaysOpen)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    const QByteArray before = settingsBytes();
    saveAs([&](QDialog& d) {
        for (const QString& name : {QString(), QStringLiteral("    ")}) {
            typeName(d, name);
            clickButton(d, 101);
            EXPECT_TRUE(d.isVisible());
        }
        clickButton(d, 102);
    });
    ASSERT_EQ(messages.messages.size(), 2u);
    for (const kv::Message& m : messages.messages) {
        EXPECT_EQ(m.kind, kv::BoxKind::Stop);
        EXPECT_EQ(m.title, "Stop");
        EXPECT_EQ(m.text, "Please insert a filename.");
    }
    EXPECT_EQ(settingsBytes(), before);
}

// From and to run from 1 to the page count; a from beyond to, or a to before from, keeps the
// focus with a beep, and the dialog cannot be confirmed with it. The first digit typed into a
// field just entered replaces its value.
TEST_F(SaveDialogTest, PageFieldsRefuseToBeLeftOutOfBounds)
{
    open(5);
    ASSERT_FALSE(HasFatalFailure());
    saveAs([&](QDialog& d) {
        activate(d);
        typeName(d, cwd.filePath("range.bmp"));
        auto* from = control<QSpinBox>(d, 311);
        auto* to = control<QSpinBox>(d, 312);
        clickRadio(d, 303);
        EXPECT_TRUE(from->isEnabled());
        EXPECT_TRUE(to->isEnabled());
        EXPECT_EQ(from->maximum(), 5);
        EXPECT_EQ(to->maximum(), 5);

        typeInto(to, "3");
        EXPECT_EQ(to->value(), 3);
        typeInto(from, "4");
        EXPECT_EQ(from->value(), 4);
        const size_t tonesBefore = tones.size();
        clickOnDigits(to);  // leaving from 4 while to is 3
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), from);
        ASSERT_EQ(tones.size(), tonesBefore + 1);
        EXPECT_EQ(tones.back(), std::make_pair(0, 0));  // the default beep

        clickButton(d, 101);  // the click leaves the field: one refusal, one beep
        QCoreApplication::processEvents();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(tones.size(), tonesBefore + 2);
        EXPECT_EQ(QApplication::focusWidget(), from);

        typeInto(from, "2");
        clickOnDigits(to);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), to);
        typeInto(to, "1");  // now below from
        QTest::keyClick(to, Qt::Key_Return);  // Save by its key, without leaving the field
        QCoreApplication::processEvents();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(tones.size(), tonesBefore + 3);
        EXPECT_EQ(QApplication::focusWidget(), to);
        typeInto(to, "3");
        clickButton(d, 101);
    });
    EXPECT_EQ(savedFiles(), (QStringList{"range0002.bmp", "range0003.bmp"}));
}

// Mode 3 with from equal to to saves exactly that page; the range fields start at 1 and the
// page count.
TEST_F(SaveDialogTest, AFromToRangeOfOnePageSavesThatPage)
{
    open(4);
    ASSERT_FALSE(HasFatalFailure());
    saveAs([&](QDialog& d) {
        activate(d);
        typeName(d, cwd.filePath("one.bmp"));
        clickRadio(d, 303);
        EXPECT_EQ(control<QSpinBox>(d, 311)->value(), 1);
        EXPECT_EQ(control<QSpinBox>(d, 312)->value(), 4);
        enterField(control<QSpinBox>(d, 311), "3");
        enterField(control<QSpinBox>(d, 312), "3");
        clickButton(d, 101);
    });
    EXPECT_EQ(savedFiles(), QStringList{"one0003.bmp"});
}

TEST_F(SaveDialogTest, SelectedPagesAreSavedInPageOrderAndNoneSavesNothing)
{
    open(4);
    ASSERT_FALSE(HasFatalFailure());
    struct Row {
        int mode;
        std::vector<int> clicked;  // rows of the page list, 0-based, in click order
        QStringList saved;
    };
    const Row rows[] = {
        {4, {3, 0, 2}, {"sel0001.bmp", "sel0003.bmp", "sel0004.bmp"}},
        {4, {}, {}},
        {4, {1, 1}, {}},  // chosen, and unchosen again
        {1, {1}, {"sel0001.bmp", "sel0002.bmp", "sel0003.bmp", "sel0004.bmp"}},  // the list plays no part
    };
    for (const Row& row : rows) {
        saveAs([&](QDialog& d) {
            typeName(d, cwd.filePath("sel.bmp"));
            clickRadio(d, 304);
            auto* list = control<QListWidget>(d, 321);
            EXPECT_TRUE(list->isEnabled());
            for (int r : row.clicked)
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(r)).center());
            clickRadio(d, 300 + row.mode);
            EXPECT_EQ(list->isEnabled(), row.mode == 4);
            clickButton(d, 101);
        });
        EXPECT_EQ(savedFiles(), row.saved) << "mode " << row.mode << ", " << row.clicked.size() << " clicks";
        // The settings are written even when nothing is saved.
        EXPECT_EQ(setting("FileName"), cwd.filePath("sel.bmp"));
        for (const QString& file : savedFiles())
            QFile::remove(cwd.filePath(file));
        QFile::remove(settingsPath());
    }
    EXPECT_EQ(window().statusBar()->currentMessage().toStdString(), ("4 files written to " + cwd.path()).toStdString());
}

// Mode 2 saves the current page alone, however many pages the view shows.
TEST_F(SaveDialogTest, TheCurrentPageIsSavedAloneWhateverTheViewShows)
{
    open(6);
    ASSERT_FALSE(HasFatalFailure());
    preview->SetPages(4);
    preview->ChangePage(1);
    preview->ChangePage(1);
    const int current = preview->nPage;
    ASSERT_GT(current, 1);
    saveAs([&](QDialog& d) {
        typeName(d, cwd.filePath("cur.bmp"));
        clickRadio(d, 302);
        clickButton(d, 101);
    });
    EXPECT_EQ(savedFiles(), QStringList{QStringLiteral("cur%1.bmp").arg(current, 4, 10, QLatin1Char('0'))});
}

// The five keys are written in their order, trimmed, before any page; a save that then stops
// at an existing file leaves them written.
TEST_F(SaveDialogTest, TheChoicesAreKeptInOrderBeforeAnyPageIsWritten)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(QFile::remove(settingsPath()));
    QFile existing(cwd.filePath("kept0001.png"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    saveAs([&](QDialog& d) {
        typeName(d, "  " + cwd.filePath("kept.png") + "   ");
        chooseFormat(d, 5);
        auto* option = control<QComboBox>(d, 204);
        QTest::keyClick(option, Qt::Key_Down);
        control<QCheckBox>(d, 203)->setChecked(false);
        control<QCheckBox>(d, 205)->setChecked(true);
        clickButton(d, 101);
    });
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, (cwd.filePath("kept0001.png") + " exists.").toStdString());
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines, (QStringList{"[Save2File]", "FileName=" + cwd.filePath("kept.png"),
                                  "Format=PNG - Portable Network Graphic", "Overwrite=0", "ZipFiles=1",
                                  "Option=Write compressed"}));
    EXPECT_EQ(window().statusBar()->currentMessage().toStdString(), "Saving stopped. No file was written.");
}

// The next dialog starts from what the last one kept.
TEST_F(SaveDialogTest, TheNextDialogStartsFromTheKeptChoices)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    saveAs([&](QDialog& d) {
        typeName(d, cwd.filePath("again.jpg"));
        chooseFormat(d, 1);
        QTest::keyClick(control<QComboBox>(d, 204), Qt::Key_Down);
        control<QCheckBox>(d, 205)->setChecked(true);
        clickRadio(d, 302);
        clickButton(d, 101);
    });
    saveAs([&](QDialog& d) {
        EXPECT_EQ(control<QLineEdit>(d, 201)->text(), cwd.filePath("again.jpg"));
        EXPECT_EQ(control<QComboBox>(d, 202)->currentText(), "JPEG - jpg, jpeg");
        EXPECT_EQ(control<QComboBox>(d, 204)->currentText(), "Low Quality");
        EXPECT_TRUE(control<QCheckBox>(d, 205)->isChecked());
        EXPECT_TRUE(control<QRadioButton>(d, 301)->isChecked());  // the range is not kept
        clickButton(d, 102);
    });
    EXPECT_EQ(savedFiles(), QStringList{"AGAIN.ZIP"});
}

} // namespace
} // namespace kvtest
