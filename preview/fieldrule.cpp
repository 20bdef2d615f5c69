#include "fieldrule.h"

#include "platform/notify.h"

#include <QFocusEvent>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTimer>

namespace kv {

namespace {
bool focusReturning = false;  // user-interface thread only
}

FieldRule::FieldRule(QSpinBox* field, std::function<bool(int)> valid)
    : QObject(field), field_(field), valid_(std::move(valid))
{
    field->installEventFilter(this);
}

bool FieldRule::holds() const
{
    return !field_->isEnabled() || valid_(field_->value());
}

bool FieldRule::insist()
{
    if (holds())
        return true;
    if (!refusedLeaving_)
        defaultBeep();
    refusedLeaving_ = false;
    takeFocusBack();
    return false;
}

void FieldRule::takeFocusBack()
{
    const QScopedValueRollback returning(focusReturning, true);
    field_->setFocus();
}

bool FieldRule::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        refusedLeaving_ = false;
    } else if (event->type() == QEvent::FocusIn) {
        // After the click that brought the focus has placed the cursor.
        QTimer::singleShot(0, field_, [f = field_] { f->selectAll(); });
    } else if (event->type() == QEvent::FocusOut && !focusReturning && !holds()) {
        // Another window taking the focus (a message box, another program) is no leaving.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        defaultBeep();
        refusedLeaving_ = true;
        QTimer::singleShot(0, this, [this] { takeFocusBack(); });
    }
    return false;
}

} // namespace kv
