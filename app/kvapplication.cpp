#include "app/kvapplication.h"

#include "app/errorhandler.h"

#include <QEvent>

namespace kv {

KvApplication::KvApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KvApplication::notify(QObject* receiver, QEvent* event)
{
    // The class name lives in static meta data, so it can still be named after the handler
    // threw even when the receiver itself is gone; the event type is taken before delivery.
    const char* receiverClass = receiver ? receiver->metaObject()->className() : "none";
    const int eventType = event ? int(event->type()) : 0;
    return deliverGuarded([&] { return QApplication::notify(receiver, event); }, [&] {
        return QStringList{QStringLiteral("receiver: ") + QString::fromLatin1(receiverClass),
                           QStringLiteral("event type: ") + QString::number(eventType)};
    });
}

} // namespace kv
