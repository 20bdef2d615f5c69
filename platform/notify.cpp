#include "notify.h"
#include <cstdio>

namespace kv {
namespace {
MessageHandler& messageHandler() { static MessageHandler h; return h; }
ToneHandler& toneHandler() { static ToneHandler h; return h; }
}

void setMessageHandler(MessageHandler handler) { messageHandler() = std::move(handler); }
void setToneHandler(ToneHandler handler) { toneHandler() = std::move(handler); }

std::string defaultTitle(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Stop: return "Stop";
    case BoxKind::Alert: return "Alert";
    case BoxKind::Attention: return "Attention";
    }
    return {};
}

void showMessage(BoxKind kind, const std::string& text, const std::string& title)
{
    Message m{kind, title.empty() ? defaultTitle(kind) : title, text};
    if (messageHandler())
        messageHandler()(m);
    else
        std::fprintf(stderr, "%s: %s\n", m.title.c_str(), m.text.c_str());
}

void stopBox(const std::string& text, const std::string& title) { showMessage(BoxKind::Stop, text, title); }
void alertBox(const std::string& text, const std::string& title) { showMessage(BoxKind::Alert, text, title); }

void tone(int hertz, int milliseconds)
{
    if (toneHandler())
        toneHandler()(hertz, milliseconds);
}

void defaultBeep() { tone(0, 0); }

} // namespace kv
