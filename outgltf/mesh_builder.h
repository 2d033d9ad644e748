// The glTF mesh of one LOD container, built from the faces, points and
// lines the tree walk reports into it.
//
// Vertices are pooled by the attributes they carry (NORMAL, TEXCOORD_0):
// each pool holds a vertex per LOD vertex and set of attribute values (a
// LOD vertex with different normals or texture coordinates is split), and
// its accessors are written once. Primitives are grouped by material and
// pool: each group becomes one TRIANGLES, one POINTS and one LINES
// primitive over its pool's accessors, so a container of a thousand
// materials repeats neither its vertices nor their accessors, and the
// index lists of the whole mesh share one buffer view. Lines are segment
// lists rather than one strip per line: a model may hold a million short
// lines, and a glTF primitive each would make the JSON larger than the
// geometry.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "convert/tree_walk.h"
#include "lod/packed_table.h"
#include "outgltf/gltf_document.h"
#include "outgltf/gltf_export.h"
#include "outgltf/lod_records.h"
#include "outgltf/vertex_tables.h"

namespace mevlo {

class Primitive;
class SubTreeNode;

// The colour one LOD primitive (of the given flags) has throughout, if it
// has one.
bool singleColorOf(const Primitive& primitive, int32_t flags, int32_t& color);

class GltfMeshBuilder {
public:
    GltfMeshBuilder(const SubTreeNode& container, const GltfExportOptions& options, GltfExportReport& report,
                    GltfVertexTables& vertexTables);
    ~GltfMeshBuilder();
    GltfMeshBuilder(const GltfMeshBuilder&) = delete;
    GltfMeshBuilder& operator=(const GltfMeshBuilder&) = delete;

    // The kept faces of a polygon's fan. `flags` are the primitive's,
    // `material` is the document's material index (or -1); `texCoords` is
    // the primitive's texture coordinate block when it is used, else absent.
    // Returns where its triangles went, for the primitive records.
    FanPlacement addFan(const Primitive& primitive, int32_t flags, const FanOutcome& fan, int32_t material,
                        const TexCoordTable& texCoords);
    // A point primitive's points, or a line primitive's segments.
    void addPointsOrLine(const Primitive& primitive);

    // Writes the accessors of every pool and group into the document and
    // returns the primitives (none when nothing was kept), and per
    // primitive the LOD vertex of each of its vertices, and per group its
    // TRIANGLES primitive (-1 for none).
    std::vector<GltfPrimitive> finish(GltfDocument& document, std::vector<GltfPrimitiveSource>& sources,
                                      std::vector<int32_t>& groupTriangles);

private:
    struct Pool;
    struct Group;

    Group& groupFor(int32_t material, bool withNormals, bool withTexCoords, int32_t& ordinal);
    Group& newGroup(uint64_t key, int32_t material, bool withNormals, bool withTexCoords);
    // Index of the pool vertex for LOD vertex `index` with the attributes.
    uint32_t vertexOf(Pool& pool, uint16_t index, const float* normal, const float* texCoord);
    // vertexOf for a LOD vertex that already has pool vertices.
    uint32_t listedVertexOf(Pool& pool, int32_t first, uint16_t index, const float* normal, const float* texCoord);
    int32_t appendVertex(Pool& pool, uint16_t index, const float* normal, const float* texCoord);
    bool usable(uint16_t index) const;
    void prepareVertices();
    void prepareNormals();
    void faceNormalOf(const FanFace& face, float out[3]) const;

    const SubTreeNode& container_;
    const GltfExportOptions& options_;
    GltfExportReport& report_;
    GltfVertexTables& vertexTables_;
    // The container's vertices in glTF axes, scaled, and whether all three
    // coordinates are finite; null until the first primitive.
    std::shared_ptr<const GltfVertexTable> vertices_;
    const float* positions_ = nullptr;
    const uint8_t* finite_ = nullptr;
    // The container's normals in glTF axes and of unit length (zero where
    // unusable), made when a primitive first asks for them.
    std::vector<float> unitNormals_;
    // By withNormals * 2 + withTexCoords; null until a group needs it.
    std::unique_ptr<Pool> pools_[4];
    std::vector<std::unique_ptr<Group>> groups_;
    // Material, withNormals and withTexCoords in one number: of the first
    // groups side by side, of the rest (a container may have thousands)
    // in a map.
    std::vector<uint64_t> groupKeys_;
    std::unordered_map<uint64_t, Group*> laterGroups_;
};

}  // namespace mevlo
