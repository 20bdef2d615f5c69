#pragma once
// The thumbnail panel along the left of the preview window: a column of small pages, the
// current one selected; clicking one (or Return on it) goes to that page. It tells its model
// which rows are in sight, so only those are rendered.
#include <QListView>

namespace kv {

class ThumbnailModel;

class ThumbnailPanel : public QListView {
    Q_OBJECT
public:
    ThumbnailPanel(ThumbnailModel* model, QWidget* parent);

    ThumbnailModel* thumbnails() const { return model_; }
    void setCurrentPage(int page);
    // The width the panel takes from the window.
    int panelWidth() const;

signals:
    void pageChosen(int page);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void tellShownRows();

    ThumbnailModel* model_;
};

} // namespace kv
