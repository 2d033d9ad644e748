// The elements of `accessors` and `bufferViews`, which a large file holds by
// the hundred thousand, in the form the parser keeps them: a plain record of
// the numbers glTF defines for them when the element holds nothing else,
// and the packed JSON of the object otherwise (gltf_json.h). Readers see
// either through GltfElementFields, which answers as JsonFields does over
// the object as parsed, with the same checks and messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "ingltf/gltf_json.h"

namespace mevlo {

enum class GltfElementKind : uint8_t { Accessor, BufferView };

// An element whose members are all among its kind's keys, none twice, each
// with the value that key takes: a non-negative integer below 2^32, true or
// false (`normalized`), or an accessor type name. An accessor's `min` and
// `max` (arrays of numbers) are accepted and not kept: nothing reads them.
struct GltfFlatElement {
    static constexpr int kSlots = 8;
    uint32_t values[kSlots] = {};
    uint32_t present = 0;  // bit i: the kind's key i was given
    GltfElementKind kind = GltfElementKind::Accessor;
};

// Recognises an element from the parser's events while it is read (the
// parser packs the element at the same time, for when it is not flat).
// depth is the number of containers open inside the element, 0 directly in
// its object; a start event is given the depth before it opens.
class GltfFlatRecognizer {
public:
    void begin(GltfElementKind kind);
    void key(const std::string& name, size_t depth);
    void number(bool isUnsigned, uint64_t value, size_t depth);
    void boolean(bool value, size_t depth);
    void string(const std::string& value, size_t depth);
    void null() { flat_ = false; }
    void startArray(size_t depth);
    void startObject() { flat_ = false; }

    // Whether the element as read so far is flat, and its record.
    bool flat() const { return flat_; }
    const GltfFlatElement& element() const { return element_; }

private:
    GltfFlatElement element_;
    int pending_ = -1;  // the slot whose key was read last
    bool flat_ = false;
};

// The element as a binary value (what the parser keeps), and back.
nlohmann::json flatElementValue(const GltfFlatElement& element);
bool isFlatElementValue(const nlohmann::json& value);

// The members of one element in either form, read as JsonFields reads the
// object as parsed, with its messages.
class GltfElementFields {
public:
    GltfElementFields(const nlohmann::json& element, std::string where);
    GltfElementFields(const GltfElementFields&) = delete;
    GltfElementFields& operator=(const GltfElementFields&) = delete;

    bool has(const char* key) const;
    bool index(const char* key, size_t limit, int64_t& out, std::string& error) const;
    bool count(const char* key, uint64_t& out, std::string& error) const;
    bool integer(const char* key, int64_t& out, std::string& error) const;
    bool boolean(const char* key, bool& out, std::string& error) const;
    bool string(const char* key, std::string& out, std::string& error) const;
    bool object(const char* key, const nlohmann::json*& out, std::string& error) const;

    std::string where(const char* key) const { return json_.where(key); }
    const std::string& where() const { return json_.where(); }

private:
    // The record's slot holding key (-1 when it holds no such member), and
    // whether that slot holds values of kind (a ValueKind of the .cpp).
    int slot(const char* key) const;
    bool holds(int slot, int kind) const;
    // {key: value} as parsed, for JsonFields to answer what the record cannot.
    nlohmann::json member(const char* key) const;

    bool flat_ = false;
    GltfFlatElement element_;
    nlohmann::json unpacked_;
    JsonFields json_;
};

}  // namespace mevlo
