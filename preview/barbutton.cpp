#include "barbutton.h"

#include "bargeometry.h"
#include "buttonbar.h"
#include "platform/notify.h"
#include "resourcelib.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionToolButton>

namespace kv {

BarButtonWidget::BarButtonWidget(ButtonBar* bar, Definition definition) : QAbstractButton(bar), definition_(std::move(definition))
{
    setIcon(bitmap(definition_.bitmap));
    setToolTip(definition_.tooltip);
    // Screen readers name a picture-only button by what its tooltip says.
    setAccessibleName(definition_.tooltip);
    setFocusPolicy(Qt::NoFocus);
    if (definition_.dropDown)
        definition_.dropDown->setParent(this, definition_.dropDown->windowFlags());
    bar->addButton(this);
}

void BarButtonWidget::setBitmap(const QString& name, const QString& tooltip)
{
    definition_.bitmap = name;
    definition_.tooltip = tooltip;
    setIcon(bitmap(name));
    setToolTip(tooltip);
    setAccessibleName(tooltip);
}

bool BarButtonWidget::condition() const
{
    return !definition_.enabledWhen || definition_.enabledWhen();
}

void BarButtonWidget::evaluate()
{
    const bool enabled = condition();
    if (enabled != shownEnabled_) {
        shownEnabled_ = enabled;
        update();
    }
}

void BarButtonWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool inside = rect().contains(event->position().toPoint());
    setDown(false);
    if (event->button() != Qt::LeftButton || !inside)
        return;
    QPointer<ButtonBar> bar = qobject_cast<ButtonBar*>(parentWidget());
    if (!condition()) {
        tone(277, 150);
    } else if (running_) {
        return;  // the same button's action has not finished yet
    } else if (definition_.dropDown && opensDropDown(int(event->position().x()), width())) {
        QPointer<BarButtonWidget> self(this);
        definition_.dropDown->exec(mapToGlobal(QPoint(0, height())));
        if (self)
            self->update();
    } else {
        run();
    }
    if (bar)
        bar->AEvalWhen();
}

void BarButtonWidget::run()
{
    if (!definition_.action)
        return;
    QPointer<BarButtonWidget> self(this);
    running_ = true;
    definition_.action();  // may close the window and with it this button
    if (self)
        running_ = false;
}

void BarButtonWidget::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void BarButtonWidget::leaveEvent(QEvent* event)
{
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void BarButtonWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionToolButton option;
    option.initFrom(this);
    option.state = QStyle::State_Enabled;
    if (shownEnabled_ && hovered_)
        option.state |= QStyle::State_MouseOver;
    if (isDown())
        option.state |= QStyle::State_Sunken;
    else if (definition_.border || (hovered_ && shownEnabled_))
        option.state |= QStyle::State_Raised;
    if (definition_.border || (hovered_ && shownEnabled_) || isDown())
        style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, this);

    const int iconArea = definition_.dropDown ? width() - kDropDownWidth : width();
    const QIcon::Mode mode = shownEnabled_ ? QIcon::Normal : QIcon::Disabled;
    const QSize iconSize(24, 24);
    const QPoint iconPos((iconArea - iconSize.width()) / 2, (height() - iconSize.height()) / 2);
    icon().paint(&painter, QRect(iconPos, iconSize), Qt::AlignCenter, mode);

    if (definition_.dropDown) {
        const int x = width() - kDropDownWidth;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(x, 4, x, height() - 5);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = QRect(x + 2, height() / 2 - 4, kDropDownWidth - 4, 8);
        if (!shownEnabled_)
            arrow.state &= ~QStyle::State_Enabled;
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
    }
}

} // namespace kv
