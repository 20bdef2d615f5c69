#include "buttonbar.h"

#include "barbutton.h"

#include <QPainter>

namespace kv {

ButtonBar::ButtonBar(QWidget* parent, bool flat) : QWidget(parent), flat_(flat)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void ButtonBar::addButton(BarButtonWidget* button)
{
    buttons_.push_back(button);
}

void ButtonBar::AEvalWhen()
{
    for (BarButtonWidget* button : buttons_)
        button->evaluate();
}

// A 3-D bar: a light line along the top, a dark one along the bottom.
void ButtonBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

} // namespace kv
