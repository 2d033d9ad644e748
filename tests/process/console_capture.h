// Reading back what a child process wrote to a capture file.
#pragma once

#include <string>

namespace testprocess {

// Reads a whole file as bytes. False when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& bytes);

// The whole file as bytes ("" when it cannot be read).
std::string readCapture(const std::string& path);

// Text as a program on Windows writes it to its console or a redirect: every
// "\n" became "\r\n". Turns it back; nativeLineEnds becomes false when a
// "\n" came without its "\r".
std::string normaliseCrlf(const std::string& raw, bool& nativeLineEnds);

}  // namespace testprocess
