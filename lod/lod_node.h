// The node tree of a LOD model: the base class every node type shares.
//
// Every record starts with a common head: the type word (not interpreted)
// and the node-data offset of the next sibling (negative: none).
// Siblings form a chain through `next`; a container holds only the head of
// each of its child chains.
//
// Chains can be very long (a million primitives under one container), so
// nothing here recurses along `next`: chains are built, listed, serialized
// and destroyed by loops. Recursion only follows nesting, which the loader
// bounds (kMaxNestingDepth).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lod/byte_stream.h"
#include "lod/node_arena.h"
#include "lod/node_type.h"
#include "common/vec.h"

namespace mevlo {

class ListingWriter;
class LodModel;
class WordWriter;
class LodNode;

// Nodes live in their model's arena; owning pointers destroy, the arena frees.
using NodePtr = ArenaPtr<LodNode>;

class LodNode {
public:
    explicit LodNode(LodModel& model);
    virtual ~LodNode();
    LodNode(const LodNode&) = delete;
    LodNode& operator=(const LodNode&) = delete;

    // Vertex and normal lookups: 1 and `out` filled, or 0 and `out`
    // untouched. The base passes them to the owner (the geometry node whose
    // tables this node's indices address).
    virtual int32_t getVertex(int32_t index, Vec3& out) const;
    virtual int32_t getNormal(int32_t index, Vec3& out) const;

    // Sets owner and parent on this node and every following node of its
    // chain.
    void setOwner(LodNode* node);

    // Lists this node and the rest of its chain.
    void print(ListingWriter& out) const;
    // Lists this node alone (its subtree included, its siblings not).
    virtual void printNode(ListingWriter& out) const;

    // Writes this node (record, then what it points to) into the writer; the
    // container writes the following siblings. Returns 1 after writing.
    virtual int32_t serialize(WordWriter& writer) const;

    // Appends the heads of this node's child chains, in the order the reader
    // builds them (absent chains as null). Plain nodes have none.
    virtual void appendChildChains(std::vector<const LodNode*>& heads) const;

    // Reads the type-specific part of the record, which follows the common
    // head at the stream's current position. The factory calls it after
    // the node's whole next-sibling chain has been built.
    virtual void readRecord(LodModel& model);

    // The record's first word as read, decoded from the file when asked
    // for rather than kept in each of millions of nodes: nothing that
    // converts, lists or writes a model looks at it.
    int32_t typeWord() const;

    // The model the node was loaded from, which holds its record.
    const LodModel* model;
    LodNode* owner = nullptr;
    LodNode* parent = nullptr;
    LodNode* prev = nullptr;
    NodePtr next;
    int32_t type = NODE_UNUSED;
    // Node-data offset of the record (for messages and later reads).
    int32_t recordOffset = 0;
};

// Destroys a whole chain with a loop, never recursing along `next`.
void destroyChain(NodePtr& head);

}  // namespace mevlo
