// Checked standard output. A write error on standard output (a full disk, a
// closed pipe with SIGPIPE ignored, /dev/full) is otherwise silent: stdio
// only remembers it in the stream's error flag.
#pragma once

namespace mevlo {

// Called first in main: sets the console up for the UTF-8 text the
// programs print (paths with any character).
void startConsoleOutput();

// Flushes standard output (it stays open: the streams flush it again at
// exit). After a write or flush error at any point of the run, prints
// "<program>: standard output: <reason>" on standard error and returns
// false: the command's status must then be 1.
bool finishConsoleOutput(const char* program);

}  // namespace mevlo
