#include "common/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace mevlo {

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
    const auto plain = [](unsigned char c) { return c >= 0x20 && c != '"' && c != '\\'; };
    const char* p = text;
    while (*p && plain(static_cast<unsigned char>(*p))) ++p;
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
