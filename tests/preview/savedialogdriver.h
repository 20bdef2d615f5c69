#pragma once
// Driving the Save as dialog of a real preview the way a user does: keys and clicks on its
// controls, found by their identifiers, and a look at what it left behind (the settings file,
// the saved files).
#include "previewtestenv.h"

#include "preview/resourcelib.h"

#include <QByteArray>
#include <QDialog>
#include <QStatusBar>
#include <functional>
#include <gtest/gtest.h>

class QSpinBox;

namespace kvtest {

class SaveDialogDriver : public PreviewTest {
protected:
    // Opens the dialog through the preview's Save as command and runs `drive` on it.
    void saveAs(const std::function<void(QDialog&)>& drive);
    // Ends the preview and forgets what it showed and saved, for the test to open another.
    void startOver();
    // Puts the shipped language table (German and Spanish beside English) in the current
    // directory, for the next preview to open.
    void useShippedLanguageTable();

    QString settingsPath() const;
    QByteArray settingsBytes() const;  // empty when there is no settings file
    QString setting(const QString& key) const;  // of section Save2File; "<none>" when missing
    // The files of the current directory, settings file and language table left out, by name.
    QStringList savedFiles() const;

    template <class Widget>
    static Widget* control(const QDialog& dialog, int id)
    {
        auto* widget = kv::findControl<Widget>(&dialog, id);
        EXPECT_TRUE(widget) << "no control " << id;
        return widget;
    }
    // Makes the dialog the window that takes keys and focus (a click on the bar made the
    // preview window that), as the user's first click on the dialog would.
    static void activate(QDialog& dialog);
    // The text a control shows: caption, title or label.
    static QString caption(const QDialog& dialog, int id);
    static void clickButton(const QDialog& dialog, int id);
    static void clickRadio(const QDialog& dialog, int id);
    // Chooses format entry `index` (0-based) with the keyboard.
    static void chooseFormat(const QDialog& dialog, int index);
    // Replaces the name field's text by typing.
    static void typeName(const QDialog& dialog, const QString& text);
    // Clicks into a page field where its digits are.
    static void clickOnDigits(QSpinBox* field);
    // Clicks into a page field the focus is not in and types `digits`: entering the field
    // marks its content, so they replace it.
    static void enterField(QSpinBox* field, const QString& digits);
    // Clicks into a page field, marks its content with Ctrl+A and types `digits`.
    static void typeInto(QSpinBox* field, const QString& digits);
};

} // namespace kvtest
