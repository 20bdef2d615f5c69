#pragma once
// The find bar: a field for the words to look for, a whole-word option, buttons for the
// previous and next hit, and a note of where the search stands ("3 of 12", "No match").
// Return goes to the next hit, Shift+Return to the previous one, Escape closes the bar.
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace kv {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent);

    QString needle() const;
    bool wholeWord() const;
    void setStatus(const QString& text);
    QString status() const;
    // Shows the bar with the field focused and its text selected, ready to be typed over.
    void open();

    QLineEdit* field() const { return field_; }
    QCheckBox* wholeWordOption() const { return wholeWord_; }

signals:
    void searchChanged();
    void stepRequested(bool forward);
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* makeButton(const QString& tooltip, Qt::ArrowType arrow);

    QLineEdit* field_;
    QCheckBox* wholeWord_;
    QLabel* status_;
};

} // namespace kv
