#pragma once
// The progress of a print of more than a few pages: a dialog saying which page of which copy
// is being printed, with a Cancel button. Fewer pages print without it.
#include <QPointer>
#include <QProgressDialog>
#include <memory>

class QWidget;

namespace kv {

class PrintProgress {
public:
    // More pages than this in all copies together bring the dialog.
    static constexpr int kPagesWithoutProgress = 3;

    PrintProgress(QWidget* owner, int pagesPerCopy, int copies);
    ~PrintProgress();
    PrintProgress(const PrintProgress&) = delete;
    PrintProgress& operator=(const PrintProgress&) = delete;

    // Page `page` (from 1) of copy `copy` (from 1) is next. False once the user has cancelled.
    bool advance(int page, int copy);

private:
    int pages_, copies_;
    QPointer<QProgressDialog> dialog_;
};

} // namespace kv
