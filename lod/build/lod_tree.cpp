#include "lod/build/lod_tree.h"

#include "lod/node_type.h"
#include "lod/primitive.h"

namespace mevlo {

int32_t LodTree::addNode(int32_t code) {
    LodTreeNode n;
    n.code = code;
    n.typeWord = NodeTypeTable[isKnownNodeType(code) ? code : 0].typeWord;
    if (code != NODE_PT && code != NODE_CP && code != NODE_LP) {
        n.detail = static_cast<int32_t>(records_.size());
        records_.emplace_back();
    }
    nodes_.push_back(n);
    return static_cast<int32_t>(nodes_.size() - 1);
}

size_t LodTreePrimitive::normals() const {
    const size_t n = static_cast<size_t>(vertexCount);
    return vertices + n + ((primitiveFlagsOf(type) & PRIM_COLORS) ? n : 0);
}

int32_t LodTree::addPrimitive(int32_t holder, int32_t type, int32_t vertexCount) {
    LodTreePrimitive p;
    p.type = type;
    const int32_t bits = primitiveFlagsOf(type);
    size_t n = vertexCount > 0 ? static_cast<size_t>(vertexCount) : 0;
    const size_t ints = n * (1 + ((bits & PRIM_COLORS) ? 1 : 0) + ((bits & PRIM_NORMALS) ? 1 : 0));
    const size_t floats = (bits & PRIM_TEXTURE) ? 2 * n : 0;
    // Every pool entry takes four bytes of the file, which offsets of 32
    // bits limit to 2 GiB: past that the tree cannot be written anyway.
    constexpr size_t kPoolLimit = size_t{1} << 29;
    if (ints > kPoolLimit - ints_.size() || floats > kPoolLimit - floats_.size() || ints_.size() > kPoolLimit) {
        overfull_ = true;
        n = 0;
    }
    p.vertexCount = static_cast<int32_t>(n);
    p.vertices = static_cast<uint32_t>(ints_.size());
    ints_.resize(ints_.size() + (n > 0 ? ints : 0));
    if (bits & PRIM_TEXTURE) {
        p.texCoords = static_cast<uint32_t>(floats_.size());
        floats_.resize(floats_.size() + (n > 0 ? floats : 0));
    }
    primitives_.push_back(p);
    const auto index = static_cast<int32_t>(primitives_.size() - 1);
    LodTreeNode& h = node(holder);
    if (h.detail < 0) h.detail = index;
    return index;
}

int32_t LodTree::primitiveCount(int32_t index) const {
    const LodTreeNode& n = node(index);
    if (n.detail < 0) return 0;
    if (n.code == NODE_LP) return 2;
    return n.code == NODE_PT || n.code == NODE_CP ? 1 : 0;
}

void LodTree::append(LodTreeChain& chain, int32_t index) {
    if (chain.tail < 0) {
        chain.head = index;
    } else {
        node(chain.tail).next = index;
    }
    chain.tail = index;
}

void LodTree::reserve(size_t nodes, size_t primitives, size_t poolInts, size_t poolFloats) {
    nodes_.reserve(nodes_.size() + nodes);
    primitives_.reserve(primitives_.size() + primitives);
    ints_.reserve(ints_.size() + poolInts);
    floats_.reserve(floats_.size() + poolFloats);
}

}  // namespace mevlo
