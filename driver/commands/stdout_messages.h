// The messages of loading, serializing and writing, printed as the
// commands print them: each on standard output as it comes, in order with
// everything else the command prints there.
#pragma once

#include <cstdio>

#include "common/message_sink.h"

namespace mevlo {

class StdoutMessages final : public MessageSink {
public:
    void message(const char* line) override { std::fputs(line, stdout); }
};

}  // namespace mevlo
