#include "findbar.h"

#include "lang/kvgl.h"
#include "labeltext.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace kv {

FindBar::FindBar(QWidget* parent)
    : QWidget(parent), field_(new QLineEdit(this)),
      wholeWord_(new QCheckBox(withoutAmpersands(KV_GL(QStringLiteral("&Whole words"))), this)),
      status_(new QLabel(this))
{
    setAutoFillBackground(true);
    setAccessibleName(KV_GL(QStringLiteral("Find")));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 3, 6, 3);
    auto* caption = new QLabel(KV_GL(QStringLiteral("Find:")), this);
    caption->setBuddy(field_);
    field_->setAccessibleName(KV_GL(QStringLiteral("Find")));
    field_->setClearButtonEnabled(true);
    field_->setMinimumWidth(180);
    status_->setMinimumWidth(90);
    QToolButton* previous = makeButton(KV_GL(QStringLiteral("Previous match [Shift+F3]")), Qt::UpArrow);
    QToolButton* next = makeButton(KV_GL(QStringLiteral("Next match [F3]")), Qt::DownArrow);
    QToolButton* close = makeButton(KV_GL(QStringLiteral("Close the find bar [Esc]")), Qt::NoArrow);
    close->setText(QStringLiteral("\u2715"));
    for (QWidget* w : std::initializer_list<QWidget*>{caption, field_, previous, next, wholeWord_, status_, close})
        row->addWidget(w);
    connect(field_, &QLineEdit::textChanged, this, &FindBar::searchChanged);
    connect(wholeWord_, &QCheckBox::toggled, this, &FindBar::searchChanged);
    connect(previous, &QToolButton::clicked, this, [this] { emit stepRequested(false); });
    connect(next, &QToolButton::clicked, this, [this] { emit stepRequested(true); });
    connect(close, &QToolButton::clicked, this, &FindBar::closeRequested);
    hide();
}

QToolButton* FindBar::makeButton(const QString& tooltip, Qt::ArrowType arrow)
{
    auto* button = new QToolButton(this);
    button->setArrowType(arrow);
    button->setToolTip(tooltip);
    button->setAccessibleName(tooltip);
    button->setAutoRaise(true);
    return button;
}

QString FindBar::needle() const { return field_->text(); }
bool FindBar::wholeWord() const { return wholeWord_->isChecked(); }
void FindBar::setStatus(const QString& text) { status_->setText(text); }
QString FindBar::status() const { return status_->text(); }

void FindBar::open()
{
    show();
    raise();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        emit closeRequested();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit stepRequested(!(event->modifiers() & Qt::ShiftModifier));
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace kv
