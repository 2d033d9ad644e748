// The primitive records a container's export keeps in a buffer view (see
// outgltf/lod_records.h), read back and checked against the mesh they
// were made for. A view that does not match (another tool rewrote the
// file) is not used: the mesh is mapped as any glTF mesh is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/vec.h"
#include "ingltf/gltf_scene.h"
#include "ingltf/import_budget.h"
#include "lod/build/lod_tree.h"

namespace mevlo {

// What a records view says its holders will add to the tree, for making
// room once; zeros for a view that is no records view.
struct LodRecordClaims {
    uint64_t holders = 0;
    uint64_t primitives = 0;
    uint64_t ints = 0;
    uint64_t floats = 0;
};
LodRecordClaims lodRecordClaims(const GltfScene::ByteView& view);

class LodRecordReader {
public:
    // False when the view is no records view of this mesh (mesh may be null).
    bool open(const GltfScene::ByteView& view, const GltfSceneMesh* mesh);

    int32_t vertexCount() const { return vertexCount_; }
    size_t primitiveCount() const { return maps_.size(); }
    // Whether primitive p holds its own vertex map (others repeat an
    // earlier primitive's).
    bool ownsMap(size_t p) const { return maps_[p].owner == p; }
    // The LOD vertex of vertex j of the mesh's glTF primitive p.
    uint16_t lodVertex(size_t p, size_t j) const {
        const uint8_t* at = maps_[p].start + 2 * j;
        return static_cast<uint16_t>(at[0] | (at[1] << 8));
    }
    // Vertices no glTF vertex carries: index and position as stored.
    std::vector<std::pair<int32_t, Vec3>> missing;
    std::vector<Vec3> normals;

    // Adds the next holder to the tree, charging the budget for it; -1
    // when the records are used up or damaged, or the budget is (then
    // nothing more is read).
    int32_t nextHolder(LodTree& tree, ImportBudget& budget);
    // Triangles the holders added (as fanned), for the summary.
    int64_t triangles() const { return triangles_; }

private:
    struct Map {
        size_t owner = 0;
        const uint8_t* start = nullptr;
    };
    // Where the next triangle of a fan group is taken.
    struct Group {
        const GltfScenePrimitive* primitive = nullptr;
        size_t map = 0;
        size_t nextIndex = 0;
    };

    bool word(uint32_t& out);
    bool number(uint32_t& out);
    bool floatBits(float& out);
    bool primitive(LodTree& tree, int32_t holder, ImportBudget& budget);

    const uint8_t* at_ = nullptr;
    const uint8_t* end_ = nullptr;
    const GltfSceneMesh* mesh_ = nullptr;
    int32_t vertexCount_ = 0;
    int32_t holdersLeft_ = 0;
    bool flipV_ = false;
    int64_t triangles_ = 0;
    std::vector<Map> maps_;
    std::vector<Group> groups_;
    std::vector<std::array<float, 4>> planes_;
};

}  // namespace mevlo
