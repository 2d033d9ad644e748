// A small JSON text writer: objects, arrays, integers, booleans, escaped
// strings and finite numbers. Commas and nesting are tracked here, so
// callers write keys and values in order and nothing else.
//
// Numbers that are not finite have no JSON form; they are written as null.
// Floats are written with nine significant digits, which is enough for any
// float to read back as the same float.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mevlo {

class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();

    // The key of the next value inside an object.
    void key(const char* name);

    void value(int64_t number);
    void value(int32_t number) { value(static_cast<int64_t>(number)); }
    void value(uint32_t number) { value(static_cast<int64_t>(number)); }
    void value(double number);
    void value(float number) { value(static_cast<double>(number)); }
    void value(bool flag);
    void value(const std::string& text);
    void value(const char* text);
    // An already complete JSON value, inserted as it is.
    void rawValue(const std::string& json);

    template <typename T>
    void field(const char* name, const T& v) {
        key(name);
        value(v);
    }

    const std::string& text() const { return text_; }
    std::string& text() { return text_; }

private:
    void beforeValue();
    void putString(const char* text);

    std::string text_;
    // Per open object or array: whether an element was written already.
    std::vector<uint8_t> hasElement_;
    bool afterKey_ = false;
};

}  // namespace mevlo
