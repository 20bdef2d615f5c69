#include "saveasdialog.h"

#include "export/exportformats.h"
#include "fieldrule.h"
#include "labeltext.h"
#include "lang/kvgl.h"
#include "platform/notify.h"
#include "resourcelib.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>

namespace kv {

namespace {

QString platformSaveFileDialog(QWidget* parent, const SaveFileQuery& query)
{
    const QStringList filters{query.mask};
    QString selected = filters.value(query.filterIndex - 1);
    return QFileDialog::getSaveFileName(parent, query.title, query.directory, filters.join(QStringLiteral(";;")),
                                        &selected);
}

SaveFileChooser& saveFileChooser()
{
    static SaveFileChooser chooser;
    return chooser;
}

// The name as the field shows it: the padding blanks at its end are not shown.
QString withoutPadding(QString name)
{
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

QString withColon(const char* text) { return KV_GL(QString::fromLatin1(text)) + QLatin1Char(':'); }

} // namespace

void setSaveFileChooser(SaveFileChooser chooser) { saveFileChooser() = std::move(chooser); }

SaveAsDialog::SaveAsDialog(QWidget* parent, const SaveChoices& start, int totalPages, const QStringList& pageNames)
    : dialog_(loadDialog(QStringLiteral("SAVEPRINT"), parent))
{
    if (!dialog_)
        return;
    if (!bindControls()) {
        delete dialog_;
        return;
    }
    showValues(start, totalPages, pageNames);
    connectControls(totalPages);
    setCaptions();
}

SaveAsDialog::~SaveAsDialog() { delete dialog_; }

bool SaveAsDialog::valid() const { return dialog_ != nullptr; }

QDialog* SaveAsDialog::dialog() const { return dialog_; }

bool SaveAsDialog::bindControls()
{
    const QDialog* d = dialog_;
    name_ = findControl<QLineEdit>(d, 201);
    format_ = findControl<QComboBox>(d, 202);
    overwrite_ = findControl<QCheckBox>(d, 203);
    option_ = findControl<QComboBox>(d, 204);
    zip_ = findControl<QCheckBox>(d, 205);
    optionLabel_ = findControl<QLabel>(d, 173);
    for (int i = 0; i < 4; ++i)
        modes_[i] = findControl<QRadioButton>(d, 301 + i);
    from_ = findControl<QSpinBox>(d, 311);
    to_ = findControl<QSpinBox>(d, 312);
    pages_ = findControl<QListWidget>(d, 321);
    const bool modesFound = std::all_of(std::begin(modes_), std::end(modes_), [](auto* m) { return m != nullptr; });
    return name_ && format_ && overwrite_ && option_ && zip_ && optionLabel_ && modesFound && from_ && to_ && pages_
        && findControl<QAbstractButton>(d, 101) && findControl<QAbstractButton>(d, 102)
        && findControl<QAbstractButton>(d, 110);
}

void SaveAsDialog::setCaptions()
{
    const QDialog* d = dialog_;
    dialog_->setWindowTitle(withoutAmpersands(KV_GL(QStringLiteral("&Save as"))));
    findControl<QAbstractButton>(d, 101)->setText(KV_GL(QStringLiteral("&Save")));
    findControl<QAbstractButton>(d, 102)->setText(KV_GL(QStringLiteral("&Cancel")));
    const std::pair<int, QString> labels[] = {
        {171, withColon("Name")}, {172, withColon("Format")}, {173, withColon("Option")}, {174, withColon("to")}};
    for (const auto& [id, text] : labels)
        if (auto* label = findControl<QLabel>(d, id))
            label->setText(text);
    if (auto* box = findControl<QGroupBox>(d, 191))
        box->setTitle(KV_GL(QStringLiteral("File")));
    if (auto* box = findControl<QGroupBox>(d, 192))
        box->setTitle(KV_GL(QStringLiteral("Pages")));
    overwrite_->setText(KV_GL(QStringLiteral("overwrite existing files")));
    zip_->setText(KV_GL(QStringLiteral("zip files")));
    modes_[0]->setText(KV_GL(QStringLiteral("All pages")));
    modes_[1]->setText(KV_GL(QStringLiteral("Current page")));
    modes_[2]->setText(withColon("From page"));
    modes_[3]->setText(withColon("Selected pages"));
    // The browse button shows its bitmap alone.
    findControl<QAbstractButton>(d, 110)->setToolTip({});
}

void SaveAsDialog::showValues(const SaveChoices& start, int totalPages, const QStringList& pageNames)
{
    name_->setMaxLength(kOutputNameLength);
    name_->setText(withoutPadding(padOutputName(start.outputName)));
    format_->addItems(saveFormats());
    formatText_ = start.format;
    format_->setCurrentIndex(int(saveFormats().indexOf(formatText_)));
    options_ = start.options;
    optionText_ = start.option;
    option_->addItems(options_);
    option_->setCurrentIndex(int(options_.indexOf(optionText_)));
    option_->setVisible(!options_.isEmpty());
    optionLabel_->setVisible(!options_.isEmpty());
    overwrite_->setChecked(start.overwrite);
    zip_->setChecked(start.zip);
    for (QSpinBox* field : {from_, to_})
        field->setRange(1, std::max(1, totalPages));
    from_->setValue(start.fromPage);
    to_->setValue(start.toPage);
    pages_->addItems(pageNames);
    for (int page : start.selectedPages)
        if (QListWidgetItem* item = pages_->item(page - 1))
            item->setSelected(true);
    setRangeMode(start.rangeMode);
}

void SaveAsDialog::connectControls(int totalPages)
{
    QDialog* d = dialog_;
    QObject::connect(format_, &QComboBox::currentIndexChanged, d, [this](int index) {
        if (index < 0)
            return;
        formatText_ = format_->itemText(index);
        fillOptions(GETOPTION(formatText_));
    });
    QObject::connect(option_, &QComboBox::currentIndexChanged, d, [this](int index) {
        if (index >= 0)
            optionText_ = option_->itemText(index);
    });
    for (int i = 0; i < 4; ++i)
        QObject::connect(modes_[i], &QRadioButton::toggled, d, [this, i](bool on) {
            if (on)
                setRangeMode(i + 1);
        });
    fromRule_ = new FieldRule(from_, [this](int v) { return v >= 1 && v <= to_->value(); });
    toRule_ = new FieldRule(to_, [this, totalPages](int v) { return v >= from_->value() && v <= totalPages; });
    QObject::connect(findControl<QAbstractButton>(d, 110), &QAbstractButton::clicked, d, [this] { browse(); });
    QObject::connect(findControl<QAbstractButton>(d, 101), &QAbstractButton::clicked, d, [this] { confirm(); });
    QObject::connect(findControl<QAbstractButton>(d, 102), &QAbstractButton::clicked, d, &QDialog::reject);
}

void SaveAsDialog::fillOptions(const QStringList& options)
{
    options_ = options;
    {
        const QSignalBlocker quiet(option_);
        option_->clear();
        option_->addItems(options_);
        option_->setCurrentIndex(options_.isEmpty() ? -1 : 0);
    }
    optionText_ = options_.value(0);
    option_->setVisible(!options_.isEmpty());
    optionLabel_->setVisible(!options_.isEmpty());
}

void SaveAsDialog::setRangeMode(int mode)
{
    mode = std::clamp(mode, 1, 4);
    modes_[mode - 1]->setChecked(true);
    from_->setEnabled(mode == 3);
    to_->setEnabled(mode == 3);
    pages_->setEnabled(mode == 4);
}

void SaveAsDialog::browse()
{
    const SaveFileQuery query{withoutAmpersands(KV_GL(QStringLiteral("&Save as"))), browseMask(formatText_), 1,
                              QStringLiteral(".")};
    const SaveFileChooser& chooser = saveFileChooser();
    const QString path = chooser ? chooser(dialog_, query) : platformSaveFileDialog(dialog_, query);
    if (!path.isEmpty())
        name_->setText(withoutPadding(padOutputName(path)));
}

void SaveAsDialog::confirm()
{
    if (name_->text().trimmed().isEmpty()) {
        stopBox(KV_GL(QStringLiteral("Please insert a filename.")).toStdString());
        return;
    }
    // A page field with a value out of its bounds cannot confirm the dialog; the field the
    // user is in is the first to insist.
    FieldRule* rules[] = {fromRule_, toRule_};
    if (to_->hasFocus())
        std::swap(rules[0], rules[1]);
    for (FieldRule* rule : rules)
        if (!rule->insist())
            return;
    dialog_->accept();
}

SaveChoices SaveAsDialog::choices() const
{
    SaveChoices c;
    c.outputName = padOutputName(name_->text());
    c.format = formatText_;
    c.options = options_;
    c.option = optionText_;
    c.overwrite = overwrite_->isChecked();
    c.zip = zip_->isChecked();
    for (int i = 0; i < 4; ++i)
        if (modes_[i]->isChecked())
            c.rangeMode = i + 1;
    c.fromPage = from_->value();
    c.toPage = to_->value();
    for (int row = 0; row < pages_->count(); ++row)
        if (pages_->item(row)->isSelected())
            c.selectedPages << row + 1;
    return c;
}

std::optional<SaveChoices> SaveAsDialog::exec()
{
    if (!dialog_ || dialog_->exec() != QDialog::Accepted)
        return std::nullopt;
    return choices();
}

} // namespace kv
