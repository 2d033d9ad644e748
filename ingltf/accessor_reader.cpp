#include "ingltf/accessor_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/byte_order.h"
#include "ingltf/gltf_element.h"
#include "ingltf/gltf_json.h"

namespace mevlo {

namespace {

constexpr int64_t kByte = 5120;
constexpr int64_t kUnsignedByte = 5121;
constexpr int64_t kShort = 5122;
constexpr int64_t kUnsignedShort = 5123;
constexpr int64_t kUnsignedInt = 5125;
constexpr int64_t kFloat = 5126;

size_t componentSize(int64_t type) {
    switch (type) {
        case kByte:
        case kUnsignedByte:
            return 1;
        case kShort:
        case kUnsignedShort:
            return 2;
        case kUnsignedInt:
        case kFloat:
            return 4;
        default:
            return 0;
    }
}

// The components of each of kGltfTypeNames.
constexpr int kTypeComponents[] = {1, 2, 3, 4, 4, 9, 16};

int componentsOf(const std::string& type) {
    if (type == "SCALAR") return 1;
    if (type == "VEC2") return 2;
    if (type == "VEC3") return 3;
    if (type == "VEC4") return 4;
    if (type == "MAT2") return 4;
    if (type == "MAT3") return 9;
    if (type == "MAT4") return 16;
    return 0;
}

const char* typeName(int components) {
    switch (components) {
        case 1:
            return "SCALAR";
        case 2:
            return "VEC2";
        default:
            return "VEC3";
    }
}

constexpr bool kLittleEndianHost =
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    true;
#elif defined(_WIN32)
    true;
#else
    false;
#endif

// A component as a float: normalized integers map to [0, 1] or [-1, 1] by
// the formulas glTF gives; others keep their value.
float componentAsFloat(const uint8_t* p, int64_t type, bool normalized) {
    switch (type) {
        case kByte: {
            const auto c = static_cast<int8_t>(p[0]);
            return normalized ? std::max(c / 127.0f, -1.0f) : static_cast<float>(c);
        }
        case kUnsignedByte:
            return normalized ? p[0] / 255.0f : static_cast<float>(p[0]);
        case kShort: {
            const auto c = static_cast<int16_t>(loadU16LE(p));
            return normalized ? std::max(c / 32767.0f, -1.0f) : static_cast<float>(c);
        }
        case kUnsignedShort:
            return normalized ? loadU16LE(p) / 65535.0f : static_cast<float>(loadU16LE(p));
        case kUnsignedInt:
            return static_cast<float>(loadU32LE(p));
        default:
            return loadF32LE(p);
    }
}

uint32_t componentAsIndex(const uint8_t* p, int64_t type) {
    switch (type) {
        case kUnsignedByte:
            return p[0];
        case kUnsignedShort:
            return loadU16LE(p);
        default:
            return loadU32LE(p);
    }
}

// Whether count elements of elementSize bytes, stride apart, fit in the
// size bytes after offset; written as subtractions so that nothing overflows.
bool fits(uint64_t offset, uint64_t count, uint64_t elementSize, uint64_t stride, uint64_t size) {
    if (offset > size || elementSize > size - offset) return count == 0 && offset <= size;
    return count == 0 || (count - 1) <= (size - offset - elementSize) / stride;
}

// Whether no value is infinite or NaN (exponent bits all ones), looked at
// without a branch a value so that the loop runs wide; the caller finds
// which one is not.
bool allFinite(const float* values, size_t count) {
    uint32_t notFinite = 0;
    for (size_t i = 0; i < count; ++i) {
        uint32_t bits;
        std::memcpy(&bits, values + i, sizeof bits);
        notFinite |= (bits & 0x7F800000u) == 0x7F800000u ? 1u : 0u;
    }
    return notFinite == 0;
}

std::string whereOf(size_t accessor) { return "accessors[" + std::to_string(accessor) + "]"; }

}  // namespace

// Where an accessor's elements are and how each is stored.
struct AccessorReader::Layout {
    int64_t componentType = 0;
    bool normalized = false;
    int components = 0;
    uint64_t count = 0;
    // Null when the accessor has no buffer view (all zeros before sparse).
    const uint8_t* data = nullptr;
    size_t stride = 0;
    bool inPlace = false;
    // Sparse substitution: sparseCount (index, value) pairs.
    uint64_t sparseCount = 0;
    const uint8_t* sparseIndices = nullptr;
    int64_t sparseIndexType = 0;
    const uint8_t* sparseValues = nullptr;
};

AccessorReader::AccessorReader(const nlohmann::json* accessors, const GltfInputData& binary, GltfScene& scene)
    : accessors_(accessors), binary_(binary), scene_(scene), cache_(count()) {
    // Four times the bytes there are: bytes widened to ints, plus room for
    // small files whose accessors have no buffer view at all.
    const uint64_t total = binary.totalBytes + scene.file.size();
    budget_ = total <= (UINT64_MAX - (1u << 20)) / 4 ? 4 * total + (1u << 20) : UINT64_MAX;
}

bool AccessorReader::charge(uint64_t bytes, size_t accessor, std::string& error) {
    if (bytes > budget_) {
        error = whereOf(accessor) +
                ": decoding it would bring the accessors to more than four times the file's size";
        return false;
    }
    budget_ -= bytes;
    return true;
}

// An accessor kept as a record and read without a fault, read straight
// from the record; false for whatever needs the general reading below
// (which then gives the message).
bool AccessorReader::describeRecord(const GltfFlatElement& record, Layout& layout) const {
    if (record.kind != GltfElementKind::Accessor || !record.has(kAccessorComponentType) ||
        !record.has(kAccessorCount) || !record.has(kAccessorType))
        return false;
    layout.componentType = record.values[kAccessorComponentType];
    layout.normalized = record.has(kAccessorNormalized) && record.values[kAccessorNormalized] != 0;
    layout.count = record.values[kAccessorCount];
    layout.components = kTypeComponents[record.values[kAccessorType]];
    const size_t componentBytes = componentSize(layout.componentType);
    if (componentBytes == 0 ||
        (layout.normalized && (layout.componentType == kFloat || layout.componentType == kUnsignedInt)))
        return false;
    if (!record.has(kAccessorBufferView)) return true;
    const uint32_t view = record.values[kAccessorBufferView];
    if (view >= binary_.views.size()) return false;
    const uint64_t offset = record.has(kAccessorByteOffset) ? record.values[kAccessorByteOffset] : 0;
    const uint64_t elementSize = componentBytes * static_cast<uint64_t>(layout.components);
    const GltfInputView& bytes = binary_.views[view];
    layout.stride = bytes.stride != 0 ? bytes.stride : static_cast<size_t>(elementSize);
    if (layout.stride < elementSize || !fits(offset, layout.count, elementSize, layout.stride, bytes.size))
        return false;
    layout.data = bytes.data + offset;
    layout.inPlace = bytes.inPlace;
    return true;
}

bool AccessorReader::describe(size_t accessor, Layout& layout, std::string& error) const {
    GltfFlatElement record;
    if (GltfFlatElement::of((*accessors_)[accessor], record)) {
        if (describeRecord(record, layout)) return true;
        layout = Layout();
    }
    const std::string where = whereOf(accessor);
    const GltfElementFields fields((*accessors_)[accessor], where);
    int64_t view = -1;
    uint64_t offset = 0;
    std::string type;
    if (!fields.index("bufferView", binary_.views.size(), view, error) || !fields.count("byteOffset", offset, error) ||
        !fields.integer("componentType", layout.componentType, error) ||
        !fields.boolean("normalized", layout.normalized, error) || !fields.count("count", layout.count, error) ||
        !fields.string("type", type, error))
        return false;
    const size_t componentBytes = componentSize(layout.componentType);
    layout.components = componentsOf(type);
    if (componentBytes == 0 || layout.components == 0 || !fields.has("count")) {
        error = where + ": needs componentType, count and type";
        return false;
    }
    if (layout.normalized && (layout.componentType == kFloat || layout.componentType == kUnsignedInt)) {
        error = where + ": normalized with a component type that cannot be";
        return false;
    }
    const uint64_t elementSize = componentBytes * static_cast<uint64_t>(layout.components);
    if (view >= 0) {
        const GltfInputView& bytes = binary_.views[static_cast<size_t>(view)];
        layout.stride = bytes.stride != 0 ? bytes.stride : static_cast<size_t>(elementSize);
        if (layout.stride < elementSize) {
            error = where + ": elements of " + std::to_string(elementSize) + " bytes, " +
                    std::to_string(layout.stride) + " bytes apart";
            return false;
        }
        if (!fits(offset, layout.count, elementSize, layout.stride, bytes.size)) {
            error = where + ": " + std::to_string(layout.count) + " elements reach past bufferView " +
                    std::to_string(view) + " (" + std::to_string(bytes.size) + " bytes)";
            return false;
        }
        layout.data = bytes.data + offset;
        layout.inPlace = bytes.inPlace;
    }
    if (!fields.object("sparse", error)) return false;
    if (!fields.has("sparse")) return true;
    const GltfElementFields sparseFields = fields.member("sparse");
    if (!sparseFields.count("count", layout.sparseCount, error) || !sparseFields.object("indices", error) ||
        !sparseFields.object("values", error))
        return false;
    if (!sparseFields.has("indices") || !sparseFields.has("values") || layout.sparseCount == 0 ||
        layout.sparseCount > layout.count) {
        error = sparseFields.where() + ": needs indices, values and a count from 1 to the accessor's count";
        return false;
    }
    const GltfElementFields indexFields = sparseFields.member("indices");
    const GltfElementFields valueFields = sparseFields.member("values");
    int64_t indexView = -1;
    int64_t valueView = -1;
    uint64_t indexOffset = 0;
    uint64_t valueOffset = 0;
    if (!indexFields.index("bufferView", binary_.views.size(), indexView, error) ||
        !indexFields.count("byteOffset", indexOffset, error) ||
        !indexFields.integer("componentType", layout.sparseIndexType, error) ||
        !valueFields.index("bufferView", binary_.views.size(), valueView, error) ||
        !valueFields.count("byteOffset", valueOffset, error))
        return false;
    if (indexView < 0 || valueView < 0 ||
        (layout.sparseIndexType != kUnsignedByte && layout.sparseIndexType != kUnsignedShort &&
         layout.sparseIndexType != kUnsignedInt)) {
        error = sparseFields.where() + ": needs index and value buffer views and an unsigned index type";
        return false;
    }
    const GltfInputView& indexBytes = binary_.views[static_cast<size_t>(indexView)];
    const GltfInputView& valueBytes = binary_.views[static_cast<size_t>(valueView)];
    const uint64_t indexSize = componentSize(layout.sparseIndexType);
    if (!fits(indexOffset, layout.sparseCount, indexSize, indexSize, indexBytes.size) ||
        !fits(valueOffset, layout.sparseCount, elementSize, elementSize, valueBytes.size)) {
        error = sparseFields.where() + ": " + std::to_string(layout.sparseCount) +
                " substitutions reach past their buffer views";
        return false;
    }
    layout.sparseIndices = indexBytes.data + indexOffset;
    layout.sparseValues = valueBytes.data + valueOffset;
    return true;
}

template <typename T, typename Convert>
bool AccessorReader::decode(const Layout& layout, size_t accessor, std::vector<T>& out, Convert convert,
                            std::string& error) {
    const auto components = static_cast<size_t>(layout.components);
    // The count is backed by bytes of a buffer view, or, without one, by
    // the budget alone; either way it is checked before anything is made.
    if (layout.count > UINT64_MAX / (components * sizeof(T)) ||
        !charge(layout.count * components * sizeof(T), accessor, error))
        return false;
    const auto count = static_cast<size_t>(layout.count);
    const size_t componentBytes = componentSize(layout.componentType);
    out.assign(count * components, T());
    if (layout.data != nullptr) {
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* element = layout.data + i * layout.stride;
            for (size_t c = 0; c < components; ++c) out[i * components + c] = convert(element + c * componentBytes);
        }
    }
    const size_t indexSize = componentSize(layout.sparseIndexType);
    const size_t elementSize = componentBytes * components;
    for (uint64_t k = 0; k < layout.sparseCount; ++k) {
        const uint32_t target = componentAsIndex(layout.sparseIndices + k * indexSize, layout.sparseIndexType);
        if (target >= count) {
            error = whereOf(accessor) + ".sparse: substitutes element " + std::to_string(target) + " of " +
                    std::to_string(count);
            return false;
        }
        const uint8_t* element = layout.sparseValues + k * elementSize;
        for (size_t c = 0; c < components; ++c) out[target * components + c] = convert(element + c * componentBytes);
    }
    return true;
}

