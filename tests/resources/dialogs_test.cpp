// The print and save dialog templates carry every control the dialogs bind, each findable by
// its identifier and of the kind the dialog code expects.
#include "resourcetestenv.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QToolButton>
#include <memory>

namespace {

using kvtest::ResourceLibraryTest;

struct ControlRow {
    const char* dialog;
    int id;
    const char* className;
};

const ControlRow kControls[] = {
    {"PRINT", 101, "QPushButton"},     {"PRINT", 102, "QPushButton"},
    {"PRINT", 201, "QRadioButton"},    {"PRINT", 202, "QRadioButton"},
    {"PRINT", 203, "QRadioButton"},    {"PRINT", 301, "QSpinBox"},
    {"PRINT", 302, "QSpinBox"},        {"PRINT", 501, "QSpinBox"},
    {"PRINT", 191, "QGroupBox"},       {"PRINT", 192, "QGroupBox"},
    {"PRINT", 601, "QLabel"},          {"PRINT", 174, "QLabel"},
    {"SAVEPRINT", 101, "QPushButton"}, {"SAVEPRINT", 102, "QPushButton"},
    {"SAVEPRINT", 110, "QToolButton"}, {"SAVEPRINT", 201, "QLineEdit"},
    {"SAVEPRINT", 202, "QComboBox"},   {"SAVEPRINT", 203, "QCheckBox"},
    {"SAVEPRINT", 204, "QComboBox"},   {"SAVEPRINT", 205, "QCheckBox"},
    {"SAVEPRINT", 171, "QLabel"},      {"SAVEPRINT", 172, "QLabel"},
    {"SAVEPRINT", 173, "QLabel"},      {"SAVEPRINT", 174, "QLabel"},
    {"SAVEPRINT", 191, "QGroupBox"},   {"SAVEPRINT", 192, "QGroupBox"},
    {"SAVEPRINT", 301, "QRadioButton"}, {"SAVEPRINT", 302, "QRadioButton"},
    {"SAVEPRINT", 303, "QRadioButton"}, {"SAVEPRINT", 304, "QRadioButton"},
    {"SAVEPRINT", 311, "QSpinBox"},    {"SAVEPRINT", 312, "QSpinBox"},
    {"SAVEPRINT", 321, "QListWidget"},
};

std::unique_ptr<QDialog> load(const char* name)
{
    return std::unique_ptr<QDialog>(kv::loadDialog(QString::fromLatin1(name)));
}

class ControlTest : public ResourceLibraryTest, public ::testing::WithParamInterface<ControlRow> {};

TEST_P(ControlTest, IsFoundByIdentifierWithTheRightKind)
{
    const ControlRow row = GetParam();
    const auto dialog = load(row.dialog);
    ASSERT_TRUE(dialog) << row.dialog;
    QWidget* control = kv::findControl(dialog.get(), row.id);
    ASSERT_TRUE(control) << row.dialog << " " << row.id;
    EXPECT_STREQ(control->metaObject()->className(), row.className) << row.dialog << " " << row.id;
    EXPECT_EQ(control->objectName(), QStringLiteral("id%1").arg(row.id));
    EXPECT_EQ(control->property("kvId").toInt(), row.id);
}

INSTANTIATE_TEST_SUITE_P(BothTemplates, ControlTest, ::testing::ValuesIn(kControls), [](const auto& info) {
    return std::string(info.param.dialog) + "_" + std::to_string(info.param.id);
});

class TemplateTest : public ResourceLibraryTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TemplateTest, IdentifiersAreUnique)
{
    const auto dialog = load(GetParam());
    ASSERT_TRUE(dialog);
    QSet<int> seen;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        bool ok = false;
        const int id = w->property("kvId").toInt(&ok);
        if (!ok)
            continue;
        EXPECT_FALSE(seen.contains(id)) << GetParam() << " repeats " << id;
        seen.insert(id);
    }
}

TEST_P(TemplateTest, NumberFieldsTakeFiveDigits)
{
    const auto dialog = load(GetParam());
    ASSERT_TRUE(dialog);
    const auto fields = dialog->findChildren<QSpinBox*>();
    ASSERT_FALSE(fields.isEmpty());
    for (QSpinBox* field : fields) {
        EXPECT_GE(field->maximum(), 99999) << field->objectName().toStdString();
        EXPECT_EQ(field->minimum(), 1) << field->objectName().toStdString();
    }
}

TEST_P(TemplateTest, RadioItemsFormOneGroup)
{
    const auto dialog = load(GetParam());
    ASSERT_TRUE(dialog);
    const auto radios = dialog->findChildren<QRadioButton*>();
    ASSERT_GE(radios.size(), 3);
    for (QRadioButton* chosen : radios) {
        chosen->setChecked(true);
        for (QRadioButton* other : radios)
            EXPECT_EQ(other->isChecked(), other == chosen) << other->objectName().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(BothTemplates, TemplateTest, ::testing::Values("PRINT", "SAVEPRINT"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(ResourceLibraryTest, PageListAllowsSeveralPages)
{
    const auto dialog = load("SAVEPRINT");
    ASSERT_TRUE(dialog);
    auto* list = kv::findControl<QAbstractItemView>(dialog.get(), 321);
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->selectionMode() == QAbstractItemView::MultiSelection
                || list->selectionMode() == QAbstractItemView::ExtendedSelection);
}

TEST_F(ResourceLibraryTest, BrowseButtonShowsTheOpenBitmap)
{
    const auto dialog = load("SAVEPRINT");
    ASSERT_TRUE(dialog);
    auto* browse = kv::findControl<QToolButton>(dialog.get(), 110);
    ASSERT_TRUE(browse);
    ASSERT_FALSE(browse->icon().isNull());
    EXPECT_EQ(browse->icon().pixmap(QSize(24, 24), 1.0).toImage(),
              kv::bitmap(QStringLiteral("OPEN")).pixmap(QSize(24, 24), 1.0).toImage());
}

TEST_F(ResourceLibraryTest, TemplateNamesIgnoreLetterCaseAndParentOwnsTheDialog)
{
    QWidget owner;
    for (const char* name : {"print", "Print", "SavePrint", "saveprint"}) {
        QDialog* dialog = kv::loadDialog(QString::fromLatin1(name), &owner);
        ASSERT_TRUE(dialog) << name;
        EXPECT_EQ(dialog->parentWidget(), &owner);
        EXPECT_TRUE(dialog->isWindow()) << name;
    }
    EXPECT_EQ(owner.findChildren<QDialog*>().size(), 4);
}

TEST_F(ResourceLibraryTest, UnknownTemplatesAndIdentifiersGiveNothing)
{
    for (const char* name : {"", "SAVE", "PRINTER", "print.ui", "Lupa"})
        EXPECT_EQ(kv::loadDialog(QString::fromLatin1(name)), nullptr) << name;
    const auto dialog = load("PRINT");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(kv::findControl(dialog.get(), 999), nullptr);
    EXPECT_EQ(kv::findControl(nullptr, 101), nullptr);
    EXPECT_EQ(kv::findControl<QSpinBox>(dialog.get(), 101), nullptr);  // 101 is a push button
}

} // namespace
