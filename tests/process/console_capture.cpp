#include "console_capture.h"

#include <cstdio>

namespace testprocess {

bool readWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return false;
  }
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, got);
  }
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

std::string readCapture(const std::string& path) {
  std::string bytes;
  readWholeFile(path, bytes);
  return bytes;
}

std::string normaliseCrlf(const std::string& raw, bool& nativeLineEnds) {
  std::string text;
  text.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
      continue;
    }
    if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) {
      nativeLineEnds = false;
    }
    text += raw[i];
  }
  return text;
}

}  // namespace testprocess
