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
    text_ += std::to_string(number);
}

void JsonWriter::value(double number) {
    beforeValue();
    if (!std::isfinite(number)) {
        text_ += "null";
        return;
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
