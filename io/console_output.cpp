#include "io/console_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace mevlo {

bool finishConsoleOutput(const char* program) {
    // std::cout writes through stdout (the streams stay synchronised), so
    // its state and stdout's error flag cover everything printed.
    errno = 0;
    std::cout.flush();
    bool ok = !std::cout.fail();
    int err = 0;
    if (std::fflush(stdout) != 0) {
        ok = false;
        err = errno;
    }
    if (std::ferror(stdout)) ok = false;
    if (!ok) {
        std::fprintf(stderr, "%s: standard output: %s\n", program, err != 0 ? std::strerror(err) : "write error");
    }
    return ok;
}

}  // namespace mevlo
