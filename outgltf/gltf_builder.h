// The glTF sink of the tree walk: a node per container, transform node,
// switch, switch branch and slot the walk reaches, the container's mesh on
// its node, and the materials the primitives name.
//
// Where a node goes: a container's child chain hangs under the container
// (under its transform child for a DOF or XDOF), a switch's branches under
// their branch nodes. Siblings that follow the start node or a branch head
// stand beside it: the walk reports the end of the container's children
// before it walks them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert/tree_walk.h"
#include "outgltf/gltf_document.h"
#include "outgltf/gltf_export.h"
#include "outgltf/lod_records.h"
#include "outgltf/mesh_builder.h"
#include "outgltf/vertex_tables.h"

namespace mevlo {

class GltfSceneBuilder final : public TreeWalkSink {
public:
    GltfSceneBuilder(const GltfExportOptions& options, GltfDocument& document, GltfExportReport& report);
    ~GltfSceneBuilder() override;

    bool openContainer(const SubTreeNode& node, int32_t mesh) override;
    void containerChildrenDone(const SubTreeNode& node, int32_t mesh) override;
    void closeContainer(const SubTreeNode& node, int32_t mesh) override;
    bool polygonFan(int32_t mesh, const Primitive& primitive, const LodNode& holder, const FanOutcome& fan) override;
    bool primitiveHolder(int32_t mesh, const LodNode& holder) override;
    bool pointOrLinePrimitive(int32_t mesh, const Primitive& primitive, const LodNode& holder) override;
    void enterSwitch(const SwitchNode& node) override;
    void enterBranch(const SwitchNode& node, int32_t branch) override;
    void leaveBranch(const SwitchNode& node, int32_t branch) override;
    void leaveSwitch(const SwitchNode& node) override;
    void slot(const SlotNode& node) override;

    // Drops the meshes of containers that held nothing and numbers the rest
    // in the order their containers were opened.
    void finishMeshes();

private:
    struct OpenMesh {
        std::unique_ptr<GltfMeshBuilder> builder;
        // The container's primitive records (see lod_records.h).
        std::unique_ptr<LodRecordStream> records;
        int32_t node = -1;
        std::string name;
    };

    int32_t addNode(std::string name, std::string lodExtras);
    // A transform node (split in two when the matrix is no rotation); the
    // returned node is the one that takes the children.
    int32_t addTransformNodes(const std::string& name, const std::string& splitName, const char* splitType,
                              int32_t offset, std::string lodExtras, const Mat3& rotation, const Vec3& translation);
    int32_t parent() const { return parents_.empty() ? -1 : parents_.back(); }
    int32_t materialFor(const Primitive& primitive, int32_t flags, bool withTexCoords);
    // Counts `adding` faces, points or line segments about to be looked at;
    // false (and the failure set) past the export's element limit.
    bool withinLimit(int64_t adding);

    const GltfExportOptions& options_;
    GltfDocument& document_;
    GltfExportReport& report_;
    // Where new nodes go: the innermost open container, switch or branch.
    std::vector<int32_t> parents_;
    // Per walk mesh number: the builder while the mesh is open.
    std::vector<OpenMesh> meshes_;
    // Per walk mesh number: the finished primitives.
    std::vector<std::vector<GltfPrimitive>> finished_;
    // Faces, points and line segments looked at so far, kept or dropped:
    // records that share one large block of unusable indices cost work
    // without adding to the output.
    int64_t examined_ = 0;
    // Words of primitive records written so far.
    int64_t recordWords_ = 0;
    // 3DS object numbers: containers with vertices, in opening order.
    int32_t objectsNumbered_ = 0;
    GltfVertexTables vertexTables_;
    // Material by texture number, colour, alpha, clip and whether it has an image.
    struct MaterialKey {
        int32_t texture = -1;
        int32_t color = 0;
        uint32_t bits = 0;
        bool operator==(const MaterialKey& other) const {
            return texture == other.texture && color == other.color && bits == other.bits;
        }
    };
    struct MaterialKeyHash {
        size_t operator()(const MaterialKey& key) const {
            const uint64_t word = (static_cast<uint64_t>(static_cast<uint32_t>(key.texture)) << 32) |
                                  static_cast<uint32_t>(key.color);
            return std::hash<uint64_t>()(word * 8 + key.bits);
        }
    };
    std::unordered_map<MaterialKey, int32_t, MaterialKeyHash> materials_;
    std::map<int32_t, int32_t> images_;
};

}  // namespace mevlo
