#pragma once
// Records message boxes instead of showing them, for the life of the object.
#include "platform/notify.h"

#include <vector>

namespace kvtest {

class MessageRecorder {
public:
    MessageRecorder() { kv::setMessageHandler([this](const kv::Message& m) { messages.push_back(m); }); }
    ~MessageRecorder() { kv::setMessageHandler({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    std::vector<kv::Message> messages;
};

} // namespace kvtest