bool AccessorReader::floats(size_t accessor, int components, bool mustBeFinite, GltfArray<float>& out,
                            std::string& error) {
    Cached& cached = cache_[accessor];
    if (!cached.floatsRead) {
        Layout layout;
        if (!describe(accessor, layout, error)) return false;
        if (layout.components != components) {
            error = whereOf(accessor) + ": not " + typeName(components);
            return false;
        }
        const size_t elementSize = 4 * static_cast<size_t>(components);
        const bool viewable = kLittleEndianHost && layout.inPlace && layout.componentType == kFloat &&
                              layout.sparseCount == 0 && layout.stride == elementSize &&
                              reinterpret_cast<uintptr_t>(layout.data) % alignof(float) == 0;
        if (viewable) {
            cached.floats = GltfArray<float>::view(reinterpret_cast<const float*>(layout.data),
                                                   static_cast<size_t>(layout.count) * components);
        } else {
            std::vector<float> decoded;
            const int64_t type = layout.componentType;
            const bool normalized = layout.normalized;
            if (!decode(layout, accessor, decoded,
                        [type, normalized](const uint8_t* p) { return componentAsFloat(p, type, normalized); },
                        error))
                return false;
            scene_.decodedFloats.push_back(std::move(decoded));
            const std::vector<float>& held = scene_.decodedFloats.back();
            cached.floats = GltfArray<float>::view(held.data(), held.size());
        }
        cached.count = static_cast<size_t>(layout.count);
        cached.components = components;
        cached.floatsRead = true;
    }
    if (cached.components != components) {
        error = whereOf(accessor) + ": not " + typeName(components);
        return false;
    }
    if (mustBeFinite && !cached.finiteChecked && !allFinite(cached.floats.data(), cached.floats.size())) {
        for (size_t i = 0; i < cached.floats.size(); ++i) {
            if (!std::isfinite(cached.floats[i])) {
                error = whereOf(accessor) + ": element " + std::to_string(i / components) +
                        " is not finite";
                return false;
            }
        }
    }
    if (mustBeFinite) cached.finiteChecked = true;
    out = cached.floats;
    return true;
}

