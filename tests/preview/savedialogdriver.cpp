#include "savedialogdriver.h"

#include "common/testenv.h"
#include "platform/inifile.h"
#include "preview/previewwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

namespace kvtest {

void SaveDialogDriver::saveAs(const std::function<void(QDialog&)>& drive)
{
    whileModal([this] { preview->PrViewSave(); }, drive);
}

void SaveDialogDriver::startOver()
{
    closePreview();
    messages.messages.clear();
    for (const QString& file : savedFiles())
        QFile::remove(cwd.filePath(file));
}

void SaveDialogDriver::useShippedLanguageTable()
{
    const QString target = cwd.filePath(QStringLiteral("KORVELLE.DBF"));
    QFile::remove(target);
    ASSERT_TRUE(QFile::copy(buildFile(QStringLiteral("app/KORVELLE.DBF")), target));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
}

QString SaveDialogDriver::settingsPath() const { return cwd.filePath(QStringLiteral("KORVELLE.INI")); }

QByteArray SaveDialogDriver::settingsBytes() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString SaveDialogDriver::setting(const QString& key) const
{
    return kv::IniFile(settingsPath()).readString(QStringLiteral("Save2File"), key, QStringLiteral("<none>"));
}

QStringList SaveDialogDriver::savedFiles() const
{
    QStringList files = QDir(cwd.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    files.removeAll(QStringLiteral("KORVELLE.INI"));
    files.removeAll(QStringLiteral("KORVELLE.DBF"));
    return files;
}

void SaveDialogDriver::activate(QDialog& dialog)
{
    dialog.activateWindow();
    QElapsedTimer clock;
    clock.start();
    while (QApplication::activeWindow() != &dialog && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(QApplication::activeWindow(), &dialog);
}

QString SaveDialogDriver::caption(const QDialog& dialog, int id)
{
    QWidget* widget = kv::findControl(&dialog, id);
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        return box->title();
    ADD_FAILURE() << "control " << id << " has no caption";
    return {};
}

void SaveDialogDriver::clickButton(const QDialog& dialog, int id)
{
    if (auto* button = control<QAbstractButton>(dialog, id))
        QTest::mouseClick(button, Qt::LeftButton);
}

void SaveDialogDriver::clickRadio(const QDialog& dialog, int id)
{
    // On the round mark: a radio button wider than its caption takes no click beyond it.
    if (auto* button = control<QAbstractButton>(dialog, id))
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void SaveDialogDriver::chooseFormat(const QDialog& dialog, int index)
{
    auto* format = control<QComboBox>(dialog, 202);
    if (!format)
        return;
    QTest::keyClick(format, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(format, Qt::Key_Down);
    EXPECT_EQ(format->currentIndex(), index);
}

void SaveDialogDriver::typeName(const QDialog& dialog, const QString& text)
{
    auto* name = control<QLineEdit>(dialog, 201);
    if (!name)
        return;
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Backspace);
    QTest::keyClicks(name, text);
}

void SaveDialogDriver::clickOnDigits(QSpinBox* field)
{
    // Left of the middle: the spin buttons lie at the right.
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() / 4, field->height() / 2));
}

void SaveDialogDriver::enterField(QSpinBox* field, const QString& digits)
{
    EXPECT_FALSE(field->hasFocus());
    clickOnDigits(field);
    QCoreApplication::processEvents();
    QTest::keyClicks(field, digits);
}

void SaveDialogDriver::typeInto(QSpinBox* field, const QString& digits)
{
    clickOnDigits(field);
    QCoreApplication::processEvents();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, digits);
}

} // namespace kvtest
