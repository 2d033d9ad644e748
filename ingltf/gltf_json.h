// The JSON layer under the glTF reader: parsing untrusted text without
// exceptions escaping and without nesting deep enough to exhaust the stack,
// and reading typed members with a one-line reason when one is wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace mevlo {

// Deeper nesting is refused before parsing: copying or comparing a parsed
// value recurses once per level.
constexpr int kGltfJsonMaxDepth = 128;

// Parses size bytes of JSON text into document. False with a one-line
// reason when the text is not JSON or nests deeper than kGltfJsonMaxDepth.
bool parseGltfJson(const uint8_t* data, size_t size, nlohmann::json& document, std::string& error);

// The elements of the top-level arrays that a large file holds by the
// hundred thousand (accessors, bufferViews, meshes) are kept packed, each
// as the compact binary encoding of its object, because the parsed form
// of such an object costs ten times its text. The element as parsed: `element`
// itself, or the one unpacked into `scratch`.
const nlohmann::json& unpackedElement(const nlohmann::json& element, nlohmann::json& scratch);
// A value packed the same way, for what a scene keeps by the hundred
// thousand (primitive extras).
nlohmann::json packedJson(const nlohmann::json& value);
// The value whose packed form is bytes (made by the parser).
nlohmann::json packedBytes(std::vector<uint8_t> bytes);

// A string from the file as a message shows it: on one line (control
// characters become '?') and at most 100 bytes long.
std::string shownText(const std::string& text);

// Members of a JSON object. Each reader leaves out unchanged and returns
// true when the member is absent; it returns false with
// "<where>.<key>: <what it should be>" in error when the member has the
// wrong type or value. `where` names the object ("nodes[3]").
class JsonFields {
public:
    JsonFields(const nlohmann::json& object, std::string where) : object_(object), where_(std::move(where)) {}

    // Null when absent.
    const nlohmann::json* find(const char* key) const;
    bool has(const char* key) const { return find(key) != nullptr; }

    // An index into an array of `limit` entries.
    bool index(const char* key, size_t limit, int64_t& out, std::string& error) const;
    // A non-negative integer.
    bool count(const char* key, uint64_t& out, std::string& error) const;
    bool integer(const char* key, int64_t& out, std::string& error) const;
    // A finite number.
    bool number(const char* key, double& out, std::string& error) const;
    bool boolean(const char* key, bool& out, std::string& error) const;
    bool string(const char* key, std::string& out, std::string& error) const;
    // An array of exactly n finite numbers.
    bool numbers(const char* key, double* out, size_t n, std::string& error) const;
    // An object or an array (null out when absent).
    bool object(const char* key, const nlohmann::json*& out, std::string& error) const;
    bool array(const char* key, const nlohmann::json*& out, std::string& error) const;

    std::string where(const char* key) const { return where_.empty() ? key : where_ + "." + key; }
    const std::string& where() const { return where_; }

private:
    bool fail(const char* key, const char* expected, std::string& error) const;

    const nlohmann::json& object_;
    std::string where_;
};

}  // namespace mevlo
