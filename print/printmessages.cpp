#include "print/printmessages.h"

#include "lang/kvgl.h"
#include "platform/notify.h"

namespace kv {

namespace {
std::string translatedTitle(const QString& title) { return title.isEmpty() ? std::string() : KV_GL(title).toStdString(); }
} // namespace

QString composeMessage(std::initializer_list<MessagePart> parts)
{
    QString message;
    for (const MessagePart& part : parts) message += part.fixed ? KV_GL(part.text) : part.text;
    return message;
}

void printerAlert(const QString& text, const QString& title)
{
    alertBox(text.toStdString(), translatedTitle(title));
}

void printerStop(const QString& text, const QString& title)
{
    stopBox(text.toStdString(), translatedTitle(title));
}

} // namespace kv
