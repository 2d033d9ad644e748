// The primitive records a container's export keeps in a buffer view (see
// outgltf/lod_records.h), read back and checked against the mesh they
// were made for. A view that does not match (another tool rewrote the
// file) is not used: the mesh is mapped as any glTF mesh is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/vec.h"
#include "ingltf/gltf_scene.h"
#include "lod/build/lod_tree.h"

namespace mevlo {

class LodRecordReader {
public:
    // False when the view is no records view of this mesh (mesh may be null).
    bool open(const GltfScene::ByteView& view, const GltfSceneMesh* mesh);

    int32_t vertexCount() const { return vertexCount_; }
    // The LOD vertex of vertex j of the mesh's glTF primitive p.
    uint16_t lodVertex(size_t p, size_t j) const;
    size_t primitiveCount() const { return vertexCounts_.size(); }
    // Vertices no glTF vertex carries: index and position as stored.
    std::vector<std::pair<int32_t, Vec3>> missing;
    std::vector<Vec3> normals;

    // Adds the next holder to the tree; -1 when the records are used up or
    // damaged (then nothing more is read).
    int32_t nextHolder(LodTree& tree);

private:
    bool word(uint32_t& out);
    bool primitive(LodTree& tree, int32_t holder);

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t at_ = 0;
    int32_t vertexCount_ = 0;
    int32_t holdersLeft_ = 0;
    std::vector<uint32_t> vertexCounts_;
    std::vector<size_t> mapStarts_;  // byte offsets of each primitive's map
};

}  // namespace mevlo
