#include "out3ds/convert.h"

#include <cstdio>

#include "lod/control_nodes.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"

namespace mevlo {

namespace {

// Geometry codes that open a mesh when met inside a chain. A Root there is
// not a container of this tree and contributes nothing.
bool opensMeshInChain(int32_t code) {
    return code == NODE_SUBTREE || code == NODE_DOF || code == NODE_TRANSLATOR || code == NODE_SCALE ||
           code == NODE_XDOF;
}

template <typename... Values>
bool fail(ConversionState& state, const char* format, Values... values) {
    char line[200];
    std::snprintf(line, sizeof line, format, values...);
    state.overflow = line;
    return false;
}

// Every present branch of a Switch or XSwitch, whatever the switch state:
// a geometry head opens its own mesh and takes its chain with it; any other
// head has its chain walked into the current mesh.
bool convertSwitchBranches(const SwitchNode& node, MeshBuffer* current, ConversionState& state) {
    const int32_t held = static_cast<int32_t>(node.branches.size());
    for (int32_t i = 0; i < held; ++i) {
        const LodNode* head = node.branch(i);
        if (!head) continue;
        const auto* geometry = isGeometryNodeType(head->type) ? static_cast<const SubTreeNode*>(head) : nullptr;
        const bool ok = geometry ? convertGeometryNode(*geometry, state, true) : walkNodeChain(head, current, state);
        if (!ok) return false;
    }
    return true;
}

bool convertOneNode(const LodNode& node, MeshBuffer* current, ConversionState& state) {
    if (opensMeshInChain(node.type)) {
        return convertGeometryNode(static_cast<const SubTreeNode&>(node), state, false);
    }
    switch (node.type) {
        case NODE_SWITCH:
        case NODE_XSWITCH: {
            return convertSwitchBranches(static_cast<const SwitchNode&>(node), current, state);
        }
        case NODE_SPLIT: {
            const auto& split = static_cast<const SplitNode&>(node);
            return walkNodeChain(split.branchA.get(), current, state) &&
                   walkNodeChain(split.branchB.get(), current, state);
        }
        case NODE_PT:
        case NODE_CP: {
            const auto& holder = static_cast<const SinglePrimitiveNode&>(node);
            return emitPolygonFan(holder.primitive.get(), current, node, state);
        }
        case NODE_LP: {
            const auto& pair = static_cast<const DblPolyNode&>(node);
            return emitPolygonFan(pair.sideA.get(), current, node, state) &&
                   emitPolygonFan(pair.sideB.get(), current, node, state);
        }
        default:
            // Root, Slot, SpecialX, LitString, RCNode: nothing, and nothing below.
            return true;
    }
}

}  // namespace

bool convertTree(const LodNode* start, ConversionState& state) {
    if (!start) return true;
    const auto* geometry = isGeometryNodeType(start->type) ? static_cast<const SubTreeNode*>(start) : nullptr;
    if (geometry) return convertGeometryNode(*geometry, state, true);
    return walkNodeChain(start, nullptr, state);
}

bool convertGeometryNode(const SubTreeNode& node, ConversionState& state, bool walkOwnSiblings) {
    MeshBuffer* mesh = state.scene.addMesh(node.recordOffset);
    if (!mesh) {
        return fail(state, "Model too large: more than %d meshes (geometry node at offset %d)", kMaxSceneMeshes,
                    node.recordOffset);
    }
    if (node.vertexCount > kMaxMeshVertices) {
        return fail(state, "Model too large: more than %d vertices in one mesh (geometry node at offset %d)",
                    kMaxMeshVertices, node.recordOffset);
    }
    mesh->reserveVertices(node.vertexCount);
    for (int32_t i = 0; i < node.vertexCount; ++i) {
        // A DOF answers with its own transform already applied. A lookup that
        // fails still takes its slot, so later indices keep their meaning.
        Vec3 position;
        node.getVertex(i, position);
        mesh->addVertex(position);
    }
    int64_t transformingAncestors = 0;
    for (const LodNode* a = node.owner; a; a = a->owner)
        if (a->type == NODE_DOF || a->type == NODE_XDOF) ++transformingAncestors;
    state.ancestorTransforms += transformingAncestors * mesh->vertexCount();
    if (state.ancestorTransforms > kMaxAncestorTransforms) {
        return fail(state,
                    "Model too large: more than %lld vertex transforms by DOF ancestors (geometry node at offset %d)",
                    static_cast<long long>(kMaxAncestorTransforms), node.recordOffset);
    }
    applyAncestorTransforms(node, *mesh);
    for (int32_t i = 0; i < mesh->vertexCount(); ++i) mesh->vertex(i) = toOutputAxes(mesh->vertex(i));

    if (!walkNodeChain(node.firstChild.get(), mesh, state)) return false;
    return !walkOwnSiblings || walkNodeChain(node.next.get(), mesh, state);
}

bool walkNodeChain(const LodNode* head, MeshBuffer* current, ConversionState& state) {
    for (const LodNode* node = head; node; node = node->next.get()) {
        if (!convertOneNode(*node, current, state)) return false;
    }
    return true;
}

void applyAncestorTransforms(const SubTreeNode& node, MeshBuffer& mesh) {
    for (const LodNode* ancestor = node.owner; ancestor; ancestor = ancestor->owner) {
        const Mat3* rotation = nullptr;
        const Vec3* translation = nullptr;
        if (ancestor->type == NODE_DOF) {
            const auto* dof = static_cast<const DofNode*>(ancestor);
            rotation = &dof->rotation;
            translation = &dof->translation;
        } else if (ancestor->type == NODE_XDOF) {
            const auto* xdof = static_cast<const XDofNode*>(ancestor);
            rotation = &xdof->rotation;
            translation = &xdof->translation;
        } else {
            continue;
        }
        for (int32_t i = 0; i < mesh.vertexCount(); ++i) {
            mesh.vertex(i) = transformPoint(*rotation, *translation, mesh.vertex(i));
        }
    }
}

Vec3 toOutputAxes(const Vec3& v) {
    return Vec3{v.y, v.x, floatFromBits(bitsOfFloat(v.z) ^ 0x80000000u)};
}

namespace {

// The faces (0, i+1, i+2) of an index block that name vertices the mesh
// has, in order, and how many were left out. Indices are compared in the
// 16 bits the file keeps of them. More kept faces than a mesh can hold
// would overflow it whatever follows, so the fan stops there (the run then
// ends with the overflow, and the dropped count is not reported).
void buildFan(const Int32Table& indices, int32_t meshVertices, FanOutcome& outcome) {
    const auto low16 = [&indices](int32_t i) { return static_cast<uint16_t>(indices.rawWord(i, 0)); };
    const uint16_t first = low16(0);
    const int32_t n = indices.count();
    if (first >= meshVertices) {  // every face names the first vertex
        outcome.dropped += n - 2;
        return;
    }
    for (int32_t i = 0; i + 2 < n; ++i) {
        const MeshFace face{first, low16(i + 1), low16(i + 2), kFanFaceFlags};
        if (face.b >= meshVertices || face.c >= meshVertices) {
            ++outcome.dropped;
        } else {
            outcome.kept.push_back(face);
            if (outcome.kept.size() > static_cast<size_t>(kMaxMeshFaces)) return;
        }
    }
}

}  // namespace

bool emitPolygonFan(const Primitive* primitive, MeshBuffer* mesh, const LodNode& holder, ConversionState& state) {
    if (!primitive || !mesh || !primitive->vertexIndices.present()) return true;
    const Int32Table& indices = primitive->vertexIndices;
    if (indices.count() < 3) return true;

    FanOutcome fresh;
    const FanOutcome* outcome = &fresh;
    if (indices.count() >= kFanMemoMinIndices) {
        const FanKey key{indices.bytes(), indices.count(), mesh->vertexCount()};
        auto found = state.fanMemo.find(key);
        if (found == state.fanMemo.end()) {
            found = state.fanMemo.emplace(key, FanOutcome{}).first;
            buildFan(indices, mesh->vertexCount(), found->second);
        }
        outcome = &found->second;
    } else {
        buildFan(indices, mesh->vertexCount(), fresh);
    }

    state.droppedFaces += outcome->dropped;
    for (const MeshFace& face : outcome->kept) {
        if (mesh->addFace(face) == 0) {
            return fail(state,
                        "Model too large: more than %d faces in one mesh (geometry node at offset %d, "
                        "primitive node at offset %d)",
                        kMaxMeshFaces, mesh->sourceOffset(), holder.recordOffset);
        }
    }
    return true;
}

}  // namespace mevlo
