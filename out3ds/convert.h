// Flattening of a loaded LOD tree into the meshes of a Scene3ds: the 3DS
// sink of the shared tree walk.
//
// Every geometry node (a node with its own vertex table) becomes one mesh
// made of exactly that table, in table order, so that the vertex indices of
// the primitives below it are copied into faces unchanged. The vertices are
// moved into the frame of the tree's top by the node's own DOF transform and
// those of its DOF and XDOF ancestors, then into the output axes; the mesh
// makes them from the node when it is written (output_positions.h). Every
// primitive with three or more vertices becomes a triangle fan in the mesh
// of the geometry node that holds it. Colours, normals, textures and switch
// states are not converted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/tree_walk.h"
#include "out3ds/output_positions.h"
#include "out3ds/scene.h"

namespace mevlo {

// 3DS face flags of every fan triangle: edges AB and BC visible.
constexpr uint16_t kFanFaceFlags = 6;

// Vertex transforms by DOF and XDOF ancestors that one conversion may do.
// Real models stay far below (600 meshes of 8000 vertices under 20 nested
// DOFs); a crafted file nesting one DOF record in itself 600 times would
// otherwise cost 600 * 600 / 2 * 8000 transforms.
constexpr int64_t kMaxAncestorTransforms = 100000000;

// The 3DS scene building: fills the scene's meshes as the walk reports
// them and stops at the first capacity passed. The meshes read their
// vertices from the walked nodes, so the model must stay loaded until the
// scene is written.
class ConversionState final : public TreeWalkSink {
public:
    explicit ConversionState(Scene3ds& target) : scene(target) {}

    bool failed() const { return !failure.empty(); }

    int64_t fanFaceLimit() const override;
    bool openContainer(const SubTreeNode& node, int32_t mesh) override;
    bool polygonFan(int32_t mesh, const Primitive& primitive, const LodNode& holder, const FanOutcome& fan) override;

    Scene3ds& scene;
    // Faces left out because an index named a vertex the mesh does not have.
    int64_t droppedFaces = 0;
    // Ancestor vertex transforms the scene's meshes need so far (bounded by
    // kMaxAncestorTransforms; they are done when the scene is written).
    int64_t ancestorTransforms = 0;
    // Empty while the model fits the capacities; otherwise the one line
    // (without newline) that says which limit was passed at which node. The
    // conversion stops at the first limit passed.
    std::string failure;

private:
    // The scene's meshes by walk mesh number.
    std::vector<MeshBuffer*> meshes_;
};

// Converts the tree from its start node (normally the model's root; may be
// null). False when a capacity was passed (state.failure says which).
bool convertTree(const LodNode* start, ConversionState& state);

}  // namespace mevlo
