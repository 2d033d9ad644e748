#include "ingltf/gltf_element.h"

#include <cstring>
#include <string>
#include <utility>

namespace mevlo {

namespace {

enum class ValueKind : uint8_t { None, Unsigned, Boolean, TypeName, Numbers, Attributes, Any };

struct FlatKey {
    template <size_t N>
    constexpr FlatKey(const char (&text)[N], ValueKind valueKind, int keyScope)
        : name(text), length(N - 1), kind(valueKind), scope(keyScope) {}
    const char* name;
    size_t length;
    ValueKind kind;
    int scope;  // 0 in the element's object, 1 in its attributes
};

constexpr FlatKey kAccessorKeys[] = {
    {"bufferView", ValueKind::Unsigned, 0}, {"byteOffset", ValueKind::Unsigned, 0},
    {"componentType", ValueKind::Unsigned, 0}, {"normalized", ValueKind::Boolean, 0},
    {"count", ValueKind::Unsigned, 0}, {"type", ValueKind::TypeName, 0},
    {"min", ValueKind::Numbers, 0}, {"max", ValueKind::Numbers, 0},
};
constexpr FlatKey kBufferViewKeys[] = {
    {"buffer", ValueKind::Unsigned, 0}, {"byteOffset", ValueKind::Unsigned, 0},
    {"byteLength", ValueKind::Unsigned, 0}, {"byteStride", ValueKind::Unsigned, 0},
    {"target", ValueKind::Unsigned, 0},
};
constexpr FlatKey kPrimitiveKeys[] = {
    {"attributes", ValueKind::Attributes, 0}, {"indices", ValueKind::Unsigned, 0},
    {"mode", ValueKind::Unsigned, 0}, {"material", ValueKind::Unsigned, 0},
    {"extras", ValueKind::Any, 0}, {"POSITION", ValueKind::Unsigned, 1},
    {"NORMAL", ValueKind::Unsigned, 1}, {"TEXCOORD_0", ValueKind::Unsigned, 1},
};

constexpr bool sameText(const char* a, const char* b) { return *a == *b && (*a == 0 || sameText(a + 1, b + 1)); }
static_assert(sameText(kAccessorKeys[kAccessorBufferView].name, "bufferView") &&
                  sameText(kAccessorKeys[kAccessorByteOffset].name, "byteOffset") &&
                  sameText(kAccessorKeys[kAccessorComponentType].name, "componentType") &&
                  sameText(kAccessorKeys[kAccessorNormalized].name, "normalized") &&
                  sameText(kAccessorKeys[kAccessorCount].name, "count") &&
                  sameText(kAccessorKeys[kAccessorType].name, "type"),
              "accessor slots as the keys stand");
static_assert(sameText(kPrimitiveKeys[kPrimitiveAttributes].name, "attributes") &&
                  sameText(kPrimitiveKeys[kPrimitiveIndices].name, "indices") &&
                  sameText(kPrimitiveKeys[kPrimitiveMode].name, "mode") &&
                  sameText(kPrimitiveKeys[kPrimitiveMaterial].name, "material") &&
                  sameText(kPrimitiveKeys[kPrimitiveExtras].name, "extras") &&
                  sameText(kPrimitiveKeys[kPrimitivePosition].name, "POSITION") &&
                  sameText(kPrimitiveKeys[kPrimitiveNormal].name, "NORMAL") &&
                  sameText(kPrimitiveKeys[kPrimitiveTexCoord0].name, "TEXCOORD_0"),
              "primitive slots as the keys stand");

template <size_t N>
constexpr int sizeOf(const FlatKey (&)[N]) {
    static_assert(N <= GltfFlatElement::kSlots, "more keys than slots");
    return static_cast<int>(N);
}

// The slots of a table's keys by their length (bit i: slot i), so that a
// name is compared with the one or two keys as long as it. (A longer key
// would not compile: it would index past slots.)
constexpr size_t kLongestKey = 15;
struct KeysByLength {
    uint32_t slots[kLongestKey + 1] = {};
};
template <size_t N>
constexpr KeysByLength byLength(const FlatKey (&keys)[N]) {
    KeysByLength index{};
    for (size_t i = 0; i < N; ++i) index.slots[keys[i].length] |= 1u << i;
    return index;
}
constexpr KeysByLength kAccessorKeysByLength = byLength(kAccessorKeys);
constexpr KeysByLength kBufferViewKeysByLength = byLength(kBufferViewKeys);
constexpr KeysByLength kPrimitiveKeysByLength = byLength(kPrimitiveKeys);

struct KeyTable {
    const FlatKey* keys;
    int size;
    const KeysByLength* byLength;
};

KeyTable keysOf(GltfElementKind kind) {
    switch (kind) {
        case GltfElementKind::Accessor:
            return {kAccessorKeys, sizeOf(kAccessorKeys), &kAccessorKeysByLength};
        case GltfElementKind::BufferView:
            return {kBufferViewKeys, sizeOf(kBufferViewKeys), &kBufferViewKeysByLength};
        default:
            return {kPrimitiveKeys, sizeOf(kPrimitiveKeys), &kPrimitiveKeysByLength};
    }
}

// Whether a and b, of n bytes each, are the same: keys are short, so
// compared as two words that overlap rather than through a call.
template <typename Word>
bool sameWords(const char* a, const char* b, size_t n) {
    Word x[2];
    Word y[2];
    std::memcpy(&x[0], a, sizeof(Word));
    std::memcpy(&y[0], b, sizeof(Word));
    std::memcpy(&x[1], a + n - sizeof(Word), sizeof(Word));
    std::memcpy(&y[1], b + n - sizeof(Word), sizeof(Word));
    return x[0] == y[0] && x[1] == y[1];
}

bool sameShortText(const char* a, const char* b, size_t n) {
    if (n >= 8 && n <= 16) return sameWords<uint64_t>(a, b, n);
    if (n >= 4 && n < 8) return sameWords<uint32_t>(a, b, n);
    return std::memcmp(a, b, n) == 0;
}

int slotOf(GltfElementKind kind, int scope, const char* name, size_t length) {
    if (length > kLongestKey) return -1;
    const KeyTable table = keysOf(kind);
    int i = 0;
    for (uint32_t candidates = table.byLength->slots[length]; candidates != 0; candidates >>= 1, ++i) {
        if ((candidates & 1) == 0) continue;
        const FlatKey& key = table.keys[i];
        if (key.scope == scope && sameShortText(key.name, name, length)) return i;
    }
    return -1;
}

// Marks the binary values holding a record or a plain mesh (the JSON text
// cannot make any binary value; packed ones carry another subtype).
constexpr std::uint64_t kFlatSubtype = 0x46;
constexpr std::uint64_t kFlatMeshSubtype = 0x4D;

bool hasSubtype(const nlohmann::json& value, std::uint64_t subtype) {
    return value.is_binary() && value.get_binary().has_subtype() && value.get_binary().subtype() == subtype;
}

template <typename T>
void append(std::vector<uint8_t>& bytes, const T& value) {
    const size_t at = bytes.size();
    bytes.resize(at + sizeof value);
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

// A plain mesh: present, name size, primitive count, the name, the
// records, then their extras.
struct MeshHead {
    uint32_t present;
    uint32_t nameSize;
    uint32_t count;
};

}  // namespace

// ---- Recognising a plain element while it is parsed.

void GltfElementRecognizer::Object::begin(GltfElementKind kind) {
    element_ = GltfFlatElement();
    element_.kind = kind;
    pending_ = -1;
    inner_ = -1;
    flat_ = true;
}

// None before any key.
int GltfElementRecognizer::Object::keyKind(int slot) const {
    return static_cast<int>(slot < 0 ? ValueKind::None : keysOf(element_.kind).keys[slot].kind);
}

void GltfElementRecognizer::Object::key(const std::string& name, size_t depth) {
    if (!flat_) return;
    if (depth == 0 || (depth == 1 && keyKind(pending_) == static_cast<int>(ValueKind::Attributes))) {
        const int slot = slotOf(element_.kind, static_cast<int>(depth), name.c_str(), name.size());
        // Another key, or one given twice (the parsed object keeps the last).
        if (slot < 0 || (element_.present & (1u << slot)) != 0) {
            flat_ = false;
            return;
        }
        element_.present |= 1u << slot;
        (depth == 0 ? pending_ : inner_) = slot;
        return;
    }
    if (keyKind(pending_) != static_cast<int>(ValueKind::Any)) flat_ = false;
}

void GltfElementRecognizer::Object::scalar(Scalar kind, uint64_t value, const std::string* text, size_t depth,
                                           size_t at, size_t after) {
    if (!flat_) return;
    const auto held = static_cast<ValueKind>(keyKind(pending_));
    if (held == ValueKind::Any) {
        if (depth == 0) {
            element_.extrasBegin = static_cast<uint32_t>(at);
            element_.extrasEnd = static_cast<uint32_t>(after);
        }
        return;
    }
    const bool isNumber = kind == Scalar::Integer || kind == Scalar::Unsigned || kind == Scalar::Float;
    if (depth == 1 && held == ValueKind::Numbers) {
        flat_ = isNumber;
        return;
    }
    const bool inAttributes = depth == 1 && held == ValueKind::Attributes;
    if (depth != 0 && !inAttributes) {
        flat_ = false;
        return;
    }
    const int slot = inAttributes ? inner_ : pending_;
    const auto wanted = static_cast<ValueKind>(keyKind(slot));
    if (wanted == ValueKind::Unsigned && kind == Scalar::Unsigned && value <= UINT32_MAX) {
        element_.values[slot] = static_cast<uint32_t>(value);
    } else if (wanted == ValueKind::Boolean && kind == Scalar::Boolean) {
        element_.values[slot] = static_cast<uint32_t>(value);
    } else if (wanted == ValueKind::TypeName && kind == Scalar::String) {
        flat_ = false;
        for (uint32_t i = 0; i < sizeof kGltfTypeNames / sizeof kGltfTypeNames[0]; ++i) {
            if (text->size() == std::char_traits<char>::length(kGltfTypeNames[i]) &&
                std::memcmp(text->data(), kGltfTypeNames[i], text->size()) == 0) {
                element_.values[slot] = i;
                flat_ = true;
                break;
            }
        }
    } else {
        flat_ = false;
    }
}

void GltfElementRecognizer::Object::start(bool array, size_t depth, size_t at) {
    if (!flat_) return;
    const auto held = static_cast<ValueKind>(keyKind(pending_));
    if (held == ValueKind::Any) {
        if (depth == 0) element_.extrasBegin = static_cast<uint32_t>(at);
        return;
    }
    flat_ = depth == 0 && ((array && held == ValueKind::Numbers) || (!array && held == ValueKind::Attributes));
}

void GltfElementRecognizer::Object::end(size_t depth, size_t after) {
    if (flat_ && depth == 0 && keyKind(pending_) == static_cast<int>(ValueKind::Any))
        element_.extrasEnd = static_cast<uint32_t>(after);
}

GltfPackedArray gltfPackedArrayOf(const std::string& key) {
    if (key == "accessors") return GltfPackedArray::Accessors;
    if (key == "bufferViews") return GltfPackedArray::BufferViews;
    if (key == "meshes") return GltfPackedArray::Meshes;
    return GltfPackedArray::None;
}

void GltfElementRecognizer::begin(GltfPackedArray array) {
    mesh_ = array == GltfPackedArray::Meshes;
    flat_ = true;
    if (mesh_) {
        name_.clear();
        primitives_.clear();
        meshPresent_ = 0;
        meshPending_ = -1;
    } else {
        object_.begin(array == GltfPackedArray::Accessors ? GltfElementKind::Accessor : GltfElementKind::BufferView);
    }
}

// A mesh holds its name (depth 0) and the array of its primitives, whose
// objects open at depth 1; a primitive's own members are at depth 2.
void GltfElementRecognizer::key(const std::string& name, size_t depth) {
    if (!mesh_) return object_.key(name, depth);
    if (!flat_) return;
    if (depth >= 2) return object_.key(name, depth - 2);
    if (depth == 1) {
        flat_ = false;
        return;
    }
    meshPending_ = name == "name" ? 0 : name == "primitives" ? 1 : -1;
    if (meshPending_ < 0 || (meshPresent_ & (1u << meshPending_)) != 0) {
        flat_ = false;
        return;
    }
    meshPresent_ |= 1u << meshPending_;
}

void GltfElementRecognizer::scalar(Scalar kind, uint64_t value, const std::string* text, size_t depth, size_t at,
                                   size_t after) {
    if (!mesh_) return object_.scalar(kind, value, text, depth, at, after);
    if (!flat_) return;
    if (depth >= 2) return object_.scalar(kind, value, text, depth - 2, at, after);
    if (depth == 0 && meshPending_ == 0 && kind == Scalar::String) {
        name_ = *text;
        return;
    }
    flat_ = false;
}

void GltfElementRecognizer::start(bool array, size_t depth, size_t at) {
    if (!mesh_) return object_.start(array, depth, at);
    if (!flat_) return;
    if (depth >= 2) return object_.start(array, depth - 2, at);
    if (depth == 0 && array && meshPending_ == 1) return;
    if (depth == 1 && !array) return object_.begin(GltfElementKind::Primitive);
    flat_ = false;
}

void GltfElementRecognizer::end(size_t depth, size_t after) {
    if (!mesh_) return object_.end(depth, after);
    if (!flat_) return;
    if (depth >= 2) return object_.end(depth - 2, after);
    if (depth == 1) {
        flat_ = object_.flat();
        primitives_.push_back(object_.element());
    }
}

bool GltfElementRecognizer::finish(const uint8_t* packed, size_t size, nlohmann::json& value) {
    if (!mesh_) {
        if (!object_.flat()) return false;
        const GltfFlatElement& record = object_.element();
        const auto* at = reinterpret_cast<const uint8_t*>(&record);
        value = nlohmann::json::binary(std::vector<uint8_t>(at, at + sizeof record), kFlatSubtype);
        return true;
    }
    // Offsets fit in 32 bits: the text is no longer (the GLB's own lengths).
    if (!flat_ || size > UINT32_MAX) return false;
    std::vector<uint8_t> bytes;
    bytes.reserve(sizeof(MeshHead) + name_.size() + primitives_.size() * sizeof(GltfFlatElement));
    const MeshHead head{meshPresent_, static_cast<uint32_t>(name_.size()), static_cast<uint32_t>(primitives_.size())};
    append(bytes, head);
    bytes.insert(bytes.end(), name_.begin(), name_.end());
    uint32_t extrasSize = 0;
    for (GltfFlatElement record : primitives_) {
        const uint32_t size = record.extrasEnd - record.extrasBegin;
        record.extrasBegin = extrasSize;
        record.extrasEnd = extrasSize + size;
        extrasSize += size;
        append(bytes, record);
    }
    for (const GltfFlatElement& record : primitives_)
        bytes.insert(bytes.end(), packed + record.extrasBegin, packed + record.extrasEnd);
    value = nlohmann::json::binary(std::move(bytes), kFlatMeshSubtype);
    return true;
}

// ---- A plain mesh as kept.

const std::vector<uint8_t>* GltfFlatMesh::bytesOf(const nlohmann::json& element) {
    return hasSubtype(element, kFlatMeshSubtype) ? &element.get_binary() : nullptr;
}

GltfFlatMesh::GltfFlatMesh(const std::vector<uint8_t>& bytes) {
    MeshHead head{};
    std::memcpy(&head, bytes.data(), sizeof head);
    present_ = head.present;
    name_.assign(reinterpret_cast<const char*>(bytes.data()) + sizeof head, head.nameSize);
    count_ = head.count;
    records_ = bytes.data() + sizeof head + head.nameSize;
    extras_ = records_ + count_ * sizeof(GltfFlatElement);
}

GltfFlatElement GltfFlatMesh::primitive(size_t i) const {
    GltfFlatElement record;
    std::memcpy(&record, records_ + i * sizeof record, sizeof record);
    return record;
}

// ---- Reading either form.

bool GltfFlatElement::of(const nlohmann::json& element, GltfFlatElement& out) {
    if (!hasSubtype(element, kFlatSubtype)) return false;
    std::memcpy(&out, element.get_binary().data(), sizeof out);
    return true;
}

GltfElementFields::GltfElementFields(const nlohmann::json& element, std::string where)
    : flat_(hasSubtype(element, kFlatSubtype)),
      json_(flat_ ? unpacked_ : unpackedElement(element, unpacked_), std::move(where)) {
    if (flat_) std::memcpy(&element_, element.get_binary().data(), sizeof element_);
}

GltfElementFields::GltfElementFields(const GltfFlatElement& element, const uint8_t* extrasBase, std::string where,
                                     int scope)
    : flat_(true), element_(element), extrasBase_(extrasBase), scope_(scope), json_(unpacked_, std::move(where)) {}

// min and max are not kept: they read as absent.
int GltfElementFields::slot(const char* key) const {
    const int i = slotOf(element_.kind, scope_, key, std::char_traits<char>::length(key));
    if (i < 0 || (element_.present & (1u << i)) == 0 || keysOf(element_.kind).keys[i].kind == ValueKind::Numbers)
        return -1;
    return i;
}

bool GltfElementFields::holds(int slot, int kind) const {
    return slot >= 0 && keysOf(element_.kind).keys[slot].kind == static_cast<ValueKind>(kind);
}

nlohmann::json GltfElementFields::asParsed(const char* key) const {
    nlohmann::json object = nlohmann::json::object();
    const int i = slot(key);
    if (i < 0) return object;
    const uint32_t value = element_.values[i];
    switch (keysOf(element_.kind).keys[i].kind) {
        case ValueKind::Boolean:
            object[key] = value != 0;
            break;
        case ValueKind::TypeName:
            object[key] = kGltfTypeNames[value];
            break;
        case ValueKind::Attributes: {
            nlohmann::json& attributes = object[key] = nlohmann::json::object();
            const GltfElementFields inner = member(key);
            for (const FlatKey& entry : kPrimitiveKeys) {
                const int j = inner.slot(entry.name);
                if (entry.scope == 1 && j >= 0) attributes[entry.name] = static_cast<uint64_t>(element_.values[j]);
            }
            break;
        }
        case ValueKind::Any:
            object[key] = nlohmann::json::from_msgpack(extrasBase_ + element_.extrasBegin,
                                                       extrasBase_ + element_.extrasEnd);
            break;
        default:
            object[key] = static_cast<uint64_t>(value);
            break;
    }
    return object;
}

bool GltfElementFields::has(const char* key) const { return flat_ ? slot(key) >= 0 : json_.has(key); }

// Each reader answers from the record when the member is absent or holds
// what it asks for (`take` says whether the value will do); otherwise
// JsonFields answers over the member as parsed, so that every refusal
// reads as it does for a packed element.
template <typename Take, typename General>
bool GltfElementFields::answer(const char* key, int kind, Take take, General general) const {
    if (!flat_) return general(json_);
    const int i = slot(key);
    if (i < 0) return true;
    if (holds(i, kind) && take(element_.values[i])) return true;
    const nlohmann::json object = asParsed(key);
    return general(JsonFields(object, where()));
}

bool GltfElementFields::index(const char* key, size_t limit, int64_t& out, std::string& error) const {
    return answer(
        key, static_cast<int>(ValueKind::Unsigned),
        [&](uint32_t value) {
            if (value >= limit) return false;
            out = value;
            return true;
        },
        [&](const JsonFields& fields) { return fields.index(key, limit, out, error); });
}

bool GltfElementFields::count(const char* key, uint64_t& out, std::string& error) const {
    return answer(
        key, static_cast<int>(ValueKind::Unsigned), [&](uint32_t value) { return out = value, true; },
        [&](const JsonFields& fields) { return fields.count(key, out, error); });
}

bool GltfElementFields::integer(const char* key, int64_t& out, std::string& error) const {
    return answer(
        key, static_cast<int>(ValueKind::Unsigned), [&](uint32_t value) { return out = value, true; },
        [&](const JsonFields& fields) { return fields.integer(key, out, error); });
}

bool GltfElementFields::boolean(const char* key, bool& out, std::string& error) const {
    return answer(
        key, static_cast<int>(ValueKind::Boolean), [&](uint32_t value) { return out = value != 0, true; },
        [&](const JsonFields& fields) { return fields.boolean(key, out, error); });
}

bool GltfElementFields::string(const char* key, std::string& out, std::string& error) const {
    return answer(
        key, static_cast<int>(ValueKind::TypeName),
        [&](uint32_t value) {
            out = kGltfTypeNames[value];
            return true;
        },
        [&](const JsonFields& fields) { return fields.string(key, out, error); });
}

bool GltfElementFields::object(const char* key, std::string& error) const {
    const nlohmann::json* found = nullptr;
    if (!flat_) return json_.object(key, found, error);
    const int i = slot(key);
    if (i < 0 || holds(i, static_cast<int>(ValueKind::Attributes))) return true;
    const nlohmann::json object = asParsed(key);
    return JsonFields(object, where()).object(key, found, error);
}

GltfElementFields GltfElementFields::member(const char* key) const {
    if (flat_) return GltfElementFields(element_, extrasBase_, where(key), scope_ + 1);
    static const nlohmann::json kAbsent;
    const nlohmann::json* found = json_.find(key);
    return GltfElementFields(found != nullptr ? *found : kAbsent, where(key));
}

nlohmann::json GltfElementFields::packed(const char* key) const {
    if (!flat_) {
        const nlohmann::json* found = json_.find(key);
        return found != nullptr ? packedJson(*found) : nlohmann::json();
    }
    const int i = slot(key);
    if (i < 0) return nlohmann::json();
    if (!holds(i, static_cast<int>(ValueKind::Any))) return packedJson(asParsed(key)[key]);
    return packedBytes(std::vector<uint8_t>(extrasBase_ + element_.extrasBegin, extrasBase_ + element_.extrasEnd));
}

}  // namespace mevlo
