#pragma once
// The Save as dialog: the template "SAVEPRINT" of the resource library bound to the choices
// of one save. Its controls, by identifier: 101 Save, 102 Cancel, 110 browse, 201 name,
// 202 format, 203 overwrite, 204 option, 205 zip, 171 to 174 labels, 191 and 192 group
// boxes, 301 to 304 the range modes, 311 and 312 from and to page, 321 the page list.
//
// While it is open: a format change refills the options with the first one chosen, and the
// option drop-down shows only for formats that have options; the range fields work only in
// mode 3 and the page list only in mode 4; a page field whose value breaks its bounds keeps
// the focus; Save with an empty name says so and keeps the dialog open.
#include "savechoices.h"

#include <QPointer>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace kv {

class FieldRule;

// What the browse button asks of the save-file dialog.
struct SaveFileQuery {
    QString title;
    QString mask;        // the one file-name filter offered, "*.PNG" and so on
    int filterIndex = 1; // 1-based: the filter chosen at first
    QString directory;   // where the dialog starts
};

// Asks for a name to write (save mode, not open); the chosen full path, empty when cancelled.
using SaveFileChooser = std::function<QString(QWidget* parent, const SaveFileQuery& query)>;

// Puts another chooser in place of the platform's save-file dialog (tests); an empty
// function brings the platform's back.
void setSaveFileChooser(SaveFileChooser chooser);

class SaveAsDialog {
public:
    // Builds the dialog from the template of the current resource source, owned by `parent`,
    // with the captions of the language table and the values of `start`. `pageNames` fills
    // the page list; the range fields run from 1 to totalPages.
    SaveAsDialog(QWidget* parent, const SaveChoices& start, int totalPages, const QStringList& pageNames);
    ~SaveAsDialog();
    SaveAsDialog(const SaveAsDialog&) = delete;
    SaveAsDialog& operator=(const SaveAsDialog&) = delete;

    // False when the template is missing or lacks a control of the kind the dialog binds.
    bool valid() const;
    QDialog* dialog() const;

    // Shows the dialog modally, centred on its owner, until Save or Cancel (or Escape, or the
    // close box). The choices when Save confirmed them; nothing otherwise.
    std::optional<SaveChoices> exec();

    // The values the controls hold now.
    SaveChoices choices() const;

private:
    bool bindControls();
    void setCaptions();
    void showValues(const SaveChoices& start, int totalPages, const QStringList& pageNames);
    void connectControls(int totalPages);
    void fillOptions(const QStringList& options);
    void setRangeMode(int mode);
    void browse();
    void confirm();

    QPointer<QDialog> dialog_;
    QLineEdit* name_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* option_ = nullptr;
    QLabel* optionLabel_ = nullptr;
    QCheckBox* overwrite_ = nullptr;
    QCheckBox* zip_ = nullptr;
    QRadioButton* modes_[4] = {};
    QSpinBox* from_ = nullptr;
    QSpinBox* to_ = nullptr;
    QListWidget* pages_ = nullptr;
    FieldRule* fromRule_ = nullptr;
    FieldRule* toRule_ = nullptr;

    // The format and option as chosen. They may hold a stored text that is no entry of their
    // drop-down (a settings file of another version or language): the drop-down then shows
    // no entry, and the text stays until the user picks one.
    QString formatText_;
    QStringList options_;
    QString optionText_;
};

} // namespace kv
