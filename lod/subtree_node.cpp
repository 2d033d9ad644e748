#include "lod/subtree_node.h"

#include "lod/lod_model.h"

namespace mevlo {

SubTreeNode::~SubTreeNode() { destroyChain(firstChild); }

int32_t SubTreeNode::getVertex(int32_t index, Vec3& out) const {
    if (index < 0 || index >= vertexCount) return 0;
    out = vertices[index];
    return 1;
}

int32_t SubTreeNode::getNormal(int32_t index, Vec3& out) const {
    if (index < 0 || index >= normalCount) return 0;
    out = normals[index];
    return 1;
}

void SubTreeNode::broadcast(int32_t* argument) {
    for (LodNode* n = firstChild.get(); n; n = n->next.get()) n->broadcast(argument);
}

// Tables are fetched by offset, so the record continues right after each
// offset/count pair; an unreadable table is absent and counts as empty.
void SubTreeNode::readSubTreeBody(LodModel& model) {
    ByteStream& in = model.stream();
    const int32_t vertexOffset = readInt32(in);
    vertexCount = readInt32(in);
    vertices = model.readTable<Vec3>(vertexOffset, vertexCount);
    vertexCount = vertices.count();
    opaqueA = readInt32(in);
    opaqueB = readInt32(in);
    const int32_t normalOffset = readInt32(in);
    normalCount = readInt32(in);
    normals = model.readTable<Vec3>(normalOffset, normalCount);
    normalCount = normals.count();
    const int32_t childOffset = readInt32(in);
    firstChild = model.createNode(childOffset);
    if (firstChild) firstChild->setOwner(this);
}

void SubTreeNode::readRecord(LodModel& model) { readSubTreeBody(model); }

void SubTreeNode::appendChildChains(std::vector<const LodNode*>& heads) const { heads.push_back(firstChild.get()); }

void RootNode::readRecord(LodModel& model) {
    readSubTreeBody(model);
    ByteStream& in = model.stream();
    const int32_t textureOffset = readInt32(in);
    textureCount = readInt32(in);
    if (textureCount < 0) textureCount = 0;
    textures = model.readTable<int32_t>(textureOffset, textureCount);
    textureCount = textures.count();
    script = readInt32(in);
}

}  // namespace mevlo
