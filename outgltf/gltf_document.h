// The in-memory glTF 2.0 document an export builds: nodes, meshes,
// materials, and the accessors and buffer views over one binary buffer.
// The encoder turns it into JSON (and a GLB container).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "outgltf/node_transform.h"

namespace mevlo {

constexpr int32_t kGltfFloat = 5126;
constexpr int32_t kGltfUnsignedShort = 5123;
constexpr int32_t kGltfUnsignedInt = 5125;
constexpr int32_t kGltfArrayBuffer = 34962;
constexpr int32_t kGltfElementArrayBuffer = 34963;
constexpr int32_t kGltfPoints = 0;
constexpr int32_t kGltfLines = 1;
constexpr int32_t kGltfTriangles = 4;

struct GltfBufferView {
    int64_t offset = 0;
    int64_t length = 0;
    int32_t target = 0;
};

struct GltfAccessor {
    int32_t bufferView = 0;
    // Where the accessor starts in its view (written when not 0).
    int64_t byteOffset = 0;
    int32_t componentType = kGltfFloat;
    int64_t count = 0;
    const char* type = "VEC3";
    // Written for positions only: exactly the extremes of the stored floats.
    bool hasBounds = false;
    float min[3] = {0, 0, 0};
    float max[3] = {0, 0, 0};
};

struct GltfPrimitive {
    int32_t mode = kGltfTriangles;
    int32_t indices = -1;
    int32_t position = -1;
    int32_t normal = -1;
    int32_t texcoord = -1;
    int32_t material = -1;
    // The LOD colour number, when one covers the whole primitive.
    bool hasColor = false;
    int32_t color = 0;
};

// The indices of one primitive, for GltfDocument::addIndexAccessors.
struct GltfIndexList {
    const uint32_t* indices = nullptr;
    size_t count = 0;
    uint32_t vertexCount = 0;
};

struct GltfMesh {
    std::string name;
    std::vector<GltfPrimitive> primitives;
};

struct GltfNode {
    std::string name;
    // Complete JSON of extras.lod, or empty for none.
    std::string lodExtras;
    bool hasTransform = false;
    Vec3d translation;
    Quaternion rotation;
    Vec3d scale{1.0, 1.0, 1.0};
    int32_t mesh = -1;
    std::vector<int32_t> children;
};

struct GltfMaterial {
    std::string name;
    // The LOD texture number, or -1 for an untextured material.
    int32_t texture = -1;
    // The LOD colour index of every primitive that uses it; 0 is not written.
    int32_t color = 0;
    bool alpha = false;
    bool clip = false;
    // Index into images, or -1.
    int32_t image = -1;
};

// A block of the binary buffer: room for views allocated once and filled
// by whoever appends them, so that no byte is written twice (a vector would
// zero what is about to be overwritten).
class GltfBinBlock {
public:
    explicit GltfBinBlock(size_t capacity) : bytes_(new uint8_t[capacity]), capacity_(capacity) {}

    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    size_t room() const { return capacity_ - size_; }
    // The next `bytes` bytes of the block (caller checked room()).
    uint8_t* take(size_t bytes) {
        uint8_t* at = bytes_.get() + size_;
        size_ += bytes;
        return at;
    }

private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t capacity_ = 0;
    size_t size_ = 0;
};

struct GltfDocument {
    std::vector<GltfNode> nodes;
    std::vector<int32_t> sceneNodes;
    std::vector<GltfMesh> meshes;
    std::vector<GltfMaterial> materials;
    // Image URIs (one texture per image, same index).
    std::vector<std::string> images;
    std::vector<GltfAccessor> accessors;
    std::vector<GltfBufferView> bufferViews;
    // The binary buffer, kept in blocks so that it never moves while it
    // grows; every view starts on a 4-byte boundary and the buffer's length
    // is a multiple of 4.
    std::vector<GltfBinBlock> binBlocks;
    int64_t binSize = 0;

    // Appends a view of `bytes` bytes (padded to 4 with zeros) and returns
    // where to write them; viewIndex receives the view's index.
    uint8_t* addBufferView(size_t bytes, int32_t target, int32_t& viewIndex);
    // The whole buffer in one piece (for readers in tests and checks).
    std::vector<uint8_t> joinedBin() const;

    // Appends a float VEC3/VEC2 accessor over its own view.
    int32_t addFloatAccessor(const float* values, size_t count, int components, bool withBounds);
    // Appends an index accessor per list, in order, all over one new view
    // (each list starting on a 4-byte boundary), and returns the first
    // one's index. A list is 16-bit while every index fits below 65535;
    // every index is below its `vertexCount`, which spares the search for
    // the largest one when that already settles the width.
    int32_t addIndexAccessors(const std::vector<GltfIndexList>& lists);
};

}  // namespace mevlo
