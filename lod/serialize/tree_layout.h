// What serializing a node chain will produce, worked out from the tree
// before anything is written: the number of words (so the writer can be
// sized to hold everything) and the node type codes in the order the
// reader's factory consumes them.
//
// The reader builds a node's whole next-sibling chain before any child, so
// it takes the codes of a chain as: every node of the chain in order, then
// the child chains of the last node, then those of the one before it, and
// so on back to the first. The serializer writes (and records) a node's
// children before its next sibling; the two orders differ as soon as a
// node with children has a next sibling, so the file's table is built from
// this walk rather than from the writer's own list.
#pragma once

#include <cstdint>
#include <vector>

namespace mevlo {

class LodNode;

struct SerializedLayout {
    int64_t wordCount = 0;
    // One code per record written, in creation order.
    std::vector<int32_t> creationOrder;
};

// Lays out the chain that starts at head (null: nothing).
SerializedLayout layoutChain(const LodNode* head);

// The code a node is written under (an XSwitch as a Switch), or 0 for a
// node that writes no record.
int32_t writtenNodeCode(const LodNode& node);

}  // namespace mevlo
