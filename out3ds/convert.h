// Flattening of a loaded LOD tree into the meshes of a Scene3ds.
//
// Every geometry node (a node with its own vertex table) becomes one mesh
// holding exactly that table, in table order, so that the vertex indices of
// the primitives below it are copied into faces unchanged. The vertices are
// moved into the frame of the tree's top by the node's own DOF transform and
// those of its DOF and XDOF ancestors, then into the output axes. Every
// primitive with three or more vertices becomes a triangle fan in the mesh
// of the geometry node that holds it. Colours, normals, textures and switch
// states are not converted.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "out3ds/scene.h"

namespace mevlo {

class LodNode;
class SubTreeNode;
class Primitive;

// 3DS face flags of every fan triangle: edges AB and BC visible.
constexpr uint16_t kFanFaceFlags = 6;

// Vertex transforms by DOF and XDOF ancestors that one conversion may do.
// Real models stay far below (600 meshes of 8000 vertices under 20 nested
// DOFs); a crafted file nesting one DOF record in itself 600 times would
// otherwise cost 600 * 600 / 2 * 8000 transforms.
constexpr int64_t kMaxAncestorTransforms = 100000000;

// A fan's outcome depends only on its index block and on the size of the
// mesh it goes into. Records that share one large block (many nodes naming
// one primitive) are fanned once per mesh size; later uses replay the kept
// faces, so the work stays bounded by the file and the face capacity.
struct FanKey {
    const uint8_t* block;
    int32_t count;
    int32_t meshVertices;
    bool operator<(const FanKey& other) const {
        return std::tie(block, count, meshVertices) < std::tie(other.block, other.count, other.meshVertices);
    }
};

struct FanOutcome {
    std::vector<MeshFace> kept;
    int64_t dropped = 0;
};

// Fans with fewer indices than this are cheaper to build than to look up.
constexpr int32_t kFanMemoMinIndices = 64;

// What one conversion leaves behind besides the meshes.
struct ConversionState {
    explicit ConversionState(Scene3ds& target) : scene(target) {}

    bool failed() const { return !overflow.empty(); }

    Scene3ds& scene;
    // Faces left out because an index named a vertex the mesh does not have.
    int64_t droppedFaces = 0;
    // Ancestor vertex transforms done so far (bounded by kMaxAncestorTransforms).
    int64_t ancestorTransforms = 0;
    std::map<FanKey, FanOutcome> fanMemo;
    // Empty while the model fits the capacities; otherwise the one line
    // (without newline) that says which limit was passed at which node. The
    // conversion stops at the first overflow.
    std::string overflow;
};

// Converts the tree from its start node (normally the model's root; may be
// null). A geometry start node opens the first mesh and its sibling chain
// goes into that mesh; any other start node has its chain walked with no
// mesh. False when a capacity was passed (state.overflow says which).
bool convertTree(const LodNode* start, ConversionState& state);

// Opens a mesh for the node and converts everything below it. With
// walkOwnSiblings (the start node and switch branch heads) the rest of the
// node's own chain is walked into the new mesh as well; a geometry node met
// inside a chain leaves its siblings to the enclosing walk, so no node is
// converted twice.
bool convertGeometryNode(const SubTreeNode& node, ConversionState& state, bool walkOwnSiblings);

// Handles every node of a chain in `next` order into the current mesh,
// which may be null (primitives then add nothing).
bool walkNodeChain(const LodNode* head, MeshBuffer* current, ConversionState& state);

// Applies the DOF and XDOF transforms found up the owner links of the node
// to every vertex of its mesh, nearest ancestor first.
void applyAncestorTransforms(const SubTreeNode& node, MeshBuffer& mesh);

// (x, y, z) -> (y, x, -z). The sign of z is flipped bitwise, so +0.0 becomes
// -0.0 and every other value keeps its bits apart from the sign.
Vec3 toOutputAxes(const Vec3& v);

// Adds the triangle fan of a primitive held by the node `holder` to the
// mesh: faces (0, i+1, i+2) over the primitive's vertex indices. A missing
// primitive or index block, fewer than three indices or no mesh add nothing.
// A face naming a vertex the mesh lacks is dropped and counted.
bool emitPolygonFan(const Primitive* primitive, MeshBuffer* mesh, const LodNode& holder, ConversionState& state);

}  // namespace mevlo
