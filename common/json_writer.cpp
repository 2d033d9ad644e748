#include "common/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace mevlo {

namespace {

// The bytes a JSON string holds as they are: not the end (0), not a
// control character, not a quote or backslash.
struct PlainBytes {
    bool plain[256];
    constexpr PlainBytes() : plain() {
        for (int c = 0x20; c < 256; ++c) plain[c] = c != '"' && c != '\\';
    }
    bool operator[](unsigned char c) const { return plain[c]; }
};
constexpr PlainBytes kPlainInString;

}  // namespace

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasElement_.empty()) {
        if (hasElement_.back()) text_ += ',';
        hasElement_.back() = true;
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    text_ += '{';
    hasElement_.push_back(false);
}

void JsonWriter::endObject() {
    text_ += '}';
    hasElement_.pop_back();
}

void JsonWriter::beginArray() {
    beforeValue();
    text_ += '[';
    hasElement_.push_back(false);
}

void JsonWriter::endArray() {
    text_ += ']';
    hasElement_.pop_back();
}

void JsonWriter::key(const char* name) {
    beforeValue();
    putString(name);
    text_ += ':';
    afterKey_ = true;
}

void JsonWriter::value(int64_t number) {
    beforeValue();
    // Digits from the back of a small buffer: no string is made per number.
    char digits[24];
    char* end = digits + sizeof digits;
    char* at = end;
    uint64_t magnitude = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
    do {
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (number < 0) *--at = '-';
    text_.append(at, static_cast<size_t>(end - at));
}

void JsonWriter::value(double number) {
    beforeValue();
    if (!std::isfinite(number)) {
        text_ += "null";
        return;
    }
    // Whole and half numbers below 1e8 (most bounds of a model) have at
    // most nine significant digits, which "%.9g" prints as they are: the
    // integer part, then ".5" for a half.
    if (std::fabs(number) < 1e8 && std::floor(number * 2) == number * 2) {
        const auto halves = static_cast<uint64_t>(std::fabs(number * 2));
        char digits[16];
        char* const end = digits + sizeof digits;
        char* at = end;
        if (halves & 1) {
            *--at = '5';
            *--at = '.';
        }
        uint64_t units = halves / 2;
        do {
            *--at = static_cast<char>('0' + units % 10);
            units /= 10;
        } while (units > 0);
        if (std::signbit(number)) *--at = '-';
        text_.append(at, static_cast<size_t>(end - at));
        return;
    }
    // Exactly what "%.9g" prints, without printf's format parsing.
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, number, std::chars_format::general, 9);
    text_.append(digits, written.ptr);
}

void JsonWriter::value(bool flag) {
    beforeValue();
    text_ += flag ? "true" : "false";
}

void JsonWriter::value(const std::string& text) { value(text.c_str()); }

void JsonWriter::value(const char* text) {
    beforeValue();
    putString(text);
}

void JsonWriter::putString(const char* text) {
    // Names and most values need no escapes: they go in whole.
    const char* p = text;
    while (kPlainInString[static_cast<unsigned char>(*p)]) ++p;
    text_ += '"';
    text_.append(text, static_cast<size_t>(p - text));
    for (; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            text_ += escaped;
        } else {
            text_ += static_cast<char>(c);
        }
    }
    text_ += '"';
}

void JsonWriter::rawValue(const std::string& json) {
    beforeValue();
    text_ += json;
}

}  // namespace mevlo
