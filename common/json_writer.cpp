#include "common/json_writer.h"

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
    // Whole and half numbers below 1e8 (most bounds of a model) have at
    // most nine significant digits, which "%.9g" prints as they are: the
    // integer part, then ".5" for a half. Everything else goes through
    // printf.
    if (std::fabs(number) < 1e8) {
        const double twice = number * 2;
        const double whole = std::floor(twice);
        if (whole == twice) {
            const auto halves = static_cast<int64_t>(std::fabs(twice));
            if (std::signbit(number)) text_ += '-';
            char digits[16];
            char* end = digits + sizeof digits;
            char* at = end;
            if (halves & 1) {
                *--at = '5';
                *--at = '.';
            }
            uint64_t units = static_cast<uint64_t>(halves) / 2;
            do {
                *--at = static_cast<char>('0' + units % 10);
                units /= 10;
            } while (units > 0);
            text_.append(at, static_cast<size_t>(end - at));
            return;
        }
    }
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.9g", number);
    text_ += digits;
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
    text_ += '"';
    for (const char* p = text; *p; ++p) {
        // Plain characters go in runs.
        const char* run = p;
        while (*p && static_cast<unsigned char>(*p) >= 0x20 && *p != '"' && *p != '\\') ++p;
        if (p != run) text_.append(run, static_cast<size_t>(p - run));
        if (!*p) break;
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
