#pragma once
// The button bar at the top of the preview window's client area: buttons at fixed pixel
// positions, then the "Factor:" label, the zoom list and the page label.
#include <QWidget>
#include <vector>

namespace kv {

class BarButtonWidget;

class ButtonBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 31;
    ButtonBar(QWidget* parent, bool flat);

    bool flat() const { return flat_; }
    const std::vector<BarButtonWidget*>& buttons() const { return buttons_; }
    void addButton(BarButtonWidget* button);

    // Enables or disables every button by its condition.
    void AEvalWhen();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool flat_;
    std::vector<BarButtonWidget*> buttons_;
};

} // namespace kv
