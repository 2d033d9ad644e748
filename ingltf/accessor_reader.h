// Accessors turned into the arrays a primitive holds. A float accessor
// stored tightly in a mapped file, and an index list stored tightly at any
// width, are viewed where they lie; any other (integer components,
// normalized or not, a byte stride, sparse substitution) is decoded once,
// and every primitive naming it shares the result. Decoding is bounded by a
// budget in proportion to the file's size, so accessors that overlap the
// same bytes many times over cannot multiply the memory a file costs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ingltf/gltf_buffers.h"
#include "ingltf/gltf_element.h"
#include "ingltf/gltf_scene.h"

namespace mevlo {

class AccessorReader {
public:
    // accessors: the document's "accessors" array (or null). The reader keeps
    // references to it, to binary and to scene.
    AccessorReader(const nlohmann::json* accessors, const GltfInputData& binary, GltfScene& scene);

    size_t count() const { return accessors_ == nullptr ? 0 : accessors_->size(); }

    // A float attribute of `components` per element (2 or 3). With
    // `mustBeFinite`, a non-finite value refuses the accessor.
    bool floats(size_t accessor, int components, bool mustBeFinite, GltfArray<float>& out, std::string& error);
    // An index list (SCALAR of unsigned bytes, shorts or ints) and its
    // largest entry (0 when empty).
    bool indices(size_t accessor, GltfIndices& out, uint32_t& largest, std::string& error);
    // 0, 1, ..., count - 1, shared by every primitive without indices.
    GltfIndices sequence(size_t count);
    // Elements in the accessor (checked by floats() or indices() first).
    size_t elementCount(size_t accessor) const { return cache_[accessor].count; }

private:
    struct Layout;
    struct Cached {
        bool floatsRead = false;
        bool finiteChecked = false;
        bool indicesRead = false;
        size_t count = 0;
        int components = 0;  // of the floats
        GltfArray<float> floats;
        GltfIndices indices;
        uint32_t largest = 0;
    };
    bool describe(size_t accessor, Layout& layout, std::string& error) const;
    bool describeRecord(const GltfFlatElement& record, Layout& layout) const;
    bool charge(uint64_t bytes, size_t accessor, std::string& error);
    template <typename T, typename Convert>
    bool decode(const Layout& layout, size_t accessor, std::vector<T>& out, Convert convert, std::string& error);

    const nlohmann::json* accessors_;
    const GltfInputData& binary_;
    GltfScene& scene_;
    std::vector<Cached> cache_;
    uint64_t budget_;
    size_t sequenceHolder_ = SIZE_MAX;  // index in scene_.decodedIndices
};

}  // namespace mevlo
