#include "out3ds/convert.h"

#include <cstdio>

#include "lod/lod_node.h"
#include "lod/subtree_node.h"

namespace mevlo {

namespace {

template <typename... Values>
bool fail(std::string& failure, const char* format, Values... values) {
    char line[200];
    std::snprintf(line, sizeof line, format, values...);
    failure = line;
    return false;
}

}  // namespace

bool convertTree(const LodNode* start, ConversionState& state) { return walkTree(start, state); }

// More kept faces than a mesh can hold would overflow it whatever follows,
// so a fan need not go further (the run then ends with the failure, and the
// dropped count is not reported).
int64_t ConversionState::fanFaceLimit() const { return kMaxMeshFaces; }

bool ConversionState::openContainer(const SubTreeNode& node, int32_t) {
    MeshBuffer* mesh = scene.addMesh(node.recordOffset);
    if (!mesh) {
        return fail(failure, "Model too large: more than %d meshes (geometry node at offset %d)", kMaxSceneMeshes,
                    node.recordOffset);
    }
    if (node.vertexCount > kMaxMeshVertices) {
        return fail(failure, "Model too large: more than %d vertices in one mesh (geometry node at offset %d)",
                    kMaxMeshVertices, node.recordOffset);
    }
    meshes_.push_back(mesh);
    // The positions are made when the mesh is written, straight into the
    // output; only the cost of making them is counted here.
    mesh->produceVerticesFrom(node);
    ancestorTransforms += countTransformingAncestors(node) * mesh->vertexCount();
    if (ancestorTransforms > kMaxAncestorTransforms) {
        return fail(failure,
                    "Model too large: more than %lld vertex transforms by DOF ancestors (geometry node at offset %d)",
                    static_cast<long long>(kMaxAncestorTransforms), node.recordOffset);
    }
    return true;
}

bool ConversionState::polygonFan(int32_t meshNumber, const Primitive&, const LodNode& holder,
                                 const FanOutcome& fan) {
    MeshBuffer& mesh = *meshes_[static_cast<size_t>(meshNumber)];
    droppedFaces += fan.dropped;
    for (const FanFace& face : fan.kept) {
        if (mesh.addFace(MeshFace{face.a, face.b, face.c, kFanFaceFlags}) == 0) {
            return fail(failure,
                        "Model too large: more than %d faces in one mesh (geometry node at offset %d, "
                        "primitive node at offset %d)",
                        kMaxMeshFaces, mesh.sourceOffset(), holder.recordOffset);
        }
    }
    return true;
}

}  // namespace mevlo
