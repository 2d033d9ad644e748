#include "ingltf/gltf_element.h"

#include <cstring>
#include <vector>

namespace mevlo {

namespace {

enum class ValueKind : uint8_t { Unsigned, Boolean, TypeName, Numbers };

struct FlatKey {
    const char* name;
    ValueKind kind;
};

constexpr FlatKey kAccessorKeys[] = {
    {"bufferView", ValueKind::Unsigned}, {"byteOffset", ValueKind::Unsigned}, {"componentType", ValueKind::Unsigned},
    {"normalized", ValueKind::Boolean},  {"count", ValueKind::Unsigned},      {"type", ValueKind::TypeName},
    {"min", ValueKind::Numbers},         {"max", ValueKind::Numbers},
};
constexpr FlatKey kBufferViewKeys[] = {
    {"buffer", ValueKind::Unsigned},     {"byteOffset", ValueKind::Unsigned}, {"byteLength", ValueKind::Unsigned},
    {"byteStride", ValueKind::Unsigned}, {"target", ValueKind::Unsigned},
};
constexpr const char* kTypeNames[] = {"SCALAR", "VEC2", "VEC3", "VEC4", "MAT2", "MAT3", "MAT4"};

static_assert(sizeof kAccessorKeys / sizeof kAccessorKeys[0] <= GltfFlatElement::kSlots, "slots");
static_assert(sizeof kBufferViewKeys / sizeof kBufferViewKeys[0] <= GltfFlatElement::kSlots, "slots");

struct KeyTable {
    const FlatKey* keys;
    int size;
};

KeyTable keysOf(GltfElementKind kind) {
    if (kind == GltfElementKind::Accessor) return {kAccessorKeys, static_cast<int>(sizeof kAccessorKeys / sizeof kAccessorKeys[0])};
    return {kBufferViewKeys, static_cast<int>(sizeof kBufferViewKeys / sizeof kBufferViewKeys[0])};
}

// Keys differ in their first letter but for byteOffset, byteLength and
// byteStride, so that letter settles most comparisons.
int slotOf(GltfElementKind kind, const char* name, size_t length) {
    const KeyTable table = keysOf(kind);
    for (int i = 0; i < table.size; ++i) {
        const char* key = table.keys[i].name;
        if (key[0] == name[0] && std::char_traits<char>::length(key) == length && std::memcmp(key, name, length) == 0)
            return i;
    }
    return -1;
}

int slotOf(GltfElementKind kind, const char* name) {
    const KeyTable table = keysOf(kind);
    for (int i = 0; i < table.size; ++i) {
        const char* key = table.keys[i].name;
        if (key[0] == name[0] && std::strcmp(key, name) == 0) return i;
    }
    return -1;
}

// Marks the binary values holding a flat element (the JSON text cannot
// make any binary value; packed ones carry another subtype).
constexpr std::uint64_t kFlatSubtype = 0x46;


}  // namespace

void GltfFlatRecognizer::begin(GltfElementKind kind) {
    element_ = GltfFlatElement();
    element_.kind = kind;
    pending_ = -1;
    flat_ = true;
}

void GltfFlatRecognizer::key(const std::string& name, size_t depth) {
    if (!flat_ || depth != 0) return;
    pending_ = slotOf(element_.kind, name.c_str(), name.size());
    // Another key, or one given twice (the parsed object keeps the last).
    if (pending_ < 0 || (element_.present & (1u << pending_)) != 0) {
        flat_ = false;
        return;
    }
    element_.present |= 1u << pending_;
}

void GltfFlatRecognizer::number(bool isUnsigned, uint64_t value, size_t depth) {
    if (!flat_ || depth > 1) {
        flat_ = false;
        return;
    }
    const ValueKind kind = keysOf(element_.kind).keys[pending_].kind;
    if (depth == 1) {
        // An entry of min or max: any number.
        flat_ = kind == ValueKind::Numbers;
        return;
    }
    if (kind != ValueKind::Unsigned || !isUnsigned || value > UINT32_MAX) {
        flat_ = false;
        return;
    }
    element_.values[pending_] = static_cast<uint32_t>(value);
}

void GltfFlatRecognizer::boolean(bool value, size_t depth) {
    if (!flat_ || depth != 0 || keysOf(element_.kind).keys[pending_].kind != ValueKind::Boolean) {
        flat_ = false;
        return;
    }
    element_.values[pending_] = value ? 1 : 0;
}

void GltfFlatRecognizer::string(const std::string& value, size_t depth) {
    if (!flat_ || depth != 0 || keysOf(element_.kind).keys[pending_].kind != ValueKind::TypeName) {
        flat_ = false;
        return;
    }
    for (uint32_t i = 0; i < sizeof kTypeNames / sizeof kTypeNames[0]; ++i) {
        if (value == kTypeNames[i]) {
            element_.values[pending_] = i;
            return;
        }
    }
    flat_ = false;
}

void GltfFlatRecognizer::startArray(size_t depth) {
    if (!flat_ || depth != 0 || keysOf(element_.kind).keys[pending_].kind != ValueKind::Numbers) flat_ = false;
}

nlohmann::json flatElementValue(const GltfFlatElement& element) {
    std::vector<uint8_t> bytes(sizeof element);
    std::memcpy(bytes.data(), &element, sizeof element);
    return nlohmann::json::binary(std::move(bytes), kFlatSubtype);
}

bool isFlatElementValue(const nlohmann::json& value) {
    return value.is_binary() && value.get_binary().has_subtype() && value.get_binary().subtype() == kFlatSubtype &&
           value.get_binary().size() == sizeof(GltfFlatElement);
}

GltfElementFields::GltfElementFields(const nlohmann::json& element, std::string where)
    : flat_(isFlatElementValue(element)),
      json_(flat_ ? unpacked_ : unpackedElement(element, unpacked_), std::move(where)) {
    if (flat_) std::memcpy(&element_, element.get_binary().data(), sizeof element_);
}

// min and max are not kept: they read as absent.
int GltfElementFields::slot(const char* key) const {
    const int i = slotOf(element_.kind, key);
    if (i < 0 || (element_.present & (1u << i)) == 0 || keysOf(element_.kind).keys[i].kind == ValueKind::Numbers)
        return -1;
    return i;
}

bool GltfElementFields::holds(int slot, int kind) const {
    return slot >= 0 && keysOf(element_.kind).keys[slot].kind == static_cast<ValueKind>(kind);
}

nlohmann::json GltfElementFields::member(const char* key) const {
    nlohmann::json object = nlohmann::json::object();
    const int i = slot(key);
    if (i < 0) return object;
    const uint32_t value = element_.values[i];
    switch (keysOf(element_.kind).keys[i].kind) {
        case ValueKind::Boolean:
            object[key] = value != 0;
            break;
        case ValueKind::TypeName:
            object[key] = kTypeNames[value];
            break;
        default:
            object[key] = static_cast<uint64_t>(value);
            break;
    }
    return object;
}

bool GltfElementFields::has(const char* key) const { return flat_ ? slot(key) >= 0 : json_.has(key); }

// Each reader answers from the record when the member is absent or holds
// what it asks for; otherwise JsonFields answers over the member as parsed,
// so that every refusal reads as it does for a packed element.
bool GltfElementFields::index(const char* key, size_t limit, int64_t& out, std::string& error) const {
    if (!flat_) return json_.index(key, limit, out, error);
    const int i = slot(key);
    if (i < 0) return true;
    if (holds(i, static_cast<int>(ValueKind::Unsigned)) && element_.values[i] < limit) {
        out = element_.values[i];
        return true;
    }
    const nlohmann::json object = member(key);
    return JsonFields(object, where()).index(key, limit, out, error);
}

bool GltfElementFields::count(const char* key, uint64_t& out, std::string& error) const {
    if (!flat_) return json_.count(key, out, error);
    const int i = slot(key);
    if (i < 0) return true;
    if (holds(i, static_cast<int>(ValueKind::Unsigned))) {
        out = element_.values[i];
        return true;
    }
    const nlohmann::json object = member(key);
    return JsonFields(object, where()).count(key, out, error);
}

bool GltfElementFields::integer(const char* key, int64_t& out, std::string& error) const {
    if (!flat_) return json_.integer(key, out, error);
    const int i = slot(key);
    if (i < 0) return true;
    if (holds(i, static_cast<int>(ValueKind::Unsigned))) {
        out = element_.values[i];
        return true;
    }
    const nlohmann::json object = member(key);
    return JsonFields(object, where()).integer(key, out, error);
}

bool GltfElementFields::boolean(const char* key, bool& out, std::string& error) const {
    if (!flat_) return json_.boolean(key, out, error);
    const int i = slot(key);
    if (i < 0) return true;
    if (holds(i, static_cast<int>(ValueKind::Boolean))) {
        out = element_.values[i] != 0;
        return true;
    }
    const nlohmann::json object = member(key);
    return JsonFields(object, where()).boolean(key, out, error);
}

bool GltfElementFields::string(const char* key, std::string& out, std::string& error) const {
    if (!flat_) return json_.string(key, out, error);
    const int i = slot(key);
    if (i < 0) return true;
    if (holds(i, static_cast<int>(ValueKind::TypeName))) {
        out = kTypeNames[element_.values[i]];
        return true;
    }
    const nlohmann::json object = member(key);
    return JsonFields(object, where()).string(key, out, error);
}

bool GltfElementFields::object(const char* key, const nlohmann::json*& out, std::string& error) const {
    if (!flat_) return json_.object(key, out, error);
    out = nullptr;
    if (slot(key) < 0) return true;
    // A member the record holds is a scalar: not an object.
    const nlohmann::json object = member(key);
    const bool read = JsonFields(object, where()).object(key, out, error);
    out = nullptr;
    return read;
}

}  // namespace mevlo
