#include "printprogress.h"

#include "lang/kvgl.h"

#include <QCoreApplication>
#include <climits>

namespace kv {

PrintProgress::PrintProgress(QWidget* owner, int pagesPerCopy, int copies) : pages_(pagesPerCopy), copies_(copies)
{
    if (qint64(pagesPerCopy) * copies <= kPagesWithoutProgress)
        return;
    dialog_ = new QProgressDialog(owner);
    dialog_->setWindowTitle(KV_GL(QStringLiteral("Printing")));
    dialog_->setCancelButtonText(KV_GL(QStringLiteral("&Cancel")));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setRange(0, int(std::min<qint64>(qint64(pagesPerCopy) * copies, INT_MAX)));
    // Over the wait cursor of the print, the dialog's Cancel button keeps the arrow.
    dialog_->setCursor(Qt::ArrowCursor);
}

PrintProgress::~PrintProgress()
{
    delete dialog_;
}

bool PrintProgress::advance(int page, int copy)
{
    if (!dialog_)
        return true;
    dialog_->setLabelText(KV_GL(QStringLiteral("Page %1 of %2, copy %3 of %4"))
                              .arg(page).arg(pages_).arg(copy).arg(copies_));
    // The events are let through here, so that a click on Cancel is seen.
    dialog_->setValue(int(std::min<qint64>(qint64(copy - 1) * pages_ + page - 1, INT_MAX)));
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
}

} // namespace kv
