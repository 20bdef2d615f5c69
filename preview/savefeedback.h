#pragma once
// What the user sees of a running save: for more than one page a progress dialog ("Page k of
// n", the file being written, Cancel) that appears only once the save has taken half a second
// or is bound to; and at the end a line in the message bar saying what was written and where.
//
// Cancel stops the save between pages (export/imagesave.h): the pages written stay, except
// with zip, where no archive is made and this save's pages are deleted.
#include "export/imagesave.h"

#include <QPointer>
#include <QString>

class QProgressDialog;
class QStatusBar;
class QWidget;

namespace kv {

// The progress dialog appears once a save has run this long, or sooner when its first pages
// show it will.
inline constexpr int kProgressDelayMs = 500;

// The message bar's line for a finished save: the number of files and their folder, or the
// archive; cancelled and stopped saves say so first.
QString saveSummary(const SaveReport& report, bool zip);

class SaveFeedback : public SaveProgress {
public:
    // For a save of pageCount pages owned by `window`; the summary goes to `messageBar` when
    // one is given. `zip`: the save packs its pages into an archive.
    SaveFeedback(QWidget* window, QStatusBar* messageBar, int pageCount, bool zip);
    ~SaveFeedback() override;
    SaveFeedback(const SaveFeedback&) = delete;
    SaveFeedback& operator=(const SaveFeedback&) = delete;

    void pageStarted(int index, int count, const QString& file) override;
    bool cancelRequested() override;
    void wait() override;
    void finished(const SaveReport& report) override;

    // The progress dialog; nullptr for a save of one page (or none).
    QProgressDialog* progressDialog() const;

private:
    QPointer<QStatusBar> messageBar_;
    QPointer<QProgressDialog> progress_;
    bool zip_;
};

} // namespace kv
