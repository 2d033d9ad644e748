#include "io/console_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "io/platform.h"

namespace mevlo {

void startConsoleOutput() { platform::prepareConsole(); }

bool finishConsoleOutput(const char* program) {
    // std::cout writes through stdout (the streams stay synchronised), so
    // its state and stdout's error flag cover everything printed.
    // stdout first: its failing flush says why; a flush through std::cout
    // would fail the same way but lose the reason.
    errno = 0;
    bool ok = true;
    int err = 0;
    if (std::fflush(stdout) != 0) {
        ok = false;
        err = errno;
    }
    if (std::ferror(stdout)) ok = false;
    std::cout.flush();
    if (std::cout.fail()) ok = false;
    if (!ok) {
        std::fprintf(stderr, "%s: standard output: %s\n", program, err != 0 ? std::strerror(err) : "write error");
    }
    return ok;
}

}  // namespace mevlo
