#include "lod/subtree_node.h"

#include "lod/lod_model.h"
#include "lod/record_parts.h"

namespace mevlo {

SubTreeNode::~SubTreeNode() { destroyChain(firstChild); }

int32_t SubTreeNode::getVertex(int32_t index, Vec3& out) const { return lookupVec3(vertices, vertexCount, index, out); }

int32_t SubTreeNode::getNormal(int32_t index, Vec3& out) const { return lookupVec3(normals, normalCount, index, out); }

// Tables are fetched by offset, so the record continues right after each
// offset/count pair; an unreadable table is absent and counts as empty.
void SubTreeNode::readSubTreeBody(LodModel& model) {
    ByteStream& in = model.stream();
    vertices = readVec3TableField(model, vertexCount);
    opaqueA = readInt32(in);
    opaqueB = readInt32(in);
    normals = readVec3TableField(model, normalCount);
    firstChild = readChildChain(model, this);
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
