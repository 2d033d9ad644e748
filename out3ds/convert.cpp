#include "out3ds/convert.h"

#include <cstdio>

#include "lod/lod_node.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"

namespace mevlo {

namespace {

template <typename... Values>
bool fail(std::string& overflow, const char* format, Values... values) {
    char line[200];
    std::snprintf(line, sizeof line, format, values...);
    overflow = line;
    return false;
}

}  // namespace

bool convertTree(const LodNode* start, ConversionState& state) { return walkTree(start, state); }

// More kept faces than a mesh can hold would overflow it whatever follows,
// so a fan need not go further (the run then ends with the overflow, and the
// dropped count is not reported).
int64_t ConversionState::fanFaceLimit() const { return kMaxMeshFaces; }

bool ConversionState::openContainer(const SubTreeNode& node, int32_t) {
    MeshBuffer* mesh = scene.addMesh(node.recordOffset);
    if (!mesh) {
        return fail(overflow, "Model too large: more than %d meshes (geometry node at offset %d)", kMaxSceneMeshes,
                    node.recordOffset);
    }
    if (node.vertexCount > kMaxMeshVertices) {
        return fail(overflow, "Model too large: more than %d vertices in one mesh (geometry node at offset %d)",
                    kMaxMeshVertices, node.recordOffset);
    }
    meshes_.push_back(mesh);
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
    ancestorTransforms += transformingAncestors * mesh->vertexCount();
    if (ancestorTransforms > kMaxAncestorTransforms) {
        return fail(overflow,
                    "Model too large: more than %lld vertex transforms by DOF ancestors (geometry node at offset %d)",
                    static_cast<long long>(kMaxAncestorTransforms), node.recordOffset);
    }
    applyAncestorTransforms(node, *mesh);
    for (int32_t i = 0; i < mesh->vertexCount(); ++i) mesh->vertex(i) = toOutputAxes(mesh->vertex(i));
    return true;
}

bool ConversionState::polygonFan(int32_t meshNumber, const Primitive&, const LodNode& holder,
                                 const FanOutcome& fan) {
    MeshBuffer& mesh = *meshes_[static_cast<size_t>(meshNumber)];
    droppedFaces += fan.dropped;
    for (const FanFace& face : fan.kept) {
        if (mesh.addFace(MeshFace{face.a, face.b, face.c, kFanFaceFlags}) == 0) {
            return fail(overflow,
                        "Model too large: more than %d faces in one mesh (geometry node at offset %d, "
                        "primitive node at offset %d)",
                        kMaxMeshFaces, mesh.sourceOffset(), holder.recordOffset);
        }
    }
    return true;
}

void applyAncestorTransforms(const SubTreeNode& node, MeshBuffer& mesh) {
    if (mesh.vertexCount() > 0) applyAncestorTransforms(node, &mesh.vertex(0), mesh.vertexCount());
}

void applyAncestorTransforms(const SubTreeNode& node, Vec3* vertices, int32_t count) {
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
        for (int32_t i = 0; i < count; ++i) vertices[i] = transformPoint(*rotation, *translation, vertices[i]);
    }
}

Vec3 toOutputAxes(const Vec3& v) {
    return Vec3{v.y, v.x, floatFromBits(bitsOfFloat(v.z) ^ 0x80000000u)};
}

}  // namespace mevlo
