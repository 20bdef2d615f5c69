#include "statusindicators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

namespace kv {
namespace {

class KeyIndicator : public QLabel {
public:
    KeyIndicator(const QString& text, int key, QWidget* parent) : QLabel(text, parent), key_(key)
    {
        setAlignment(Qt::AlignCenter);
        setMinimumWidth(fontMetrics().horizontalAdvance(text) + 10);
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setEnabled(false);
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Each key press reaches the filter once per receiving object: count it on the
        // widget that has the focus only.
        if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == key_ && !key->isAutoRepeat())
                setEnabled(!isEnabled());
        }
        return false;
    }

private:
    int key_;
};

} // namespace

void addKeyboardIndicators(QStatusBar& bar)
{
    bar.addPermanentWidget(new KeyIndicator(QStringLiteral("CAPS"), Qt::Key_CapsLock, &bar));
    bar.addPermanentWidget(new KeyIndicator(QStringLiteral("NUM"), Qt::Key_NumLock, &bar));
    bar.addPermanentWidget(new KeyIndicator(QStringLiteral("INS"), Qt::Key_Insert, &bar));
}

} // namespace kv
