#include "wheelnavigation.h"

#include "korvelle.h"

#include <QWheelEvent>

namespace kv {
namespace {

class WheelNavigation : public QObject {
public:
    WheelNavigation(KORVELLE& preview, QObject* target) : QObject(target), preview_(preview)
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        auto* wheel = static_cast<QWheelEvent*>(event);
        // Touchpads deliver many small deltas: act once per notch's worth.
        accumulated_ += wheel->angleDelta().y() != 0 ? wheel->angleDelta().y() : wheel->angleDelta().x();
        const int notches = accumulated_ / 120;
        accumulated_ %= 120;
        for (int i = 0; i < std::abs(notches); ++i)
            step(notches > 0, wheel->modifiers());
        return true;
    }

private:
    void step(bool up, Qt::KeyboardModifiers modifiers)
    {
        if (modifiers & Qt::ControlModifier) {
            preview_.SoftZoom(up);
        } else if (preview_.lZoom) {
            const int dir = up ? 1 : 2;
            if (modifiers & Qt::ShiftModifier)
                preview_.HScroll(dir);
            else
                preview_.VScroll(dir);
        } else if (up ? preview_.nPage > 1 : preview_.nPage < preview_.nTotalPages) {
            preview_.ChangePage(up ? 2 : 1);
        } else {
            return;
        }
        preview_.AEvalWhen();
    }

    KORVELLE& preview_;
    int accumulated_ = 0;
};

} // namespace

void installWheelNavigation(KORVELLE& preview, QObject* target)
{
    new WheelNavigation(preview, target);
}

} // namespace kv
