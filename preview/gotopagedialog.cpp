#include "gotopagedialog.h"

#include "lang/kvgl.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace kv {

GoToPageDialog::GoToPageDialog(int currentPage, int totalPages, QWidget* parent)
    : QDialog(parent), page_(new QSpinBox(this))
{
    setWindowTitle(KV_GL(QStringLiteral("Go to page")));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    page_->setRange(1, std::max(1, totalPages));
    page_->setValue(currentPage);
    page_->setAccessibleName(KV_GL(QStringLiteral("Page number")));
    auto* form = new QFormLayout(this);
    form->addRow(KV_GL(QStringLiteral("Page (1 to %1):")).arg(std::max(1, totalPages)), page_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        emit pageChosen(page_->value());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    page_->selectAll();
}

} // namespace kv
