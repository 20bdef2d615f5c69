#pragma once
// The small box Ctrl+G opens: a page number from 1 to the report's last page. It does not
// block: `pageChosen` comes when the user confirms.
#include <QDialog>

class QSpinBox;

namespace kv {

class GoToPageDialog : public QDialog {
    Q_OBJECT
public:
    GoToPageDialog(int currentPage, int totalPages, QWidget* parent);
    QSpinBox* pageField() const { return page_; }

signals:
    void pageChosen(int page);

private:
    QSpinBox* page_;
};

} // namespace kv
