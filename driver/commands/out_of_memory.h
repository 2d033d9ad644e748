// Running out of memory ends a command with a message instead of an abort.
// This is the one place exceptions are caught: an allocation that fails
// anywhere (reading, loading, converting, listing, writing) unwinds to the
// command, whose objects release what they hold on the way (an unfinished
// output file is discarded).
#pragma once

#include <cstdio>
#include <new>

namespace mevlo {

// Runs run() and returns its status; on std::bad_alloc prints
// "<prefix><inputPath>: out of memory" on standard error and returns 1.
template <typename Run>
int runReportingOutOfMemory(const char* prefix, const char* inputPath, Run run) {
    try {
        return run();
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s%s: out of memory\n", prefix, inputPath);
        return 1;
    }
}

}  // namespace mevlo
