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

int32_t LodTree::addPrimitive(int32_t holder, int32_t type, int32_t vertexCount) {
    LodTreePrimitive p;
    p.type = type;
    p.vertexCount = vertexCount;
    const int32_t bits = primitiveFlagsOf(type);
    const size_t n = vertexCount > 0 ? static_cast<size_t>(vertexCount) : 0;
    p.vertices = ints_.size();
    ints_.resize(ints_.size() + n);
    if (bits & PRIM_COLORS) {
        p.colors = ints_.size();
        ints_.resize(ints_.size() + n);
    }
    if (bits & PRIM_NORMALS) {
        p.normals = ints_.size();
        ints_.resize(ints_.size() + n);
    }
    if (bits & PRIM_TEXTURE) {
        p.texCoords = floats_.size();
        floats_.resize(floats_.size() + 2 * n);
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

void LodTree::reserve(size_t nodes, size_t primitives, size_t poolInts) {
    nodes_.reserve(nodes_.size() + nodes);
    primitives_.reserve(primitives_.size() + primitives);
    ints_.reserve(ints_.size() + poolInts);
}

}  // namespace mevlo
