#include "app/messageboxes.h"

#include "platform/notify.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kv {

namespace {

QMessageBox::Icon iconOf(BoxKind kind)
{
    return kind == BoxKind::Stop ? QMessageBox::Critical : QMessageBox::Warning;
}

void showBox(const Message& message)
{
    QMessageBox box(iconOf(message.kind), QString::fromStdString(message.title),
                    QString::fromStdString(message.text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.addButton(message.kind == BoxKind::Attention ? QStringLiteral("&OK") : QStringLiteral("OK"),
                  QMessageBox::AcceptRole);
    box.exec();
}

} // namespace

void installMessageBoxes()
{
    setMessageHandler(showBox);
    setToneHandler([](int, int) { QApplication::beep(); });
}

} // namespace kv
