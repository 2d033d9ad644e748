// Where the library's messages go. Loading, serializing and writing find
// things worth telling the user ("  FUBAR!", "Begin Write", "Objects built:
// 7"); they hand each message, a whole line with its line end, to the sink
// their caller passed in and never print. The command decides what the
// messages become: standard output, a log kept for later, or only a count.
#pragma once

#include <cstdint>
#include <string>

namespace mevlo {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // One message, ending in "\n"; called in the order the work finds them.
    virtual void message(const char* line) = 0;
};

// Drops the messages and counts them: for work whose messages nobody reads
// (a summary that counts problems instead, a longer job that loads models).
class MessageCount final : public MessageSink {
public:
    void message(const char*) override { ++count; }
    int64_t count = 0;
};

// Keeps the messages, in order, as one text.
class MessageLog final : public MessageSink {
public:
    void message(const char* line) override { text += line; }
    std::string text;
};

}  // namespace mevlo
