#pragma once
// One button of the preview's button bar: a bitmap from the resource library, a tooltip, an
// action, an enabling condition and optionally a drop-down menu opened from its right end.
#include <QAbstractButton>
#include <functional>

class QMenu;

namespace kv {

class ButtonBar;

class BarButtonWidget : public QAbstractButton {
    Q_OBJECT
public:
    struct Definition {
        QString bitmap;                    // resource name
        QString tooltip;
        std::function<void()> action;
        std::function<bool()> enabledWhen; // empty: always enabled
        bool groupStart = false;
        bool border = true;                // bordered (3-D) or flat
        QMenu* dropDown = nullptr;         // owned by the button
    };
    BarButtonWidget(ButtonBar* bar, Definition definition);

    // Swaps the picture and tooltip (the zoom and page-count buttons change with the view).
    void setBitmap(const QString& name, const QString& tooltip);
    const QString& bitmapName() const { return definition_.bitmap; }
    bool groupStart() const { return definition_.groupStart; }
    bool hasDropDown() const { return definition_.dropDown != nullptr; }
    QMenu* dropDown() const { return definition_.dropDown; }

    // The enabling condition now (true when there is none).
    bool condition() const;
    // Shows the button enabled or disabled by its condition.
    void evaluate();
    bool shownEnabled() const { return shownEnabled_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void run();

    Definition definition_;
    bool shownEnabled_ = true;
    bool running_ = false;
    bool hovered_ = false;
};

} // namespace kv
