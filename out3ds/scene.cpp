#include "out3ds/scene.h"

namespace mevlo {

bool MeshBuffer::addVertex(const Vec3& position) {
    if (verticesFull()) return false;
    vertices_.push_back(position);
    return true;
}

int32_t MeshBuffer::addFace(const MeshFace& face) {
    if (facesFull()) return 0;
    faces_.push_back(face);
    return faceCount();
}

MeshBuffer* Scene3ds::addMesh(int32_t sourceOffset) {
    if (full()) return nullptr;
    meshes_.push_back(std::make_unique<MeshBuffer>(sourceOffset));
    return meshes_.back().get();
}

}  // namespace mevlo
