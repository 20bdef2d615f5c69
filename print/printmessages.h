#pragma once
// The printer device's messages to the user: fixed texts pass through the language lookup,
// names and paths put into them do not (the lookup would turn their underscores into blanks).
#include <QString>

namespace kv {

// Concatenates the parts, translating those marked as fixed text.
struct MessagePart {
    QString text;
    bool fixed = true;
};
QString composeMessage(std::initializer_list<MessagePart> parts);

void printerAlert(const QString& text, const QString& title = {});
void printerStop(const QString& text, const QString& title = {});

} // namespace kv