bool AccessorReader::indices(size_t accessor, GltfIndices& out, uint32_t& largest, std::string& error) {
    Cached& cached = cache_[accessor];
    if (!cached.indicesRead) {
        Layout layout;
        if (!describe(accessor, layout, error)) return false;
        if (layout.components != 1 || layout.normalized ||
            (layout.componentType != kUnsignedByte && layout.componentType != kUnsignedShort &&
             layout.componentType != kUnsignedInt)) {
            error = whereOf(accessor) + ": indices must be SCALAR unsigned bytes, shorts or ints";
            return false;
        }
        // The scene holds every buffer's bytes, so tightly stored indices
        // are read there, at any width, alignment or host byte order.
        const size_t width = componentSize(layout.componentType);
        if (layout.sparseCount == 0 && layout.data != nullptr && layout.stride == width) {
            // Counted against the budget at four bytes an index, as a
            // decoded list is, so that which files are refused does not
            // depend on how their indices are stored (an aligned 32-bit
            // list in a mapped file is the one form never counted).
            const bool wasViewed = kLittleEndianHost && layout.inPlace && width == 4 &&
                                   reinterpret_cast<uintptr_t>(layout.data) % alignof(uint32_t) == 0;
            if (!wasViewed && (layout.count > UINT64_MAX / sizeof(uint32_t) ||
                               !charge(layout.count * sizeof(uint32_t), accessor, error)))
                return false;
            cached.indices =
                GltfIndices::stored(layout.data, static_cast<size_t>(layout.count), static_cast<int>(width));
        } else {
            std::vector<uint32_t> decoded;
            const int64_t type = layout.componentType;
            if (!decode(layout, accessor, decoded, [type](const uint8_t* p) { return componentAsIndex(p, type); },
                        error))
                return false;
            scene_.decodedIndices.push_back(std::move(decoded));
            const std::vector<uint32_t>& held = scene_.decodedIndices.back();
            cached.indices = GltfIndices::view(held.data(), held.size());
        }
        uint32_t most = 0;
        cached.indices.forEach(0, cached.indices.size(), [&most](uint32_t index) { most = std::max(most, index); });
        cached.largest = most;
        cached.count = static_cast<size_t>(layout.count);
        cached.indicesRead = true;
    }
    out = cached.indices;
    largest = cached.largest;
    return true;
}

GltfIndices AccessorReader::sequence(size_t count) {
    if (sequenceHolder_ == SIZE_MAX || scene_.decodedIndices[sequenceHolder_].size() < count) {
        std::vector<uint32_t> numbers(count);
        for (size_t i = 0; i < count; ++i) numbers[i] = static_cast<uint32_t>(i);
        sequenceHolder_ = scene_.decodedIndices.size();
        scene_.decodedIndices.push_back(std::move(numbers));
    }
    return GltfIndices::view(scene_.decodedIndices[sequenceHolder_].data(), count);
}

}  // namespace mevlo
