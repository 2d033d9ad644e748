// A LOD node tree described in memory, to be laid out as a LOD file.
//
// Nodes live in one array and refer to each other by index; chains are
// linked through `next`. Primitive holders (PT, CP, LP) are small nodes
// whose primitives keep their blocks in the tree's shared pools, so a model
// of millions of faces costs a few words per face, not an object each.
// writeLodFile() lays the tree out: each record, then its child chains,
// then its tables, with every offset filled in and the node type table in
// the order the reader consumes it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/vec.h"

namespace mevlo {

// A chain of sibling nodes by first and last index (-1 when empty).
struct LodTreeChain {
    int32_t head = -1;
    int32_t tail = -1;
    bool empty() const { return head < 0; }
};

// Every field a non-holder record has (each node kind uses its own).
struct LodTreeRecord {
    // SubTree family, SpecialX: tables and the child chain.
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    int32_t opaqueA = 0;
    int32_t opaqueB = 0;
    LodTreeChain children;
    // Root
    std::vector<int32_t> textures;
    int32_t script = 0;
    // DOF, XDOF, Translator, Scale; Slot's rotation
    int32_t dofId = 0;
    std::array<float, 9> rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};  // e0..e8, row by row
    Vec3 translation;
    float minimum = 0.0f;
    float maximum = 0.0f;
    float multiplier = 1.0f;
    float opaqueValue = 0.0f;
    int32_t flags = 0;  // also XSwitch flags
    Vec3 vector;
    Vec3 opaqueVector;
    // Slot
    Vec3 position;
    int32_t slotId = 0;
    // Switch, XSwitch: one chain per branch, empty for an absent one.
    int32_t switchId = 0;
    std::vector<LodTreeChain> branches;
    // Split
    std::array<float, 4> plane{};
    LodTreeChain branchA;
    LodTreeChain branchB;
    // SpecialX
    int32_t specialType = 0;
    // RCNode
    int32_t rcType = 0;
    std::array<uint8_t, 32> rcData{};
};

// A model may hold millions: 44 bytes each, its blocks in the tree's pools.
struct LodTreePrimitive {
    int32_t type = 2;
    int32_t vertexCount = 0;
    std::array<float, 4> polyData{};
    int32_t color = 0;
    int32_t normal = 0;
    int32_t textureId = 0;
    // Where the blocks the type announces start: vertex indices in ints(),
    // the colour and normal indices the type has right after them, texture
    // coordinates (u, v pairs) in floats(). The pools stay far below 2^32
    // entries (see LodTree::overfull).
    uint32_t vertices = 0;
    uint32_t texCoords = 0;

    size_t colors() const { return vertices + static_cast<size_t>(vertexCount); }
    size_t normals() const;
};

struct LodTreeNode {
    int32_t code = 0;
    int32_t typeWord = 0;
    int32_t next = -1;
    // Index of the record (non-holders) or of the first primitive (holders).
    int32_t detail = -1;
};

class LodTree {
public:
    // A node of the given code with the code's type word; holders get
    // their primitives with addPrimitive.
    int32_t addNode(int32_t code);
    // A primitive of `type` over `vertexCount` vertices for holder `node`
    // (CP and PT take one, LP two: side A first). Blocks are zero-filled.
    int32_t addPrimitive(int32_t node, int32_t type, int32_t vertexCount);

    // Appends `node` to the end of a chain.
    void append(LodTreeChain& chain, int32_t node);

    LodTreeNode& node(int32_t index) { return nodes_[static_cast<size_t>(index)]; }
    const LodTreeNode& node(int32_t index) const { return nodes_[static_cast<size_t>(index)]; }
    LodTreeRecord& record(int32_t node) { return records_[static_cast<size_t>(nodes_[static_cast<size_t>(node)].detail)]; }
    const LodTreeRecord& record(int32_t node) const {
        return records_[static_cast<size_t>(nodes_[static_cast<size_t>(node)].detail)];
    }
    LodTreePrimitive& primitive(int32_t index) { return primitives_[static_cast<size_t>(index)]; }
    const LodTreePrimitive& primitive(int32_t index) const { return primitives_[static_cast<size_t>(index)]; }
    // The primitives of a holder: count and first index.
    int32_t primitiveCount(int32_t node) const;

    int32_t* ints(size_t at) { return ints_.data() + at; }
    const int32_t* ints(size_t at) const { return ints_.data() + at; }
    float* floats(size_t at) { return floats_.data() + at; }
    const float* floats(size_t at) const { return floats_.data() + at; }

    // Whether primitives were asked for beyond what one LOD file can hold
    // (they were given no blocks); such a tree is not written.
    bool overfull() const { return overfull_; }

    size_t nodeCount() const { return nodes_.size(); }
    size_t primitiveTotal() const { return primitives_.size(); }
    // Room for what is about to be added (a hint only).
    void reserve(size_t nodes, size_t primitives, size_t poolInts, size_t poolFloats = 0);

private:
    std::vector<LodTreeNode> nodes_;
    std::vector<LodTreeRecord> records_;
    std::vector<LodTreePrimitive> primitives_;
    std::vector<int32_t> ints_;
    std::vector<float> floats_;
    bool overfull_ = false;
};

// Record offsets (node-data relative) of the laid-out file, for callers
// that want to find records again (tests that damage files on purpose).
struct LodTreeOffsets {
    std::vector<int32_t> nodes;       // by node index, -1 for nodes not laid out
    std::vector<int32_t> primitives;  // by primitive index
};

// Takes the next piece of a file being written; false when it cannot.
using LodByteSink = std::function<bool(const uint8_t* data, size_t size)>;

// The LOD file of the tree whose top chain is `top`, laid out to be
// written in pieces: the tree must outlive it and stay as it is.
class LodFileLayout {
public:
    LodFileLayout(const LodTree& tree, const LodTreeChain& top);
    // Bytes of the file; -1 when it would pass 2 GiB, which 32-bit offsets
    // cannot address (or the tree is overfull).
    int64_t size() const { return size_; }
    // Hands the file to `sink`, in order, in pieces of at most 256 KiB;
    // false when the file cannot be made or the sink failed. Offsets are
    // filled when asked for.
    bool write(const LodByteSink& sink, LodTreeOffsets* offsets = nullptr) const;

private:
    const LodTree& tree_;
    LodTreeChain top_;
    std::vector<int32_t> codes_;
    // The value of every offset slot, in the order the slots are written.
    std::vector<int32_t> slots_;
    int64_t size_ = -1;
};

// The whole LOD file of the tree whose top chain is `top`; empty when it
// would pass 2 GiB, which 32-bit offsets cannot address. Offsets are
// filled when asked for.
std::vector<uint8_t> writeLodFile(const LodTree& tree, const LodTreeChain& top, LodTreeOffsets* offsets = nullptr);

// The node type codes the reader consumes for the chain, in order.
std::vector<int32_t> lodCreationOrder(const LodTree& tree, const LodTreeChain& chain);

}  // namespace mevlo
