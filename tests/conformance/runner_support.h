// Small helpers shared by the conformance runner's files.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

#include "console_capture.h"

namespace conformance {

// MinGW's C++ runtime formats with its own (C99) printf, not the system's.
#if defined(__MINGW32__)
#define CONFORMANCE_PRINTF_FORMAT gnu_printf
#else
#define CONFORMANCE_PRINTF_FORMAT printf
#endif

// printf-style formatting into a std::string, for building report lines.
__attribute__((format(CONFORMANCE_PRINTF_FORMAT, 1, 2))) inline std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list argsCopy;
  va_copy(argsCopy, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(&text[0], text.size(), format, argsCopy);
    text.resize(static_cast<size_t>(length));
  }
  va_end(argsCopy);
  return text;
}

// Reads a whole file as bytes. False when it cannot be opened or read.
inline bool readWholeFile(const std::string& path, std::string& bytes) {
  return testprocess::readWholeFile(path, bytes);
}

}  // namespace conformance
