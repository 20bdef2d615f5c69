#pragma once
// The one road by which lower layers talk to the user: message boxes and tones.
// The window layer installs a handler that shows real boxes; tests install one that records
// what would have been shown, so no test ever blocks on a modal box. Without a handler the
// messages go to standard error.
#include <functional>
#include <string>

namespace kv {

enum class BoxKind {
    Stop,       // stop icon, default title "Stop", OK button
    Alert,      // exclamation icon, default title "Alert", OK button
    Attention,  // the page view's alert dialog: title "Attention", one "&OK" button
};

struct Message {
    BoxKind kind;
    std::string title;   // empty: the kind's default title
    std::string text;
};

using MessageHandler = std::function<void(const Message&)>;
using ToneHandler = std::function<void(int hertz, int milliseconds)>;  // hertz 0: default beep

void setMessageHandler(MessageHandler handler);
void setToneHandler(ToneHandler handler);

void showMessage(BoxKind kind, const std::string& text, const std::string& title = {});
void stopBox(const std::string& text, const std::string& title = {});
void alertBox(const std::string& text, const std::string& title = {});
void tone(int hertz, int milliseconds);
void defaultBeep();

std::string defaultTitle(BoxKind kind);

} // namespace kv
