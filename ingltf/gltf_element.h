// The elements of `accessors`, `bufferViews` and `meshes`, which a large
// file holds by the hundred thousand, in the form the parser keeps them: a
// plain record of what glTF defines for them when the element holds
// nothing else, and the packed JSON of the object otherwise (gltf_json.h).
// Readers see either through GltfElementFields, which answers as JsonFields
// does over the object as parsed, with the same checks and messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ingltf/gltf_json.h"

namespace mevlo {

enum class GltfElementKind : uint8_t { Accessor, BufferView, Primitive };

// The top-level arrays whose elements are kept packed or as records.
enum class GltfPackedArray : uint8_t { None, Accessors, BufferViews, Meshes };
GltfPackedArray gltfPackedArrayOf(const std::string& key);

// An accessor, buffer view or mesh primitive whose members are all among
// its kind's keys, none twice, each with the value that key takes: a
// non-negative integer below 2^32, true or false (`normalized`), an
// accessor type name, a primitive's `attributes` (POSITION, NORMAL and
// TEXCOORD_0 only) and its `extras` (any value, kept packed). An
// accessor's `min` and `max` (arrays of numbers) are accepted and not
// kept: nothing reads them.
struct GltfFlatElement {
    static constexpr int kSlots = 8;
    uint32_t values[kSlots] = {};
    uint32_t present = 0;  // bit i: the kind's key i was given
    // A primitive's extras: bytes [extrasBegin, extrasEnd) of what holds
    // the record (while parsing, of the packed mesh).
    uint32_t extrasBegin = 0;
    uint32_t extrasEnd = 0;
    GltfElementKind kind = GltfElementKind::Accessor;

    bool has(int slot) const { return (present & (1u << slot)) != 0; }
    // The record element holds, when the parser kept it as one.
    static bool of(const nlohmann::json& element, GltfFlatElement& out);
};

// The slots of each kind's keys (an accessor's type holds its index in
// kGltfTypeNames).
enum GltfAccessorSlot : int { kAccessorBufferView, kAccessorByteOffset, kAccessorComponentType, kAccessorNormalized,
                              kAccessorCount, kAccessorType };
enum GltfPrimitiveSlot : int { kPrimitiveAttributes, kPrimitiveIndices, kPrimitiveMode, kPrimitiveMaterial,
                               kPrimitiveExtras, kPrimitivePosition, kPrimitiveNormal, kPrimitiveTexCoord0 };
constexpr const char* kGltfTypeNames[] = {"SCALAR", "VEC2", "VEC3", "VEC4", "MAT2", "MAT3", "MAT4"};

// Recognises a plain element from the parser's events while the parser
// packs it, and makes the value to keep instead of the packed one.
class GltfElementRecognizer {
public:
    enum class Scalar : uint8_t { Null, Boolean, Integer, Unsigned, Float, String };

    // An element of the top-level array `array` starts.
    void begin(GltfPackedArray array);
    // Events inside the element. depth counts the containers open inside
    // it (0 directly in its object), before a start opens its own and after
    // an end closes its own. at and after are the packed size before and
    // after the event's bytes.
    void key(const std::string& name, size_t depth);
    // value: of a Boolean (0 or 1) or an Unsigned; text: of a String.
    void scalar(Scalar kind, uint64_t value, const std::string* text, size_t depth, size_t at, size_t after);
    void start(bool array, size_t depth, size_t at);
    void end(size_t depth, size_t after);
    // The element's end: true with the value to keep when it is plain.
    // packed is the whole element packed, size bytes.
    bool finish(const uint8_t* packed, size_t size, nlohmann::json& value);

private:
    // One object: an accessor, a buffer view, or a primitive of a mesh.
    class Object {
    public:
        void begin(GltfElementKind kind);
        void key(const std::string& name, size_t depth);
        void scalar(Scalar kind, uint64_t value, const std::string* text, size_t depth, size_t at, size_t after);
        void start(bool array, size_t depth, size_t at);
        void end(size_t depth, size_t after);
        bool flat() const { return flat_; }
        const GltfFlatElement& element() const { return element_; }

    private:
        int keyKind(int slot) const;
        GltfFlatElement element_;
        int pending_ = -1;  // the slot whose key was read last at depth 0
        int inner_ = -1;    // the same inside attributes
        bool flat_ = false;
    };

    bool mesh_ = false;
    bool flat_ = false;
    Object object_;
    // A mesh: its name, its primitives, and which of its two keys came
    // (bit 0 name, bit 1 primitives) and last.
    std::string name_;
    std::vector<GltfFlatElement> primitives_;
    uint32_t meshPresent_ = 0;
    int meshPending_ = -1;
};

// A plain mesh as the parser keeps it.
class GltfFlatMesh {
public:
    // Null when element is not a plain mesh.
    static const std::vector<uint8_t>* bytesOf(const nlohmann::json& element);
    explicit GltfFlatMesh(const std::vector<uint8_t>& bytes);

    bool hasName() const { return (present_ & 1) != 0; }
    bool hasPrimitives() const { return (present_ & 2) != 0; }
    const std::string& name() const { return name_; }
    size_t primitiveCount() const { return count_; }
    GltfFlatElement primitive(size_t i) const;
    // What the primitives' extras offsets count from.
    const uint8_t* extrasBase() const { return extras_; }

private:
    uint32_t present_ = 0;
    std::string name_;
    size_t count_ = 0;
    const uint8_t* records_ = nullptr;
    const uint8_t* extras_ = nullptr;
};

// The members of one element in either form, read as JsonFields reads the
// object as parsed, with its messages.
class GltfElementFields {
public:
    // element: as the parser kept it, or any JSON value.
    GltfElementFields(const nlohmann::json& element, std::string where);
    // A record; extrasBase is what its extras offsets count from.
    GltfElementFields(const GltfFlatElement& element, const uint8_t* extrasBase, std::string where, int scope = 0);
    GltfElementFields(const GltfElementFields&) = delete;
    GltfElementFields& operator=(const GltfElementFields&) = delete;

    bool has(const char* key) const;
    bool index(const char* key, size_t limit, int64_t& out, std::string& error) const;
    bool count(const char* key, uint64_t& out, std::string& error) const;
    bool integer(const char* key, int64_t& out, std::string& error) const;
    bool boolean(const char* key, bool& out, std::string& error) const;
    bool string(const char* key, std::string& out, std::string& error) const;
    // Checks that the member, when present, is an object.
    bool object(const char* key, std::string& error) const;
    // The members of the member key, which object() found to be an object
    // (none when absent).
    GltfElementFields member(const char* key) const;
    // The member's value packed (see packedJson), or null when absent.
    nlohmann::json packed(const char* key) const;

    std::string where(const char* key) const { return json_.where(key); }
    const std::string& where() const { return json_.where(); }

private:
    // The record's slot holding key in this scope (-1 when it holds no such
    // member), and whether that slot holds values of kind (a ValueKind of
    // the .cpp).
    int slot(const char* key) const;
    bool holds(int slot, int kind) const;
    // {key: value} as parsed, for JsonFields to answer what the record cannot.
    nlohmann::json asParsed(const char* key) const;
    // What every typed reader does (defined beside them).
    template <typename Take, typename General>
    bool answer(const char* key, int kind, Take take, General general) const;

    bool flat_ = false;
    GltfFlatElement element_;
    const uint8_t* extrasBase_ = nullptr;
    int scope_ = 0;
    nlohmann::json unpacked_;
    JsonFields json_;
};

}  // namespace mevlo
