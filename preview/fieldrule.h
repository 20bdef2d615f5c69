#pragma once
// A number field of a dialog that keeps a rule: while its value breaks the rule it refuses to
// lose the focus (the default beep, and the focus comes back to it). Entering the field marks
// its whole content, so the first digit typed replaces the value shown.
#include <QObject>
#include <functional>

class QSpinBox;

namespace kv {

class FieldRule : public QObject {
public:
    // The rule lives as long as the field (it is the field's child).
    FieldRule(QSpinBox* field, std::function<bool(int)> valid);

    // Whether the field may be left now: it is disabled, or its value keeps the rule.
    bool holds() const;
    // For a confirmation that needs the rule kept: true when it holds; otherwise the field
    // takes the focus back, with the beep unless leaving it has just been refused (a click
    // on the confirming button first takes the focus, and that refusal beeped already).
    bool insist();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Brings the focus back to the field. Fields losing the focus on the way back are not
    // being left: two fields whose rules name each other would otherwise pull it to and fro.
    void takeFocusBack();

    QSpinBox* field_;
    std::function<bool(int)> valid_;
    bool refusedLeaving_ = false;  // since the last key typed into the field
};

} // namespace kv
