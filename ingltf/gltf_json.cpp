#include "ingltf/gltf_json.h"

#include <cmath>

namespace mevlo {

namespace {

// The deepest nesting of arrays and objects in the text, counted outside
// strings; stops counting once past limit. Exact for valid JSON, which is
// all that the parser turns into values.
bool nestingWithin(const uint8_t* data, size_t size, int limit) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t c = data[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

// nlohmann's messages start with "[json.exception.parse_error.101] ".
std::string withoutExceptionTag(const char* what) {
    std::string message = what;
    if (!message.empty() && message[0] == '[') {
        const size_t end = message.find("] ");
        if (end != std::string::npos) message.erase(0, end + 2);
    }
    return message;
}

}  // namespace

bool parseGltfJson(const uint8_t* data, size_t size, nlohmann::json& document, std::string& error) {
    if (!nestingWithin(data, size, kGltfJsonMaxDepth)) {
        error = "malformed JSON: nested deeper than " + std::to_string(kGltfJsonMaxDepth) + " levels";
        return false;
    }
    try {
        document = nlohmann::json::parse(data, data + size);
    } catch (const nlohmann::json::exception& e) {
        error = "malformed JSON: " + withoutExceptionTag(e.what());
        return false;
    }
    if (!document.is_object()) {
        error = "malformed glTF: the JSON is not an object";
        return false;
    }
    return true;
}

std::string shownText(const std::string& text) {
    constexpr size_t kLongest = 100;
    std::string shown = text.size() > kLongest ? text.substr(0, kLongest) + "..." : text;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return shown;
}

const nlohmann::json* JsonFields::find(const char* key) const {
    if (!object_.is_object()) return nullptr;
    const auto it = object_.find(key);
    return it == object_.end() ? nullptr : &*it;
}

bool JsonFields::fail(const char* key, const char* expected, std::string& error) const {
    error = where(key) + ": " + expected;
    return false;
}

bool JsonFields::index(const char* key, size_t limit, int64_t& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_number_integer()) return fail(key, "not an index", error);
    const bool isUnsigned = value->is_number_unsigned();
    const uint64_t u = isUnsigned ? value->get<uint64_t>() : 0;
    const int64_t i = isUnsigned ? 0 : value->get<int64_t>();
    if ((isUnsigned && u >= limit) || (!isUnsigned && (i < 0 || static_cast<uint64_t>(i) >= limit))) {
        error = where(key) + ": " + value->dump() + " is out of range (" + std::to_string(limit) + " entries)";
        return false;
    }
    out = isUnsigned ? static_cast<int64_t>(u) : i;
    return true;
}

bool JsonFields::count(const char* key, uint64_t& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (value->is_number_unsigned()) {
        out = value->get<uint64_t>();
        return true;
    }
    if (value->is_number_integer() && value->get<int64_t>() >= 0) {
        out = static_cast<uint64_t>(value->get<int64_t>());
        return true;
    }
    return fail(key, "not a non-negative integer", error);
}

bool JsonFields::integer(const char* key, int64_t& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_number_integer() || (value->is_number_unsigned() && value->get<uint64_t>() > INT64_MAX))
        return fail(key, "not an integer", error);
    out = value->get<int64_t>();
    return true;
}

bool JsonFields::number(const char* key, double& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_number() || !std::isfinite(value->get<double>())) return fail(key, "not a number", error);
    out = value->get<double>();
    return true;
}

bool JsonFields::boolean(const char* key, bool& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_boolean()) return fail(key, "not true or false", error);
    out = value->get<bool>();
    return true;
}

bool JsonFields::string(const char* key, std::string& out, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_string()) return fail(key, "not a string", error);
    out = value->get_ref<const std::string&>();
    return true;
}

bool JsonFields::numbers(const char* key, double* out, size_t n, std::string& error) const {
    const nlohmann::json* value = find(key);
    if (value == nullptr) return true;
    if (!value->is_array() || value->size() != n) {
        error = where(key) + ": not an array of " + std::to_string(n) + " numbers";
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        const nlohmann::json& element = (*value)[i];
        if (!element.is_number() || !std::isfinite(element.get<double>())) {
            error = where(key) + ": not an array of " + std::to_string(n) + " finite numbers";
            return false;
        }
        out[i] = element.get<double>();
    }
    return true;
}

bool JsonFields::object(const char* key, const nlohmann::json*& out, std::string& error) const {
    out = find(key);
    if (out != nullptr && !out->is_object()) return fail(key, "not an object", error);
    return true;
}

bool JsonFields::array(const char* key, const nlohmann::json*& out, std::string& error) const {
    out = find(key);
    if (out != nullptr && !out->is_array()) return fail(key, "not an array", error);
    return true;
}

}  // namespace mevlo
