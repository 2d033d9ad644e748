#include "output_compare.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "runner_support.h"

namespace conformance {
namespace {

// Characters of a line shown on each side of the first difference.
constexpr size_t kQuoteContext = 40;

uint8_t byteAt(const std::string& bytes, size_t offset) {
  return static_cast<uint8_t>(bytes[offset]);
}

uint16_t readU16(const std::string& bytes, size_t offset) {
  return static_cast<uint16_t>(byteAt(bytes, offset) | byteAt(bytes, offset + 1) << 8);
}

uint32_t readU32(const std::string& bytes, size_t offset) {
  return static_cast<uint32_t>(byteAt(bytes, offset)) |
         static_cast<uint32_t>(byteAt(bytes, offset + 1)) << 8 |
         static_cast<uint32_t>(byteAt(bytes, offset + 2)) << 16 |
         static_cast<uint32_t>(byteAt(bytes, offset + 3)) << 24;
}

bool isNanPattern(uint32_t word) {
  return (word & 0x7F800000u) == 0x7F800000u && (word & 0x007FFFFFu) != 0;
}

// For a byte offset, the start of the float word that holds it, if that word is
// one whose NaN payload does not matter.
using FloatWordAt = std::function<std::optional<size_t>(size_t offset)>;

std::string compareBinary(const std::string& expected, const std::string& actual,
                          const FloatWordAt& floatWordAt) {
  const size_t common = std::min(expected.size(), actual.size());
  for (size_t offset = 0; offset < common; ++offset) {
    if (expected[offset] == actual[offset]) {
      continue;
    }
    const std::optional<size_t> word = floatWordAt(offset);
    if (word && 4 <= common - *word && isNanPattern(readU32(expected, *word)) &&
        isNanPattern(readU32(actual, *word))) {
      offset = *word + 3;
      continue;
    }
    return formatText("differs at byte %zu (expected 0x%02x, got 0x%02x)", offset,
                      byteAt(expected, offset), byteAt(actual, offset));
  }
  if (expected.size() != actual.size()) {
    return formatText("has %zu bytes, expected %zu (equal up to byte %zu)", actual.size(),
                      expected.size(), common);
  }
  return std::string();
}

// The byte ranges [begin, end) of vertex coordinates in a 3DS file: the float
// data of every vertex list chunk below main > editor > object > mesh.
class VertexRangeFinder {
 public:
  explicit VertexRangeFinder(const std::string& file) : file_(file) {}

  std::vector<std::pair<size_t, size_t>> find() {
    walk(0, file_.size(), 0);
    return ranges_;
  }

 private:
  static constexpr uint16_t kMain = 0x4D4D;
  static constexpr uint16_t kEditor = 0x3D3D;
  static constexpr uint16_t kNamedObject = 0x4000;
  static constexpr uint16_t kTriangleMesh = 0x4100;
  static constexpr uint16_t kVertexList = 0x4110;
  static constexpr size_t kHeaderSize = 6;

  // Depth 0 holds the main chunk, 1 the editor, 2 objects, 3 meshes, 4 lists.
  void walk(size_t begin, size_t end, int depth) {
    static constexpr uint16_t kContainerAtDepth[] = {kMain, kEditor, kNamedObject, kTriangleMesh};
    size_t offset = begin;
    while (kHeaderSize <= end - offset) {
      const uint16_t id = readU16(file_, offset);
      const uint32_t length = readU32(file_, offset + 2);
      if (length < kHeaderSize || length > end - offset) {
        return;
      }
      const size_t body = offset + kHeaderSize;
      const size_t chunkEnd = offset + length;
      if (depth < 4 && id == kContainerAtDepth[depth]) {
        walk(id == kNamedObject ? afterName(body, chunkEnd) : body, chunkEnd, depth + 1);
      } else if (depth == 4 && id == kVertexList && 2 <= chunkEnd - body) {
        const size_t floats = body + 2;
        const size_t floatBytes = std::min<size_t>(12u * readU16(file_, body), chunkEnd - floats);
        ranges_.emplace_back(floats, floats + floatBytes);
      }
      offset = chunkEnd;
    }
  }

  // An object chunk starts with its NUL-terminated name.
  size_t afterName(size_t begin, size_t end) const {
    const size_t nul = file_.find('\0', begin);
    return nul == std::string::npos || nul >= end ? end : nul + 1;
  }

  const std::string& file_;
  std::vector<std::pair<size_t, size_t>> ranges_;
};

std::string escapeForReport(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      escaped += '\\';
      escaped += c;
    } else if (c == '\t') {
      escaped += "\\t";
    } else if (c == '\r') {
      escaped += "\\r";
    } else if (byte < 0x20 || byte >= 0x7F) {
      escaped += formatText("\\x%02x", byte);
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::string quoteLineAt(const std::string& text, size_t offset) {
  if (offset >= text.size()) {
    return "end of output";
  }
  const size_t lineStart = offset == 0 ? 0 : text.rfind('\n', offset - 1) + 1;  // npos + 1 == 0
  const size_t newline = text.find('\n', offset);
  const size_t lineEnd = newline == std::string::npos ? text.size() : newline;
  const size_t shownStart = std::max(lineStart, offset - std::min(offset, kQuoteContext));
  const size_t shownEnd = std::min(lineEnd, offset + kQuoteContext);
  return formatText("%s\"%s\"%s", shownStart > lineStart ? "..." : "",
                    escapeForReport(text.substr(shownStart, shownEnd - shownStart)).c_str(),
                    shownEnd < lineEnd ? "..." : "");
}

std::string compareText(const std::string& expected, const std::string& actual) {
  const auto firstDifference =
      std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  const size_t offset = static_cast<size_t>(firstDifference.first - expected.begin());
  if (offset == expected.size() && offset == actual.size()) {
    return std::string();
  }
  const size_t line =
      1 + static_cast<size_t>(std::count(expected.begin(), firstDifference.first, '\n'));
  return formatText("differs at line %zu (byte %zu): expected %s, got %s", line, offset,
                    quoteLineAt(expected, offset).c_str(), quoteLineAt(actual, offset).c_str());
}

std::string compare3ds(const std::string& expected, const std::string& actual) {
  const std::vector<std::pair<size_t, size_t>> vertexRanges = VertexRangeFinder(expected).find();
  return compareBinary(expected, actual, [&vertexRanges](size_t offset) -> std::optional<size_t> {
    for (const auto& [begin, end] : vertexRanges) {
      if (offset >= begin && offset < end) {
        return begin + (offset - begin) / 4 * 4;
      }
    }
    return std::nullopt;
  });
}

std::string compareLodWords(const std::string& expected, const std::string& actual) {
  return compareBinary(expected, actual,
                       [](size_t offset) -> std::optional<size_t> { return offset / 4 * 4; });
}

}  // namespace conformance
