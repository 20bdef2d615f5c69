#pragma once
// The preview window: a main window whose client area holds the button bar, the eight page
// views and the two scroll bars, painted in the preview's background colour. It forwards its
// events to the preview object (resize -> PaintMeta, scroll bars -> VScroll/HScroll, close ->
// the close handler) and draws the page views' shadows, which lie on it.
#include <QMainWindow>
#include <functional>

class QScrollBar;

namespace kv {

class KORVELLE;

class ClientArea : public QWidget {
    Q_OBJECT
public:
    ClientArea(KORVELLE& owner, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    KORVELLE& owner_;
};

class PreviewWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit PreviewWindow(KORVELLE& owner);

    ClientArea* client() const { return client_; }
    QScrollBar* verticalBar() const { return vBar_; }
    QScrollBar* horizontalBar() const { return hBar_; }
    // Places the scroll bars along the client area's right and bottom edges; a bar whose
    // range is 0..0 is hidden.
    void placeScrollBars();

    // Runs once when the window is first shown (the start handler).
    std::function<void()> onStart;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void wireScrollBar(QScrollBar* bar, bool vertical);

    KORVELLE& owner_;
    ClientArea* client_;
    QScrollBar* vBar_;
    QScrollBar* hBar_;
    bool started_ = false;
};

} // namespace kv
