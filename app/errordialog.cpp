#include "app/errordialog.h"

#include "lang/kvgl.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace kv {

namespace {

bool canShowWidgets()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance())
        && QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

ErrorChoice showErrorDialog(const QString& report, bool canRetry)
{
    if (!canShowWidgets())
        return ErrorChoice::Quit;
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(KV_GL(QStringLiteral("Error")));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(KV_GL(QStringLiteral("An unexpected error occurred. "
                                                      "This report was written to Error.log:"))));
    auto* text = new QPlainTextEdit(report);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setMinimumSize(640, 360);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox;
    QPushButton* quit = buttons->addButton(KV_GL(QStringLiteral("&Quit")), QDialogButtonBox::RejectRole);
    if (canRetry) {
        QPushButton* retry = buttons->addButton(KV_GL(QStringLiteral("&Retry")), QDialogButtonBox::AcceptRole);
        retry->setDefault(true);
    } else {
        quit->setDefault(true);
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted && canRetry ? ErrorChoice::Retry : ErrorChoice::Quit;
}

} // namespace kv
